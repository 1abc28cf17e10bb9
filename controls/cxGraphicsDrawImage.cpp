// DrawImage: composes a picture with its per-pixel alpha over the pixels
// behind it, through AlphaBlend, GDI+ or pixel by pixel.
#include <algorithm>
#include <memory>
#include <vector>

#include "controls/cxGraphics.h"
#include "forms/Helpers.h"
#include "forms/ResStrings.h"

namespace controls {

namespace {

using forms::FindFunction;
using pixels::Pixel;

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

const forms::ResStringDefault kGraphicsStrings[] = {
    {"scxWrongPixelFormat", "Wrong PixelFormat"},
};

// What start-up found out about the system.
struct System {
    HMODULE msimg32 = nullptr;
    AlphaBlendFn alphaBlend = nullptr;
    bool wow64 = false;
};
System gSystem;

// The flat GDI+ API, loaded by name on first need.
struct GdiPlus {
    struct StartupInput {
        UINT32 version = 1;
        void* debugEventCallback = nullptr;
        BOOL suppressBackgroundThread = FALSE;
        BOOL suppressExternalCodecs = FALSE;
    };
    static constexpr int kOk = 0;
    static constexpr int kPixelFormat32bppPARGB = 0x000E200B;
    static constexpr int kUnitPixel = 2;
    static constexpr int kInterpolationLowQuality = 1;
    static constexpr int kInterpolationHighQualityBicubic = 7;

    bool tried = false;
    HMODULE module = nullptr;
    ULONG_PTR token = 0;
    int(WINAPI* Startup)(ULONG_PTR*, const StartupInput*, void*) = nullptr;
    void(WINAPI* Shutdown)(ULONG_PTR) = nullptr;
    int(WINAPI* CreateFromHDC)(HDC, void**) = nullptr;
    int(WINAPI* DeleteGraphics)(void*) = nullptr;
    int(WINAPI* CreateBitmapFromScan0)(INT, INT, INT, INT, BYTE*, void**) = nullptr;
    int(WINAPI* DisposeImage)(void*) = nullptr;
    int(WINAPI* SetInterpolationMode)(void*, int) = nullptr;
    int(WINAPI* DrawImageRectRectI)(void*, void*, INT, INT, INT, INT, INT, INT, INT, INT, int, const void*, void*,
                                    void*) = nullptr;
};
GdiPlus gGdiPlus;

TcxBlendPath gBlendPath = TcxBlendPath::Auto;
TcxBlendPath gLastBlendPath = TcxBlendPath::Auto;

bool GdiPlusReady() {
    GdiPlus& g = gGdiPlus;
    if (g.tried) return g.token != 0;
    g.tried = true;
    g.module = ::LoadLibraryA("gdiplus.dll");
    if (!g.module) return false;
    const bool found = FindFunction(g.module, "GdiplusStartup", g.Startup) &&
                       FindFunction(g.module, "GdiplusShutdown", g.Shutdown) &&
                       FindFunction(g.module, "GdipCreateFromHDC", g.CreateFromHDC) &&
                       FindFunction(g.module, "GdipDeleteGraphics", g.DeleteGraphics) &&
                       FindFunction(g.module, "GdipCreateBitmapFromScan0", g.CreateBitmapFromScan0) &&
                       FindFunction(g.module, "GdipDisposeImage", g.DisposeImage) &&
                       FindFunction(g.module, "GdipSetInterpolationMode", g.SetInterpolationMode) &&
                       FindFunction(g.module, "GdipDrawImageRectRectI", g.DrawImageRectRectI);
    GdiPlus::StartupInput input;
    if (!found || g.Startup(&g.token, &input, nullptr) != GdiPlus::kOk) {
        g.token = 0;
        ::FreeLibrary(g.module);
        g.module = nullptr;
    }
    return g.token != 0;
}

void ShutdownGdiPlus() {
    GdiPlus& g = gGdiPlus;
    if (g.token) g.Shutdown(g.token);
    if (g.module) ::FreeLibrary(g.module);
    g = GdiPlus{};
}

// A memory DC that keeps one bitmap selected between calls: selecting
// costs more than drawing a picture. The bitmap is taken out before
// anything that may replace it.
class SelectedBitmap {
public:
    SelectedBitmap() = default;
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    ~SelectedBitmap() { Release(); }

