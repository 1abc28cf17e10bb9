// The "Data" block codec: both stored forms, the run rules, damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "controls/cxGraphicsData.h"
#include "tests/controls/PictureTestSupport.h"

using namespace controls;
using controlstest::MainPictureBlocks;

namespace {

using Bytes = std::vector<std::uint8_t>;

DibImage Image(int w, int h, int depth, std::uint8_t seed) {
    DibImage image;
    image.width = w;
    image.height = h;
    image.bitsPerPixel = static_cast<std::uint16_t>(depth);
    if (depth <= 8) image.palette.assign(std::size_t{1} << depth, 0);
    for (std::size_t i = 0; i < image.palette.size(); ++i) image.palette[i] = static_cast<std::uint32_t>(i * 0x010203) & 0xFFFFFF;
    image.bits.resize(image.Stride() * h);
    // Runs and noise both, so every kind of run occurs.
    for (std::size_t i = 0; i < image.bits.size(); ++i)
        image.bits[i] = (i / 37) % 3 == 0 ? seed : static_cast<std::uint8_t>(i * 131 + seed);
    for (int y = 0; y < h; ++y) {
        // Padding bytes of a row hold nothing.
        const std::size_t used = (static_cast<std::size_t>(w) * depth + 7) / 8;
        std::fill(image.bits.begin() + y * image.Stride() + used, image.bits.begin() + (y + 1) * image.Stride(), 0);
        if (depth % 8) image.bits[y * image.Stride() + used - 1] &= static_cast<std::uint8_t>(0xFF << (8 - w * depth % 8) % 8);
    }
    return image;
}

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

struct PayloadRun {
    bool literal;
    int count;
};

// Walks a version 2 payload; returns the runs.
std::vector<PayloadRun> Runs(const Bytes& block) {
    std::vector<PayloadRun> runs;
    const std::size_t b = block[10], r = block[11];
    for (std::size_t pos = 12 + r; pos < block.size();) {
        const PayloadRun run{(block[pos] & 0x80) != 0, block[pos] & 0x7F};
        runs.push_back(run);
        pos += 1 + (run.literal ? run.count * b : b);
    }
    return runs;
}

}  // namespace

TEST(DataBlock, TheMainWindowsBlocksArePlain32BitPictures) {
    const auto blocks = MainPictureBlocks();
    ASSERT_EQ(blocks.size(), 5u);
    for (const Bytes& block : blocks) {
        ASSERT_EQ(block.size(), 4154u);
        EXPECT_FALSE(std::equal(std::begin(kCompressedSignature), std::end(kCompressedSignature), block.begin() + 4));
        const DibImage image = DecodeData(block);
        EXPECT_EQ(image.width, 32);
        EXPECT_EQ(image.height, 32);
        EXPECT_EQ(image.bitsPerPixel, 32);
        // Written back plain, byte for byte.
        EXPECT_EQ(EncodeData(image, false), block);
    }
}

