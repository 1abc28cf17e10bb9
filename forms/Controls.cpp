#include "forms/Controls.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "forms/FormReader.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
#include "forms/Properties.h"

namespace forms {

namespace {

const std::pair<const char*, TAlign> kAligns[] = {
    {"alNone", TAlign::None}, {"alTop", TAlign::Top},     {"alBottom", TAlign::Bottom},
    {"alLeft", TAlign::Left}, {"alRight", TAlign::Right}, {"alClient", TAlign::Client},
};

const std::pair<const char*, unsigned> kAnchorNames[] = {
    {"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};

const std::pair<const char*, LPCSTR> kCursors[] = {
    {"crArrow", MAKEINTRESOURCEA(32512)},     {"crIBeam", MAKEINTRESOURCEA(32513)},
    {"crHourGlass", MAKEINTRESOURCEA(32514)}, {"crCross", MAKEINTRESOURCEA(32515)},
    {"crSizeAll", MAKEINTRESOURCEA(32646)},   {"crNo", MAKEINTRESOURCEA(32648)},
    {"crHandPoint", MAKEINTRESOURCEA(32649)},
};

// One of the shared system cursors by name; none is the default.
struct CursorPropertyKind {
    using type = HCURSOR;
    template <class Apply>
    void Read(const Value& v, TReader&, Apply apply) const {
        const std::string& name = prop::Ident(v);
        if (name == "crDefault") return apply(nullptr);
        for (const auto& c : kCursors)
            if (name == c.first) return apply(::LoadCursorA(nullptr, c.second));  // shared: never freed
        prop::InvalidValue();
    }
    std::optional<Value> Write(HCURSOR cursor) const {
        if (!cursor) return std::nullopt;
        for (const auto& c : kCursors)
            if (cursor == ::LoadCursorA(nullptr, c.second)) return Value::Id(c.first);
        return std::nullopt;
    }
};

}  // namespace

bool IsAccel(char ch, std::string_view caption) {
    auto upper = [](char c) {
        return char(reinterpret_cast<UINT_PTR>(::CharUpperA(reinterpret_cast<LPSTR>(UINT_PTR(BYTE(c))))));
    };
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return upper(caption[i + 1]) == upper(ch);
        ++i;  // "&&"
    }
    return false;
}

// ---- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    FFont.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
    FFont.OnChange = nullptr;
    if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (FParent) FParent->RemoveControl(this);
    if (parent) parent->InsertControl(this);  // sets FParent
    ParentFontChanged();
    ParentColorChanged();
}

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* control = dynamic_cast<TWinControl*>(parent)) SetParent(control);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    Invalidate();
    bool resized = width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    UpdateBounds();
    if (!FAnchoring) UpdateAnchorRule();
    Invalidate();
    BoundsChanged();
    if (resized || FAlign != TAlign::None) RequestAlign();
}

void TControl::RequestAlign() {
    if (FParent && FAlign != TAlign::None) FParent->AlignControls();
}

void TControl::SetAlign(TAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    if (FParent) FParent->AlignControls();
}

void TControl::SetAnchors(TAnchors anchors) {
    FAnchors = anchors;
    UpdateAnchorRule();
}

void TControl::UpdateAnchorRule() {
    FAnchorRule.bounds = BoundsRect();
    FAnchorRule.known = FParent && FParent->HandleAllocated();
    if (!FAnchorRule.known) return;
    RECT client = FParent->ClientRect();
    FAnchorRule.parentClient = {client.right - client.left, client.bottom - client.top};
}

void TControl::ApplyAnchors(SIZE parentClient) {
    if (!FAnchorRule.known) {
        UpdateAnchorRule();
        return;
    }
    if (!(FAnchors & (akRight | akBottom))) return;
    const int dx = parentClient.cx - FAnchorRule.parentClient.cx;
    const int dy = parentClient.cy - FAnchorRule.parentClient.cy;
    RECT r = FAnchorRule.bounds;
    // Anchored right only it moves; anchored left too it grows.
    if (FAnchors & akRight) {
        if (!(FAnchors & akLeft)) r.left += dx;
        r.right += dx;
    }
    if (FAnchors & akBottom) {
        if (!(FAnchors & akTop)) r.top += dy;
        r.bottom += dy;
    }
    ScopedValue anchoring(FAnchoring, true);
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    if (!visible) Invalidate();
    FVisible = visible;
    VisibleChanged();
    if (visible) Invalidate();
    if (FParent && FAlign != TAlign::None) FParent->AlignControls();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    EnabledChanged();
}

