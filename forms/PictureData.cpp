#include "forms/PictureData.h"

#include <cstdlib>
#include <string_view>

#include "forms/FormStream.h"

namespace forms {

namespace {

std::uint32_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8;
}

std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
    return Read16(b, at) | Read16(b, at + 2) << 16;
}

[[noreturn]] void Damaged(const char* what) { throw FormStreamError(std::string("Picture data: ") + what); }

}  // namespace

PictureBits DecodePictureData(std::span<const std::uint8_t> data) {
    constexpr std::string_view kBitmap = "TBitmap";
    if (data.empty() || data[0] != kBitmap.size() || data.size() < 1 + kBitmap.size() + 4 ||
        std::string_view(reinterpret_cast<const char*>(data.data() + 1), kBitmap.size()) != kBitmap)
        Damaged("not a bitmap");
    std::size_t at = 1 + kBitmap.size();
    const std::uint32_t length = Read32(data, at);
    at += 4;
    if (length > data.size() - at) Damaged("truncated");
    const std::span<const std::uint8_t> file = data.subspan(at, length);

    constexpr std::size_t kFileHeader = 14, kInfoHeader = 40;
    if (file.size() < kFileHeader + kInfoHeader || file[0] != 'B' || file[1] != 'M') Damaged("not a BMP file");
    const std::uint32_t offBits = Read32(file, 10);
    const std::uint32_t headerSize = Read32(file, 14);
    if (headerSize < kInfoHeader || headerSize > file.size() - kFileHeader) Damaged("bad header");
    const auto width = static_cast<std::int32_t>(Read32(file, 18));
    const auto height = static_cast<std::int32_t>(Read32(file, 22));
    const std::uint32_t planes = Read16(file, 26), bits = Read16(file, 28), compression = Read32(file, 30);
    if (width <= 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        height < -kMaxPictureSide)
        Damaged("bad size");
    if (planes != 1 || (bits != 24 && bits != 32) || compression != 0) Damaged("unsupported format");

    const int rows = std::abs(height);
    const std::size_t bytesPerPixel = bits / 8;
    const std::size_t stride = (std::size_t(width) * bytesPerPixel + 3) / 4 * 4;
    if (offBits < kFileHeader + headerSize || offBits > file.size() || stride * std::size_t(rows) > file.size() - offBits)
        Damaged("truncated pixels");

    PictureBits picture;
    picture.width = width;
    picture.height = rows;
    picture.pixels.resize(std::size_t(width) * std::size_t(rows));
    for (int y = 0; y < rows; ++y) {
        // Positive heights store the bottom row first.
        const int stored = height > 0 ? rows - 1 - y : y;
        const std::uint8_t* row = file.data() + offBits + std::size_t(stored) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = row + std::size_t(x) * bytesPerPixel;
            picture.pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
        }
    }
    return picture;
}

}  // namespace forms
