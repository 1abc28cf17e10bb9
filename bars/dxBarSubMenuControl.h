// Framework popup menus: a topmost window, never activated, that lists the
// items of its own links in the Office 2003 menu look, and the toolbars
// menu built on it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bars/dxBarItemLinks.h"
#include "bars/dxBarTypes.h"
#include "forms/Graphics.h"
#include "forms/Window.h"

namespace bars {

// Where a menu of `size` opens at the pointer inside a monitor's work area:
// right of and below the pointer; to the left of it (its right edge at the
// pointer) when it does not fit to the right but fits there, otherwise
// against the right edge, never left of the left edge; vertically the same.
// A menu taller than the work area starts at its top and gets its height.
RECT PlacePopupMenu(POINT pointer, SIZE size, const RECT& workArea);

// The opening animations that grow a menu out of its corner at the pointer.
// `bounds` is where the menu ends up; its edges on the right and at the
// bottom stay put when it opened to the left of and above the pointer.
// Step 1 is the first size shown; after the last one the menu is set to its
// full size.
int MenuAnimationSteps(TdxBarMenuAnimations animation, SIZE size);
RECT MenuAnimationStep(TdxBarMenuAnimations animation, const RECT& bounds, bool fixedRight, bool fixedBottom,
                       int step);

// What the opening animations use from outside, replaceable for tests;
// each is taken when a menu opens.
// A number below 100 that picks the random animation.
using TMenuAnimationChooser = std::function<int()>;
void SetMenuAnimationChooser(TMenuAnimationChooser chooser);
// Fades a window in (AnimateWindow); false when it did not show it.
using TMenuFader = std::function<bool(HWND window, DWORD time, DWORD flags)>;
void SetMenuFader(TMenuFader fader);
// The tick count unfold and slide step by (GetTickCount). Called on the
// animation's thread.
using TMenuAnimationClock = std::function<DWORD()>;
void SetMenuAnimationClock(TMenuAnimationClock clock);
// Sees the window bounds (screen) of each step, on the animation's thread.
using TMenuAnimationObserver = std::function<void(const RECT& bounds)>;
void SetMenuAnimationObserver(TMenuAnimationObserver observer);

// Plays a system sound alias ("MenuPopup", "MenuCommand"); tests listen.
using TMenuSoundPlayer = std::function<void(const char* alias)>;
void SetMenuSoundPlayer(TMenuSoundPlayer player);
void PlayMenuSound(const char* alias);

// A popup menu with links of its own. Each shown link is one row; a link
// that begins a group has a separator line above it. It is closed by a
// choice, Escape, or a press outside it; it stays until its owner frees it.
class TdxBarSubMenuControl : public forms::TWindow {
public:
    TdxBarSubMenuControl(TdxBarManager& manager, TdxBarPainter& painter);
    ~TdxBarSubMenuControl() override;

    TdxBarManager& BarManager() const { return FManager; }
    TdxBarPainter& Painter() const { return FPainter; }
    TdxBarItemLinks& ItemLinks() { return FItemLinks; }

    // Shows the menu at the pointer (screen coordinates), placed inside the
    // work area of the monitor there, with the manager's MenuAnimations.
    void Popup(POINT pointer);
    // Hides it without choosing.
    void CloseUp();
    // An unfold or slide animation is under way (until its final placement).
    bool Animating() const { return FAnimation.joinable(); }
    bool Showing() const { return ::IsWindowVisible(Handle()) != FALSE; }
    // The open menu of the process, if one is open.
    static TdxBarSubMenuControl* OpenMenu();

    // The row under the pointer or chosen by the keys; -1 for none.
    int SelectedIndex() const { return FSelected; }
    // Row rectangles in client coordinates, in link order (shown links).
    RECT RowRect(int index) const;
    int RowCount() const { return static_cast<int>(FRows.size()); }
    TdxBarItemLink& RowLink(int index) const { return *FRows.at(static_cast<std::size_t>(index)).link; }

    // Whether a key goes to the open menu: all do, unless a box in the
    // menu is being edited, which keeps the keys it types.
    virtual bool TakesKey(WPARAM key) const;
    // A key while the menu is open and takes it.
    virtual void KeyPressed(WPARAM key);
    // A pointer button went down somewhere in the thread: outside the menu
    // (and the windows in it) it closes.
    static void PointerPressedSomewhere(HWND window);

    // Paints the whole client area into a DC.
    virtual void Paint(HDC dc);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Room a row needs right of its caption, for a box shown there.
    virtual int RowExtent(const TdxBarItemLink&) const { return 0; }
    // That room of a row, in client coordinates; empty without one.
    RECT RowExtentRect(int index) const;
    // The rows have their places.
    virtual void RowsPlaced() {}
    // A row is chosen: true when the menu took care of it itself; otherwise
    // the menu closes and clicks the row's item.
    virtual bool RowChosen(int) { return false; }
    // The menu is about to close.
    virtual void ClosingUp() {}
    // Opens with the manager's MenuAnimations; else at once.
    virtual bool Animates() const { return true; }
    void Choose(int index);

private:
    struct Row {
        TdxBarItemLink* link;
        RECT rect;
        bool separatorAbove;
        int extent;
    };
    // Rows and client size from the links and the manager's font.
    SIZE CalcLayout();
    int RowAt(POINT point) const;
    void Select(int index);
    void MoveSelection(int step);
    bool RowEnabled(int index) const;
    // Unfold or slide from `pointer` to FBounds on a worker thread.
    void StartAnimation(TdxBarMenuAnimations animation, POINT pointer);
    // Tells the worker to stop and waits for it. The worker's window calls
    // are sent to this thread, so the wait lets sent messages through.
    void StopAnimation();
    // Stops it and puts the menu at its final bounds, repainted.
    void FinishAnimation();

    TdxBarManager& FManager;
    TdxBarPainter& FPainter;
    TdxBarItemLinks FItemLinks;
    std::vector<Row> FRows;
    int FSelected = -1;
    SIZE FClientSize{};
    // The width of the check column and the side of its check mark.
    int FImageColumn = 0;
    int FCheckMark = 0;
    RECT FBounds{};
    // The menu drawn at its final size, copied in by the worker.
    forms::TOffscreenBitmap FAnimationImage;
    std::thread FAnimation;
    std::atomic<bool> FStopAnimation{false};
    std::atomic<bool> FAnimationDone{false};
    // Tells a late "done" message of an earlier animation from the current one.
    WPARAM FAnimationId = 0;
};

// A framework popup menu that owns its own links.
class TdxBarInternalSubMenuControl : public TdxBarSubMenuControl {
public:
    using TdxBarSubMenuControl::TdxBarSubMenuControl;
};

// The toolbars menu; a class of its own so that it can be told apart.
class TdxBarToolbarsPopup : public TdxBarInternalSubMenuControl {
public:
    using TdxBarInternalSubMenuControl::TdxBarInternalSubMenuControl;
};

}  // namespace bars
