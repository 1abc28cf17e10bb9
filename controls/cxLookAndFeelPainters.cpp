#include "controls/cxLookAndFeelPainters.h"

#include <algorithm>

#include "controls/dxThemeManager.h"
#include "controls/dxUxTheme.h"
#include "forms/Handles.h"

namespace controls {

using forms::TColor;

namespace {

constexpr TColor cl3DDkShadow = forms::clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = forms::clSystemColor | COLOR_3DLIGHT;
constexpr TColor clWindowFrame = forms::clSystemColor | COLOR_WINDOWFRAME;

constexpr int kPushButtonPart = 1;  // BP_PUSHBUTTON
constexpr int kTextColorProperty = 3803;  // TMT_TEXTCOLOR
constexpr DWORD kThemedCaptionFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// A 1-pixel line on every side in one colour; shrinks `r` by it.
void Frame(forms::TCanvas& canvas, RECT& r, TColor color) {
    canvas.Frame3D(r, color, color, 1);
}

// Left and top in `a`, right and bottom in `b`; shrinks `r` by it.
void Frame3D(forms::TCanvas& canvas, RECT& r, TColor a, TColor b) { canvas.Frame3D(r, a, b, 1); }

RECT Shrunk(const RECT& r, int by) {
    RECT s = r;
    ::InflateRect(&s, -by, -by);
    return ::IsRectEmpty(&s) ? r : s;
}

void DrawCaption(HDC dc, const forms::TFont& font, const std::string& caption, RECT r, TColor color, UINT format) {
    forms::SelectGuard select(dc, font.Handle());
    ::SetTextColor(dc, forms::ColorToRGB(color));
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextA(dc, caption.c_str(), int(caption.size()), &r, format);
    ::SetBkMode(dc, oldMode);
}

// Per channel: face * f / 100 + highlight * h / 100 + window * w / 100,
// each term rounded, held within a byte; then the nearest colour the
// screen shows. The highlight colour on a black or white face.
TColor BlendedFace(int f, int h, int w) {
    COLORREF face = ::GetSysColor(COLOR_BTNFACE), highlight = ::GetSysColor(COLOR_HIGHLIGHT),
             window = ::GetSysColor(COLOR_WINDOW);
    if (face == RGB(0, 0, 0) || face == RGB(255, 255, 255)) return highlight;
    auto channel = [&](int shift) {
        auto part = [shift](COLORREF c, int percent) { return forms::MulDiv(int(c >> shift & 0xFF), percent, 100); };
        return COLORREF(std::clamp(part(face, f) + part(highlight, h) + part(window, w), 0, 255)) << shift;
    };
    forms::WindowDC screen;
    return ::GetNearestColor(screen.Get(), channel(0) | channel(8) | channel(16));
}

HTHEME ButtonTheme() { return OpenTheme(TdxThemedObjectType::totButton); }

}  // namespace

TColor UltraFlatHotColor() { return BlendedFace(-2, 30, 72); }
TColor UltraFlatPressedColor() { return BlendedFace(14, 44, 40); }

// ---- Standard

TcxLookAndFeelPainterClass TcxStandardLookAndFeelPainter::Class() {
    static const TcxStandardLookAndFeelPainter painter{};
    return &painter;
}

int TcxStandardLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == TcxButtonState::cxbsDefault ? 3 : 2;
}

TColor TcxStandardLookAndFeelPainter::ButtonFaceColor(TcxButtonState) const { return forms::clBtnFace; }

TColor TcxStandardLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state, TColor byDefault) const {
    if (state == TcxButtonState::cxbsDisabled) return forms::clBtnShadow;
    return byDefault == forms::clDefault ? forms::clBtnText : byDefault;
}

RECT TcxStandardLookAndFeelPainter::ButtonFocusBounds(HDC, const RECT& r) const { return Shrunk(r, 4); }

