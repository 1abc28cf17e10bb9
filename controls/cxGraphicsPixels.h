// Per-pixel work on 32-bit pictures: transparency, the picture modes, the
// final composition and resampling. Pixels are 0xAARRGGBB (blue in the low
// byte), colours premultiplied by alpha. No window-system dependency.
#pragma once

#include <cstdint>
#include <span>

namespace controls::pixels {

using Pixel = std::uint32_t;

// Which pixels count as transparent: the whole value equals `background`,
// or the colour (low 24 bits) is one of `colours`.
struct Transparency {
    Pixel background = 0;
    std::span<const std::uint32_t> colours;
    bool operator()(Pixel p) const;
};

// alpha := 255.
void MakeOpaque(std::span<Pixel> pixels);
// A pixel that is not transparent and has alpha 0 gets alpha 255.
void FillOpaque(std::span<Pixel> pixels, const Transparency& transparent);
// Transparent pixels become 0xFFFFFFFF, all others 0.
void MakeMask(std::span<Pixel> pixels, const Transparency& transparent);
// target := target AND NOT mask, byte by byte.
void AndNot(std::span<Pixel> target, std::span<const Pixel> mask);
// At least one pixel has a non-zero alpha byte.
bool HasAlpha(std::span<const Pixel> pixels);

// Gray values of the picture modes, from single-precision weights rounded
// half to even.
std::uint8_t LuminanceGray(std::uint8_t r, std::uint8_t g, std::uint8_t b);
std::uint8_t DisabledGray(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// The mode transforms; transparent pixels are left as they are.
void Faded(std::span<Pixel> pixels, const Transparency& transparent);
void Grayscale(std::span<Pixel> pixels, const Transparency& transparent);
void DisabledWithAlpha(std::span<Pixel> pixels, const Transparency& transparent);
// Luminance gray, the shadow colour laid over at 238, then the picture's
// shape in the highlight colour one pixel down and right where the
// picture itself is transparent. Colours are 0x00RRGGBB.
void DisabledWithoutAlpha(std::span<Pixel> pixels, int width, int height, const Transparency& transparent,
                          std::uint32_t shadow, std::uint32_t highlight);
// Half way to white, keeping each pixel's alpha.
void Pale(std::span<Pixel> pixels, const Transparency& transparent);
// The picture over a soft shadow of its shape two pixels down and right;
// `out` is (width + 2) x (height + 2).
void Shadowed(std::span<const Pixel> pixels, int width, int height, const Transparency& transparent,
              std::span<Pixel> out);
inline constexpr int kShadowOffset = 2;

// The final composition of one pixel: each channel, alpha included, is
// src * k + dst * (1 - src.alpha * k / 255) with k = opacity / 255, in
// single precision, rounded and held within 0..255.
Pixel Blend(Pixel dst, Pixel src, std::uint8_t opacity);
// Every channel, alpha included, times opacity / 255: the picture that laid
// over at full opacity gives the blend at that opacity.
void ApplyOpacity(std::span<Pixel> pixels, std::uint8_t opacity);
// Blends a width x height picture into a target at (x, y), clipped to it.
void BlendInto(std::span<Pixel> target, int targetWidth, int targetHeight, int x, int y, std::span<const Pixel> picture,
               int width, int height, std::uint8_t opacity);

// Nearest-neighbour resize.
void Stretch(std::span<const Pixel> src, int srcWidth, int srcHeight, std::span<Pixel> dst, int dstWidth, int dstHeight);
// Lanczos-3 resize of premultiplied pixels; results stay premultiplied.
// Throws std::length_error when srcHeight x dstWidth pixels cannot be held.
void Lanczos3(std::span<const Pixel> src, int srcWidth, int srcHeight, std::span<Pixel> dst, int dstWidth, int dstHeight);

}  // namespace controls::pixels
