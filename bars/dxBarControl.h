// The window of a docked toolbar and the item controls on it: each shown
// link gets a control that measures and paints its item on that bar.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBarDrag.h"
#include "bars/dxBarItemPictures.h"
#include "bars/dxBarLayout.h"
#include "bars/dxBarTypes.h"
#include "controls/cxGraphics.h"
#include "forms/Controls.h"
#include "forms/Graphics.h"
#include "forms/Handles.h"

namespace bars {

class TdxBarControl : public forms::TWinControl {
public:
    TdxBarControl(TdxBar& bar, TdxDockControl& dock);
    ~TdxBarControl() override;
    const char* ClassName() const override { return "TdxBarControl"; }

    TdxBar& Bar() const { return FBar; }
    TdxDockControl& DockControl() const { return FDock; }
    TdxBarDockingStyle DockingStyle() const;
    bool Vertical() const { return IsVertical(DockingStyle()); }
    TdxBarManager& BarManager() const;
    TdxBarPainter& Painter() const;
    const forms::TFont& Font() const;

    // Layout state, set by the dock (dock client coordinates).
    int PlannedLeft = 0, PlannedTop = 0, PlannedWidth = 0, PlannedHeight = 0;
    int LeastLength = 0, FullLength = 0;
    bool Overfull = false;
    bool MarkShown() const;
    int MarkWidth() const;
    // Where the items go: the client area without the mark.
    RECT ItemsRect() const;

    // Left, top, right and bottom border widths: the non-client area.
    RECT BorderWidths(TdxBarDockingStyle style) const;
    int LeastContentWidth(TdxBarDockingStyle style);
    int LeastContentHeight(TdxBarDockingStyle style);
    int FullContentWidth(TdxBarDockingStyle style);
    int FullContentHeight(TdxBarDockingStyle style);
    // The item controls measured for a docking style, as the layouts take
    // them; nothing moves.
    TdxBarContent LayoutContent(TdxBarDockingStyle style);
    // The bar as a row of a dock with that style lays it out; its place
    // along the row is the dock's to fill in.
    TdxDockRowBar RowBar(TdxBarDockingStyle style);
    // The first `count` item controls fit the bar; the rest are left out.
    void SetFitting(int count);
    // Gives every shown link that fits its rectangle in the client area.
    void PlaceItems();

    // Item controls follow the links that are shown; all links count again
    // as fitting.
    void UpdateControls();
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TdxBarItemControl& Controls(int index) const { return *FControls.at(static_cast<std::size_t>(index)); }
    // Frees the control of a link that goes away or shows another item.
    // No layout: one now would make the link a control for its old item;
    // the caller has the bar laid out once the link has changed.
    void RemoveLinkControl(TdxBarItemLink& link);
    // Asks the dock to lay out again (deferred while the manager is busy).
    void RequestLayout();
    // Borders or painter changed.
    void RebuildMetrics();
    // Without erasing: the next paint draws the item and what shows
    // behind it together. The content of the control changed, so its
    // kept pictures go.
    void InvalidateItem(const TdxBarItemControl& control);
    // Only the state of the control changed (hot, pressed, marked): a
    // picture kept of its new look can show it.
    void InvalidateItemState(const TdxBarItemControl& control);
    // Everything is drawn afresh, kept pictures too.
    void Invalidate() override;
    // Buffered when its colour, its dock or the painter asks for it.
    void UpdateDoubleBuffering();
    // A selected control whose item became disabled is no longer selected.
    void ControlEnabledChanged(TdxBarItemControl& control);

    void Paint(forms::TCanvas& canvas) override;
    // A change of one control's look copies its kept picture to the screen.
    bool PaintFinishedPicture(HDC dc, const RECT& area) override;
    // Paints the bar's background into a client rectangle.
    void FillBackgroundRect(HDC dc, const RECT& rect);

    // The item control at a client point, if any.
    TdxBarItemControl* ControlAt(POINT point) const;
    // The selection: the control under the pointer, or the one keys chose.
    TdxBarItemControl* Selected() const { return FSelected; }
    bool SelectedByPointer() const { return FSelectedByPointer; }
    // Active after a press on a button: like a menu bar, the selection
    // follows the pointer over the buttons only, and keys go to the bar.
    bool Active() const { return FMenuMode; }
    static TdxBarControl* ActiveToolbar();
    // The bar is visible and its window shows.
    bool Shown() const;
    // Leaves the active state; the keyboard focus goes back where it was.
    void Deactivate();
    // Clicks a control: its command runs with the button drawn pressed.
    void ExecuteItem(TdxBarItemControl& control);
    // The long part of the selected item's hint, the bar's status text.
    const std::string& HintText() const { return FHintText; }
    // The pointer watch runs: the pointer is over the bar.
    bool WatchingPointer() const { return FWatching; }
    static constexpr UINT_PTR kPointerWatchTimer = 1;
    // A button of the pointer went down anywhere in the thread.
    static void PointerPressedSomewhere(HWND window);
    // A key while the bar is active: it moves the selection, clicks it or
    // ends the active state. Every key goes to an active bar.
    void KeyPressed(WPARAM key);