void TcxStandardLookAndFeelPainter::PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const {
    switch (state) {
        case TcxButtonState::cxbsPressed:
            Frame(canvas, r, forms::clBlack);
            Frame(canvas, r, forms::clBtnShadow);
            break;
        case TcxButtonState::cxbsDefault:
            Frame(canvas, r, forms::clBlack);
            Frame3D(canvas, r, forms::clBtnHighlight, cl3DDkShadow);
            Frame3D(canvas, r, cl3DLight, forms::clBtnShadow);
            break;
        default:
            Frame3D(canvas, r, forms::clBtnHighlight, cl3DDkShadow);
            Frame3D(canvas, r, cl3DLight, forms::clBtnShadow);
            break;
    }
}

void TcxStandardLookAndFeelPainter::PaintButtonFace(forms::TCanvas& canvas, const forms::TFont& font, RECT r,
                                                    const std::string& caption, TcxButtonState state, bool frame,
                                                    TColor faceColor, TColor captionColor, bool wordWrap,
                                                    bool) const {
    if (frame) {
        PaintButtonFrame(canvas, r, state);
        int width = ButtonFrameWidth(state);
        ::InflateRect(&r, -width, -width);
    }
    if (faceColor == forms::clDefault) faceColor = ButtonFaceColor(state);
    canvas.FillRect(r, faceColor);
    if (captionColor == forms::clDefault) captionColor = ButtonCaptionColor(state);
    if ((r.bottom - r.top) % 2 != 0) {
        --r.bottom;
        if (r.bottom - r.top < 18) --r.top;
    }
    if (state == TcxButtonState::cxbsPressed) ::OffsetRect(&r, PressedCaptionShift(), PressedCaptionShift());
    if (caption.empty()) return;
    UINT format = DT_CENTER | DT_VCENTER | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    if (state == TcxButtonState::cxbsDisabled) {
        RECT shifted = r;
        ::OffsetRect(&shifted, 1, 1);
        DrawCaption(canvas.Handle(), font, caption, shifted, forms::clBtnHighlight, format);
        DrawCaption(canvas.Handle(), font, caption, r, forms::clBtnShadow, format);
    } else {
        DrawCaption(canvas.Handle(), font, caption, r, captionColor, format);
    }
}

// ---- Flat

TcxLookAndFeelPainterClass TcxFlatLookAndFeelPainter::Class() {
    static const TcxFlatLookAndFeelPainter painter{};
    return &painter;
}

int TcxFlatLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == TcxButtonState::cxbsDefault ? 2 : 1;
}

void TcxFlatLookAndFeelPainter::PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const {
    switch (state) {
        case TcxButtonState::cxbsPressed: Frame3D(canvas, r, forms::clBtnShadow, forms::clBtnHighlight); break;
        case TcxButtonState::cxbsDefault:
            Frame(canvas, r, forms::clBlack);
            Frame3D(canvas, r, forms::clBtnHighlight, forms::clBtnShadow);
            break;
        default: Frame3D(canvas, r, forms::clBtnHighlight, forms::clBtnShadow); break;
    }
}

// ---- UltraFlat

TcxLookAndFeelPainterClass TcxUltraFlatLookAndFeelPainter::Class() {
    static const TcxUltraFlatLookAndFeelPainter painter{};
    return &painter;
}

int TcxUltraFlatLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == TcxButtonState::cxbsDefault ? 2 : 1;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonFaceColor(TcxButtonState state) const {
    switch (state) {
        case TcxButtonState::cxbsHot: return UltraFlatHotColor();
        case TcxButtonState::cxbsPressed: return UltraFlatPressedColor();
        default: return forms::clBtnFace;
    }
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state, TColor byDefault) const {
    if (state == TcxButtonState::cxbsPressed) return forms::clHighlightText;
    return TcxStandardLookAndFeelPainter::ButtonCaptionColor(state, byDefault);
}

RECT TcxUltraFlatLookAndFeelPainter::ButtonFocusBounds(HDC, const RECT& r) const { return Shrunk(r, 3); }

