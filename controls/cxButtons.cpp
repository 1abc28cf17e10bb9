#include "controls/cxButtons.h"

#include <oleacc.h>
#include <windowsx.h>

#include "controls/dxThemeManager.h"
#include "controls/dxUxTheme.h"
#include "forms/Forms.h"
#include "forms/Helpers.h"
#include "forms/Properties.h"

namespace controls {

using forms::TColor;

namespace {

constexpr UINT_PTR kTrackingTimer = 1;
constexpr UINT kTrackingInterval = 10;

const std::pair<const char*, unsigned> kAssignedColorNames[] = {
    {"cxbcDefault", 1u << 0}, {"cxbcDefaultText", 1u << 1}, {"cxbcDisabled", 1u << 2},
    {"cxbcDisabledText", 1u << 3}, {"cxbcHot", 1u << 4}, {"cxbcHotText", 1u << 5},
    {"cxbcNormal", 1u << 6}, {"cxbcNormalText", 1u << 7}, {"cxbcPressed", 1u << 8},
    {"cxbcPressedText", 1u << 9},
};

const std::pair<const char*, TcxButtonPaintStyle> kPaintStyleNames[] = {
    {"bpsDefault", TcxButtonPaintStyle::bpsDefault},
    {"bpsCaption", TcxButtonPaintStyle::bpsCaption},
    {"bpsGlyph", TcxButtonPaintStyle::bpsGlyph},
};

// The face colour index of a state; its caption colour is the next one.
TcxButtonAssignedColor FaceIndex(TcxButtonState state) {
    switch (state) {
        case TcxButtonState::cxbsDefault: return TcxButtonAssignedColor::cxbcDefault;
        case TcxButtonState::cxbsNormal: return TcxButtonAssignedColor::cxbcNormal;
        case TcxButtonState::cxbsHot: return TcxButtonAssignedColor::cxbcHot;
        case TcxButtonState::cxbsPressed: return TcxButtonAssignedColor::cxbcPressed;
        case TcxButtonState::cxbsDisabled: return TcxButtonAssignedColor::cxbcDisabled;
    }
    return TcxButtonAssignedColor::cxbcNormal;
}

TcxButtonAssignedColor TextIndex(TcxButtonAssignedColor face) { return TcxButtonAssignedColor(int(face) + 1); }

}  // namespace

// ---- TcxButtonColors

TcxButtonColors::TcxButtonColors() { FColors.fill(forms::clDefault); }

void TcxButtonColors::SetColor(TcxButtonAssignedColor index, TColor color) {
    unsigned bit = 1u << int(index);
    if (color == forms::clDefault || color == forms::clNone) {
        FColors[std::size_t(index)] = forms::clDefault;
        FAssignedColors &= ~bit;
    } else {
        FColors[std::size_t(index)] = color;
        FAssignedColors |= bit;
    }
    Changed();
}

void TcxButtonColors::SetAssignedColors(TcxButtonAssignedColors colors) {
    colors &= (1u << FColors.size()) - 1;
    for (std::size_t i = 0; i < FColors.size(); ++i)
        if (!(colors >> i & 1)) FColors[i] = forms::clDefault;
    FAssignedColors = colors;
    Changed();
}

void TcxButtonColors::Assign(const TcxButtonColors& source) {
    FColors = source.FColors;
    FAssignedColors = source.FAssignedColors;
    Changed();
}

void TcxButtonColors::Changed() {
    if (OnChanged) OnChanged();
}

const forms::PropertyTable& TcxButtonColors::StoredProperties() const {
    using C = TcxButtonColors;
    using P = forms::Describe<C>;
    using I = TcxButtonAssignedColor;
    // Each value is stored while it is assigned.
    auto color = [](const char* name, I index) {
        return P::Property(
            name, forms::kColor, [index](const C& c) { return c.Color(index); },
            [index](C& c, TColor value) { c.SetColor(index, value); },
            [index](const C& c) { return c.Assigned(index); });
    };
    static const forms::PropertyTable table(forms::TPersistent::StoredProperties(), {
        P::Property("AssignedColors", forms::SetKind(kAssignedColorNames), &C::AssignedColors, &C::SetAssignedColors,
                    [](const C&) { return false; }),
        color("Default", I::cxbcDefault),
        color("DefaultText", I::cxbcDefaultText),
        color("Disabled", I::cxbcDisabled),
        color("DisabledText", I::cxbcDisabledText),
        color("Hot", I::cxbcHot),
        color("HotText", I::cxbcHotText),
        color("Normal", I::cxbcNormal),
        color("NormalText", I::cxbcNormalText),
        color("Pressed", I::cxbcPressed),
        color("PressedText", I::cxbcPressedText),
    });
    return table;
}

// ---- TcxSpeedButtonOptions

void TcxSpeedButtonOptions::SetCanBeFocused(bool value) {
    FCanBeFocused = value;
    Changed();
}

void TcxSpeedButtonOptions::SetGroupIndex(int value) {
    FGroupIndex = value;
    if (FGroupIndex == 0) FDown = false;
    Changed();
}

void TcxSpeedButtonOptions::SetDown(bool value) {
    FDown = value && FGroupIndex != 0;
    Changed();
}

void TcxSpeedButtonOptions::SetFlat(bool value) {
    FFlat = value;
    Changed();
}

void TcxSpeedButtonOptions::SetTransparent(bool value) {
    FTransparent = value;
    Changed();
}

bool TcxSpeedButtonOptions::IsDefault() const {
    return FCanBeFocused && FGroupIndex == 0 && !FAllowAllUp && !FDown && !FFlat && !FTransparent;
}

const forms::PropertyTable& TcxSpeedButtonOptions::StoredProperties() const {
    using O = TcxSpeedButtonOptions;
    using P = forms::Describe<O>;
    static const forms::PropertyTable table(forms::TPersistent::StoredProperties(), {
        P::Property("CanBeFocused", forms::kBool, &O::CanBeFocused, &O::SetCanBeFocused, true),
        P::Property("GroupIndex", forms::kInt, &O::GroupIndex, &O::SetGroupIndex, 0),
        P::Property("AllowAllUp", forms::kBool, &O::AllowAllUp, &O::SetAllowAllUp, false),
        P::Property("Down", forms::kBool, &O::Down, &O::SetDown, false),
        P::Property("Flat", forms::kBool, &O::Flat, &O::SetFlat, false),
        P::Property("Transparent", forms::kBool, &O::Transparent, &O::SetTransparent, false),
    });
    return table;
}

// ---- TcxCustomButton

TcxCustomButton::TcxCustomButton(forms::TComponent* owner) : TCustomButton(owner) {
    FColors.OnChanged = [this] { Invalidate(); };
    FSpeedButtonOptions.OnChanged = [this] { Invalidate(); };
    FLookAndFeel.OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { LookAndFeelChanged(); };
}

TcxCustomButton::~TcxCustomButton() {
    FDestroyingButton = true;
    StopTracking();
    FLookAndFeel.OnChanged = nullptr;
    FColors.OnChanged = nullptr;
    FSpeedButtonOptions.OnChanged = nullptr;
}

void TcxCustomButton::SetPaintStyle(TcxButtonPaintStyle style) {
    FPaintStyle = style;
    Invalidate();
}

void TcxCustomButton::SetMargin(int margin) {
    FMargin = margin;
    Invalidate();
}

void TcxCustomButton::SetSpacing(int spacing) {
    FSpacing = spacing;
    Invalidate();
}

void TcxCustomButton::CreateWindowParams(forms::TWindow::CreateParams& params) {
    TCustomButton::CreateWindowParams(params);
    params.className = "BUTTON";
    params.systemClass = true;
    params.style |= BS_OWNERDRAW;
}

TcxLookAndFeelPainterClass TcxCustomButton::Painter() const {
    TcxLookAndFeelPainterClass painter = FLookAndFeel.Painter();
    if (painter->PainterStyle() != cxPainterStyleOffice11 || forms::HighContrast()) return painter;
    return OpenTheme(TdxThemedObjectType::totButton) ? TcxWinXPLookAndFeelPainter::Class()
                                                       : TcxStandardLookAndFeelPainter::Class();
}

bool TcxCustomButton::SpeedButtonMode() const {
    return !FSpeedButtonOptions.CanBeFocused() || FSpeedButtonOptions.GroupIndex() != 0;
}

TcxButtonState TcxCustomButton::PaintingState(bool paintedPressed, bool paintedDefault) const {
    if (!Enabled()) return TcxButtonState::cxbsDisabled;
    if (paintedPressed) return TcxButtonState::cxbsPressed;
    if (FMouseInside && Painter()->TracksHotButtons()) return TcxButtonState::cxbsHot;
    if (paintedDefault) return TcxButtonState::cxbsDefault;
    return TcxButtonState::cxbsNormal;
}

TColor TcxCustomButton::FaceColor(TcxButtonState state) const {
    TcxButtonAssignedColor index = FaceIndex(state);
    if (FColors.Assigned(index)) return FColors.Color(index);
    return FColors.Color(state == TcxButtonState::cxbsNormal ? TcxButtonAssignedColor::cxbcDefault
                                                             : TcxButtonAssignedColor::cxbcNormal);
}

TColor TcxCustomButton::CaptionColor(TcxButtonState state) const {
    TcxButtonAssignedColor index = TextIndex(FaceIndex(state));
    if (FColors.Assigned(index)) return FColors.Color(index);
    return FColors.Color(state == TcxButtonState::cxbsNormal ? TcxButtonAssignedColor::cxbcDefaultText
                                                             : TcxButtonAssignedColor::cxbcNormalText);
}

LRESULT TcxCustomButton::CNDrawItem(DRAWITEMSTRUCT& item) {
    if (!FDestroyingButton) Paint(item.hDC, item.itemState);
    return TRUE;
}

void TcxCustomButton::Paint(HDC target, UINT itemState) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    forms::TOffscreenBitmap buffer;
    buffer.SetSize(client.right, client.bottom);
    if (buffer.Empty()) return;
    HDC dc = buffer.DC();
    forms::TCanvas canvas(dc);

