// Visual controls: windowless (graphic) controls painted by their parent,
// and windowed controls that own a window and contain other controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/Accessibility.h"
#include "forms/Component.h"
#include "forms/Graphics.h"
#include "forms/Window.h"

namespace forms {

class TWinControl;

enum class TAlign { None, Top, Bottom, Left, Right, Client };
enum class TAlignment { LeftJustify, RightJustify, Center };
inline constexpr std::pair<const char*, TAlignment> kAlignmentNames[] = {
    {"taLeftJustify", TAlignment::LeftJustify},
    {"taRightJustify", TAlignment::RightJustify},
    {"taCenter", TAlignment::Center},
};

// The edges of its parent a control keeps its distance to when the parent
// changes size; anchored to both opposite edges it grows with the parent.
using TAnchors = unsigned;
inline constexpr TAnchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;

// The caption marks `ch` as its accelerator: "&" before it, either case
// ("&&" is a plain "&").
bool IsAccel(char ch, std::string_view caption);

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    void SetParentComponent(TComponent* parent) override;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    RECT BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    virtual RECT ClientRect() const { return {0, 0, FWidth, FHeight}; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, FTop, FWidth, FHeight); }
    void SetTop(int top) { SetBounds(FLeft, top, FWidth, FHeight); }
    void SetWidth(int width) { SetBounds(FLeft, FTop, width, FHeight); }
    void SetHeight(int height) { SetBounds(FLeft, FTop, FWidth, height); }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors anchors);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string caption);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool parentColor);
    // The parent's font until a font of its own is set.
    TFont& Font() { return FFont.Font(); }
    const TFont& Font() const { return FFont.Font(); }
    bool ParentFont() const { return FFont.Following(); }
    void SetParentFont(bool parentFont);
    const std::string& Hint() const { return FHint; }
    void SetHint(std::string hint) { FHint = std::move(hint); }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool show) { FShowHint = show; }
    HCURSOR Cursor() const { return FCursor; }
    void SetCursor(HCURSOR cursor) { FCursor = cursor; }

    // Visible, and every parent up to the top is too.
    bool Showing() const;
    virtual void Invalidate();
    // Draws the control; a graphic control's canvas has its origin at the
    // control's top-left and is clipped to it.
    virtual void Paint(TCanvas& canvas);

    // Pointer input in the control's own client coordinates.
    virtual void MouseDown(UINT button, int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void MouseUp(UINT button, int x, int y);
    virtual void PointerEntered();
    virtual void PointerLeft();
    // Whether the two above do anything: only then is the window asked to
    // report the pointer leaving, which some systems watch with a timer.
    virtual bool FollowsPointer() const { return OnMouseEnter || OnMouseLeave; }
    virtual void Click();
    // Offers an accelerator character (Alt+letter, or a letter the focused
    // control does not take); true when the control used it.
    virtual bool DialogChar(char ch);

    // How assistive programs read the control: its role, name, state and
    // default action. Its place on the screen is its parent's to give.
    virtual void DescribeAccessible(TAccessibleInfo& info) const;
    // Runs the default action DescribeAccessible names.
    virtual void DoAccessibleAction() {}

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Called by the parent when its colour or font changes.
    void ParentColorChanged();
    void ParentFontChanged();

    const PropertyTable& StoredProperties() const override;

protected:
    virtual void TextChanged();
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    virtual void BoundsChanged();
    // Moves the window of a windowed control; nothing for a graphic one.
    virtual void UpdateBounds() {}

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;

private:
    friend class TWinControl;
    void RequestAlign();
    // Takes the present bounds and the parent's client size as the ones
    // the anchors keep; unknown until the parent has a window.
    void UpdateAnchorRule();
    // Follows the parent's new client size as the anchors say.
    void ApplyAnchors(SIZE parentClient);

    TWinControl* FParent = nullptr;
    TAlign FAlign = TAlign::None;
    TAnchors FAnchors = akLeft | akTop;
    struct AnchorRule {
        RECT bounds{};
        SIZE parentClient{};
        bool known = false;
    } FAnchorRule;
    bool FAnchoring = false;
    bool FVisible = true;
    bool FEnabled = true;
    std::string FCaption;
    TColor FColor = clWindow;
    bool FParentColor = true;
    TFollowingFont FFont;
    std::string FHint;
    bool FShowHint = false;
    HCURSOR FCursor = nullptr;
    bool FPressed = false;
};

// A control without a window: drawn on its parent's surface.
class TGraphicControl : public TControl {
public:
    using TControl::TControl;
    void Invalidate() override;
};

// A windowed control of ours answers assistive programs for its client
// area: the windowless controls drawn there and its child windows.
class TWinControl : public TControl, public TWindow, public TAccessibleSource {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    void SetParent(TWinControl* parent) override;
    const std::vector<TControl*>& Controls() const { return FControls; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    RECT ClientRect() const override;
    void Invalidate() override;
    // A windowed control fills its client area with its colour.
    void Paint(TCanvas& canvas) override;
    // Lays out the aligned children in the client area.
    void AlignControls();
    // Repaints at once whatever is invalid.
    void Update();
    // What a paint of the window does for an update rectangle: the control
    // and its windowless children, off-screen first when buffered, to `dc`.
    void PaintHandler(HDC dc, const RECT& update);
    // Paints each update off-screen first and copies it to the window in
    // one step (the default); otherwise straight onto the window.
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool buffered) { FDoubleBuffered = buffered; }
    // Keeps the picture of the last paint: a paint the system asks for (a
    // window uncovered, say) is then one copy, and only what was marked
    // through Invalidate or InvalidateArea is drawn again.
    bool Retained() const { return FRetained; }
    void SetRetained(bool retained);
    // Marks an area (client coordinates) to be drawn at the next paint.
    void InvalidateArea(const RECT& r);
    // Draws an area again at once, straight onto the screen without a
    // round through the window manager: for small changes that come often.
    // Without a kept picture the area waits for the next paint instead.
    void RedrawArea(const RECT& r);