void TControl::SetCaption(std::string caption) {
    if (caption == FCaption) return;
    FCaption = std::move(caption);
    TextChanged();
}

void TControl::SetColor(TColor color) {
    FParentColor = false;
    if (color == FColor) return;
    FColor = color;
    ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
    FParentColor = parentColor;
    ParentColorChanged();
}

void TControl::SetParentFont(bool parentFont) {
    FFont.SetFollowing(parentFont);
    ParentFontChanged();
}

void TControl::ParentColorChanged() {
    if (!FParentColor || !FParent || FParent->Color() == FColor) return;
    FColor = FParent->Color();
    ColorChanged();
}

void TControl::ParentFontChanged() {
    if (FParent) FFont.Follow(FParent->Font());
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible) return false;
    return true;
}

void TControl::Invalidate() {}

void TControl::Paint(TCanvas&) {}

void TControl::MouseDown(UINT button, int, int) {
    if (button == WM_LBUTTONDOWN) FPressed = true;
}

void TControl::MouseMove(int, int) {}

void TControl::MouseUp(UINT button, int x, int y) {
    if (button != WM_LBUTTONUP || !FPressed) return;
    FPressed = false;
    if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) Click();
}

void TControl::PointerEntered() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::PointerLeft() {
    if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

bool TControl::DialogChar(char) { return false; }

void TControl::TextChanged() { Invalidate(); }
void TControl::FontChanged() { Invalidate(); }
void TControl::ColorChanged() { Invalidate(); }
void TControl::EnabledChanged() { Invalidate(); }
void TControl::VisibleChanged() {}
void TControl::BoundsChanged() {}

const PropertyTable& TControl::StoredProperties() const {
    using C = TControl;
    using P = Describe<C>;
    static const PropertyTable table(TComponent::StoredProperties(), {
        P::Property("Left", kInt, &C::Left, &C::SetLeft),
        P::Property("Top", kInt, &C::Top, &C::SetTop),
        P::Property("Width", kInt, &C::Width, &C::SetWidth),
        P::Property("Height", kInt, &C::Height, &C::SetHeight),
        P::Property("Align", EnumKind(kAligns), &C::Align, &C::SetAlign, TAlign::None),
        P::Property("Anchors", SetKind(kAnchorNames), &C::Anchors, &C::SetAnchors, akLeft | akTop),
        P::Property("Caption", kString, &C::Caption, &C::SetCaption, ""),
        // Its own colour and font only. Whether it takes its parent's colour
        // is always stored: a panel or a form starts out with its own.
        P::Property("Color", kColor, &C::Color, &C::SetColor, [](const C& c) { return !c.ParentColor(); }),
        P::Property("ParentColor", kBool, &C::ParentColor, &C::SetParentColor),
        P::Object("Font", [](auto& c) -> auto& { return c.Font(); }, [](const C& c) { return !c.ParentFont(); }),
        P::Property("ParentFont", kBool, &C::ParentFont, &C::SetParentFont, true),
        P::Property("Visible", kBool, &C::Visible, &C::SetVisible, true),
        P::Property("Enabled", kBool, &C::Enabled, &C::SetEnabled, true),
        P::Property("Hint", kString, &C::Hint, &C::SetHint, ""),
        P::Property("ShowHint", kBool, &C::ShowHint, &C::SetShowHint, false),
        P::Property("Cursor", CursorPropertyKind(), &C::Cursor, &C::SetCursor),
        P::Field("OnClick", kEvent, &C::OnClick),
        P::Field("OnMouseEnter", kEvent, &C::OnMouseEnter),
        P::Field("OnMouseLeave", kEvent, &C::OnMouseLeave),
    });
    return table;
}

// ---- TGraphicControl

void TGraphicControl::Invalidate() {
    TWinControl* parent = Parent();
    if (parent && parent->HandleAllocated() && Showing()) parent->InvalidateArea(BoundsRect());
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    DisconnectAccessible(true);
    // The form lets go of us before our window goes, and with it the focus.
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this);
    DestroyComponents();
    // Children owned elsewhere may outlive us: orphan them. Their windows go
    // with ours.
    for (TControl* c : FControls) c->FParent = nullptr;
    FControls.clear();
    DestroyHandle();
}

