#include "forms/Graphics.h"

#include <cstring>

#include "forms/Helpers.h"
#include "forms/Properties.h"

namespace forms {

COLORREF ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) == clSystemColor) return ::GetSysColor(int(color & 0xFF));
    return color & 0x00FFFFFFu;
}

namespace {
bool SystemHighContrast() {
    HIGHCONTRASTA hc{sizeof hc, 0, nullptr};
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

bool (*gHighContrastQuery)() = SystemHighContrast;
bool gHighContrast = false;
bool gHighContrastKnown = false;
unsigned gAppearance = 0;
}  // namespace

unsigned AppearanceGeneration() { return gAppearance; }

void AppearanceChanged() { ++gAppearance; }

bool HighContrast() {
    if (!gHighContrastKnown) RefreshHighContrast();
    return gHighContrast;
}

bool RefreshHighContrast() {
    const bool before = gHighContrast, known = gHighContrastKnown;
    gHighContrast = gHighContrastQuery();
    gHighContrastKnown = true;
    return known && gHighContrast != before;
}

void SetHighContrastQuery(bool (*query)()) {
    gHighContrastQuery = query ? query : SystemHighContrast;
    RefreshHighContrast();
    AppearanceChanged();
}

TColor SchemeColor(TColor color, TColor role) {
    return color == clNone || IsSystemColor(color) || !HighContrast() ? color : role;
}

TColor SchemeTextColor(TColor text, TColor surface) {
    if (!HighContrast() || (IsSystemColor(text) && IsSystemColor(surface))) return text;
    return surface == clWindow ? clWindowText : clBtnText;
}

bool ColorFromName(std::string_view name, TColor& color) {
    struct Named {
        const char* name;
        TColor value;
    };
    static const Named kColors[] = {
        {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
        {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
        {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
        {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
        {"clNone", clNone}, {"clDefault", clDefault},
        {"clScrollBar", clSystemColor | COLOR_SCROLLBAR},
        {"clBackground", clSystemColor | COLOR_BACKGROUND},
        {"clActiveCaption", clSystemColor | COLOR_ACTIVECAPTION},
        {"clInactiveCaption", clSystemColor | COLOR_INACTIVECAPTION},
        {"clMenu", clSystemColor | COLOR_MENU}, {"clWindow", clWindow},
        {"clWindowFrame", clSystemColor | COLOR_WINDOWFRAME},
        {"clMenuText", clSystemColor | COLOR_MENUTEXT}, {"clWindowText", clWindowText},
        {"clCaptionText", clSystemColor | COLOR_CAPTIONTEXT},
        {"clActiveBorder", clSystemColor | COLOR_ACTIVEBORDER},
        {"clInactiveBorder", clSystemColor | COLOR_INACTIVEBORDER},
        {"clAppWorkSpace", clSystemColor | COLOR_APPWORKSPACE},
        {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
        {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText},
        {"clBtnText", clBtnText},
        {"clInactiveCaptionText", clSystemColor | COLOR_INACTIVECAPTIONTEXT},
        {"clBtnHighlight", clBtnHighlight},
        {"cl3DDkShadow", clSystemColor | COLOR_3DDKSHADOW},
        {"cl3DLight", clSystemColor | COLOR_3DLIGHT},
        {"clInfoText", clSystemColor | COLOR_INFOTEXT}, {"clInfoBk", clSystemColor | COLOR_INFOBK},
        {"clHotLight", clSystemColor | COLOR_HOTLIGHT},
        {"clGradientActiveCaption", clSystemColor | COLOR_GRADIENTACTIVECAPTION},
        {"clGradientInactiveCaption", clSystemColor | COLOR_GRADIENTINACTIVECAPTION},
        {"clMenuHighlight", clSystemColor | COLOR_MENUHILIGHT},
        {"clMenuBar", clSystemColor | COLOR_MENUBAR},
    };
    for (const auto& c : kColors) {
        if (name == c.name) {
            color = c.value;
            return true;
        }
    }
    return false;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long product = static_cast<long long>(a) * b;
    bool negative = (product < 0) != (c < 0);
    unsigned long long p = product < 0 ? 0ull - static_cast<unsigned long long>(product) : product;
    unsigned long long d = c < 0 ? 0ull - static_cast<unsigned long long>(c) : static_cast<unsigned long long>(c);
    unsigned long long q = (p + d / 2) / d;  // halves round away from zero
    return negative ? -static_cast<int>(q) : static_cast<int>(q);
}

TFont::TFont() : FName("MS Sans Serif"), FHeight(-11), FColor(clWindowText) {}

void TFont::Changed() {
    FHandle.Reset();
    FLineHeight = 0;
    if (OnChange) OnChange();
}

void TFont::SetName(std::string name) {
    if (name == FName) return;
    FName = std::move(name);
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == FHeight) return;
    FHeight = height;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    // The colour is not part of the handle; keep it.
    if (OnChange) OnChange();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TFont::SetCharset(BYTE charset) {
    if (charset == FCharset) return;
    FCharset = charset;
    Changed();
}

void TFont::Assign(const TFont& source) {
    if (&source == this) return;
    FName = source.FName;
    FHeight = source.FHeight;
    FColor = source.FColor;
    FStyle = source.FStyle;
    FCharset = source.FCharset;
    Changed();
}

void TFont::AssignLogFont(const LOGFONTA& lf) {
    FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    FStyle = 0;
    if (lf.lfWeight >= FW_BOLD) FStyle |= unsigned(TFontStyle::Bold);
    if (lf.lfItalic) FStyle |= unsigned(TFontStyle::Italic);
    if (lf.lfUnderline) FStyle |= unsigned(TFontStyle::Underline);
    if (lf.lfStrikeOut) FStyle |= unsigned(TFontStyle::StrikeOut);
    FCharset = lf.lfCharSet;
    Changed();
}

LOGFONTA TFont::LogFont() const {
    LOGFONTA lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = HasStyle(FStyle, TFontStyle::Bold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = HasStyle(FStyle, TFontStyle::Italic);
    lf.lfUnderline = HasStyle(FStyle, TFontStyle::Underline);
    lf.lfStrikeOut = HasStyle(FStyle, TFontStyle::StrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    std::strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
    return lf;
}

HFONT TFont::Handle() const {
    if (!FHandle) {
        LOGFONTA lf = LogFont();
        FHandle.Reset(::CreateFontIndirectA(&lf));
    }
    return FHandle.Get();
}

int TFont::LineHeight() const {
    if (FLineHeight > 0) return FLineHeight;
    MemoryDC dc;
    SelectGuard select(dc.Get(), Handle());
    SIZE size{};
    if (::GetTextExtentPoint32A(dc.Get(), "W", 1, &size)) FLineHeight = size.cy;
    return size.cy;
}

bool operator==(const TFont& a, const TFont& b) {
    return a.FName == b.FName && a.FHeight == b.FHeight && a.FColor == b.FColor &&
           a.FStyle == b.FStyle && a.FCharset == b.FCharset;
}

namespace {

const std::pair<const char*, unsigned> kFontStyleNames[] = {
    {"fsBold", unsigned(TFontStyle::Bold)},
    {"fsItalic", unsigned(TFontStyle::Italic)},
    {"fsUnderline", unsigned(TFontStyle::Underline)},
    {"fsStrikeOut", unsigned(TFontStyle::StrikeOut)},
};

// A character set: a name of the common ones or a number up to 255;
// written as a name only for the default.
struct CharsetKind {
    using type = BYTE;
    template <class Apply>
    void Read(const Value& v, TReader& reader, Apply apply) const {
        static const std::pair<const char*, BYTE> kNames[] = {
            {"DEFAULT_CHARSET", DEFAULT_CHARSET}, {"ANSI_CHARSET", ANSI_CHARSET}, {"SYMBOL_CHARSET", SYMBOL_CHARSET}};
        if (v.kind == Value::Kind::Ident) EnumKind(kNames).Read(v, reader, apply);
        else IntRangeKind<BYTE>{0, 255}.Read(v, reader, apply);
    }
    Value Write(BYTE charset) const {
        return charset == DEFAULT_CHARSET ? Value::Id("DEFAULT_CHARSET") : Value::Int(charset);
    }
};

}  // namespace

const PropertyTable& TFont::StoredProperties() const {
    using P = Describe<TFont>;
    static const PropertyTable table(TPersistent::StoredProperties(), {
        P::Property("Charset", CharsetKind(), &TFont::Charset, &TFont::SetCharset),
        P::Property("Color", kColor, &TFont::Color, &TFont::SetColor),
        P::Property("Height", kInt, &TFont::Height, &TFont::SetHeight),
        P::Property("Name", kString, &TFont::Name, &TFont::SetName),
        P::Property("Style", SetKind(kFontStyleNames), &TFont::Style, &TFont::SetStyle),
    });
    return table;
}

TFollowingFont::TFollowingFont() {
    FFont.OnChange = [this] {
        if (!FFromSource) FFollowing = false;
        if (OnChange) OnChange();
    };
}

void TFollowingFont::Follow(const TFont& source) {
    if (FFollowing && !(FFont == source)) FromSource([&source](TFont& font) { font.Assign(source); });
}

void TFollowingFont::FromSource(const std::function<void(TFont&)>& change) {
    ScopedValue fromSource(FFromSource, true);
    change(FFont);
}

void TCanvas::FillRect(const RECT& r, TColor color) const {
    Brush brush(::CreateSolidBrush(ColorToRGB(color)));
    ::FillRect(FDC, &r, brush.Get());
}

void TCanvas::Frame3D(RECT& r, TColor topLeft, TColor bottomRight, int width) const {
    COLORREF tl = ColorToRGB(topLeft), br = ColorToRGB(bottomRight);
    if (tl == br) {
        // One colour: the rings make four bands, drawn at once (a panel's
        // border is drawn again with its caption every second).
        const RECT outer = r;
        int rings = 0;
        for (; rings < width && r.right > r.left && r.bottom > r.top; ++rings) ::InflateRect(&r, -1, -1);
        if (rings == 0) return;
        Brush brush(::CreateSolidBrush(tl));
        const RECT bands[] = {{outer.left, outer.top, outer.right, outer.top + rings},
                              {outer.left, outer.bottom - rings, outer.right, outer.bottom},
                              {outer.left, outer.top, outer.left + rings, outer.bottom},
                              {outer.right - rings, outer.top, outer.right, outer.bottom}};
        for (const RECT& band : bands) ::FillRect(FDC, &band, brush.Get());
        return;
    }
    Brush tlBrush(::CreateSolidBrush(tl)), brBrush(::CreateSolidBrush(br));
    for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
        RECT top{r.left, r.top, r.right - 1, r.top + 1};
        RECT left{r.left, r.top, r.left + 1, r.bottom - 1};
        RECT right{r.right - 1, r.top, r.right, r.bottom};
        RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
        ::FillRect(FDC, &top, tlBrush.Get());
        ::FillRect(FDC, &left, tlBrush.Get());
        ::FillRect(FDC, &right, brBrush.Get());
        ::FillRect(FDC, &bottom, brBrush.Get());
        ::InflateRect(&r, -1, -1);
    }
}

SIZE TCanvas::TextExtent(const TFont& font, std::string_view text) const {
    SelectGuard select(FDC, font.Handle());
    SIZE size{};
    ::GetTextExtentPoint32A(FDC, text.data(), int(text.size()), &size);
    return size;
}

int TCanvas::DrawText(const TFont& font, std::string_view text, RECT& r, UINT format) const {
    return DrawText(font, text, r, format, font.Color());
}

int TCanvas::DrawText(const TFont& font, std::string_view text, RECT& r, UINT format, TColor color) const {
    SelectGuard select(FDC, font.Handle());
    int oldMode = ::SetBkMode(FDC, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(FDC, ColorToRGB(color));
    int height = ::DrawTextA(FDC, text.data(), int(text.size()), &r, format);
    ::SetTextColor(FDC, oldColor);
    ::SetBkMode(FDC, oldMode);
    return height;
}

void TOffscreenBitmap::SetSize(int width, int height) {
    if (FBitmap && width == FWidth && height == FHeight) return;
    Reset();
    if (width <= 0 || height <= 0) return;
    // A section of 32-bit colour, which every screen shows as it is. Under
    // Wine it is made and first drawn in a third of the time a bitmap
    // compatible with the screen takes, and it needs no screen DC.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FDC = Owned<MemoryDCKind>(::CreateCompatibleDC(nullptr));
    FBitmap = Bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!FDC || !FBitmap) {
        Reset();
        return;
    }
    FOriginal = ::SelectObject(FDC.Get(), FBitmap.Get());
    FWidth = width;
    FHeight = height;
}

void TOffscreenBitmap::Swap(TOffscreenBitmap& other) noexcept {
    std::swap(FDC, other.FDC);
    std::swap(FBitmap, other.FBitmap);
    std::swap(FOriginal, other.FOriginal);
    std::swap(FWidth, other.FWidth);
    std::swap(FHeight, other.FHeight);
}

void TOffscreenBitmap::Reset() {
    // The bitmap leaves its DC before either goes.
    if (FOriginal) ::SelectObject(FDC.Get(), FOriginal);
    FOriginal = nullptr;
    FBitmap.Reset();
    FDC.Reset();
    FWidth = FHeight = 0;
}

}  // namespace forms
