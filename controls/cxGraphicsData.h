// The "Data" block of a stored bitmap: a length-prefixed BMP file (the
// plain form) or its run-length compressed form. Pure byte-level code with
// no window-system dependency; every read is bounds-checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "forms/Exceptions.h"

namespace controls {

// A block that is not a well-formed bitmap in either form.
class EInvalidImageData : public forms::Exception {
public:
    explicit EInvalidImageData(const std::string& detail) : forms::Exception("Invalid image data: " + detail) {}
};

// An uncompressed device-independent bitmap, rows top row first (the
// plain form stores them bottom row first).
struct DibImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitsPerPixel = 32;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB entries, for 8 bits or fewer
    std::vector<std::uint8_t> bits;      // height rows of Stride() bytes

    bool Empty() const { return width <= 0 || height <= 0; }
    // Bytes of one row; sound only for a size that SizeFits: size_t is 32
    // bits on i686, and a wider row would wrap.
    std::size_t Stride() const { return StrideOf(width, bitsPerPixel); }
    static std::size_t StrideOf(std::int32_t width, int bitsPerPixel) {
        return (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
    }
    friend bool operator==(const DibImage&, const DibImage&) = default;
};

// Signature of the compressed form, at offset 4.
inline constexpr std::uint8_t kCompressedSignature[4] = {0x58, 0x44, 0x42, 0x4D};
// Longest run of the compressed form, in blocks.
inline constexpr int kMaxRun = 125;
// Largest plain form we accept; far beyond any picture of an image list,
// and it bounds what a damaged length can make us allocate.
inline constexpr std::size_t kMaxPlainSize = 256u << 20;
// Most pixels a bitmap may have: even at 32 bits it stays within
// kMaxPlainSize, so no byte count of it wraps a 32-bit size_t.
inline constexpr std::int64_t kMaxPixels = kMaxPlainSize / 4;

// Colour depths a bitmap may have.
bool IsSupportedDepth(int bitsPerPixel);
// Neither side negative and at most kMaxPixels pixels; reckoned in 64 bits.
bool SizeFits(std::int64_t width, std::int64_t height);
// The bytes of a bitmap's pixel array; throws EInvalidImageData for a size
// that does not fit. Size a pixel buffer with this, not with a product.
std::size_t PixelBytes(std::int32_t width, std::int32_t height, int bitsPerPixel);
// Size, depth, palette and pixel array agree, and the size fits.
bool IsConsistent(const DibImage& image);

// The plain form of a bitmap.
std::vector<std::uint8_t> EncodePlainData(const DibImage& image);
// The compressed form (version 2) of a plain form; the block size B is the
// bitmap's bits per pixel divided by 8, at least 1.
std::vector<std::uint8_t> CompressData(std::span<const std::uint8_t> plain, int bitsPerPixel);
// The plain form of a block in either form; throws EInvalidImageData.
std::vector<std::uint8_t> ExpandData(std::span<const std::uint8_t> block);
// Decodes a block in either form; throws EInvalidImageData.
DibImage DecodeData(std::span<const std::uint8_t> block);
// Encodes a bitmap, compressed or plain.
std::vector<std::uint8_t> EncodeData(const DibImage& image, bool compress);

// Every pixel as 0xAARRGGBB; depths below 32 bits give alpha 0. Throws
// EInvalidImageData for a bitmap that is not consistent.
std::vector<std::uint32_t> ToBgra32(const DibImage& image);

}  // namespace controls
