#include "controls/cxGraphicsPixels.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace controls::pixels {

namespace {

constexpr float kPi = 3.14159265358979f;

std::uint8_t Channel(Pixel p, int shift) { return static_cast<std::uint8_t>(p >> shift); }
std::uint8_t Alpha(Pixel p) { return Channel(p, 24); }

// Round half to even in plain single precision: adding and taking away
// 1.5 * 2^23 leaves the nearest integer under the default rounding mode.
float RoundEven(float v) {
    constexpr float kMagic = 12582912.0f;
    return (v + kMagic) - kMagic;
}

std::uint8_t ToByte(float v) {
    const float r = RoundEven(v);
    return static_cast<std::uint8_t>(r < 0.0f ? 0.0f : r > 255.0f ? 255.0f : r);
}

Pixel WithGray(Pixel p, std::uint8_t gray) {
    return (p & 0xFF000000u) | static_cast<Pixel>(gray) << 16 | static_cast<Pixel>(gray) << 8 | gray;
}

template <class GrayOf>
void ToGray(std::span<Pixel> pixels, const Transparency& transparent, GrayOf grayOf) {
    for (Pixel& p : pixels)
        if (!transparent(p)) p = WithGray(p, grayOf(Channel(p, 16), Channel(p, 8), Channel(p, 0)));
}

float Lanczos(float x) {
    if (x == 0.0f) return 1.0f;
    if (x <= -3.0f || x >= 3.0f) return 0.0f;
    const float px = kPi * x;
    return 3.0f * std::sin(px) * std::sin(px / 3.0f) / (px * px);
}

// Source taps and weights of every target position along one axis.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> index;
    std::vector<float> weight;
};

Taps LanczosTaps(int srcSize, int dstSize) {
    Taps taps;
    const float scale = static_cast<float>(srcSize) / static_cast<float>(dstSize);
    const float filterScale = std::max(scale, 1.0f);
    const float support = 3.0f * filterScale;
    for (int i = 0; i < dstSize; ++i) {
        const float centre = (static_cast<float>(i) + 0.5f) * scale - 0.5f;
        const int lo = static_cast<int>(std::floor(centre - support)) + 1;
        const int hi = static_cast<int>(std::floor(centre + support));
        taps.first.push_back(static_cast<int>(taps.index.size()));
        float sum = 0.0f;
        const std::size_t start = taps.weight.size();
        for (int j = lo; j <= hi; ++j) {
            const float w = Lanczos((static_cast<float>(j) - centre) / filterScale);
            if (w == 0.0f) continue;
            taps.index.push_back(std::clamp(j, 0, srcSize - 1));
            taps.weight.push_back(w);
            sum += w;
        }
        if (sum != 0.0f)
            for (std::size_t k = start; k < taps.weight.size(); ++k) taps.weight[k] /= sum;
        taps.count.push_back(static_cast<int>(taps.index.size()) - taps.first.back());
    }
    return taps;
}

}  // namespace

bool Transparency::operator()(Pixel p) const {
    if (p == background) return true;
    const std::uint32_t colour = p & 0x00FFFFFF;
    return std::find(colours.begin(), colours.end(), colour) != colours.end();
}

void MakeOpaque(std::span<Pixel> pixels) {
    for (Pixel& p : pixels) p |= 0xFF000000u;
}

void FillOpaque(std::span<Pixel> pixels, const Transparency& transparent) {
    for (Pixel& p : pixels)
        if (Alpha(p) == 0 && !transparent(p)) p |= 0xFF000000u;
}

void MakeMask(std::span<Pixel> pixels, const Transparency& transparent) {
    for (Pixel& p : pixels) p = transparent(p) ? 0xFFFFFFFFu : 0u;
}

void AndNot(std::span<Pixel> target, std::span<const Pixel> mask) {
    const std::size_t n = std::min(target.size(), mask.size());
    for (std::size_t i = 0; i < n; ++i) target[i] &= ~mask[i];
}