void TWinControl::SetParent(TWinControl* parent) {
    if (TCustomForm* form = GetParentForm(this); form && form != this && parent != Parent())
        form->DefocusControl(this);
    TControl::SetParent(parent);
    if (!parent) {
        DestroyHandle();
    } else if (parent->HandleAllocated()) {
        if (HandleAllocated()) ::SetParent(Handle(), parent->Handle());
        else CreateWnd();
    }
}

void TWinControl::InsertControl(TControl* control) {
    control->FParent = this;
    FControls.push_back(control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) FTabList.push_back(windowed);
    control->UpdateAnchorRule();
    if (control->FAlign != TAlign::None) AlignControls();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    if (FMouseTarget == control) FMouseTarget = nullptr;
    if (FHovered == control) FHovered = nullptr;
    control->Invalidate();
    control->FParent = nullptr;
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
    std::erase(FTabList, control);
    std::erase(FAccessibleActions, control);
    AlignControls();
}

void TWinControl::CreateWindowParams(TWindow::CreateParams& params) {
    params.className = ClassName();
    params.classStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    params.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (Visible() ? WS_VISIBLE : 0);
    params.caption = Caption();
    params.x = FLeft;
    params.y = FTop;
    params.width = FWidth;
    params.height = FHeight;
    params.parent = Parent() ? Parent()->Handle() : nullptr;
}

void TWinControl::CreateWnd() {
    TWindow::CreateParams params;
    CreateWindowParams(params);
    CreateHandle(params);
    if (Attached()) ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->HandleAllocated()) w->CreateWnd();
    AlignControls();
}

void TWinControl::AdjustClientRect(RECT&) const {}

void TWinControl::Paint(TCanvas& canvas) { canvas.FillRect(ClientRect(), SchemeColor(Color(), clBtnFace)); }

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, FWidth, FHeight};
    if (HandleAllocated()) ::GetClientRect(Handle(), &r);
    return r;
}

void TWinControl::Invalidate() {
    MarkChanged(nullptr);
    if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TWinControl::InvalidateArea(const RECT& r) {
    MarkChanged(&r);
    if (HandleAllocated()) ::InvalidateRect(Handle(), &r, FALSE);
}

void TWinControl::RedrawArea(const RECT& r) {
    MarkChanged(&r);
    if (!HandleAllocated()) return;
    // A picture still to be made in full, or a window not on the screen,
    // is left to the system's next paint.
    if (!FRetained || FAllChanged || !::IsWindowVisible(Handle())) {
        ::InvalidateRect(Handle(), &r, FALSE);
        return;
    }
    WindowDC screen(Handle());
    PaintHandler(screen.Get(), r);
}

void TWinControl::SetRetained(bool retained) {
    FRetained = retained;
    FRetainedImage.Reset();
    FChanged.Reset();
    FAllChanged = true;
}

void TWinControl::MarkChanged(const RECT* r) {
    if (!FRetained || FAllChanged) return;
    if (!r) {
        FAllChanged = true;
        return;
    }
    if (!FChanged) {
        FChanged = Region(::CreateRectRgnIndirect(r));
        if (!FChanged) FAllChanged = true;
        return;
    }
    Region add(::CreateRectRgnIndirect(r));
    if (!add || ::CombineRgn(FChanged.Get(), FChanged.Get(), add.Get(), RGN_OR) == ERROR) FAllChanged = true;
}

bool TWinControl::RefreshRetained(const RECT& area) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (FRetainedImage.Width() != width || FRetainedImage.Height() != height ||
        FRetainedAppearance != AppearanceGeneration())
        FAllChanged = true;
    if (FAllChanged) {
        FRetainedImage.SetSize(width, height);
        if (FRetainedImage.Empty()) return false;
        FRetainedAppearance = AppearanceGeneration();
        FChanged = Region(::CreateRectRgnIndirect(&client));
        if (!FChanged) return false;
        FAllChanged = false;
    }
    if (!FChanged) return true;
    // Only the changed part of the area is drawn; the rest of the area
    // stays marked until a paint covers it.
    Region redraw(::CreateRectRgnIndirect(&area));
    if (!redraw) return false;
    RECT box;
    if (::CombineRgn(redraw.Get(), redraw.Get(), FChanged.Get(), RGN_AND) == NULLREGION ||
        ::GetRgnBox(redraw.Get(), &box) == NULLREGION)
        return true;
    HDC target = FRetainedImage.DC();
    ::SelectClipRgn(target, redraw.Get());
    TCanvas canvas(target);
    Paint(canvas);
    PaintControls(target, box);
    ::SelectClipRgn(target, nullptr);
    if (::CombineRgn(FChanged.Get(), FChanged.Get(), redraw.Get(), RGN_DIFF) == NULLREGION) FChanged.Reset();
    return true;
}

