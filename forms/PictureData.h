// Stored pictures: the data of a picture property as a stored description
// holds it, the short class name of the graphic ("TBitmap") and then a
// length-prefixed BMP file. Pure byte-level code, like FormStream.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace forms {

// A decoded bitmap: 0x00RRGGBB pixels, top row first.
struct PictureBits {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Largest width or height taken; more is damage, not a picture.
inline constexpr int kMaxPictureSide = 8192;

// Decodes a stored bitmap of 24 or 32 bits per pixel without compression,
// its rows bottom-up or top-down. Throws FormStreamError for anything else,
// for damaged or truncated data; never reads out of bounds.
PictureBits DecodePictureData(std::span<const std::uint8_t> data);

}  // namespace forms
