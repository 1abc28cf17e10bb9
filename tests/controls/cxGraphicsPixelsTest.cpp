// Pixel arithmetic of the picture modes and of the final composition.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "controls/cxGraphicsPixels.h"
#include "tests/controls/PictureTestSupport.h"

using namespace controls::pixels;
using controlstest::Argb;

TEST(PictureModes, GrayValuesRoundHalfToEven) {
    struct Case {
        std::uint8_t r, g, b, luminance, disabled;
    };
    // Sums that are exactly x.5 in single precision go to the even side.
    const Case cases[] = {
        {255, 0, 0, 76, 19},      // 76.245; 18.59
        {0, 0, 250, 28, 53},      // 28.5; 53.125
        {0, 4, 168, 22, 39},      // 21.5; 38.56
        {0, 12, 4, 8, 9},         // 7.5; 9.42
        {0, 0, 40, 5, 8},         // 4.56; 8.5
        {0, 0, 120, 14, 26},      // 13.68; 25.5
        {255, 255, 255, 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
        EXPECT_EQ(LuminanceGray(c.r, c.g, c.b), c.luminance);
        EXPECT_EQ(DisabledGray(c.r, c.g, c.b), c.disabled);
    }
}

TEST(PictureModes, TransformsChangeOnlyNonTransparentPixels) {
    const std::uint32_t listed[] = {0x00FF00};
    const Transparency transparent{0, listed};
    struct Case {
        const char* mode;
        void (*apply)(std::span<Pixel>, const Transparency&);
        Pixel expected;
    };
    const Pixel source = Argb(200, 90, 30, 150);
    const Case cases[] = {
        {"Faded", Faded, Argb(200, 62, 62, 62)},          // 26.91 + 17.61 + 17.1
        {"Grayscale", Grayscale, Argb(200, 90, 90, 90)},  // 270 / 3
        {"Disabled", DisabledWithAlpha, Argb(200, 60, 60, 60)},  // 59.874
        {"Pale", Pale, Argb(200, 145, 115, 175)},         // half way to the alpha
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Pixel px[] = {source, 0, Argb(255, 0, 255, 0)};
        c.apply(std::span<Pixel>(px), transparent);
        EXPECT_EQ(px[0], c.expected);
        EXPECT_EQ(px[1], 0u);
        EXPECT_EQ(px[2], Argb(255, 0, 255, 0));
    }
}

TEST(PictureModes, DisabledWithoutAlphaShadesAndEmbosses) {
    // A 2 x 2 opaque white square in a 3 x 3 picture.
    const Pixel w = Argb(255, 255, 255, 255);
    Pixel px[] = {w, w, 0, w, w, 0, 0, 0, 0};
    DisabledWithoutAlpha(px, 3, 3, Transparency{}, 0x808080, 0xFFFFFF);
    // 128 * 238/255 + 255 * (1 - 192 * 238/255 / 255) = 119.47 + 75.8
    EXPECT_EQ(px[0], Argb(255, 195, 195, 195));
    EXPECT_EQ(px[4], Argb(255, 195, 195, 195));
    // The highlight shows one pixel down and right, outside the shape only.
    EXPECT_EQ(px[8], Argb(255, 255, 255, 255));
    EXPECT_EQ(px[5], Argb(255, 255, 255, 255));
    EXPECT_EQ(px[2], 0u);
    EXPECT_EQ(px[6], 0u);
}

TEST(PictureModes, ShadowedAddsASoftShadowDownAndRight) {
    const Pixel src[] = {Argb(255, 10, 20, 30)};
    Pixel out[9] = {};
    Shadowed(src, 1, 1, Transparency{}, out);
    EXPECT_EQ(out[0], src[0]);
    // The shadow's centre lies two pixels down and right: black, partly opaque.
    EXPECT_EQ(out[8] & 0x00FFFFFF, 0u);
    EXPECT_GT(out[8] >> 24, 0u);
    EXPECT_LT(out[8] >> 24, 255u);
}

TEST(Composition, TheWorkedExampleAndTheShortcuts) {
    Pixel red[] = {Argb(255, 255, 0, 0)};
    Faded(red, Transparency{});
    const Pixel background = Argb(0, 158, 190, 245);
    EXPECT_EQ(Blend(background, red[0], 64) & 0x00FFFFFF, Argb(0, 137, 161, 203));
    // Corner pixels of the command pictures: alpha 239 at full opacity.
    const Pixel corner = Argb(239, 100, 50, 10);
    const Pixel blended = Blend(background, corner, 255);
    EXPECT_EQ(blended & 0x00FFFFFF, Argb(0, 110, 62, 25));  // 100 + 158 * 16/255 ...
    // A zero pixel leaves the background; an opaque one at 255 replaces it.
    Pixel target[] = {background, background};
    const Pixel picture[] = {0, Argb(255, 1, 2, 3)};
    BlendInto(target, 2, 1, 0, 0, picture, 2, 1, 255);
    EXPECT_EQ(target[0], background);
    EXPECT_EQ(target[1], picture[1]);
}

TEST(Composition, BlendIntoClipsToTheTarget) {
    Pixel target[4] = {};
    const Pixel picture[4] = {Argb(255, 1, 1, 1), Argb(255, 2, 2, 2), Argb(255, 3, 3, 3), Argb(255, 4, 4, 4)};
    BlendInto(target, 2, 2, 1, 1, picture, 2, 2, 255);
    EXPECT_EQ(target[3], picture[0]);
    EXPECT_EQ(target[0] | target[1] | target[2], 0u);
    BlendInto(target, 2, 2, -1, -1, picture, 2, 2, 255);
    EXPECT_EQ(target[0], picture[3]);
}

TEST(Resampling, LanczosKeepsSizeAndPremultiplication) {
    // Same size: the identity.
    Pixel src[16];
    for (int i = 0; i < 16; ++i) src[i] = Argb(i * 16, i * 8, i * 4, i * 2);
    Pixel same[16];
    Lanczos3(src, 4, 4, same, 4, 4);
    EXPECT_TRUE(std::equal(std::begin(src), std::end(src), std::begin(same)));
    // A hard edge enlarged rings, yet no colour exceeds its alpha.
    const Pixel edge[4] = {Argb(255, 255, 255, 255), 0, Argb(255, 255, 255, 255), 0};
    Pixel big[64];
    Lanczos3(edge, 2, 2, big, 8, 8);
    for (Pixel p : big) {
        EXPECT_LE(controlstest::R(p), controlstest::A(p));
        EXPECT_LE(controlstest::B(p), controlstest::A(p));
    }
    // A flat picture stays flat either way.
    const Pixel flat[4] = {Argb(128, 64, 32, 16), Argb(128, 64, 32, 16), Argb(128, 64, 32, 16), Argb(128, 64, 32, 16)};
    Pixel flatBig[36], flatNear[36];
    Lanczos3(flat, 2, 2, flatBig, 6, 6);
    Stretch(flat, 2, 2, flatNear, 6, 6);
    for (int i = 0; i < 36; ++i) {
        EXPECT_EQ(flatBig[i], flat[0]);
        EXPECT_EQ(flatNear[i], flat[0]);
    }
}

TEST(Resampling, AWorkAreaThatWouldWrapIsRefused) {
    if (sizeof(std::size_t) > 4) GTEST_SKIP() << "only a 32-bit size_t wraps it";
    // 32768 rows resized to 32768 columns: 2^32 floats between the passes.
    const std::vector<Pixel> tall(32768);
    std::vector<Pixel> wide(32768);
    EXPECT_THROW(Lanczos3(tall, 1, 32768, wide, 32768, 1), std::length_error);
}
