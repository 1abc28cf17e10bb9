#include "forms/ImageListStream.h"

#include <string>

#include "forms/FormStream.h"

namespace forms {

namespace {

constexpr std::size_t kHeaderSize = 28;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint16_t kMaskFlag = 0x0001;  // ILC_MASK

std::uint32_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8;
}

std::uint32_t Get32(std::span<const std::uint8_t> b, std::size_t at) {
    return Get16(b, at) | Get16(b, at + 2) << 16;
}

[[noreturn]] void Damaged(std::size_t at, const std::string& what) {
    throw FormStreamError("Image list data damaged at offset " + std::to_string(at) + ": " + what);
}

std::string SizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Checks the BMP file at `at`: a plain bitmap of exactly width x height
// whose pixels follow its palette; returns the offset after it. Writers
// put the offset of the pixels in the file size field too, so that field
// says nothing.
std::size_t CheckBitmap(std::span<const std::uint8_t> bytes, std::size_t at, std::int64_t width, std::int64_t height,
                        bool mask) {
    const std::string which = mask ? "the mask bitmap" : "the image bitmap";
    if (bytes.size() - at < kFileHeaderSize + kInfoHeaderSize) Damaged(at, which + "'s headers are truncated");
    if (bytes[at] != 'B' || bytes[at + 1] != 'M') Damaged(at, which + " has no bitmap file signature");
    const std::uint32_t pixelOffset = Get32(bytes, at + 10);
    const std::size_t info = at + kFileHeaderSize;
    if (Get32(bytes, info) != kInfoHeaderSize) Damaged(info, which + " has an info header of another size");
    const auto storedWidth = static_cast<std::int32_t>(Get32(bytes, info + 4));
    const auto storedHeight = static_cast<std::int32_t>(Get32(bytes, info + 8));
    const std::uint32_t planes = Get16(bytes, info + 12);
    const std::uint32_t depth = Get16(bytes, info + 14);
    const std::uint32_t compression = Get32(bytes, info + 16);
    const std::uint32_t imageSize = Get32(bytes, info + 20);
    const std::uint32_t colorsUsed = Get32(bytes, info + 32);
    if (planes != 1) Damaged(info, which + " has " + std::to_string(planes) + " planes");
    const bool depthFits = mask ? depth == 1
                                : depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    if (!depthFits) Damaged(info, which + " has " + std::to_string(depth) + " bits per pixel");
    if (compression != 0) Damaged(info, which + " is compressed");
    if (storedWidth != width || (storedHeight != height && -static_cast<std::int64_t>(storedHeight) != height))
        Damaged(info, which + " is " + SizeText(storedWidth, storedHeight) + ", the pictures need " +
                          SizeText(width, height));
    const std::uint32_t fullPalette = depth <= 8 ? 1u << depth : 0;
    if (colorsUsed != 0 && colorsUsed != fullPalette)
        Damaged(info, which + " has a palette of " + std::to_string(colorsUsed) + " colours");
    const std::uint64_t paletteBytes = std::uint64_t{fullPalette} * 4;
    if (pixelOffset != kFileHeaderSize + kInfoHeaderSize + paletteBytes)
        Damaged(at, which + "'s pixels do not follow its palette");
    // At most 4 * 65535 by 65535 * 16384 pixels: 64 bits hold any product.
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * depth + 31) / 32 * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height);
    if (imageSize != 0 && imageSize != pixelBytes) Damaged(info, which + "'s pixel array size disagrees with its size");
    if (pixelOffset > bytes.size() - at || pixelBytes > bytes.size() - at - pixelOffset)
        Damaged(at, which + "'s pixels run past the end");
    return at + pixelOffset + static_cast<std::size_t>(pixelBytes);
}

}  // namespace

ImageListStreamInfo CheckImageListStream(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || Get16(bytes, 0) != kImageListMagic) Damaged(0, "not an image list");
    ImageListStreamInfo result;
    result.version = static_cast<std::uint16_t>(Get16(bytes, 2));
    if (result.version != kImageListVersion) {
        result.size = bytes.size();
        return result;
    }
    if (bytes.size() < kHeaderSize) Damaged(0, "the header is truncated");
    result.count = static_cast<int>(Get16(bytes, 4));
    result.capacity = static_cast<int>(Get16(bytes, 6));
    result.width = static_cast<int>(Get16(bytes, 10));
    result.height = static_cast<int>(Get16(bytes, 12));
    result.flags = static_cast<std::uint16_t>(Get16(bytes, 18));
    result.masked = (result.flags & kMaskFlag) != 0;
    if (result.width == 0 || result.height == 0)
        Damaged(10, "pictures of " + SizeText(result.width, result.height));
    if (result.capacity == 0) Damaged(6, "no room for pictures");
    if (result.count > result.capacity)
        Damaged(4, std::to_string(result.count) + " pictures but room for " + std::to_string(result.capacity));
    const std::int64_t rows = (result.capacity + kImageListColumns - 1) / kImageListColumns;
    const std::int64_t width = std::int64_t{result.width} * kImageListColumns;
    const std::int64_t height = std::int64_t{result.height} * rows;
    std::size_t at = CheckBitmap(bytes, kHeaderSize, width, height, false);
    if (result.masked) at = CheckBitmap(bytes, at, width, height, true);
    result.size = at;
    return result;
}

}  // namespace forms
