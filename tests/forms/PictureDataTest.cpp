// Stored bitmaps: what decodes, and damage that is refused without reading
// past the data.
#include "forms/PictureData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "forms/FormStream.h"
#include "tests/forms/StoredBitmap.h"

namespace {

using testsupport::Bytes;
using testsupport::StoredBitmap;

TEST(PictureData, DecodesBitmapsOfEveryLayoutWeStore) {
    struct Case {
        int width, height, bits;
        bool bottomUp;
    };
    const Case cases[] = {{3, 2, 24, true}, {5, 3, 24, false}, {4, 4, 32, true}, {1, 1, 24, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits << (c.bottomUp ? " up" : " down"));
        const forms::PictureBits picture = forms::DecodePictureData(StoredBitmap(c.width, c.height, c.bits, c.bottomUp));
        ASSERT_EQ(picture.width, c.width);
        ASSERT_EQ(picture.height, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                EXPECT_EQ(picture.pixels[std::size_t(y * c.width + x)], std::uint32_t(x + 16 * y) * 0x010101u)
                    << x << "," << y;
    }
}

TEST(PictureData, RefusesDamageAndFormatsItCannotDraw) {
    const Bytes good = StoredBitmap(3, 2, 24);
    auto with = [&](const std::function<void(Bytes&)>& change) {
        Bytes b = good;
        change(b);
        return b;
    };
    constexpr std::size_t file = 12;  // the BMP file starts after the class name and length
    const struct {
        const char* what;
        Bytes data;
    } cases[] = {
        {"empty", {}},
        {"another graphic class", with([](Bytes& b) { b[1] = 'X'; })},
        {"length past the end", with([](Bytes& b) { b[8] = 0xFF; })},
        {"cut short", Bytes(good.begin(), good.end() - 1)},
        {"no BMP signature", with([&](Bytes& b) { b[file] = 'X'; })},
        {"header larger than the file", with([&](Bytes& b) { b[file + 14] = 0xF0; })},
        {"zero width", with([&](Bytes& b) { b[file + 18] = 0; })},
        {"huge height", with([&](Bytes& b) { b[file + 25] = 0x7F; })},
        {"8 bits per pixel", with([&](Bytes& b) { b[file + 28] = 8; })},
        {"compressed", with([&](Bytes& b) { b[file + 30] = 1; })},
        {"pixels past the end", with([&](Bytes& b) { b[file + 10] = 60; })},
    };
    for (const auto& c : cases)
        EXPECT_THROW(forms::DecodePictureData(c.data), forms::FormStreamError) << c.what;
}

}  // namespace
