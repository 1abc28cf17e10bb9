// The Office 2003 colours: one process-wide palette, taken from a constant
// table for the blue, olive and silver visual styles and from the system
// colours otherwise, and the gradient and frame primitives that put these
// colours on the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "forms/Graphics.h"
#include "forms/Handles.h"

namespace bars {

enum class Office11Scheme : std::uint8_t { None, NormalColor, Homestead, Metallic };

// What the scheme and the colours are computed from. The system is asked
// by default; tests put in the machine they want to see.
struct TOffice11Environment {
    std::function<bool()> VisualStylesActive;
    // The current theme's file path and colour variant; false when the
    // visual-styles library cannot tell.
    std::function<bool(std::wstring& themeFile, std::wstring& colorName)> CurrentThemeName;
    std::function<DWORD()> WindowsMajorVersion;
    std::function<COLORREF(int index)> SysColor;
    // The colour the screen shows for a colour.
    std::function<COLORREF(COLORREF color)> NearestColor;
};
TOffice11Environment& Office11Environment();
// The system's answers.
TOffice11Environment SystemOffice11Environment();

struct TOffice11Palette {
    Office11Scheme Scheme = Office11Scheme::None;
    bool Themed = false;
    int MidpointPercent = 75;

    COLORREF DockStart = 0, DockEnd = 0;
    COLORREF ToolbarLight = 0, ToolbarDark = 0;
    COLORREF HotTop = 0, HotBottom = 0;
    COLORREF PressedLight = 0, PressedDark = 0;
    COLORREF CheckedFill = 0;
    COLORREF SelectionFrame = 0;
    COLORREF Text = 0, TextDisabled = 0;
    COLORREF MenuBack = 0, MenuSelected = 0, MenuChecked = 0;
    COLORREF ItemFrame = 0;
    // On the popup menus: text on MenuBack and on MenuSelected, the check
    // mark on MenuChecked, the border and separator lines. The menu's own
    // system colours under high contrast, the toolbar's otherwise.
    COLORREF MenuText = 0, MenuSelectedText = 0, MenuCheckMark = 0, MenuFrame = 0;

    // Solid brushes of the entries painters fill or frame with; they exist
    // while the palette has users.
    forms::Brush SelectionFrameBrush, ItemFrameBrush, MenuBackBrush, MenuCheckedBrush;
    int UserCount = 0;
};

// Read access; nothing but the routines below writes it.
const TOffice11Palette& Office11Palette();
// The first user computes the palette and makes its brushes.
void Office11PaletteAddRef();
// The last user's release frees the brushes; the colours stay.
void Office11PaletteRelease();
// Recomputes every entry, and the brushes while there are users.
void RefreshOffice11Palette();

Office11Scheme DetectOffice11Scheme();

// A system colour resolved through the environment; others pass as they are.
COLORREF Office11ResolveColor(forms::TColor color);
// Percent is C1's share.
COLORREF MixColors(forms::TColor c1, forms::TColor c2, int percent);
// A mix of button face, highlight and window; the highlight alone when the
// face is black or white (high contrast).
COLORREF TintSystemColors(int facePercent, int highlightPercent, int windowPercent);
COLORREF NearestScreenColor(forms::TColor color);

// C1 at the left (horizontal) or top edge, C2 at the other.
void FillLinearGradient(HDC dc, const RECT& rect, forms::TColor c1, forms::TColor c2, bool horizontal);
// Two straight segments that meet at the palette's midpoint colour halfway.
void FillMidpointGradient(HDC dc, const RECT& rect, forms::TColor c1, forms::TColor c2, bool horizontal);
void FillSolid(HDC dc, const RECT& rect, forms::TColor color);
void FrameSolid(HDC dc, const RECT& rect, forms::TColor color);
// The frame of hot, pressed and checked buttons.
void DrawSelectionFrame(HDC dc, const RECT& rect);

// Module start-up: looks GradientFill up once (msimg32 is freed at exit).
void InitializeOffice11();
// Tests take the software gradient by turning GradientFill off.
void SetGradientFillAvailable(bool available);
bool GradientFillAvailable();

}  // namespace bars