void TWinControl::Update() {
    if (HandleAllocated()) ::UpdateWindow(Handle());
}

void TWinControl::AlignControls() {
    // A control that changes its own size while being placed (a dock that
    // fits its rows) asks again; the pass is then run once more.
    if (FAligning) {
        FAlignAgain = true;
        return;
    }
    ScopedValue aligning(FAligning, true);
    for (int pass = 0; pass < 4; ++pass) {
        FAlignAgain = false;
        AlignPass();
        if (!FAlignAgain) break;
    }
}

void TWinControl::AnchorControls() {
    // Only a window knows its client size.
    if (!HandleAllocated()) return;
    RECT client = ClientRect();
    const SIZE size{client.right - client.left, client.bottom - client.top};
    for (TControl* c : FControls)
        if (c->Align() == TAlign::None) c->ApplyAnchors(size);
}

void TWinControl::AlignPass() {
    AnchorControls();
    FAlignedSize = {FWidth, FHeight};
    RECT r = ClientRect();
    AdjustClientRect(r);
    auto place = [&](TAlign align) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == align && c->Visible()) list.push_back(c);
        // Keep the controls' present order along the aligned edge.
        std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
            switch (align) {
                case TAlign::Top: return a->Top() < b->Top();
                case TAlign::Bottom: return a->Top() + a->Height() > b->Top() + b->Height();
                case TAlign::Left: return a->Left() < b->Left();
                case TAlign::Right: return a->Left() + a->Width() > b->Left() + b->Width();
                default: return false;
            }
        });
        for (TControl* c : list) {
            int w = c->Width(), h = c->Height();
            switch (align) {
                case TAlign::Top:
                    c->SetBounds(r.left, r.top, r.right - r.left, h);
                    r.top += h;
                    break;
                case TAlign::Bottom:
                    r.bottom -= h;
                    c->SetBounds(r.left, r.bottom, r.right - r.left, h);
                    break;
                case TAlign::Left:
                    c->SetBounds(r.left, r.top, w, r.bottom - r.top);
                    r.left += w;
                    break;
                case TAlign::Right:
                    r.right -= w;
                    c->SetBounds(r.right, r.top, w, r.bottom - r.top);
                    break;
                case TAlign::Client:
                    c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                    break;
                case TAlign::None: break;
            }
        }
    };
    place(TAlign::Top);
    place(TAlign::Bottom);
    place(TAlign::Left);
    place(TAlign::Right);
    place(TAlign::Client);
}