TEST(DataBlock, RowsAreStoredBottomRowFirst) {
    DibImage image = Image(1, 2, 32, 0);
    image.bits = {1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes plain = EncodePlainData(image);
    EXPECT_EQ(Bytes(plain.begin() + 58, plain.end()), (Bytes{5, 6, 7, 8, 1, 2, 3, 4}));
    // A top-down file (negative height) reads the same.
    Bytes topDown = plain;
    const std::int32_t minusTwo = -2;
    std::memcpy(&topDown[26], &minusTwo, 4);
    std::copy(image.bits.begin(), image.bits.end(), topDown.begin() + 58);
    EXPECT_EQ(DecodeData(topDown), image);
}

TEST(DataBlock, CompressedFormRoundTripsWithTheRunRules) {
    struct Case {
        const char* name;
        DibImage image;
    };
    std::vector<Case> cases = {{"32-bit", Image(32, 32, 32, 7)},
                               {"24-bit, odd width", Image(5, 3, 24, 1)},
                               {"1-bit mask", Image(32, 32, 1, 0xFF)},
                               {"4-bit", Image(9, 4, 4, 2)},
                               {"8-bit", Image(7, 7, 8, 9)}};
    for (const Bytes& block : MainPictureBlocks()) cases.push_back({"main window picture", DecodeData(block)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes plain = EncodePlainData(c.image);
        const Bytes packed = EncodeData(c.image, true);
        ASSERT_GE(packed.size(), 12u);
        EXPECT_TRUE(std::equal(std::begin(kCompressedSignature), std::end(kCompressedSignature), packed.begin() + 4));
        EXPECT_EQ(packed[8] | packed[9] << 8, 2);
        std::uint32_t payload;
        std::memcpy(&payload, packed.data(), 4);
        EXPECT_EQ(payload, packed.size() - 10);
        // B from the depth; the head is the first R = |plain| mod B bytes.
        const std::size_t b = std::max(1, c.image.bitsPerPixel / 8);
        EXPECT_EQ(packed[10], b);
        EXPECT_EQ(packed[11], plain.size() % b);
        EXPECT_TRUE(std::equal(packed.begin() + 12, packed.begin() + 12 + packed[11], plain.begin()));
        for (const PayloadRun& run : Runs(packed)) {
            EXPECT_GE(run.count, 1);
            EXPECT_LE(run.count, 125);
        }
        EXPECT_EQ(ExpandData(packed), plain);
        EXPECT_EQ(DecodeData(packed), c.image);
    }
    // The 24-bit case is the one with a head.
    EXPECT_NE(EncodePlainData(cases[1].image).size() % 3, 0u);
}

TEST(DataBlock, CompressionFollowsTheRunRulesExactly) {
    // A B C C C D: a literal run stops before the block that opens a repeat;
    // the last block alone is a literal run of one.
    const Bytes u = {'A', 'B', 'C', 'C', 'C', 'D'};
    const Bytes packed = CompressData(u, 8);
    EXPECT_EQ(Bytes(packed.begin() + 10, packed.end()), (Bytes{1, 0, 0x82, 'A', 'B', 0x03, 'C', 0x81, 'D'}));
    // 300 equal blocks: 125, 125, 50.
    const Bytes same = CompressData(Bytes(300, 'x'), 8);
    EXPECT_EQ(Bytes(same.begin() + 10, same.end()), (Bytes{1, 0, 125, 'x', 125, 'x', 50, 'x'}));
    // 130 different blocks: a literal run of 125, then one of 5.
    Bytes distinct(130);
    for (std::size_t i = 0; i < distinct.size(); ++i) distinct[i] = static_cast<std::uint8_t>(i);
    const Bytes packedDistinct = CompressData(distinct, 8);
    EXPECT_EQ(packedDistinct[12], 0x80 + 125);
    EXPECT_EQ(packedDistinct[12 + 1 + 125], 0x80 + 5);
    // Two-byte blocks with one byte of head.
    const Bytes odd = CompressData(Bytes{9, 1, 2, 1, 2, 3, 4}, 16);
    EXPECT_EQ(Bytes(odd.begin() + 10, odd.end()), (Bytes{2, 1, 9, 0x02, 1, 2, 0x81, 3, 4}));
}

TEST(DataBlock, VersionOnePayloadIsRunsOfSingleBytes) {
    const Bytes plain = EncodePlainData(Image(2, 2, 32, 3));
    Bytes block(10, 0);
    for (const std::uint8_t byte : plain) {
        block.push_back(0x81);
        block.push_back(byte);
    }
    const std::uint32_t payload = static_cast<std::uint32_t>(block.size() - 10);
    std::memcpy(block.data(), &payload, 4);
    std::copy(std::begin(kCompressedSignature), std::end(kCompressedSignature), block.begin() + 4);
    block[8] = 1;
    EXPECT_EQ(ExpandData(block), plain);
}

TEST(DataBlock, DamagedBlocksAreRefused) {
    const Bytes plain = MainPictureBlocks().at(1);
    const Bytes packed = CompressData(plain, 32);
    auto with = [](Bytes b, std::size_t at, std::vector<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), b.begin() + at);
        return b;
    };
    struct Case {
        const char* name;
        Bytes block;
    };
    // Offsets into the plain form are the table's: the file starts at 4.
    const Case cases[] = {
        {"empty", {}},
        {"length field larger than the block", with(plain, 0, {0x37, 0x10})},
        {"length field smaller than the block", with(plain, 0, {0x35, 0x10})},
        {"not BM", with(plain, 4, {'B', 'N'})},
        {"file size disagrees", with(plain, 6, {0x35})},
        {"pixel offset past the pixels", with(plain, 14, {55})},
        {"pixel offset inside the headers", with(plain, 14, {20})},
        {"info header too small", with(plain, 18, {12})},
        {"zero width", with(plain, 22, {0})},
        {"zero height", with(plain, 26, {0})},
        {"height too large for the pixels", with(plain, 26, {33})},
        {"two planes", with(plain, 30, {2})},
        {"7 bits per pixel", with(plain, 32, {7})},
        {"run-length compressed bitmap", with(plain, 34, {1})},
        {"pixel array size disagrees", with(plain, 38, {0, 0x11})},
        {"palette larger than the file", with(plain, 50, {0xFF, 0xFF, 0xFF, 0x0F})},
        // 134217728 x 32 at 32 bits, and no pixels: a row of 2^32 bits,
        // which a 32-bit size_t wraps to 0.
        {"row size that wraps",
         FromHex("36000000424d36000000000000003600000028000000000000082000000001002000" + std::string(48, '0'))},
        {"payload length disagrees", with(packed, 0, {static_cast<std::uint8_t>(packed[0] + 1)})},
        {"unknown version", with(packed, 8, {3})},
        {"block size 0", with(packed, 10, {0})},
        {"head not shorter than the block", with(packed, 11, {4})},
        {"run code 0", with(packed, 12, {0x00})},
        {"run code 126", with(packed, 12, {0x7E})},
        {"literal run of 126", with(packed, 12, {0xFE})},
        {"runs past the bitmap", [&] {
             Bytes b = packed;
             b.insert(b.end(), {0x7D, 1, 2, 3, 4});
             const std::uint32_t p = static_cast<std::uint32_t>(b.size() - 10);
             std::memcpy(b.data(), &p, 4);
             return b;
         }()},
        {"runs that stop short", [&] {
             Bytes b(packed.begin(), packed.end() - 5);
             const std::uint32_t p = static_cast<std::uint32_t>(b.size() - 10);
             std::memcpy(b.data(), &p, 4);
             return b;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(DecodeData(c.block), EInvalidImageData);
    }
}

// Every truncation and a deterministic set of byte changes of real blocks,
// plain and compressed: each either decodes to a consistent bitmap or is
// refused with EInvalidImageData; nothing else escapes and nothing is read
// out of bounds.
TEST(DataBlock, MutationAndTruncationSweep) {
    const Bytes plain = MainPictureBlocks().at(4);
    const Bytes forms[] = {plain, CompressData(plain, 32), EncodeData(Image(13, 5, 24, 5), true),
                           EncodeData(Image(33, 3, 1, 0xAA), true)};
    for (const Bytes& block : forms) {
        for (std::size_t n = 0; n < block.size(); ++n) {
            SCOPED_TRACE("truncated to " + std::to_string(n));
            EXPECT_THROW(DecodeData(std::span(block).first(n)), EInvalidImageData);
        }
        for (std::size_t at = 0; at < block.size(); ++at)
            for (const std::uint8_t flip : {0x01, 0x80, 0xFF}) {
                Bytes damaged = block;
                damaged[at] ^= flip;
                try {
                    const DibImage image = DecodeData(damaged);
                    ASSERT_EQ(image.bits.size(), image.Stride() * image.height) << "byte " << at;
                    ASSERT_EQ(ToBgra32(image).size(), static_cast<std::size_t>(image.width) * image.height) << "byte " << at;
                } catch (const EInvalidImageData&) {
                }
            }
    }
}

TEST(DataBlock, BitmapsWhoseSizesWrapAreRefused) {
    struct Case {
        const char* name;
        std::int32_t width, height;
        std::uint16_t depth;
    };
    // Bits of a row, or pixels, of exactly 2^32: 0 in a 32-bit size_t.
    const Case cases[] = {{"row of 2^32 bits at 32 bits", 134217728, 32, 32},
                          {"row of 2^32 bits at 8 bits", 536870912, 1, 8},
                          {"2^32 pixels", 65536, 65536, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibImage image;
        image.width = c.width;
        image.height = c.height;
        image.bitsPerPixel = c.depth;
        if (c.depth <= 8) image.palette = {0, 0xFFFFFF};
        EXPECT_FALSE(IsConsistent(image));
        EXPECT_THROW(EncodeData(image, false), EInvalidImageData);
        EXPECT_THROW(ToBgra32(image), EInvalidImageData);
        EXPECT_THROW(PixelBytes(c.width, c.height, c.depth), EInvalidImageData);
    }
}

TEST(DataBlock, EveryDepthWidensTo32Bits) {
    DibImage mono = Image(3, 1, 1, 0);
    mono.palette = {0x000000, 0xFFFFFF};
    mono.bits = {0xA0, 0, 0, 0};  // 1 0 1
    EXPECT_EQ(ToBgra32(mono), (std::vector<std::uint32_t>{0xFFFFFF, 0, 0xFFFFFF}));
    DibImage rgb = Image(1, 1, 24, 0);
    rgb.bits = {0x10, 0x20, 0x30, 0};
    EXPECT_EQ(ToBgra32(rgb), (std::vector<std::uint32_t>{0x302010}));
}