    bool paintedPressed = (itemState & ODS_SELECTED) ||
                          (SpeedButtonMode() && (FSpeedButtonOptions.Down() || (FMouseInside && FPressedInMain)));
    bool paintedDefault = FSpeedButtonOptions.CanBeFocused() && ((itemState & ODS_FOCUS) || Active());
    TcxButtonState state = PaintingState(paintedPressed, paintedDefault);
    TcxLookAndFeelPainterClass painter = Painter();

    // A themed face with rounded corners shows what lies behind it.
    if (painter == TcxWinXPLookAndFeelPainter::Class()) {
        HTHEME theme = OpenTheme(TdxThemedObjectType::totButton);
        if (theme && UxIsThemeBackgroundPartiallyTransparent(theme, 1, 1)) DrawParentBackground(dc, client);
    }

    forms::TFont font;
    font.Assign(Font());
    TColor faceColor = FaceColor(state);
    TColor captionColor = CaptionColor(state);
    // Under high contrast the face is the system's, and so is the text on it.
    if (captionColor == forms::clDefault)
        captionColor = painter->ButtonCaptionColor(state, forms::HighContrast() ? forms::clDefault : Font().Color());
    if (OnGetDrawParams) OnGetDrawParams(this, state, faceColor, font);

    painter->PaintButtonFace(canvas, font, client, std::string(), state, true, faceColor, captionColor);
    int s = state == TcxButtonState::cxbsPressed ? painter->PressedCaptionShift() : 0;
    {
        forms::SaveDCGuard saved(dc);
        int frame = painter->ButtonFrameWidth(state);
        ::IntersectClipRect(dc, frame, frame, client.right - frame, client.bottom - frame);
        int contentFrame = painter->ButtonFrameWidth(TcxButtonState::cxbsDefault);
        RECT content = client;
        ::InflateRect(&content, -contentFrame, -contentFrame);
        DrawCaption(dc, font, content, {s, s}, state, captionColor);
    }
    if (FSpeedButtonOptions.CanBeFocused() && Focused()) {
        RECT focus = painter->ButtonFocusBounds(dc, client);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &focus);
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void TcxCustomButton::DrawParentBackground(HDC dc, const RECT& client) {
    if (UxDrawThemeParentBackground(Handle(), dc, &client)) return;
    HWND parent = ::GetParent(Handle());
    if (!parent) return;
    // The parent paints itself, and what lies on it, into our canvas.
    POINT origin{0, 0};
    ::MapWindowPoints(Handle(), parent, &origin, 1);
    forms::SaveDCGuard saved(dc);
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

void TcxCustomButton::DrawCaption(HDC dc, const forms::TFont& font, const RECT& content, POINT shift,
                                  TcxButtonState state, TColor color) {
    const std::string& text = Caption();
    if (text.empty() || FPaintStyle == TcxButtonPaintStyle::bpsGlyph) return;
    forms::SelectGuard select(dc, font.Handle());
    RECT measured{0, 0, 0, 0};
    ::DrawTextA(dc, text.c_str(), int(text.size()), &measured, DT_CALCRECT | DT_SINGLELINE);
    int w = measured.right - measured.left, h = measured.bottom - measured.top;
    // The caption's box is 1 pixel wider on the left and 2 on the right.
    int boxWidth = w + 3;
    int left = FMargin == -1 ? content.left + (content.right - content.left - boxWidth) / 2 : content.left + FMargin;
    int top = content.top + (content.bottom - content.top - h - 1) / 2;
    RECT r{left + 1 + shift.x, top + shift.y, left + 1 + shift.x + w, top + shift.y + h};
    UINT format = DT_CENTER | DT_VCENTER;
    if (::GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING) format |= DT_RTLREADING;
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    if (state == TcxButtonState::cxbsDisabled) {
        RECT embossed = r;
        ::OffsetRect(&embossed, 1, 1);
        ::SetTextColor(dc, forms::ColorToRGB(forms::clBtnHighlight));
        ::DrawTextA(dc, text.c_str(), int(text.size()), &embossed, format);
    }
    ::SetTextColor(dc, forms::ColorToRGB(color));
    ::DrawTextA(dc, text.c_str(), int(text.size()), &r, format);
    ::SetBkMode(dc, oldMode);
}

void TcxCustomButton::Repaint() {
    if (!HandleAllocated()) return;
    ::InvalidateRect(Handle(), nullptr, FALSE);
    ::UpdateWindow(Handle());
}

void TcxCustomButton::LookAndFeelChanged() {
    if (FUseSystemPaint && HandleAllocated()) {
        bool focused = Focused();
        DestroyHandle();
        CreateWnd();
        if (focused) ::SetFocus(Handle());
        return;
    }
    Invalidate();
}

void TcxCustomButton::ActiveChanged() { Invalidate(); }

void TcxCustomButton::EnabledChanged() {
    if (!Enabled()) FMouseInside = false;
    TCustomButton::EnabledChanged();
}

void TcxCustomButton::StartTracking() {
    if (FTracking || !HandleAllocated()) return;
    FTracking = ::SetTimer(Handle(), kTrackingTimer, kTrackingInterval, nullptr) != 0;
}

void TcxCustomButton::StopTracking() {
    if (!FTracking) return;
    FTracking = false;
    if (HandleAllocated()) ::KillTimer(Handle(), kTrackingTimer);
}

LRESULT TcxCustomButton::WMTimer(UINT_PTR id) {
    if (id != kTrackingTimer) return TCustomButton::WMTimer(id);
    if (!FTracking) return 0;
    POINT p;
    ::GetCursorPos(&p);
    RECT window;
    ::GetWindowRect(Handle(), &window);
    bool enabled = ::IsWindowEnabled(Handle()) != FALSE;
    if (::PtInRect(&window, p) && enabled) return 0;
    ::ScreenToClient(Handle(), &p);
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (!::PtInRect(&client, p) || !enabled) ::SendMessageA(Handle(), WM_MOUSELEAVE, 0, 0);
    PointerLeaves();
    return 0;
}

void TcxCustomButton::PointerMoved(POINT p) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (!::PtInRect(&client, p)) {
        if (FMouseInside) PointerLeaves();
        return;
    }
    bool entered = !FMouseInside;
    FMouseInside = true;
    StartTracking();
    if (entered) PointerEntered();
    if (Enabled()) Repaint();
}

void TcxCustomButton::PointerLeaves() {
    StopTracking();
    if (!FMouseInside) return;
    FMouseInside = false;
    if (Enabled()) Invalidate();
    PointerLeft();
}

LRESULT TcxCustomButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEMOVE: PointerMoved({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
        case WM_MOUSELEAVE:
            PointerLeaves();
            return DefaultHandler(message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // A double-click is one more press.
            message = WM_LBUTTONDOWN;
            FPressedInMain = true;
            Invalidate();
            if (!FSpeedButtonOptions.CanBeFocused()) {
                ::SetCapture(Handle());
                FCaptured = true;
                return 0;
            }
            break;
        case WM_LBUTTONUP: {
            bool pressed = std::exchange(FPressedInMain, false);
            Invalidate();
            if (FSpeedButtonOptions.CanBeFocused()) break;
            if (std::exchange(FCaptured, false) && ::GetCapture() == Handle()) ::ReleaseCapture();
            RECT client;
            ::GetClientRect(Handle(), &client);
            if (pressed && ::PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
                FSpeedButtonOptions.SetDown(!FSpeedButtonOptions.Down());
                Click();
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != Handle()) {
                POINT p;
                ::GetCursorPos(&p);
                if (::WindowFromPoint(p) != Handle()) {
                    FCaptured = false;
                    FPressedInMain = false;
                    if (FMouseInside) PointerLeaves();
                    Invalidate();
                }
            }
            break;
        default: break;
    }
    return TCustomButton::WndProc(message, wParam, lParam);
}

LRESULT TcxCustomButton::CNCommand(WORD code) {
    if (code == BN_CLICKED) Click();
    return 0;
}

void TcxCustomButton::Click() {
    if (FSpeedButtonOptions.CanBeFocused() && !FAcceleratorClick)
        FSpeedButtonOptions.SetDown(!FSpeedButtonOptions.Down());
    TCustomButton::Click();
}

void TcxCustomButton::DescribeAccessible(forms::TAccessibleInfo& info) const {
    TCustomButton::DescribeAccessible(info);
    if (SpeedButtonMode() && FSpeedButtonOptions.Down()) info.state |= STATE_SYSTEM_PRESSED;
}

bool TcxCustomButton::DialogChar(char ch) {
    if (!FSpeedButtonOptions.CanBeFocused()) return false;
    forms::ScopedValue accelerator(FAcceleratorClick, true);
    return TCustomButton::DialogChar(ch);
}

const forms::PropertyTable& TcxCustomButton::StoredProperties() const {
    using B = TcxCustomButton;
    using P = forms::Describe<B>;
    static const forms::PropertyTable table(TCustomButton::StoredProperties(), {
        P::Object("Colors", [](auto& b) -> auto& { return b.Colors(); },
                  [](const B& b) { return b.Colors().AssignedColors() != 0; }),
        P::Object("LookAndFeel", [](auto& b) -> auto& { return b.LookAndFeel(); },
                  [](const B& b) { return b.LookAndFeel().AssignedValues() != 0; }),
        P::Property("PaintStyle", forms::EnumKind(kPaintStyleNames), &B::PaintStyle, &B::SetPaintStyle,
                    TcxButtonPaintStyle::bpsDefault),
        P::Property("Margin", forms::kInt, &B::Margin, &B::SetMargin, -1),
        P::Property("Spacing", forms::kInt, &B::Spacing, &B::SetSpacing, 4),
        P::Object("SpeedButtonOptions", [](auto& b) -> auto& { return b.SpeedButtonOptions(); },
                  [](const B& b) { return !b.SpeedButtonOptions().IsDefault(); }),
        P::Property("UseSystemPaint", forms::kBool, &B::UseSystemPaint, &B::SetUseSystemPaint, false),
    });
    return table;
}

}  // namespace controls