bool HasAlpha(std::span<const Pixel> pixels) {
    return std::any_of(pixels.begin(), pixels.end(), [](Pixel p) { return Alpha(p) != 0; });
}

std::uint8_t LuminanceGray(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return ToByte(static_cast<float>(r) * 0.299f + static_cast<float>(g) * 0.587f + static_cast<float>(b) * 0.114f);
}

std::uint8_t DisabledGray(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return ToByte(static_cast<float>(r) * 0.0729f + static_cast<float>(g) * 0.7146f + static_cast<float>(b) * 0.2125f);
}

void Faded(std::span<Pixel> pixels, const Transparency& transparent) { ToGray(pixels, transparent, LuminanceGray); }

void Grayscale(std::span<Pixel> pixels, const Transparency& transparent) {
    ToGray(pixels, transparent, [](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return static_cast<std::uint8_t>((r + g + b) / 3);
    });
}

void DisabledWithAlpha(std::span<Pixel> pixels, const Transparency& transparent) {
    ToGray(pixels, transparent, DisabledGray);
}

void DisabledWithoutAlpha(std::span<Pixel> pixels, int width, int height, const Transparency& transparent,
                          std::uint32_t shadow, std::uint32_t highlight) {
    std::vector<bool> shape(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) shape[i] = !transparent(pixels[i]);
    const Pixel shade = 0xC0000000u | (shadow & 0x00FFFFFF);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (!shape[i]) continue;
        const Pixel p = pixels[i];
        pixels[i] = Blend(WithGray(p, LuminanceGray(Channel(p, 16), Channel(p, 8), Channel(p, 0))), shade, 238);
    }
    const Pixel light = 0xFF000000u | (highlight & 0x00FFFFFF);
    for (int y = 1; y < height; ++y)
        for (int x = 1; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            if (!shape[i] && shape[i - width - 1]) pixels[i] = light;
        }
}

void Pale(std::span<Pixel> pixels, const Transparency& transparent) {
    for (Pixel& p : pixels) {
        if (transparent(p)) continue;
        const unsigned a = Alpha(p);
        Pixel out = p & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) out |= static_cast<Pixel>((Channel(p, shift) + a + 1) / 2) << shift;
        p = out;
    }
}

void Shadowed(std::span<const Pixel> pixels, int width, int height, const Transparency& transparent,
              std::span<Pixel> out) {
    const int outWidth = width + kShadowOffset, outHeight = height + kShadowOffset;
    auto alphaAt = [&](int x, int y) -> unsigned {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        const Pixel p = pixels[static_cast<std::size_t>(y) * width + x];
        return transparent(p) ? 0 : Alpha(p);
    };
    // A black shape at 40 %, softened by a 3 x 3 box.
    for (int y = 0; y < outHeight; ++y)
        for (int x = 0; x < outWidth; ++x) {
            unsigned sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) sum += alphaAt(x - kShadowOffset + dx, y - kShadowOffset + dy);
            out[static_cast<std::size_t>(y) * outWidth + x] = static_cast<Pixel>((sum * 2 + 22) / 45) << 24;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = pixels[static_cast<std::size_t>(y) * width + x];
            if (transparent(p)) continue;
            Pixel& target = out[static_cast<std::size_t>(y) * outWidth + x];
            target = Blend(target, p, 255);
        }
}

Pixel Blend(Pixel dst, Pixel src, std::uint8_t opacity) {
    const float k = static_cast<float>(opacity) / 255.0f;
    const float keep = 1.0f - static_cast<float>(Alpha(src)) * k / 255.0f;
    Pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= static_cast<Pixel>(ToByte(static_cast<float>(Channel(src, shift)) * k +
                                         static_cast<float>(Channel(dst, shift)) * keep))
               << shift;
    return out;
}

void ApplyOpacity(std::span<Pixel> pixels, std::uint8_t opacity) {
    const float k = static_cast<float>(opacity) / 255.0f;
    for (Pixel& p : pixels) {
        Pixel out = 0;
        for (int shift = 0; shift < 32; shift += 8)
            out |= static_cast<Pixel>(ToByte(static_cast<float>(Channel(p, shift)) * k)) << shift;
        p = out;
    }
}