TControl* TWinControl::ControlAtPos(POINT p) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible() || !c->Enabled()) continue;
        RECT r = c->BoundsRect();
        if (::PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::TextChanged() {
    SetWindowCaption(Caption());
    Invalidate();
}

void TWinControl::FontChanged() {
    if (Attached()) ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    Invalidate();
    for (TControl* c : FControls) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    Invalidate();
    for (TControl* c : FControls) c->ParentColorChanged();
}

void TWinControl::EnabledChanged() {
    if (HandleAllocated()) ::EnableWindow(Handle(), Enabled());
    Invalidate();
}

void TWinControl::VisibleChanged() {
    if (HandleAllocated()) ::ShowWindow(Handle(), Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::UpdateBounds() {
    if (HandleAllocated())
        ::SetWindowPos(Handle(), nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::BoundsChanged() {
    if (FWidth != FAlignedSize.cx || FHeight != FAlignedSize.cy) AlignControls();
}

namespace {

// The off-screen surface of a paint. Every paint shares one, made once and
// grown for a larger update, so that a paint costs no new bitmap; a paint
// inside a paint gets one of its own.
class PaintBuffer {
public:
    PaintBuffer() = default;
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;
    ~PaintBuffer() {
        if (FShared) SharedBusy() = false;
    }
    // A DC to paint `width` x `height` pixels into; null when no bitmap
    // could be made.
    HDC Take(int width, int height) {
        TOffscreenBitmap* bitmap = &FOwn;
        if (!SharedBusy()) {
            bitmap = &Shared();
            FShared = SharedBusy() = true;
        }
        if (bitmap->Width() < width || bitmap->Height() < height)
            bitmap->SetSize(std::max(width, bitmap->Width()), std::max(height, bitmap->Height()));
        return bitmap->Empty() ? nullptr : bitmap->DC();
    }

private:
    static TOffscreenBitmap& Shared() {
        static TOffscreenBitmap shared;
        return shared;
    }
    static bool& SharedBusy() {
        static bool busy = false;
        return busy;
    }
    TOffscreenBitmap FOwn;
    bool FShared = false;
};

}  // namespace

void TWinControl::PaintHandler(HDC dc, const RECT& update) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    RECT area;
    if (!::IntersectRect(&area, &update, &client)) return;
    if (FRetained && PaintFinishedPicture(dc, area)) return;
    if (FRetained && RefreshRetained(area)) {
        ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, FRetainedImage.DC(),
                 area.left, area.top, SRCCOPY);
        return;
    }
    if (!FDoubleBuffered) {
        TCanvas canvas(dc);
        Paint(canvas);
        PaintControls(dc, area);
        return;
    }
    // Off-screen first: the background, the frame and the windowless
    // children reach the screen in one copy, without flicker. The buffer
    // covers the update only; its origin stays the client area's.
    const int width = area.right - area.left, height = area.bottom - area.top;
    PaintBuffer buffer;
    HDC target = buffer.Take(width, height);
    if (!target) return;
    ::SetViewportOrgEx(target, -area.left, -area.top, nullptr);
    ::SelectClipRgn(target, nullptr);
    ::IntersectClipRect(target, area.left, area.top, area.right, area.bottom);
    TCanvas canvas(target);
    Paint(canvas);
    PaintControls(target, area);
    ::BitBlt(dc, area.left, area.top, width, height, target, area.left, area.top, SRCCOPY);
    // The shared buffer goes back as it was taken.
    ::SelectClipRgn(target, nullptr);
    ::SetViewportOrgEx(target, 0, 0, nullptr);
}

void TWinControl::PaintControls(HDC dc, const RECT& update) {
    for (TControl* c : FControls) {
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        RECT bounds = c->BoundsRect(), common;
        if (!::IntersectRect(&common, &bounds, &update)) continue;
        SaveDCGuard saved(dc);
        ::OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        ::IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        TCanvas canvas(dc);
        c->Paint(canvas);
    }
}

void TWinControl::SetHovered(TControl* control) {
    if (control == FHovered) return;
    TControl* old = FHovered;
    FHovered = control;
    if (old) old->PointerLeft();
    if (control) control->PointerEntered();
}

void TWinControl::MouseMessage(UINT message, WPARAM, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    TControl* under = ControlAtPos(p);
    if (message == WM_MOUSEMOVE) {
        if (!FTrackingLeave && under && under->FollowsPointer()) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, Handle(), 0};
            FTrackingLeave = ::TrackMouseEvent(&tme) != FALSE;
        }
        SetHovered(under);
    }
    TControl* target = FMouseTarget ? FMouseTarget : under;
    if (!target) target = this;
    int x = target == this ? p.x : p.x - target->Left();
    int y = target == this ? p.y : p.y - target->Top();
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (target != this) {
                FMouseTarget = target;
                ::SetCapture(Handle());
            }
            target->MouseDown(message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : message, x, y);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (FMouseTarget) {
                FMouseTarget = nullptr;
                if (::GetCapture() == Handle()) ::ReleaseCapture();
            }
            target->MouseUp(message, x, y);
            break;
        default:
            target->MouseMove(x, y);
            break;
    }
}

