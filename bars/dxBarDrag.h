// Dragging while customizing: a button to another place or toolbar of its
// manager, a copy of it with Ctrl, off every toolbar to remove it, or a
// command from the customization dialog onto a toolbar.
#pragma once

#include <windows.h>

#include "bars/dxBarTypes.h"

namespace forms {
class TPersistent;
}

namespace bars {

enum class TdxBarDropState { dropNone, dropRefused, dropSamePlace, dropCategory, dropCopy, dropMove };

// Where a point falls on a toolbar: the link there (none on an empty
// toolbar), which half of it and whether on the group separator in front
// of it.
struct TdxBarDropTarget {
    TdxBarItemLink* link = nullptr;
    bool firstHalf = false;
    bool groupZone = false;
    bool vertical = false;
};

// The drag state of one manager.
class TdxBarDragInfo {
public:
    explicit TdxBarDragInfo(TdxBarManager& manager);
    ~TdxBarDragInfo();
    TdxBarDragInfo(const TdxBarDragInfo&) = delete;
    TdxBarDragInfo& operator=(const TdxBarDragInfo&) = delete;

    // Runs the drag of `item` (of `link`, or from the dialog without one)
    // until the button goes up, Escape or the capture is lost; always
    // leaves everything as the drop made it, never half-dragged.
    void Run(TdxBarItem& item, TdxBarItemLink* link);
    bool Dragging() const { return FSourceItem != nullptr; }

    TdxBarDropState DropState() const { return FDropState; }
    TdxBarControl* TargetBar() const { return FTargetBar; }
    const TdxBarDropTarget& Target() const { return FTarget; }
    // The insertion mark as drawn now: in which window, its rectangle and
    // whether it sits at the rectangle's start.
    bool MarkVisible() const { return FMarkVisible; }
    const RECT& MarkRect() const { return FMarkRect; }
    bool MarkAtStart() const { return FMarkAtStart; }

    // A link or toolbar goes: the drag forgets it.
    void ObjectDestroying(const forms::TPersistent* object);

    // The insertion mark for a rectangle of a toolbar's client area: six
    // short lines at its start or end, inverting what is there.
    static void DrawInsertionMark(HDC dc, const RECT& rect, bool atStart, bool vertical);

private:
    void Loop();
    void PointerMoved(POINT screen);
    void FindTarget(POINT screen);
    bool CanDropHere() const;
    bool LeavesSourceInPlace() const;
    void Drop(POINT screen);
    void AdjustGroup(POINT screen);
    void Insert(bool copy);
    void SetDropState(TdxBarDropState state);
    void BeginUpdate() { ++FUpdateLock; }
    void EndUpdate();
    void Apply();
    void ShowMark(bool show);

    TdxBarManager& FManager;
    TdxBarItem* FSourceItem = nullptr;
    TdxBarItemLink* FSourceLink = nullptr;
    POINT FPressPoint{};
    HCURSOR FSavedCursor = nullptr;
    HWND FCaptureWindow = nullptr;
    TdxBarDropState FDropState = TdxBarDropState::dropNone;
    TdxBarControl* FTargetBar = nullptr;
    TdxBarDropTarget FTarget;
    bool FCtrlDown = false;

    bool FMarkVisible = false;
    HWND FMarkWindow = nullptr;
    RECT FMarkRect{};
    bool FMarkAtStart = true;
    bool FMarkVertical = false;

    int FUpdateLock = 0;
    bool FPending = false;
};

}  // namespace bars
