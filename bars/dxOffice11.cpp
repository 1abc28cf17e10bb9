#include "bars/dxOffice11.h"

#include <uxtheme.h>

#include <algorithm>
#include <array>

#include "controls/cxLookAndFeels.h"
#include "forms/Helpers.h"

using namespace forms;

namespace bars {

namespace {

// A library we load by name and free when the process ends.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : FModule(::LoadLibraryA(name)) {}
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() {
        if (FModule) ::FreeLibrary(FModule);
    }
    HMODULE Get() const { return FModule; }

private:
    HMODULE FModule;
};

using GetCurrentThemeNameFunc = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
using GradientFillFunc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

GradientFillFunc gGradientFill = nullptr;
bool gGradientFillEnabled = true;

bool SystemThemeName(std::wstring& themeFile, std::wstring& colorName) {
    static LoadedLibrary uxtheme("uxtheme.dll");
    GetCurrentThemeNameFunc getName;
    if (!FindFunction(uxtheme.Get(), "GetCurrentThemeName", getName)) return false;
    constexpr int kLength = 1024;
    std::array<wchar_t, kLength> file{}, color{}, size{};
    if (FAILED(getName(file.data(), kLength, color.data(), kLength, size.data(), kLength))) return false;
    themeFile = file.data();
    colorName = color.data();
    return true;
}

COLORREF ScreenNearestColor(COLORREF color) {
    WindowDC screen;
    COLORREF nearest = ::GetNearestColor(screen.Get(), color);
    return nearest == CLR_INVALID ? color : nearest;
}

std::wstring UpperAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

TOffice11Palette gPalette;
bool gComputed = false;

struct SchemeColors {
    COLORREF ToolbarLight, ToolbarDark, DockStart, DockEnd, ItemFrame, MenuBack, MenuSelected, SelectionFrame,
        HotTop, HotBottom, PressedLight, PressedDark, MenuChecked, CheckedFill, Text, TextDisabled;
    int MidpointPercent;
};

// The blue, olive and silver colours, as the visual styles show them.
constexpr SchemeColors kSchemes[] = {
    {0xFEECDD, 0xE2A981, 0xF5BE9E, 0xF9DAC3, 0xCB8C6A, 0xF6F6F6, 0xC2EEFF, 0x800000, 0xCCF4FF, 0x91D0FF, 0x8ED3FF,
     0x4E91FE, 0xFCE1CB, 0x6FC0FF, 0x000000, 0x8D8D8D, 41},
    {0xDEF7F4, 0x91C6B7, 0xA7D9D9, 0xE4F0F2, 0x588060, 0xEEF4F4, 0xC2EEFF, 0x385D3F, 0xCCF4FF, 0x91D0FF, 0x8ED3FF,
     0x4E91FE, 0xB6E3D8, 0x6FC0FF, 0x000000, 0x8D8D8D, 125},
    {0xFAF4F3, 0xB59799, 0xE5D7D7, 0xF7F3F3, 0x8F6D6E, 0xFFFAFD, 0xC2EEFF, 0x6F4B4B, 0xCCF4FF, 0x91D0FF, 0x8ED3FF,
     0x4E91FE, 0xE7D3D6, 0x6FC0FF, 0x000000, 0x8D8D8D, 40},
};

COLORREF SysColor(int index) { return Office11Environment().SysColor(index); }

void ComputePalette() {
    TOffice11Palette& p = gPalette;
    p.Scheme = DetectOffice11Scheme();
    const bool highContrast = HighContrast();
    p.Themed = !highContrast && Office11Environment().VisualStylesActive() && p.Scheme != Office11Scheme::None;
    if (highContrast) {
        // The user's scheme as it is: no tints, which could bring text and
        // surface close together; a hot or pressed face takes the highlight.
        const COLORREF face = SysColor(COLOR_BTNFACE), highlight = SysColor(COLOR_HIGHLIGHT);
        p.DockStart = p.DockEnd = p.ToolbarLight = p.ToolbarDark = face;
        p.HotTop = p.HotBottom = p.PressedLight = p.PressedDark = p.CheckedFill = highlight;
        p.SelectionFrame = highlight;
        p.Text = SysColor(COLOR_BTNTEXT);
        p.TextDisabled = SysColor(COLOR_GRAYTEXT);
        p.MenuBack = SysColor(COLOR_MENU);
        p.MenuSelected = p.MenuChecked = highlight;
        p.ItemFrame = SysColor(COLOR_BTNTEXT);
        p.MenuText = p.MenuFrame = SysColor(COLOR_MENUTEXT);
        p.MenuSelectedText = p.MenuCheckMark = SysColor(COLOR_HIGHLIGHTTEXT);
        p.MidpointPercent = 75;
    } else if (p.Themed) {
        const SchemeColors& s = kSchemes[static_cast<int>(p.Scheme) - 1];
        p.ToolbarLight = s.ToolbarLight;
        p.ToolbarDark = s.ToolbarDark;
        p.DockStart = s.DockStart;
        p.DockEnd = s.DockEnd;
        p.ItemFrame = s.ItemFrame;
        p.MenuBack = s.MenuBack;
        p.MenuSelected = s.MenuSelected;
        p.SelectionFrame = s.SelectionFrame;
        p.HotTop = s.HotTop;
        p.HotBottom = s.HotBottom;
        p.PressedLight = s.PressedLight;
        p.PressedDark = s.PressedDark;
        p.MenuChecked = s.MenuChecked;
        p.CheckedFill = s.CheckedFill;
        p.Text = s.Text;
        p.TextDisabled = s.TextDisabled;
        p.MidpointPercent = s.MidpointPercent;
    } else {
        // The hot colours copy the selected-row colour, which comes later
        // in the list: it is worked out first so that they never copy the
        // previous scheme's value.
        const COLORREF menuSelected = NearestScreenColor(TintSystemColors(-2, 30, 72));
        p.DockStart = SysColor(COLOR_BTNFACE);
        p.DockEnd = MixColors(clBtnFace, clWindow, 20);
        p.ToolbarLight = MixColors(clBtnFace, clWindow, 22);
        p.ToolbarDark = MixColors(clBtnFace, clWindow, 96);
        p.HotTop = menuSelected;
        p.HotBottom = menuSelected;
        p.PressedLight = NearestScreenColor(TintSystemColors(14, 44, 40));
        p.PressedDark = p.PressedLight;
        p.CheckedFill = TintSystemColors(41, 11, 48);
        p.SelectionFrame = SysColor(COLOR_HIGHLIGHT);
        p.Text = SysColor(COLOR_BTNTEXT);
        p.TextDisabled = SysColor(COLOR_GRAYTEXT);
        p.MenuBack = SysColor(COLOR_WINDOW);
        p.MenuSelected = menuSelected;
        p.MenuChecked = p.ToolbarDark;
        p.ItemFrame = MixColors(clBtnShadow, clWindow, 70);
        p.MidpointPercent = 75;
    }
    if (!highContrast) {
        p.MenuText = p.MenuSelectedText = p.MenuCheckMark = p.Text;
        p.MenuFrame = p.ItemFrame;
    }
    gComputed = true;
}

void CreateBrushes() {
    TOffice11Palette& p = gPalette;
    p.SelectionFrameBrush = Brush(::CreateSolidBrush(p.SelectionFrame));
    p.ItemFrameBrush = Brush(::CreateSolidBrush(p.ItemFrame));
    p.MenuBackBrush = Brush(::CreateSolidBrush(p.MenuBack));
    p.MenuCheckedBrush = Brush(::CreateSolidBrush(p.MenuChecked));
}

void DestroyBrushes() {
    TOffice11Palette& p = gPalette;
    p.SelectionFrameBrush.Reset();
    p.ItemFrameBrush.Reset();
    p.MenuBackBrush.Reset();
    p.MenuCheckedBrush.Reset();
}

int Channel(COLORREF color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }
int Clamp(int value) { return std::clamp(value, 0, 255); }
COLORREF FromChannels(const int (&c)[3]) { return RGB(Clamp(c[0]), Clamp(c[1]), Clamp(c[2])); }
constexpr int kShifts[3] = {0, 8, 16};

// Fills a band between two offsets along the gradient's direction.
void FillBand(HDC dc, const RECT& rect, bool horizontal, int from, int to, COLORREF color) {
    RECT band = rect;
    if (horizontal) {
        band.left = from;
        band.right = to;
    } else {
        band.top = from;
        band.bottom = to;
    }
    if (::IsRectEmpty(&band)) return;
    Brush brush(::CreateSolidBrush(color));
    ::FillRect(dc, &band, brush.Get());
}

}  // namespace

