// The check of a stored system image list: the layouts the system writes
// pass; damage that would send the system's reader past the data does not.
#include "forms/ImageListStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "forms/FormStream.h"
#include "tests/forms/StoredBitmap.h"

namespace {

using testsupport::Bytes;
using testsupport::Put16;
using testsupport::Put32;

void PutBitmap(Bytes& out, int width, int height, int depth) {
    const std::uint32_t palette = depth <= 8 ? (1u << depth) * 4 : 0;
    const std::uint32_t pixels = std::uint32_t((width * depth + 31) / 32 * 4 * height);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + palette);  // the system's writer puts the pixels' offset here
    Put32(out, 0);
    Put32(out, 54 + palette);
    Put32(out, 40);
    Put32(out, std::uint32_t(width));
    Put32(out, std::uint32_t(height));
    Put16(out, 1);
    Put16(out, std::uint32_t(depth));
    Put32(out, 0);
    Put32(out, pixels);
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (std::uint32_t i = 0; i < palette / 4; ++i) Put32(out, i * 0x010101 & 0xFFFFFF);
    for (std::uint32_t i = 0; i < pixels; ++i) out.push_back(std::uint8_t(i * 7));
}

// A stream laid out as the system writes it: room for `capacity` pictures
// of cx x cy, four to a row, `count` of them used.
Bytes Stream(int count, int capacity, int cx, int cy, int depth, bool masked) {
    Bytes out;
    for (int v : {0x4C49, 0x0101, count, capacity, 4, cx, cy}) Put16(out, std::uint32_t(v));
    Put32(out, 0xFFFFFFFF);
    // ILC_COLORn is n, but ILC_COLOR (1 bit) is 0.
    Put16(out, std::uint32_t((depth == 1 ? 0 : depth) | (masked ? 1 : 0)));
    for (int i = 0; i < 4; ++i) Put16(out, 0xFFFF);
    const int rows = (capacity + 3) / 4;
    PutBitmap(out, cx * 4, cy * rows, depth);
    if (masked) PutBitmap(out, cx * 4, cy * rows, 1);
    return out;
}

TEST(ImageListStream, TheLayoutsTheSystemWritesPass) {
    struct Case {
        int count, capacity, cx, cy, depth;
        bool masked;
    } cases[] = {{3, 6, 4, 4, 32, true}, {0, 1, 16, 16, 32, true}, {5, 6, 2, 2, 4, false},
                 {6, 11, 2, 3, 8, true}, {2, 6, 3, 2, 16, true}, {1, 6, 3, 5, 24, true}, {1, 1, 1, 1, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " of " << c.capacity << ", " << c.cx << "x" << c.cy << "x" << c.depth);
        Bytes stream = Stream(c.count, c.capacity, c.cx, c.cy, c.depth, c.masked);
        const std::size_t size = stream.size();
        stream.insert(stream.end(), {1, 2, 3});  // what follows is not the list's
        const forms::ImageListStreamInfo info = forms::CheckImageListStream(stream);
        EXPECT_EQ(info.version, forms::kImageListVersion);
        EXPECT_EQ(info.count, c.count);
        EXPECT_EQ(info.capacity, c.capacity);
        EXPECT_EQ(info.width, c.cx);
        EXPECT_EQ(info.height, c.cy);
        EXPECT_EQ(info.masked, c.masked);
        EXPECT_EQ(info.size, size);
    }
}

TEST(ImageListStream, DamageIsRefusedWithWhatIsWrong) {
    const Bytes good = Stream(3, 6, 4, 4, 32, true);  // image bitmap at 28, mask at 594
    constexpr std::size_t image = 28 + 14, mask = 594 + 14;
    auto with = [&](const std::function<void(Bytes&)>& change) {
        Bytes b = good;
        change(b);
        return b;
    };
    auto set16 = [&](std::size_t at, std::uint32_t v) {
        return with([=](Bytes& b) { b[at] = std::uint8_t(v), b[at + 1] = std::uint8_t(v >> 8); });
    };
    auto set32 = [&](std::size_t at, std::uint32_t v) {
        return with([=](Bytes& b) {
            for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
        });
    };
    const struct {
        const char* what;
        Bytes stream;
        const char* says;
    } cases[] = {
        // The system's reader took this one and ran past the bitmap.
        {"pictures taller than the bitmap", set16(12, 0x8000), "offset 42: the image bitmap is 16 x 8, the pictures need 16 x 65536"},
        {"room for more rows than the bitmap has", set16(6, 12), "the pictures need 16 x 12"},
        {"more pictures than room", set16(4, 7), "offset 4: 7 pictures but room for 6"},
        {"no room", set16(6, 0), "no room for pictures"},
        {"pictures without width", set16(10, 0), "pictures of 0 x 4"},
        {"another signature", set16(0, 0x4D42), "offset 0: not an image list"},
        {"header cut short", Bytes(good.begin(), good.begin() + 27), "the header is truncated"},
        {"bitmap headers cut short", Bytes(good.begin(), good.begin() + 81), "the image bitmap's headers are truncated"},
        {"mask missing", Bytes(good.begin(), good.begin() + 594), "offset 594: the mask bitmap's headers are truncated"},
        {"mask cut short", Bytes(good.begin(), good.end() - 1), "the mask bitmap's pixels run past the end"},
        {"no bitmap signature", set16(28, 0x4141), "the image bitmap has no bitmap file signature"},
        {"larger info header", set32(image, 108), "info header of another size"},
        {"two planes", set16(image + 12, 2), "2 planes"},
        {"2 bits per pixel", set16(image + 14, 2), "the image bitmap has 2 bits per pixel"},
        {"mask of 4 bits per pixel", set16(mask + 14, 4), "the mask bitmap has 4 bits per pixel"},
        {"compressed", set32(image + 16, 1), "the image bitmap is compressed"},
        {"a part palette", set32(mask + 32, 1), "the mask bitmap has a palette of 1 colours"},
        {"pixels away from the palette", set32(28 + 10, 100), "pixels do not follow its palette"},
        {"pixel array size", set32(image + 20, 4), "pixel array size disagrees"},
        {"height of -2^31", set32(image + 8, 0x80000000u), "is 16 x -2147483648"},
    };
    for (const auto& c : cases) {
        try {
            forms::CheckImageListStream(c.stream);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const forms::FormStreamError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.what << ": " << e.what();
        }
    }
    EXPECT_NO_THROW(forms::CheckImageListStream(set32(image + 8, std::uint32_t(-8)))) << "top-down rows";
}

TEST(ImageListStream, AnotherVersionIsLeftToTheSystem) {
    Bytes stream = Stream(3, 6, 4, 4, 32, true);
    stream[2] = 0x00;
    stream[3] = 0x06;
    stream.resize(10);
    const forms::ImageListStreamInfo info = forms::CheckImageListStream(stream);
    EXPECT_EQ(info.version, 0x0600);
    EXPECT_EQ(info.size, stream.size());
    EXPECT_THROW(forms::CheckImageListStream(Bytes{'I', 'L', 1}), forms::FormStreamError);
}

}  // namespace
