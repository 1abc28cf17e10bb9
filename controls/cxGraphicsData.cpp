#include "controls/cxGraphicsData.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace controls {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kCompressedHeaderSize = 10;
constexpr std::uint32_t kBiRgb = 0;

[[noreturn]] void Fail(const std::string& detail) { throw EInvalidImageData(detail); }

std::uint32_t Get32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsCompressed(std::span<const std::uint8_t> block) {
    return block.size() >= 8 && std::equal(std::begin(kCompressedSignature), std::end(kCompressedSignature), block.begin() + 4);
}

// Palette entries stored for a depth: a full table unless fewer are used.
std::size_t PaletteEntries(int bitsPerPixel, std::uint32_t colorsUsed) {
    return bitsPerPixel <= 8 && colorsUsed == 0 ? std::size_t{1} << bitsPerPixel : colorsUsed;
}

DibImage DecodePlain(std::span<const std::uint8_t> block) {
    if (block.size() < 4) Fail("the block is shorter than its length field");
    const std::uint32_t length = Get32(block, 0);
    if (length != block.size() - 4) Fail("the length field disagrees with the block size");
    const std::span<const std::uint8_t> file = block.subspan(4);
    if (file.size() < kFileHeaderSize + kInfoHeaderSize) Fail("the bitmap headers are truncated");
    if (file[0] != 'B' || file[1] != 'M') Fail("no bitmap file signature");
    if (Get32(file, 2) != file.size()) Fail("the file size disagrees with the block size");
    const std::uint32_t pixelOffset = Get32(file, 10);
    const std::uint32_t headerSize = Get32(file, 14);
    if (headerSize < kInfoHeaderSize || headerSize > file.size() - kFileHeaderSize) Fail("bad info header size");
    const auto width = static_cast<std::int32_t>(Get32(file, 18));
    const auto height = static_cast<std::int32_t>(Get32(file, 22));
    const std::uint16_t planes = Get16(file, 26);
    const std::uint16_t depth = Get16(file, 28);
    const std::uint32_t compression = Get32(file, 30);
    const std::uint32_t imageSize = Get32(file, 34);
    const std::uint32_t colorsUsed = Get32(file, 46);
    if (planes != 1) Fail("planes must be 1");
    if (!IsSupportedDepth(depth)) Fail("unsupported colour depth " + std::to_string(depth));
    if (compression != kBiRgb) Fail("compressed bitmaps are not supported");
    if (width < 1 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) Fail("bad bitmap size");
    const std::int32_t rows = height < 0 ? -height : height;
    const std::size_t pixelBytes = PixelBytes(width, rows, depth);
    const std::size_t stride = DibImage::StrideOf(width, depth);
    if (imageSize != 0 && imageSize != pixelBytes) Fail("the pixel array size disagrees with the bitmap size");
    if (depth <= 8 && colorsUsed > (1u << depth)) Fail("too many palette entries");
    const std::size_t entries = PaletteEntries(depth, colorsUsed);
    const std::size_t paletteAt = kFileHeaderSize + headerSize;
    if (entries > (file.size() - paletteAt) / 4 || pixelOffset < paletteAt + entries * 4)
        Fail("the palette overlaps the pixels");
    if (pixelOffset > file.size() || pixelBytes > file.size() - pixelOffset) Fail("the pixel array runs past the end");

    DibImage image;
    image.width = width;
    image.height = rows;
    image.bitsPerPixel = depth;
    image.palette.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) image.palette[i] = Get32(file, paletteAt + i * 4) & 0x00FFFFFF;
    image.bits.resize(pixelBytes);
    const std::uint8_t* pixels = file.data() + pixelOffset;
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::int32_t stored = height > 0 ? rows - 1 - y : y;
        std::memcpy(image.bits.data() + static_cast<std::size_t>(y) * stride, pixels + static_cast<std::size_t>(stored) * stride,
                    stride);
    }
    return image;
}