TOffice11Environment SystemOffice11Environment() {
    return {[] { return forms::VisualStylesActive(); }, SystemThemeName,
            [] { return static_cast<DWORD>(LOBYTE(LOWORD(::GetVersion()))); },
            [](int index) { return ::GetSysColor(index); }, ScreenNearestColor};
}

TOffice11Environment& Office11Environment() {
    static TOffice11Environment environment = SystemOffice11Environment();
    return environment;
}

Office11Scheme DetectOffice11Scheme() {
    TOffice11Environment& env = Office11Environment();
    if (!env.VisualStylesActive()) return Office11Scheme::None;
    std::wstring file, color;
    if (!env.CurrentThemeName(file, color)) return Office11Scheme::None;
    std::size_t slash = file.find_last_of(L"\\/");
    std::wstring fileName = UpperAscii(slash == std::wstring::npos ? file : file.substr(slash + 1));
    // Windows XP knows the three colours in Luna only; later systems in
    // any theme.
    if (fileName != L"LUNA.MSSTYLES" && env.WindowsMajorVersion() <= 5) return Office11Scheme::None;
    std::wstring variant = UpperAscii(color);
    if (variant == L"NORMALCOLOR") return Office11Scheme::NormalColor;
    if (variant == L"HOMESTEAD") return Office11Scheme::Homestead;
    if (variant == L"METALLIC") return Office11Scheme::Metallic;
    return Office11Scheme::None;
}