    // While customizing: the link the pointer last pressed on this bar.
    TdxBarItemLink* CustomizingLink() const { return FCustomizingLink; }
    void SetCustomizingLink(TdxBarItemLink* link);
    // The shown toolbar of the manager that is the window at a screen
    // point, if any.
    static TdxBarControl* UnderPointer(const TdxBarManager& manager, POINT screen);
    // The link a drop at a client point goes before or after.
    TdxBarDropTarget DropTargetAt(POINT point) const;

    // Assistive programs read the bar as a toolbar whose children are the
    // shown item controls, each a push button that a default action clicks.
    void DescribeAccessible(forms::TAccessibleInfo& info) const override;
    int AccessibleChildCount() const override;
    bool AccessibleInfo(int child, forms::TAccessibleInfo& info) const override;
    HWND AccessibleChildWindow(int) const override { return nullptr; }
    int AccessibleFocus() const override;
    bool RequestAccessibleAction(int child) override;
    // Tells listening clients that a shown control, or the bar (null),
    // changed (EVENT_OBJECT_...).
    void AccessibleChanged(DWORD event, const TdxBarItemControl* control) const;

protected:
    void CreateWindowParams(forms::TWindow::CreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT WMNCCalcSize(bool validRects, RECT& client) override;
    LRESULT WMNCPaint(HRGN region) override;
    LRESULT WMSetFocus(HWND previous) override;
    LRESULT WMKillFocus(HWND next) override;
    LRESULT WMTimer(UINT_PTR id) override;
    void RunAccessibleAction() override;

private:
    friend class TdxBarItemControl;
    // A control goes: a click asked for it is dropped.
    void ItemControlGone(const TdxBarItemControl* control);
    void PointerMoved(POINT point);
    // Presses, moves and releases while customizing: they select and drag
    // the buttons instead of running them.
    void CustomizingPressed(POINT point, bool right);
    void CustomizingMoved(POINT point);
    void EndPendingDrag();
    // The frame of a link selected while customizing.
    void DrawSelectionMark(HDC dc, const TdxBarItemControl& control) const;
    void LeftPressed(POINT point);
    void RightPressed(POINT point);
    void LeftReleased(POINT point);
    void PointerLeftBar();
    void Activate(TdxBarItemControl& control, bool byPointer);
    void SetSelected(TdxBarItemControl* control, bool byPointer);
    // Where the selection changes (the tooltip follows it) and where a shown
    // tooltip must hide.
    void SelectionChanged(TdxBarItemControl* control);
    void TooltipShouldHide();
    bool Owns(const TdxBarItemControl* control) const;
    // Selects the shown control `step` places from the selection (from the
    // first or last one with none), wrapping around.
    void MoveSelection(int step);
    // Selects and clicks the enabled button whose caption marks the key.
    void ClickAccelerated(WPARAM key);
    // The next shown bar of the manager, after this one, becomes the
    // active one with its first control selected.
    void ActivateNextBar();
    std::vector<TdxBarItemControl*> ShownControls() const;
    // The marks that show a link selected while customizing.
    bool Marked(const TdxBarItemControl& control) const;
    // Paints a control with the bar's background under it.
    void PaintItem(HDC dc, TdxBarItemControl& control, const RECT& r);
    TdxBarItemLook LookOf(const TdxBarItemControl& control) const;
    // Pictures of an earlier system look go.
    void KeepPicturesCurrent();
    // The separator before a link that begins a group (not the first).
    int SeparatorBefore(int index) const;
    RECT BorderWidthsTotal() const;

    TdxBar& FBar;
    TdxDockControl& FDock;
    std::vector<std::unique_ptr<TdxBarItemControl>> FControls;
    TdxBarItemControl* FSelected = nullptr;
    bool FSelectedByPointer = false;
    bool FMenuMode = false;
    bool FWatching = false;
    HWND FFocusBefore = nullptr;
    std::string FHintText;
    TdxBarItemLink* FCustomizingLink = nullptr;
    bool FDragPending = false;
    POINT FDragPressPoint{};
    std::vector<TdxBarItemControl*> FAccessibleActions;  // requested clicks, oldest first
    TdxBarItemPictures FPictures;
    unsigned FPicturesAppearance = 0;  // the system's look the pictures show
    // Expires with the bar: a command may free the bar that runs it.
    std::shared_ptr<char> FAlive = std::make_shared<char>();
};

// Base of the on-screen objects that show one link on one bar window.
class TdxBarItemControl {
public:
    TdxBarItemControl(TdxBarControl& parent, TdxBarItemLink& link);
    virtual ~TdxBarItemControl();
    TdxBarItemControl(const TdxBarItemControl&) = delete;
    TdxBarItemControl& operator=(const TdxBarItemControl&) = delete;
    virtual const char* ClassName() const { return "TdxBarItemControl"; }