    // Graphic child under a client point, topmost first; null for none.
    TControl* ControlAtPos(POINT p) const;

    // Focus. Tab and Shift+Tab stop at a control with TabStop, in the order
    // of TabOrder: its place among its windowed siblings, from 0.
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool tabStop) { FTabStop = tabStop; }
    int TabOrder() const;
    // Moves the control to that place (clamped) among its siblings.
    void SetTabOrder(int order);
    // Every windowed control under this one in tab order, each followed by
    // its own.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // It and every parent below the form are visible and enabled.
    bool CanFocus() const;
    bool Focused() const;
    // Makes this the active control of its form; EInvalidOperation when it
    // cannot take the focus.
    void SetFocus();
    // Looks for the accelerator among the showing, enabled children.
    bool DialogChar(char ch) override;
    // A control with pages shows the next one (Ctrl+Tab) or the previous
    // one (Ctrl+Shift+Tab); false when it has none to show.
    virtual bool SelectNextPage(bool forward);

    // The focus came to this control from another one of its form, or went.
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void DescribeAccessible(TAccessibleInfo& info) const override;
    HWND AccessibleHandle() const override { return Handle(); }
    // The showing children, each a child element of the client area.
    int AccessibleChildCount() const override;
    bool AccessibleInfo(int child, TAccessibleInfo& info) const override;
    HWND AccessibleChildWindow(int child) const override;
    int AccessibleFocus() const override;
    bool RequestAccessibleAction(int child) override;

protected:
    friend class TCustomForm;
    // Creates the window when the control has a parent with a window;
    // top-level forms create their own.
    virtual void CreateWindowParams(TWindow::CreateParams& params);
    // The area aligned children share (a panel keeps its border free).
    virtual void AdjustClientRect(RECT& r) const;
    // Creates the window and those of the children.
    virtual void CreateWnd();
    // A retained control may copy an update (client coordinates) straight
    // from a finished picture of its own that covers all of it; the kept
    // picture stays marked there and catches up at a later paint.
    virtual bool PaintFinishedPicture(HDC, const RECT&) { return false; }
    void Loaded() override;
    const PropertyTable& StoredProperties() const override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT WMSetFocus(HWND previous) override;
    LRESULT WMCaptureChanged(HWND capture) override;
    LRESULT WMMouseLeave() override;
    bool WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;

    void TextChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void UpdateBounds() override;
    // A new size (set in code, not by the system) re-aligns the children.
    void BoundsChanged() override;

    void PaintControls(HDC dc, const RECT& update);

    virtual void DoEnter();
    virtual void DoExit();

    // Answers WM_GETOBJECT with our own accessible object; a window of a
    // system class leaves it to the system's.
    virtual bool AnswersAccessibility() const { return !Attached(); }
    // Asks for RunAccessibleAction from the window's message queue.
    bool PostAccessibleAction();
    // Runs the oldest default action requested.
    virtual void RunAccessibleAction();
    // The accessible object lets go of this control; clients that still
    // hold it get errors. A going control calls it first, so that no
    // client reads it half destroyed.
    void DisconnectAccessible(bool forGood);

    // What a hosted system control tells its parent window, handed back to
    // the control: a command notification (BN_CLICKED, EN_CHANGE), a
    // WM_NOTIFY, an owner-draw request, and the colours to draw with
    // (WM_CTLCOLOR...). Each returns the parent's answer.
    virtual LRESULT CNCommand(WORD code);
    virtual LRESULT CNNotify(NMHDR& header);
    virtual LRESULT CNDrawItem(DRAWITEMSTRUCT& item);
    // Text in the font's colour on the control's colour.
    virtual HBRUSH CNCtlColor(HDC dc);

private:
    // The child window of ours a reflected notification came from, or null.
    TWinControl* ReflectionTarget(HWND child) const;
    // Our painting and pointer input; a hosted control does its own.
    bool PaintOrMouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void MouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetHovered(TControl* control);
    void AlignPass();
    void AnchorControls();
    std::vector<TControl*> AccessibleChildren() const;
    // Marks part (null: all) of the kept picture as changed.
    void MarkChanged(const RECT* r);
    // Brings the kept picture up to date within `area`; false when no
    // picture can be kept.
    bool RefreshRetained(const RECT& area);

    std::vector<TControl*> FControls;
    TControl* FMouseTarget = nullptr;   // graphic child holding the pointer
    TControl* FHovered = nullptr;
    bool FTrackingLeave = false;
    bool FAligning = false;
    bool FAlignAgain = false;
    SIZE FAlignedSize{-1, -1};
    bool FTabStop = false;
    bool FDoubleBuffered = true;
    bool FRetained = false;
    TOffscreenBitmap FRetainedImage;
    Region FChanged;  // of the kept picture, still to be drawn
    bool FAllChanged = true;
    unsigned FRetainedAppearance = 0;
    std::vector<TWinControl*> FTabList;  // windowed children in tab order
    int FStoredTabOrder = -1;            // as read, until the parent is loaded
    Brush FBrush;                        // of FBrushColor, for WM_CTLCOLOR...
    COLORREF FBrushColor = CLR_INVALID;
    std::unique_ptr<TAccessibleServer> FAccessible;
    bool FAccessibleClosed = false;             // going: no new object
    std::vector<TControl*> FAccessibleActions;  // requested, oldest first
};

}  // namespace forms