const TOffice11Palette& Office11Palette() {
    // Painting without any user yet still sees computed colours.
    if (!gComputed) ComputePalette();
    return gPalette;
}

void Office11PaletteAddRef() {
    if (gPalette.UserCount == 0) {
        ComputePalette();
        CreateBrushes();
    }
    ++gPalette.UserCount;
}

void Office11PaletteRelease() {
    if (gPalette.UserCount == 0) return;
    if (--gPalette.UserCount == 0) DestroyBrushes();
}

void RefreshOffice11Palette() {
    ComputePalette();
    if (gPalette.UserCount > 0) {
        DestroyBrushes();
        CreateBrushes();
    }
}

COLORREF Office11ResolveColor(TColor color) {
    if ((color & 0xFF000000u) == clSystemColor) return SysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFFu;
}

COLORREF NearestScreenColor(TColor color) { return Office11Environment().NearestColor(Office11ResolveColor(color)); }

COLORREF MixColors(TColor c1, TColor c2, int percent) {
    const COLORREF a = Office11ResolveColor(c1), b = Office11ResolveColor(c2);
    int v[3];
    for (int i = 0; i < 3; ++i)
        v[i] = std::min(255, forms::MulDiv(Channel(a, kShifts[i]), percent, 100) +
                                 forms::MulDiv(Channel(b, kShifts[i]), 100 - percent, 100));
    return NearestScreenColor(FromChannels(v));
}

COLORREF TintSystemColors(int facePercent, int highlightPercent, int windowPercent) {
    const COLORREF face = SysColor(COLOR_BTNFACE), highlight = SysColor(COLOR_HIGHLIGHT),
                   window = SysColor(COLOR_WINDOW);
    if (face == RGB(0, 0, 0) || face == RGB(255, 255, 255)) return highlight;
    int v[3];
    for (int i = 0; i < 3; ++i)
        v[i] = forms::MulDiv(Channel(face, kShifts[i]), facePercent, 100) +
               forms::MulDiv(Channel(highlight, kShifts[i]), highlightPercent, 100) +
               forms::MulDiv(Channel(window, kShifts[i]), windowPercent, 100);
    return FromChannels(v);
}

void FillSolid(HDC dc, const RECT& rect, TColor color) {
    Brush brush(::CreateSolidBrush(Office11ResolveColor(color)));
    ::FillRect(dc, &rect, brush.Get());
}

void FrameSolid(HDC dc, const RECT& rect, TColor color) {
    Brush brush(::CreateSolidBrush(Office11ResolveColor(color)));
    ::FrameRect(dc, &rect, brush.Get());
}