void BlendInto(std::span<Pixel> target, int targetWidth, int targetHeight, int x, int y, std::span<const Pixel> picture,
               int width, int height, std::uint8_t opacity) {
    const int left = std::max(0, -x), top = std::max(0, -y);
    const int right = std::min(width, targetWidth - x), bottom = std::min(height, targetHeight - y);
    for (int row = top; row < bottom; ++row) {
        Pixel* dst = target.data() + static_cast<std::size_t>(y + row) * targetWidth + x;
        const Pixel* src = picture.data() + static_cast<std::size_t>(row) * width;
        for (int col = left; col < right; ++col) {
            // Exact shortcuts of the formula: k is 1 at full opacity, and a
            // zero pixel adds nothing.
            if (src[col] == 0) continue;
            if (opacity == 255 && Alpha(src[col]) == 255)
                dst[col] = src[col];
            else
                dst[col] = Blend(dst[col], src[col], opacity);
        }
    }
}

void Stretch(std::span<const Pixel> src, int srcWidth, int srcHeight, std::span<Pixel> dst, int dstWidth, int dstHeight) {
    for (int y = 0; y < dstHeight; ++y) {
        const int sy = static_cast<int>((2LL * y + 1) * srcHeight / (2LL * dstHeight));
        for (int x = 0; x < dstWidth; ++x) {
            const int sx = static_cast<int>((2LL * x + 1) * srcWidth / (2LL * dstWidth));
            dst[static_cast<std::size_t>(y) * dstWidth + x] = src[static_cast<std::size_t>(sy) * srcWidth + sx];
        }
    }
}

void Lanczos3(std::span<const Pixel> src, int srcWidth, int srcHeight, std::span<Pixel> dst, int dstWidth, int dstHeight) {
    const Taps across = LanczosTaps(srcWidth, dstWidth);
    const Taps down = LanczosTaps(srcHeight, dstHeight);
    // Rows resized first, four channels each, kept in floating point. The
    // count is reckoned in 64 bits: a 32-bit size_t would wrap it.
    const std::uint64_t count = static_cast<std::uint64_t>(srcHeight) * static_cast<std::uint64_t>(dstWidth) * 4;
    std::vector<float> rows;
    if (count > rows.max_size()) throw std::length_error("Lanczos3: the picture is too large");
    rows.resize(static_cast<std::size_t>(count));
    for (int y = 0; y < srcHeight; ++y)
        for (int x = 0; x < dstWidth; ++x) {
            float acc[4] = {};
            for (int t = 0; t < across.count[x]; ++t) {
                const std::size_t k = static_cast<std::size_t>(across.first[x] + t);
                const Pixel p = src[static_cast<std::size_t>(y) * srcWidth + across.index[k]];
                for (int c = 0; c < 4; ++c) acc[c] += static_cast<float>(Channel(p, c * 8)) * across.weight[k];
            }
            std::copy(acc, acc + 4, &rows[(static_cast<std::size_t>(y) * dstWidth + x) * 4]);
        }
    for (int y = 0; y < dstHeight; ++y)
        for (int x = 0; x < dstWidth; ++x) {
            float acc[4] = {};
            for (int t = 0; t < down.count[y]; ++t) {
                const std::size_t k = static_cast<std::size_t>(down.first[y] + t);
                const float* p = &rows[(static_cast<std::size_t>(down.index[k]) * dstWidth + x) * 4];
                for (int c = 0; c < 4; ++c) acc[c] += p[c] * down.weight[k];
            }
            // The filter rings: keep each colour within its pixel's alpha.
            const std::uint8_t a = ToByte(acc[3]);
            Pixel out = static_cast<Pixel>(a) << 24;
            for (int c = 0; c < 3; ++c) out |= static_cast<Pixel>(std::min(ToByte(acc[c]), a)) << (c * 8);
            dst[static_cast<std::size_t>(y) * dstWidth + x] = out;
        }
}

}  // namespace controls::pixels