    TdxBarControl& Parent() const { return FParent; }
    TdxBarItemLink& ItemLink() const { return FLink; }
    TdxBarItem& Item() const;
    bool Enabled() const;
    // The view levels this kind can show; none is a programming error.
    virtual TdxBarItemViewLevels PossibleViewLevels() const { return ivlAll; }

    // Size in a horizontal bar, each at least 1; measured on demand in the
    // bar's font.
    int WidthOnBar();
    int HeightOnBar();
    // The size may have changed: measured again on next use.
    void Remeasure() { FMeasured = false; }
    // The picture changed: the next paint composes it afresh.
    virtual void DropGlyphCache() {}

    // Left out because it did not fit on the bar.
    bool Hidden() const { return FHidden; }
    void SetHidden(bool hidden) { FHidden = hidden; }
    // The hot part: -1 outside, 0 the main part.
    int HotPartIndex = -1;
    // Drawn pressed while its command runs.
    bool ShownPressed = false;
    // Drawn hot: the bar's selection, unless the pointer chose it while
    // it is disabled.
    bool DrawnSelected() const;
    // Held down by the pointer, or running its command.
    bool DrawnPressed() const;

    // The content changed: drawn afresh.
    void Invalidate();
    // Only the state changed (hot, pressed, selected while customizing).
    void InvalidateState();
    // Paints into the item rectangle; the DC carries the bar's font.
    virtual void Paint(HDC dc, const RECT& rect);

protected:
    // The size in a horizontal bar; `dc` carries the bar's font.
    virtual SIZE CalcSize(HDC dc) = 0;
    // Height of "Qq" in the DC's font.
    static int TextHeight(HDC dc);

private:
    void Measure();