    HDC Select(TcxBitmap& bitmap) {
        HBITMAP handle = bitmap.Handle();
        if (handle != FSelected) {
            HGDIOBJ previous = ::SelectObject(FDC.Get(), handle);
            if (!FOriginal) FOriginal = previous;
            FSelected = handle;
        }
        return FDC.Get();
    }
    // Sizes the bitmap, first taking it out when it will be replaced.
    void SetSize(TcxBitmap& bitmap, int width, int height) {
        if (bitmap.Width() != width || bitmap.Height() != height) Release();
        bitmap.SetSize(width, height);
    }
    void Release() {
        if (FOriginal) ::SelectObject(FDC.Get(), FOriginal);
        FOriginal = nullptr;
        FSelected = nullptr;
    }

private:
    forms::MemoryDC FDC;
    HGDIOBJ FOriginal = nullptr;
    HBITMAP FSelected = nullptr;
};

// The three pictures every call reuses. The buffer and the mask stay
// selected into DCs of their own; the mask doubles as AlphaBlend's source
// once its own work is done.
struct Scratch {
    TcxBitmap32 buffer;
    TcxAlphaBitmap picture;
    TcxAlphaBitmap mask;
    SelectedBitmap bufferDC;
    SelectedBitmap maskDC;
    ~Scratch() {
        maskDC.Release();
        bufferDC.Release();
    }
};
std::unique_ptr<Scratch> gScratch;

Scratch& Scratches() {
    if (!gScratch) gScratch = std::make_unique<Scratch>();
    return *gScratch;
}

// COLORREF (red low) to the pixels' byte order (blue low).
std::uint32_t ToPixelOrder(COLORREF colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

void CopyPixels(std::span<Pixel> to, std::span<const Pixel> from) { std::copy(from.begin(), from.end(), to.begin()); }

// The means Auto stands for. Under WOW64 GDI+ was the documented way, but
// it costs a dozen times our own loop for a toolbar picture, so a 32-bit
// process on 64-bit Windows blends pixel by pixel; elsewhere AlphaBlend.
TcxBlendPath AutoPath() {
    if (gSystem.wow64 || !gSystem.alphaBlend) return TcxBlendPath::Pixels;
    return TcxBlendPath::AlphaBlend;
}

// Premultiplied source-over of `source` at G through GDI+, at full opacity.
bool BlendWithGdiPlus(HDC buffer, std::span<Pixel> source, const RECT& g, bool smooth) {
    GdiPlus& api = gGdiPlus;
    const int w = g.right - g.left, h = g.bottom - g.top;
    void* graphics = nullptr;
    void* image = nullptr;
    bool done = false;
    if (api.CreateFromHDC(buffer, &graphics) == GdiPlus::kOk &&
        api.CreateBitmapFromScan0(w, h, w * 4, GdiPlus::kPixelFormat32bppPARGB, reinterpret_cast<BYTE*>(source.data()),
                                  &image) == GdiPlus::kOk) {
        api.SetInterpolationMode(graphics, smooth ? GdiPlus::kInterpolationHighQualityBicubic
                                                  : GdiPlus::kInterpolationLowQuality);
        done = api.DrawImageRectRectI(graphics, image, g.left, g.top, w, h, 0, 0, w, h, GdiPlus::kUnitPixel, nullptr,
                                      nullptr, nullptr) == GdiPlus::kOk;
    }
    if (image) api.DisposeImage(image);
    if (graphics) api.DeleteGraphics(graphics);
    return done;
}

// Lays P over the buffer at G with the constant alpha. Resizing and the
// arithmetic are ours on every path; a path only composes P, G-sized, at
// one pixel per pixel, so all of them give the same result.
void Compose(Scratch& s, HDC buffer, const RECT& g, std::uint8_t alpha, bool smooth) {
    const int gw = g.right - g.left, gh = g.bottom - g.top;
    if (gw <= 0 || gh <= 0) return;
    TcxAlphaBitmap& p = s.picture;
    const TcxBlendPath path = gBlendPath == TcxBlendPath::Auto ? AutoPath() : gBlendPath;

    // The source goes into the mask bitmap, which is free by now and has a
    // DC for AlphaBlend: resized to G (Lanczos-3 when smooth).
    TcxAlphaBitmap& source = s.mask;
    s.maskDC.SetSize(source, gw, gh);
    const std::span<const Pixel> from = p.Pixels();
    const std::span<Pixel> to = source.Pixels();
    if (gw == p.Width() && gh == p.Height())
        CopyPixels(to, from);
    else if (smooth)
        pixels::Lanczos3(from, p.Width(), p.Height(), to, gw, gh);
    else
        pixels::Stretch(from, p.Width(), p.Height(), to, gw, gh);

    if (path == TcxBlendPath::AlphaBlend && gSystem.alphaBlend) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
        if (gSystem.alphaBlend(buffer, g.left, g.top, gw, gh, s.maskDC.Select(source), 0, 0, gw, gh, blend)) {
            gLastBlendPath = TcxBlendPath::AlphaBlend;
            return;
        }
    }
    if (path == TcxBlendPath::GdiPlus && GdiPlusReady()) {
        // GDI+ would take the constant alpha through a colour matrix, which
        // rounds it off by more than a unit; folded into the premultiplied
        // source it is the same blend.
        if (alpha < 255) pixels::ApplyOpacity(to, alpha);
        alpha = 255;
        if (BlendWithGdiPlus(buffer, to, g, smooth)) {
            gLastBlendPath = TcxBlendPath::GdiPlus;
            return;
        }
    }
    gLastBlendPath = TcxBlendPath::Pixels;
    ::GdiFlush();
    pixels::BlendInto(s.buffer.Pixels(), s.buffer.Width(), s.buffer.Height(), g.left, g.top, to, gw, gh, alpha);
}

}  // namespace

void DrawImage(HDC dc, const RECT& glyphRect, const RECT& backgroundRect, TcxBitmap* glyph,
               forms::TCustomImageList* images, int imageIndex, ImageDrawMode mode, bool smooth, HBRUSH brush,
               TColor transparentColor, bool useGlyphTransparency) {
    const bool fromGlyph = glyph && !glyph->Empty();
    if (!fromGlyph && !(images && imageIndex >= 0 && imageIndex < images->Count())) return;
    const int kw = backgroundRect.right - backgroundRect.left, kh = backgroundRect.bottom - backgroundRect.top;
    if (kw <= 0 || kh <= 0) return;
    Scratch& s = Scratches();

    // The buffer: what lies under K (or the brush), wholly overwritten.
    s.bufferDC.SetSize(s.buffer, kw, kh);
    const HDC buffer = s.bufferDC.Select(s.buffer);
    const RECT whole{0, 0, kw, kh};
    if (brush)
        ::FillRect(buffer, &whole, brush);
    else
        ::BitBlt(buffer, 0, 0, kw, kh, dc, backgroundRect.left, backgroundRect.top, SRCCOPY);
    RECT g = glyphRect;
    ::OffsetRect(&g, -backgroundRect.left, -backgroundRect.top);

    // The picture P.
    TcxAlphaBitmap& p = s.picture;
    bool hasAlpha = false;
    if (fromGlyph) {
        p.SetSize(glyph->Width(), glyph->Height());
        if (glyph->BitsPerPixel() == 32) {
            ::GdiFlush();
            const auto* bits = reinterpret_cast<const Pixel*>(glyph->ScanLine(0));
            CopyPixels(p.Pixels(), {bits, p.Pixels().size()});
        } else {
            CopyPixels(p.Pixels(), ToBgra32(glyph->Image()));
        }
        hasAlpha = glyph->BitsPerPixel() >= 32;
    } else {
        p.SetSize(images->Width(), images->Height());
        bool copied = false;
        if (auto* list = dynamic_cast<TcxImageList*>(images)) {
            copied = list->CopyPicture(imageIndex, &p, nullptr);
        } else {
            std::vector<std::uint32_t> px;
            copied = images->CopyImagePixels(imageIndex, px);
            if (copied) CopyPixels(p.Pixels(), px);
        }
        if (!copied) p.Clear();
        hasAlpha = images->ImageBitsPerPixel() >= 32;
    }
    const std::span<Pixel> pixels = p.Pixels();
    hasAlpha = hasAlpha && pixels::HasAlpha(pixels);

    // Transparency by mask and colour; with alpha it would only zero pixels
    // that are zero already, so that case skips it.
    if (!hasAlpha) {
        pixels::MakeOpaque(pixels);
        TcxAlphaBitmap& m = s.mask;
        s.maskDC.SetSize(m, p.Width(), p.Height());
        const std::span<Pixel> mask = m.Pixels();
        CopyPixels(mask, pixels);
        m.TransparentPixels().Clear();
        if (!fromGlyph) {
            std::vector<std::uint32_t> listMask;
            if (images->CopyMaskPixels(imageIndex, listMask) && listMask.size() == mask.size()) {
                pixels::FillOpaque(listMask, pixels::Transparency{});
                pixels::AndNot(mask, listMask);
            }
        }
        if (transparentColor != forms::clNone) m.TransparentPixels().Add(ToPixelOrder(forms::ColorToRGB(transparentColor)));
        if (useGlyphTransparency && fromGlyph)
            m.TransparentPixels().Add(pixels[static_cast<std::size_t>(p.Height() - 1) * p.Width()]);
        pixels::MakeMask(mask, m.Transparency());
        pixels::AndNot(pixels, mask);
    }

    // The mode.
    std::uint8_t alpha = 255;
    const pixels::Transparency transparent = p.Transparency();
    switch (mode) {
    case ImageDrawMode::Normal: break;
    case ImageDrawMode::Faded:
        pixels::Faded(pixels, transparent);
        alpha = 64;
        break;
    case ImageDrawMode::Grayscale: pixels::Grayscale(pixels, transparent); break;
    case ImageDrawMode::Disabled:
        if (hasAlpha) {
            pixels::DisabledWithAlpha(pixels, transparent);
            alpha = 151;
        } else {
            pixels::DisabledWithoutAlpha(pixels, p.Width(), p.Height(), transparent,
                                         ToPixelOrder(::GetSysColor(COLOR_BTNSHADOW)),
                                         ToPixelOrder(::GetSysColor(COLOR_BTNHIGHLIGHT)));
        }
        break;
    case ImageDrawMode::Pale: pixels::Pale(pixels, transparent); break;
    case ImageDrawMode::Shadowed: {
        const int w = p.Width(), h = p.Height();
        std::vector<Pixel> shadowed(static_cast<std::size_t>(w + pixels::kShadowOffset) * (h + pixels::kShadowOffset));
        pixels::Shadowed(pixels, w, h, transparent, shadowed);
        // G grows by the shadow, scaled like the picture.
        g.right += forms::MulDiv(pixels::kShadowOffset, g.right - g.left, w);
        g.bottom += forms::MulDiv(pixels::kShadowOffset, g.bottom - g.top, h);
        p.SetSize(w + pixels::kShadowOffset, h + pixels::kShadowOffset);
        CopyPixels(p.Pixels(), shadowed);
        break;
    }
    }

    Compose(s, buffer, g, alpha, smooth);
    ::BitBlt(dc, backgroundRect.left, backgroundRect.top, kw, kh, buffer, 0, 0, SRCCOPY);
}

void SetBlendPath(TcxBlendPath path) { gBlendPath = path; }

TcxBlendPath BlendPath() { return gBlendPath; }

TcxBlendPath ResolvedBlendPath() { return gBlendPath == TcxBlendPath::Auto ? AutoPath() : gBlendPath; }

bool RunningUnderWow64() { return gSystem.wow64; }

void SetRunningUnderWow64(bool wow64) { gSystem.wow64 = wow64; }

TcxBlendPath LastBlendPath() { return gLastBlendPath; }

bool GdiPlusAvailable() { return GdiPlusReady(); }

void InitializeGraphics() {
    forms::RegisterResStrings(kGraphicsStrings);
    if (gSystem.msimg32) return;
    gSystem.msimg32 = ::LoadLibraryA("msimg32.dll");
    if (gSystem.msimg32) FindFunction(gSystem.msimg32, "AlphaBlend", gSystem.alphaBlend);
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    IsWow64ProcessFn isWow64 = nullptr;
    BOOL wow64 = FALSE;
    if (FindFunction(::GetModuleHandleA("kernel32.dll"), "IsWow64Process", isWow64) && isWow64(::GetCurrentProcess(), &wow64))
        gSystem.wow64 = wow64 != FALSE;
}

void FinalizeGraphics() {
    gScratch.reset();
    ShutdownGdiPlus();
    if (gSystem.msimg32) ::FreeLibrary(gSystem.msimg32);
    gSystem = System{};
}

}  // namespace controls