void TcxUltraFlatLookAndFeelPainter::PaintButtonFrame(forms::TCanvas& canvas, RECT r, TcxButtonState state) const {
    switch (state) {
        case TcxButtonState::cxbsDefault:
            Frame(canvas, r, clWindowFrame);
            Frame(canvas, r, clWindowFrame);
            break;
        case TcxButtonState::cxbsNormal: Frame(canvas, r, forms::clBtnText); break;
        case TcxButtonState::cxbsDisabled: Frame(canvas, r, forms::clBtnShadow); break;
        case TcxButtonState::cxbsHot:
        case TcxButtonState::cxbsPressed: Frame(canvas, r, forms::clHighlight); break;
    }
}

// ---- Office 2003

TcxLookAndFeelPainterClass TcxOffice11LookAndFeelPainter::Class() {
    static const TcxOffice11LookAndFeelPainter painter{};
    return &painter;
}

// ---- Visual styles

TcxLookAndFeelPainterClass TcxWinXPLookAndFeelPainter::Class() {
    static const TcxWinXPLookAndFeelPainter painter{};
    return &painter;
}

int TcxWinXPLookAndFeelPainter::ButtonStateId(TcxButtonState state) {
    switch (state) {
        case TcxButtonState::cxbsDefault: return 5;  // PBS_DEFAULTED
        case TcxButtonState::cxbsNormal: return 1;
        case TcxButtonState::cxbsHot: return 2;
        case TcxButtonState::cxbsPressed: return 3;
        case TcxButtonState::cxbsDisabled: return 4;
    }
    return 1;
}

int TcxWinXPLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    HTHEME theme = ButtonTheme();
    if (!theme) return 2;
    RECT bounds{0, 0, 100, 100}, content = bounds;
    UxGetThemeBackgroundContentRect(theme, nullptr, kPushButtonPart, ButtonStateId(state), bounds, content);
    return content.left - bounds.left;
}

TColor TcxWinXPLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state, TColor byDefault) const {
    COLORREF color;
    if (HTHEME theme = ButtonTheme();
        theme && UxGetThemeColor(theme, kPushButtonPart, ButtonStateId(state), kTextColorProperty, color))
        return color;
    return TcxStandardLookAndFeelPainter::ButtonCaptionColor(state, byDefault);
}

RECT TcxWinXPLookAndFeelPainter::ButtonFocusBounds(HDC dc, const RECT& r) const {
    HTHEME theme = ButtonTheme();
    if (!theme) return TcxStandardLookAndFeelPainter::ButtonFocusBounds(dc, r);
    RECT content = r;
    UxGetThemeBackgroundContentRect(theme, dc, kPushButtonPart, 1, r, content);
    return content;
}

void TcxWinXPLookAndFeelPainter::PaintButtonFace(forms::TCanvas& canvas, const forms::TFont& font, RECT r,
                                                 const std::string& caption, TcxButtonState state, bool frame,
                                                 TColor faceColor, TColor captionColor, bool wordWrap,
                                                 bool toolButton) const {
    HTHEME theme = OpenTheme(toolButton ? TdxThemedObjectType::totToolBar : TdxThemedObjectType::totButton);
    if (!theme) {
        TcxStandardLookAndFeelPainter::PaintButtonFace(canvas, font, r, caption, state, frame, faceColor,
                                                       captionColor, wordWrap, toolButton);
        return;
    }
    int stateId = ButtonStateId(state);
    UxDrawThemeBackground(theme, canvas.Handle(), kPushButtonPart, stateId, r);
    if (caption.empty()) return;
    std::wstring text(std::size_t(::MultiByteToWideChar(CP_ACP, 0, caption.data(), int(caption.size()), nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, caption.data(), int(caption.size()), text.data(), int(text.size()));
    forms::SelectGuard select(canvas.Handle(), font.Handle());
    UxDrawThemeText(theme, canvas.Handle(), kPushButtonPart, stateId, text, kThemedCaptionFlags, r);
}

}  // namespace controls
