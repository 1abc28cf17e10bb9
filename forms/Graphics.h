// Colours, fonts and a thin drawing surface over a device context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "forms/Component.h"
#include "forms/Handles.h"

namespace forms {

// 0x00BBGGRR; a top byte of 0xFF names a system colour by its index.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
                        clOlive = 0x008080, clNavy = 0x800000, clPurple = 0x800080,
                        clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0,
                        clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                        clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clSystemColor = 0xFF000000;
inline constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
inline constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
inline constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
inline constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
inline constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
inline constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
inline constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
inline constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
inline constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;

// Resolves a system colour to its current value; other values pass as they are.
COLORREF ColorToRGB(TColor color);

inline constexpr bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == clSystemColor; }

// Whether the user runs a high-contrast scheme (SPI_GETHIGHCONTRAST). Paints
// ask for every colour, so the answer is kept until RefreshHighContrast
// asks again, which our windows do when the system announces a change.
bool HighContrast();
// Asks again; true when the answer changed.
bool RefreshHighContrast();
// Tests put in their own answer, asked at once and at every refresh; null
// goes back to asking the system.
void SetHighContrastQuery(bool (*query)());

// Counts the changes of the system's colours, theme and settings (and of
// the high-contrast answer): a picture kept from an earlier paint is stale
// once the count has moved.
unsigned AppearanceGeneration();
void AppearanceChanged();

// Under high contrast a colour of our own gives way to the system colour of
// its role, so that the user's scheme decides every surface and text.
TColor SchemeColor(TColor color, TColor role);
// The text colour to draw on a surface: under high contrast the system's
// text colour of the surface unless both are the system's already.
TColor SchemeTextColor(TColor text, TColor surface);

// Looks up a colour by its name ("clNavy", "clBtnFace"); false if unknown.
bool ColorFromName(std::string_view name, TColor& color);

// a * b / c with a 64-bit intermediate, rounded to nearest with halves away
// from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

enum class TFontStyle : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
using TFontStyles = unsigned;  // bit set of TFontStyle
constexpr TFontStyles operator|(TFontStyle a, TFontStyle b) { return unsigned(a) | unsigned(b); }
constexpr bool HasStyle(TFontStyles s, TFontStyle f) { return (s & unsigned(f)) != 0; }

// A font description with a lazily made handle. A change frees the handle
// and tells the owner through OnChange. Stored whole: Charset, Color,
// Height, Name and Style.
class TFont : public TPersistent {
public:
    TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const std::string& Name() const { return FName; }
    int Height() const { return FHeight; }
    TColor Color() const { return FColor; }
    TFontStyles Style() const { return FStyle; }
    BYTE Charset() const { return FCharset; }

    void SetName(std::string name);
    void SetHeight(int height);
    void SetColor(TColor color);
    void SetStyle(TFontStyles style);
    void SetCharset(BYTE charset);
    // Takes over every attribute of another font; one change notification.
    void Assign(const TFont& source);
    // Takes face, height and style from a logical font.
    void AssignLogFont(const LOGFONTA& lf);

    // The font handle; made on first use after a change.
    HFONT Handle() const;
    // The height of a line of text in this font, measured once per handle:
    // a panel that shows a running clock asks for it every second.
    int LineHeight() const;
    LOGFONTA LogFont() const;

    std::function<void()> OnChange;

    friend bool operator==(const TFont& a, const TFont& b);

    const PropertyTable& StoredProperties() const override;

private:
    void Changed();

    std::string FName;
    int FHeight;
    TColor FColor;
    TFontStyles FStyle = 0;
    BYTE FCharset = DEFAULT_CHARSET;
    mutable Font FHandle;
    mutable int FLineHeight = 0;  // 0 until measured
};

// A font that follows a source (a parent's font, the system menu font)
// until a font of its own is set: any change made through Font() makes it
// the owner's own. The owner brings the source's changes with Follow or
// FromSource, which leave it following. OnChange hears of every change.
class TFollowingFont {
public:
    TFollowingFont();
    TFollowingFont(const TFollowingFont&) = delete;
    TFollowingFont& operator=(const TFollowingFont&) = delete;

    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    bool Following() const { return FFollowing; }
    // Following again takes nothing by itself: the owner brings the source.
    void SetFollowing(bool following) { FFollowing = following; }
    // Takes every attribute of the source while following.
    void Follow(const TFont& source);
    // A change on the source's behalf, following or not (a scaled font
    // takes the new height of the system's).
    void FromSource(const std::function<void(TFont&)>& change);

    std::function<void()> OnChange;

private:
    TFont FFont;
    bool FFollowing = true;
    bool FFromSource = false;
};

// A bitmap kept selected into a memory DC of its own: an off-screen
// surface to draw into and copy from. Empty until it is given a size.
class TOffscreenBitmap {
public:
    TOffscreenBitmap() = default;
    TOffscreenBitmap(const TOffscreenBitmap&) = delete;
    TOffscreenBitmap& operator=(const TOffscreenBitmap&) = delete;
    ~TOffscreenBitmap() { Reset(); }

    bool Empty() const { return !FBitmap; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    HDC DC() const { return FDC.Get(); }
    // A new 32-bit colour bitmap, its pixels undefined; the same size
    // keeps the old one.
    void SetSize(int width, int height);
    void Reset();
    void Swap(TOffscreenBitmap& other) noexcept;

private:
    Owned<MemoryDCKind> FDC;
    Bitmap FBitmap;
    HGDIOBJ FOriginal = nullptr;
    int FWidth = 0, FHeight = 0;
};

// Drawing helpers over a device context we do not own.
class TCanvas {
public:
    explicit TCanvas(HDC dc) : FDC(dc) {}
    HDC Handle() const { return FDC; }

    void FillRect(const RECT& r, TColor color) const;
    // A frame `width` pixels wide: top and left in one colour, bottom and
    // right in the other; shrinks `r` by the frame.
    void Frame3D(RECT& r, TColor topLeft, TColor bottomRight, int width) const;
    // Size of a text in a font (single line; "&" taken literally).
    SIZE TextExtent(const TFont& font, std::string_view text) const;
    // DrawText with the font's face and colour, transparent background.
    int DrawText(const TFont& font, std::string_view text, RECT& r, UINT format) const;
    // The same in another colour than the font's.
    int DrawText(const TFont& font, std::string_view text, RECT& r, UINT format, TColor color) const;

private:
    HDC FDC;
};

}  // namespace forms