bool TWinControl::PaintOrMouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDC paint(Handle());
            if (paint.Get()) PaintHandler(paint.Get(), paint.UpdateRect());
            return true;
        }
        case WM_PRINTCLIENT: {
            // Only what the DC lets through is painted.
            const HDC dc = reinterpret_cast<HDC>(wParam);
            RECT area;
            if (::GetClipBox(dc, &area) == ERROR) ::GetClientRect(Handle(), &area);
            PaintHandler(dc, area);
            return true;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            MouseMessage(message, wParam, lParam);
            return true;
        default:
            return false;
    }
}

TWinControl* TWinControl::ReflectionTarget(HWND child) const {
    auto* control = dynamic_cast<TWinControl*>(TWindow::FromHandle(child));
    return control && control->Parent() == this ? control : nullptr;
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT && AnswersAccessibility() && !FAccessibleClosed) {
        if (!FAccessible) FAccessible = std::make_unique<TAccessibleServer>(*this);
        LRESULT result = 0;
        if (FAccessible->Answer(wParam, lParam, result)) return result;
    } else if (message == AccessibleActionMessage()) {
        RunAccessibleAction();
        return 0;
    } else if (message == WM_NCDESTROY) {
        // A window made again later gets an object of its own, and is
        // drawn afresh.
        DisconnectAccessible(false);
        MarkChanged(nullptr);
    }
    if (!Attached()) {
        if (message == WM_ERASEBKGND) return 1;
        if (PaintOrMouseMessage(message, wParam, lParam)) return 0;
    }
    switch (message) {
        case WM_WINDOWPOSCHANGED: {
            const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!(wp->flags & SWP_NOSIZE) || !(wp->flags & SWP_NOMOVE)) {
                RECT r;
                ::GetWindowRect(Handle(), &r);
                if (HWND parent = ::GetParent(Handle()); parent && (::GetWindowLongA(Handle(), GWL_STYLE) & WS_CHILD))
                    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
                bool resized = r.right - r.left != FWidth || r.bottom - r.top != FHeight;
                FLeft = r.left;
                FTop = r.top;
                FWidth = r.right - r.left;
                FHeight = r.bottom - r.top;
                if (!FAnchoring) UpdateAnchorRule();
                if (resized) AlignControls();
            }
            break;
        }
        // Notifications of hosted system controls go back to them.
        case WM_COMMAND:
            if (TWinControl* child = ReflectionTarget(reinterpret_cast<HWND>(lParam)))
                return child->CNCommand(HIWORD(wParam));
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (TWinControl* child = ReflectionTarget(header->hwndFrom)) return child->CNNotify(*header);
            break;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType == ODT_MENU) break;
            if (TWinControl* child = ReflectionTarget(item->hwndItem)) return child->CNDrawItem(*item);
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            if (TWinControl* child = ReflectionTarget(reinterpret_cast<HWND>(lParam)))
                return reinterpret_cast<LRESULT>(child->CNCtlColor(reinterpret_cast<HDC>(wParam)));
            break;
        default:
            break;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

LRESULT TWinControl::CNCommand(WORD) { return 0; }