void FillLinearGradient(HDC dc, const RECT& rect, TColor c1, TColor c2, bool horizontal) {
    const COLORREF from = Office11ResolveColor(c1), to = Office11ResolveColor(c2);
    if (from == to) {
        FillSolid(dc, rect, from);
        return;
    }
    if (GradientFillAvailable()) {
        auto vertex = [](LONG x, LONG y, COLORREF c) {
            return TRIVERTEX{x, y, static_cast<COLOR16>(GetRValue(c) << 8), static_cast<COLOR16>(GetGValue(c) << 8),
                             static_cast<COLOR16>(GetBValue(c) << 8), 0};
        };
        TRIVERTEX vertices[2] = {vertex(rect.left, rect.top, from), vertex(rect.right, rect.bottom, to)};
        GRADIENT_RECT shape{0, 1};
        gGradientFill(dc, vertices, 2, &shape, 1, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
        return;
    }
    // At most 256 bands, each as wide as its share of the extent.
    const int start = horizontal ? rect.left : rect.top;
    const int extent = (horizontal ? rect.right : rect.bottom) - start;
    const int bands = std::min(extent, 256);
    int begin = start;
    for (int i = 0; i < bands; ++i) {
        const int end = start + forms::MulDiv(i + 1, extent, bands);
        int v[3];
        for (int k = 0; k < 3; ++k) {
            const int a = Channel(from, kShifts[k]), b = Channel(to, kShifts[k]);
            v[k] = bands == 1 ? a : a + forms::MulDiv(i, b - a, bands - 1);
        }
        FillBand(dc, rect, horizontal, begin, end, FromChannels(v));
        if (end >= start + extent) break;
        begin = end;
    }
}

void FillMidpointGradient(HDC dc, const RECT& rect, TColor c1, TColor c2, bool horizontal) {
    const COLORREF from = Office11ResolveColor(c1), to = Office11ResolveColor(c2);
    if (from == to) {
        FillSolid(dc, rect, from);
        return;
    }
    const int start = horizontal ? rect.left : rect.top;
    const int extent = (horizontal ? rect.right : rect.bottom) - start;
    if (extent <= 0) return;
    const int half = extent / 2;
    const int percent = Office11Palette().MidpointPercent;
    int a[3], b[3], middle[3], reach[3], back[3];
    for (int k = 0; k < 3; ++k) {
        a[k] = Channel(from, kShifts[k]);
        b[k] = Channel(to, kShifts[k]);
        middle[k] = a[k] - forms::MulDiv(a[k] - b[k], percent, 200);
        // Where the first segment's line ends at the far edge, and where the
        // second one's starts at the near edge.
        reach[k] = a[k] - forms::MulDiv(a[k] - middle[k], extent, half);
        back[k] = b[k] + forms::MulDiv(middle[k] - b[k], extent, half);
    }
    for (int i = 0; i < extent; ++i) {
        int v[3];
        for (int k = 0; k < 3; ++k) {
            if (i < half) v[k] = a[k] + forms::MulDiv(i, reach[k] - a[k], extent - 1);
            else if (i == half) v[k] = middle[k];
            else v[k] = back[k] + forms::MulDiv(i, b[k] - back[k], extent - 1);
        }
        FillBand(dc, rect, horizontal, start + i, start + i + 1, FromChannels(v));
    }
}

void DrawSelectionFrame(HDC dc, const RECT& rect) {
    // A black face is a high-contrast scheme: the frame takes the colour
    // of highlighted text, which shows on it.
    if (SysColor(COLOR_BTNFACE) == RGB(0, 0, 0)) {
        FrameSolid(dc, rect, clSystemColor | COLOR_HIGHLIGHTTEXT);
        return;
    }
    const TOffice11Palette& p = Office11Palette();
    if (p.SelectionFrameBrush) ::FrameRect(dc, &rect, p.SelectionFrameBrush.Get());
    else FrameSolid(dc, rect, p.SelectionFrame);
}

namespace {

// The palette's place among the listeners to the system colours: it is
// computed before the first window, lives as long as the listener, and is
// refreshed before anyone else hears of new colours.
class PaletteSubscription {
public:
    PaletteSubscription() : FNotifier([] { RefreshOffice11Palette(); }, true) { Office11PaletteAddRef(); }
    PaletteSubscription(const PaletteSubscription&) = delete;
    PaletteSubscription& operator=(const PaletteSubscription&) = delete;
    ~PaletteSubscription() { Office11PaletteRelease(); }

private:
    controls::TcxSystemPaletteChangedNotifier FNotifier;
};

}  // namespace

void InitializeOffice11() {
    static LoadedLibrary msimg32("msimg32.dll");
    FindFunction(msimg32.Get(), "GradientFill", gGradientFill);
    static PaletteSubscription subscription;
}

void SetGradientFillAvailable(bool available) { gGradientFillEnabled = available; }

bool GradientFillAvailable() { return gGradientFillEnabled && gGradientFill; }

}  // namespace bars