    TdxBarControl& FParent;
    TdxBarItemLink& FLink;
    bool FMeasured = false;
    SIZE FSize{1, 1};
    bool FHidden = false;
};

// Where a button's picture comes from.
struct TdxBarGlyphSource {
    controls::TcxBitmap* glyph = nullptr;       // the item's own bitmap, or
    forms::TCustomImageList* images = nullptr;  // an image list and index
    int index = -1;
    SIZE size{0, 0};
    explicit operator bool() const { return glyph || images; }
};

class TdxBarButtonLikeControl : public TdxBarItemControl {
public:
    using TdxBarItemControl::TdxBarItemControl;
    const char* ClassName() const override { return "TdxBarButtonLikeControl"; }
    // The caption as this link shows it.
    std::string Caption() const;
};

// What a button shows, measured in the bar's font: all its layout needs
// besides the button's size and style.
struct TdxBarButtonContent {
    bool picture = false;  // there is a picture to show
    SIZE glyph{0, 0};      // its size, or the room kept for a missing one
    int textWidth = 0;     // of the caption
    int textHeight = 0;    // of "Qq"
};

// The parts of a button, relative to its item rectangle.
struct TdxBarButtonParts {
    RECT frame{};    // face and frame: the whole rectangle
    RECT glyph{};    // empty when no picture is shown
    RECT caption{};  // empty when no caption is shown
    UINT alignment = DT_CENTER;
};

// Where the parts of a button of a given size go, at (0, 0). A size of 0
// along a side stands for the button's natural extent, so measuring takes
// the frame of the same layout that painting and hit testing use.
TdxBarButtonParts SmallButtonParts(SIZE size, TdxBarPaintStyle style, const TdxBarButtonContent& content);
TdxBarButtonParts LargeButtonParts(SIZE size, TdxBarGlyphLayout layout, bool showCaption,
                                   const TdxBarButtonContent& content);

// The manager's picture options that painting reads.
struct TdxBarGlyphOptions {
    bool makeDisabledFaded = false;
    bool smooth = false;
    forms::TColor listBkColor = 0xFF00FF;  // transparent in pictures from image lists
    bool useLeftBottomPixelAsTransparent = true;
    bool cacheGlyphs = true;
};

// The composed picture of one item control, kept between paints: it is
// composed again only when the picture's source or the mode changes.
struct TdxCachedImageOptions {
    bool Valid = false;
    controls::TcxAlphaBitmap Glyph;
    controls::ImageDrawMode Mode = controls::ImageDrawMode::Normal;
    forms::TCustomImageList* Images = nullptr;  // the source, when a list
    controls::TcxBitmap* Bitmap = nullptr;      // the source, when a bitmap
    int Compositions = 0;                       // times the picture was composed
    void Invalidate() { Valid = false; }
};

// What a painter paints a button from; its control refills it right
// before each paint.
struct TdxBarButtonLikeControlDrawParams {
    RECT rect{};              // the item rectangle
    TdxBarButtonParts parts;  // in the same coordinates
    int paintType = 0;        // 0 horizontal bar, 1 menu row, 2 vertical bar
    bool largeView = false;
    std::string caption;
    bool enabled = true;
    bool selected = false;  // drawn hot
    bool pressed = false;   // held down by the pointer, or running
    bool down = false;      // a checked button that is down
    bool droppedDown = false;
    bool hasDropDownPart = false;
    bool grayRequest = false;  // drawn in gray although enabled
    bool lowered = false;
    TdxBarButtonStyle style = TdxBarButtonStyle::Default;
    TdxBarGlyphSource picture;
    bool pictureLooksDisabled = false;  // it comes from a disabled image list
    SIZE imageSize{0, 0};               // the manager's, for a button without a picture
    TdxBarGlyphOptions glyphOptions;
    forms::TColor textColor = forms::clWindowText;  // of an enabled caption
    // Null: the picture is composed on every paint.
    TdxCachedImageOptions* glyphCache = nullptr;
    // Paints the bar behind the button; without it the DC keeps what it
    // shows there.
    std::function<void(HDC dc, const RECT& rect)> fillBackground;
};

class TdxBarButtonControl : public TdxBarButtonLikeControl {
public:
    using TdxBarButtonLikeControl::TdxBarButtonLikeControl;
    const char* ClassName() const override { return "TdxBarButtonControl"; }
    TdxBarButton& ButtonItem() const;
    // The small picture: the item's glyph, else the manager's images; a
    // missing one keeps the height of a 16 x 16 one.
    virtual TdxBarGlyphSource GlyphSource() const;
    // The link's own paint style when it has one, else the item's.
    TdxBarPaintStyle PaintStyle() const;
    // The parts in an item rectangle (none in an empty one); `dc` carries
    // the bar's font.
    TdxBarButtonParts Parts(HDC dc, const RECT& rect) const;
    // What the painter takes to paint the button in an item rectangle;
    // `dc` carries the bar's font.
    virtual TdxBarButtonLikeControlDrawParams DrawParams(HDC dc, const RECT& rect) const;
    void Paint(HDC dc, const RECT& rect) override;
    void DropGlyphCache() override { FGlyphCache.Invalidate(); }
    const TdxCachedImageOptions& GlyphCache() const { return FGlyphCache; }
    // Where the picture was last painted (item rectangle coordinates of the
    // bar); empty without one.
    const RECT& ImageBounds() const { return FImageBounds; }

protected:
    SIZE CalcSize(HDC dc) override;
    // The parts at (0, 0) for a size (0 along a side: the natural extent).
    virtual TdxBarButtonParts Layout(HDC dc, SIZE size) const;
    // The size the item or the link sets; 0 along a side where they do not.
    virtual SIZE FixedSize() const;
    // `missing`: the room kept for a picture the button does not have.
    TdxBarButtonContent Content(HDC dc, SIZE missing) const;

private:
    mutable TdxCachedImageOptions FGlyphCache;
    RECT FImageBounds{};
};

class TdxBarLargeButtonControl : public TdxBarButtonControl {
public:
    using TdxBarButtonControl::TdxBarButtonControl;
    const char* ClassName() const override { return "TdxBarLargeButtonControl"; }
    TdxBarLargeButton& LargeButtonItem() const;
    // The large picture: the item's large glyph, the large (or disabled
    // large) image list, the hot list; its size is 20 x 20 without one.
    TdxBarGlyphSource GlyphSource() const override;
    // Pictures are gray while the button is enabled, not hot and its item
    // asks for AutoGrayScale.
    TdxBarButtonLikeControlDrawParams DrawParams(HDC dc, const RECT& rect) const override;

protected:
    TdxBarButtonParts Layout(HDC dc, SIZE size) const override;
    SIZE FixedSize() const override;
};

}  // namespace bars