LRESULT TWinControl::CNNotify(NMHDR&) { return 0; }

LRESULT TWinControl::CNDrawItem(DRAWITEMSTRUCT&) { return FALSE; }

HBRUSH TWinControl::CNCtlColor(HDC dc) {
    const TColor surface = SchemeColor(Color(), clBtnFace);
    ::SetTextColor(dc, ColorToRGB(SchemeTextColor(Font().Color(), Color())));
    COLORREF color = ColorToRGB(surface);
    ::SetBkColor(dc, color);
    // System colours have brushes of the system's, which follow its changes.
    if (IsSystemColor(surface)) return ::GetSysColorBrush(int(surface & 0xFF));
    if (color != FBrushColor) {
        FBrush.Reset(::CreateSolidBrush(color));
        FBrushColor = color;
    }
    return FBrush.Get();
}

LRESULT TWinControl::WMSetFocus(HWND previous) {
    LRESULT result = TWindow::WMSetFocus(previous);
    if (TCustomForm* form = GetParentForm(this)) form->FocusChanged(this);
    return result;
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    const auto& list = Parent()->FTabList;
    return int(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    // A stored form gives each control its place before all its siblings
    // exist: the parent sorts them once it is loaded.
    if (Loading()) {
        FStoredTabOrder = order;
        return;
    }
    if (!Parent()) return;
    auto& list = Parent()->FTabList;
    std::erase(list, this);
    order = std::clamp(order, 0, int(list.size()));
    list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* c : FTabList) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

bool TWinControl::CanFocus() const {
    if (!HandleAllocated()) return false;
    for (const TControl* c = this; c->Parent(); c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const { return HandleAllocated() && ::GetFocus() == Handle(); }

// ---- Accessibility

void TControl::DescribeAccessible(TAccessibleInfo& info) const {
    info.role = ROLE_SYSTEM_CLIENT;
    info.name = AccessibleText(FCaption);
    info.description = LongHint(FHint);
    if (!FEnabled) info.state |= STATE_SYSTEM_UNAVAILABLE;
    if (!Showing()) info.state |= STATE_SYSTEM_INVISIBLE;
}

void TWinControl::DescribeAccessible(TAccessibleInfo& info) const {
    TControl::DescribeAccessible(info);
    if (TabStop()) info.state |= STATE_SYSTEM_FOCUSABLE;
    if (Focused()) info.state |= STATE_SYSTEM_FOCUSED;
}

std::vector<TControl*> TWinControl::AccessibleChildren() const {
    std::vector<TControl*> children;
    for (TControl* c : FControls) {
        auto* windowed = dynamic_cast<TWinControl*>(c);
        if (c->Visible() && (!windowed || windowed->HandleAllocated())) children.push_back(c);
    }
    return children;
}

int TWinControl::AccessibleChildCount() const { return static_cast<int>(AccessibleChildren().size()); }

bool TWinControl::AccessibleInfo(int child, TAccessibleInfo& info) const {
    if (child == 0) {
        DescribeAccessible(info);
        if (HandleAllocated()) {
            ::GetClientRect(Handle(), &info.bounds);
            ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&info.bounds), 2);
        }
        return true;
    }
    const std::vector<TControl*> children = AccessibleChildren();
    if (child < 1 || child > static_cast<int>(children.size())) return false;
    const TControl* c = children[static_cast<std::size_t>(child - 1)];
    c->DescribeAccessible(info);
    if (const auto* windowed = dynamic_cast<const TWinControl*>(c)) {
        ::GetWindowRect(windowed->Handle(), &info.bounds);
    } else {
        info.bounds = c->BoundsRect();
        ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&info.bounds), 2);
    }
    return true;
}

HWND TWinControl::AccessibleChildWindow(int child) const {
    const std::vector<TControl*> children = AccessibleChildren();
    if (child < 1 || child > static_cast<int>(children.size())) return nullptr;
    const auto* windowed = dynamic_cast<const TWinControl*>(children[static_cast<std::size_t>(child - 1)]);
    return windowed ? windowed->Handle() : nullptr;
}