// Expands runs of B-byte blocks into `out`, which may not grow past
// `expected` once the plain form's own length field is known.
void ExpandRuns(std::span<const std::uint8_t> payload, std::size_t pos, std::size_t blockSize, std::vector<std::uint8_t>& out) {
    auto limit = [&out] {
        if (out.size() < 4) return kMaxPlainSize + 4;
        const std::size_t length = Get32(out, 0);
        if (length > kMaxPlainSize) Fail("the expanded bitmap is too large");
        return length + 4;
    };
    while (pos < payload.size()) {
        const std::uint8_t code = payload[pos++];
        const std::size_t count = code & 0x7F;
        if (count == 0 || count > kMaxRun) Fail("bad run length " + std::to_string(count));
        const std::size_t literalBytes = (code & 0x80) ? count * blockSize : blockSize;
        if (literalBytes > payload.size() - pos) Fail("a run runs past the end of the data");
        if (count * blockSize > limit() - std::min(out.size(), limit())) Fail("the runs overrun the bitmap");
        if (code & 0x80) {
            out.insert(out.end(), payload.begin() + pos, payload.begin() + pos + literalBytes);
        } else {
            for (std::size_t i = 0; i < count; ++i) out.insert(out.end(), payload.begin() + pos, payload.begin() + pos + blockSize);
        }
        pos += literalBytes;
    }
    if (out.size() < 4 || out.size() != limit()) Fail("the runs do not fill the bitmap");
}

std::vector<std::uint8_t> ExpandCompressed(std::span<const std::uint8_t> block) {
    if (block.size() < kCompressedHeaderSize) Fail("the compressed header is truncated");
    const std::uint32_t payloadSize = Get32(block, 0);
    if (payloadSize != block.size() - kCompressedHeaderSize) Fail("the payload length disagrees with the block size");
    const std::uint16_t version = Get16(block, 8);
    const std::span<const std::uint8_t> payload = block.subspan(kCompressedHeaderSize);
    std::vector<std::uint8_t> out;
    if (version == 1) {
        ExpandRuns(payload, 0, 1, out);
    } else if (version == 2) {
        if (payload.size() < 2) Fail("the compressed payload is truncated");
        const std::size_t blockSize = payload[0];
        const std::size_t head = payload[1];
        if (blockSize == 0 || head >= blockSize) Fail("bad block size");
        if (head > payload.size() - 2) Fail("the compressed head is truncated");
        out.assign(payload.begin() + 2, payload.begin() + 2 + head);
        ExpandRuns(payload, 2 + head, blockSize, out);
        if ((out.size() - head) % blockSize != 0) Fail("the runs do not fill the bitmap");
    } else {
        Fail("unknown compression version " + std::to_string(version));
    }
    return out;
}

}  // namespace

bool IsSupportedDepth(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 ||
           bitsPerPixel == 32;
}

bool SizeFits(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= kMaxPixels && height <= kMaxPixels && width * height <= kMaxPixels;
}

std::size_t PixelBytes(std::int32_t width, std::int32_t height, int bitsPerPixel) {
    if (!SizeFits(width, height)) Fail("bitmap too large");
    return DibImage::StrideOf(width, bitsPerPixel) * static_cast<std::size_t>(height);
}

bool IsConsistent(const DibImage& image) {
    return IsSupportedDepth(image.bitsPerPixel) && SizeFits(image.width, image.height) &&
           image.bits.size() == image.Stride() * static_cast<std::size_t>(image.height) &&
           (image.bitsPerPixel > 8 || image.palette.size() <= (1u << image.bitsPerPixel));
}

std::vector<std::uint8_t> EncodePlainData(const DibImage& image) {
    if (image.Empty()) return {};
    if (!IsConsistent(image)) Fail("the bitmap is not consistent");
    const std::size_t stride = image.Stride();
    const std::size_t pixelBytes = image.bits.size();
    const std::size_t paletteBytes = image.palette.size() * 4;
    const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const std::size_t fileSize = pixelOffset + pixelBytes;
    if (fileSize > kMaxPlainSize) Fail("bitmap too large");
    const bool fullPalette = image.bitsPerPixel <= 8 && image.palette.size() == (1u << image.bitsPerPixel);

    std::vector<std::uint8_t> out;
    out.reserve(4 + fileSize);
    Put32(out, static_cast<std::uint32_t>(fileSize));
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(fileSize));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(pixelOffset));
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(image.width));
    Put32(out, static_cast<std::uint32_t>(image.height));
    Put16(out, 1);
    Put16(out, image.bitsPerPixel);
    Put32(out, kBiRgb);
    Put32(out, static_cast<std::uint32_t>(pixelBytes));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, fullPalette ? 0 : static_cast<std::uint32_t>(image.palette.size()));
    Put32(out, 0);
    for (std::uint32_t entry : image.palette) Put32(out, entry & 0x00FFFFFF);
    for (std::int32_t y = image.height - 1; y >= 0; --y) {
        const auto row = image.bits.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * stride);
        out.insert(out.end(), row, row + static_cast<std::ptrdiff_t>(stride));
    }
    return out;
}