int TWinControl::AccessibleFocus() const {
    HWND focus = ::GetFocus();
    if (!focus || !HandleAllocated()) return -1;
    if (focus == Handle()) return 0;
    const std::vector<TControl*> children = AccessibleChildren();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (const auto* windowed = dynamic_cast<const TWinControl*>(children[i]))
            if (windowed->Handle() == focus || ::IsChild(windowed->Handle(), focus)) return static_cast<int>(i) + 1;
    return -1;
}

namespace {
bool ActionAvailable(const TWinControl& parent, const TControl& control) {
    TAccessibleInfo info;
    control.DescribeAccessible(info);
    return !info.defaultAction.empty() && !(info.state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE)) &&
           WindowAcceptsInput(parent.Handle());
}
}  // namespace

bool TWinControl::RequestAccessibleAction(int child) {
    TControl* target = this;
    if (child != 0) {
        const std::vector<TControl*> children = AccessibleChildren();
        if (child < 1 || child > static_cast<int>(children.size())) return false;
        target = children[static_cast<std::size_t>(child - 1)];
    }
    if (!ActionAvailable(*this, *target)) return false;
    FAccessibleActions.push_back(target);
    if (PostAccessibleAction()) return true;
    FAccessibleActions.pop_back();
    return false;
}

bool TWinControl::PostAccessibleAction() {
    return HandleAllocated() && ::PostMessageA(Handle(), AccessibleActionMessage(), 0, 0);
}

void TWinControl::RunAccessibleAction() {
    if (FAccessibleActions.empty()) return;
    TControl* target = FAccessibleActions.front();
    FAccessibleActions.erase(FAccessibleActions.begin());
    // It may have been disabled or hidden since it was asked for.
    if (ActionAvailable(*this, *target)) target->DoAccessibleAction();
}

void TWinControl::DisconnectAccessible(bool forGood) {
    FAccessible.reset();
    FAccessibleActions.clear();
    if (forGood) FAccessibleClosed = true;
}

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this) form->SetActiveControl(this);
    else if (HandleAllocated()) ::SetFocus(Handle());
}

bool TWinControl::DialogChar(char ch) {
    // Not on a hidden page either: Showing, not only Visible.
    for (TControl* c : FControls)
        if (c->Showing() && c->Enabled() && c->DialogChar(ch)) return true;
    return false;
}

bool TWinControl::SelectNextPage(bool) { return false; }

void TWinControl::Loaded() {
    TControl::Loaded();
    // Controls without a stored place keep theirs, after the others.
    auto place = [](const TWinControl* c) { return c->FStoredTabOrder < 0 ? INT_MAX : c->FStoredTabOrder; };
    std::stable_sort(FTabList.begin(), FTabList.end(),
                     [&](const TWinControl* a, const TWinControl* b) { return place(a) < place(b); });
}

const PropertyTable& TWinControl::StoredProperties() const {
    using W = TWinControl;
    using P = Describe<W>;
    static const PropertyTable table(TControl::StoredProperties(), {
        P::Property("TabStop", kBool, &W::TabStop, &W::SetTabStop, false),
        // A place in the tab order matters only to a tab stop.
        P::Property("TabOrder", kInt, &W::TabOrder, &W::SetTabOrder, [](const W& w) { return w.TabStop(); }),
    });
    return table;
}

LRESULT TWinControl::WMMouseLeave() {
    FTrackingLeave = false;
    SetHovered(nullptr);
    return 0;
}

LRESULT TWinControl::WMCaptureChanged(HWND capture) {
    if (capture != Handle()) FMouseTarget = nullptr;
    return TWindow::WMCaptureChanged(capture);
}

bool TWinControl::WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage) {
    if (window == Handle() && hitTest == HTCLIENT) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        TControl* c = ControlAtPos(p);
        HCURSOR cursor = c && c->Cursor() ? c->Cursor() : Cursor();
        if (cursor) {
            ::SetCursor(cursor);
            return true;
        }
    }
    return TWindow::WMSetCursor(window, hitTest, mouseMessage);
}

}  // namespace forms