std::vector<std::uint8_t> CompressData(std::span<const std::uint8_t> plain, int bitsPerPixel) {
    // B is stored in one byte.
    if (!IsSupportedDepth(bitsPerPixel)) Fail("unsupported colour depth " + std::to_string(bitsPerPixel));
    const std::size_t b = static_cast<std::size_t>(std::max(1, bitsPerPixel / 8));
    const std::size_t head = plain.size() % b;
    std::vector<std::uint8_t> out(kCompressedHeaderSize, 0);
    out.reserve(kCompressedHeaderSize + 2 + plain.size() + plain.size() / (kMaxRun * b) + 2);
    out.push_back(static_cast<std::uint8_t>(b));
    out.push_back(static_cast<std::uint8_t>(head));
    out.insert(out.end(), plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(head));

    const std::uint8_t* blocks = plain.data() + head;
    const std::size_t n = (plain.size() - head) / b;
    auto same = [&](std::size_t i, std::size_t j) { return std::memcmp(blocks + i * b, blocks + j * b, b) == 0; };
    auto emit = [&](std::uint8_t code, std::size_t first, std::size_t count) {
        out.push_back(code);
        out.insert(out.end(), blocks + first * b, blocks + (first + count) * b);
    };
    std::size_t i = 0;
    while (i < n) {
        if (i + 1 == n) {
            emit(0x81, i, 1);
            i += 1;
        } else if (same(i + 1, i)) {
            std::size_t run = 2;
            while (run < static_cast<std::size_t>(kMaxRun) && i + run < n && same(i + run, i)) ++run;
            emit(static_cast<std::uint8_t>(run), i, 1);
            i += run;
        } else {
            std::size_t run = 1;
            bool repeatFollows = false;
            while (run < static_cast<std::size_t>(kMaxRun) && i + run < n) {
                if (same(i + run, i + run - 1)) {
                    repeatFollows = true;
                    break;
                }
                ++run;
            }
            // The block before a repeat opens the next run.
            if (repeatFollows) --run;
            emit(static_cast<std::uint8_t>(0x80 + run), i, run);
            i += run;
        }
    }
    const std::size_t payload = out.size() - kCompressedHeaderSize;
    if (payload > std::numeric_limits<std::uint32_t>::max()) Fail("bitmap too large");
    Set32(out, 0, static_cast<std::uint32_t>(payload));
    std::copy(std::begin(kCompressedSignature), std::end(kCompressedSignature), out.begin() + 4);
    out[8] = 2;
    out[9] = 0;
    return out;
}

std::vector<std::uint8_t> ExpandData(std::span<const std::uint8_t> block) {
    if (IsCompressed(block)) return ExpandCompressed(block);
    return std::vector<std::uint8_t>(block.begin(), block.end());
}

DibImage DecodeData(std::span<const std::uint8_t> block) {
    if (IsCompressed(block)) return DecodePlain(ExpandCompressed(block));
    return DecodePlain(block);
}

std::vector<std::uint8_t> EncodeData(const DibImage& image, bool compress) {
    std::vector<std::uint8_t> plain = EncodePlainData(image);
    if (!compress || plain.empty()) return plain;
    return CompressData(plain, image.bitsPerPixel);
}

std::vector<std::uint32_t> ToBgra32(const DibImage& image) {
    std::vector<std::uint32_t> out;
    if (image.Empty()) return out;
    if (!IsConsistent(image)) Fail("the bitmap is not consistent");
    out.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    const std::size_t stride = image.Stride();
    auto colour = [&image](std::size_t index) -> std::uint32_t {
        return index < image.palette.size() ? image.palette[index] & 0x00FFFFFF : 0;
    };
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.bits.data() + static_cast<std::size_t>(y) * stride;
        std::uint32_t* dst = out.data() + static_cast<std::size_t>(y) * image.width;
        for (std::int32_t x = 0; x < image.width; ++x) {
            switch (image.bitsPerPixel) {
            case 1: dst[x] = colour((row[x / 8] >> (7 - x % 8)) & 1); break;
            case 4: dst[x] = colour((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF); break;
            case 8: dst[x] = colour(row[x]); break;
            case 16: {
                // 5-5-5, each channel widened to 8 bits.
                const unsigned v = row[x * 2] | row[x * 2 + 1] << 8;
                const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                dst[x] = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
                break;
            }
            case 24: dst[x] = row[x * 3] | row[x * 3 + 1] << 8 | static_cast<std::uint32_t>(row[x * 3 + 2]) << 16; break;
            default: std::memcpy(&dst[x], row + x * 4, 4); break;
            }
        }
    }
    return out;
}

}  // namespace controls
