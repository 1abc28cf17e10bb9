// DrawImage and DrawPicture: pixels read back from memory DCs.
#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/cxGraphics.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace controls;
using namespace controlstest;

namespace {

const Pixel kBackground = Argb(0, 158, 190, 245);

// A background that differs from pixel to pixel.
Pixel Gradient(int x, int y) { return Argb(0, 40 + x * 5, 90 + y * 4, 250 - x * 3 - y); }

// Picks the blend path for the life of a test.
class PathScope {
public:
    explicit PathScope(TcxBlendPath path) { SetBlendPath(path); }
    ~PathScope() { SetBlendPath(TcxBlendPath::Auto); }
};

class MainPictures : public ::testing::Test {
protected:
    void SetUp() override {
        root.Read(MainImageListNode());
        list = dynamic_cast<TcxImageList*>(root.FindComponent("ImageList"));
        ASSERT_NE(list, nullptr);
    }
    // The stored pixels of a picture, top row first.
    std::vector<Pixel> Stored(int index) const { return ToBgra32(list->ImageInfo().Items(index).Image().Image()); }

    TTestRoot root;
    TcxImageList* list = nullptr;
};

bool Near(Pixel a, Pixel b, unsigned tolerance = 1) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > int(tolerance)) return false;
    return true;
}

std::string Hex(Pixel p) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", p & 0xFFFFFFu);
    return text;
}

}  // namespace

TEST_F(MainPictures, CornersBlendAt239AndAlphaZeroShowsTheBackground) {
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE("picture " + std::to_string(index));
        Surface surface(32, 32, kBackground);
        const RECT r{0, 0, 32, 32};
        DrawImage(surface.DC(), r, r, nullptr, list, index, ImageDrawMode::Normal);
        const std::vector<Pixel> stored = Stored(index);
        int clear = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const Pixel p = stored[y * 32 + x];
                // out = P + background * (1 - alpha / 255)
                const float keep = 1.0f - float(A(p)) / 255.0f;
                const Pixel expected = Argb(0, unsigned(R(p) + R(kBackground) * keep + 0.5f),
                                            unsigned(G(p) + G(kBackground) * keep + 0.5f),
                                            unsigned(B(p) + B(kBackground) * keep + 0.5f));
                ASSERT_TRUE(Near(surface.Rgb(x, y), expected)) << x << "," << y << ": " << Hex(surface.Rgb(x, y));
                if (A(p) == 0) {
                    EXPECT_EQ(surface.Rgb(x, y), kBackground);
                    ++clear;
                }
            }
        if (index >= 1 && index <= 3) {
            for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
                EXPECT_EQ(A(stored[y * 32 + x]), 239u);
                EXPECT_NE(surface.Rgb(x, y), stored[y * 32 + x] & 0x00FFFFFF);
            }
            EXPECT_EQ(clear, 0);
        } else {
            EXPECT_GT(clear, 0);
        }
    }
}

TEST(DrawImage, APictureWithoutAlphaIsAnOpaqueSquare) {
    TcxImageList list(nullptr, 8, 8);
    list.AddPicture(Solid(8, 8, Argb(0, 0x33, 0x66, 0x99)).get());
    Surface surface(10, 10, kBackground);
    const RECT g{1, 1, 9, 9}, k{0, 0, 10, 10};
    DrawImage(surface.DC(), g, k, nullptr, &list, 0, ImageDrawMode::Normal);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 1 && x < 9 && y >= 1 && y < 9;
            EXPECT_EQ(surface.Rgb(x, y), inside ? Argb(0, 0x33, 0x66, 0x99) : kBackground) << x << "," << y;
        }
}

TEST(DrawImage, WithoutAlphaTheMaskAndTheTransparentColoursCutHoles) {
    TcxImageList list(nullptr, 4, 4);
    // Column 0 magenta (the mask colour), column 3 green (a transparent
    // colour of the call), the rest gray.
    const auto picture = Picture(4, 4, [](int x, int) {
        return x == 0 ? Argb(0, 255, 0, 255) : x == 3 ? Argb(0, 0, 255, 0) : Argb(0, 100, 100, 100);
    });
    list.AddPictureByColour(picture.get(), forms::clFuchsia);
    Surface surface(4, 4, kBackground);
    const RECT r{0, 0, 4, 4};
    DrawImage(surface.DC(), r, r, nullptr, &list, 0, ImageDrawMode::Normal, false, nullptr, forms::clLime);
    EXPECT_EQ(surface.Rgb(0, 2), kBackground);
    EXPECT_EQ(surface.Rgb(1, 2), Argb(0, 100, 100, 100));
    EXPECT_EQ(surface.Rgb(3, 2), kBackground);

    // A glyph's bottom-left colour is transparent when asked for.
    const auto glyph = Picture(2, 2, [](int x, int y) { return x == 0 && y == 1 ? Argb(0, 1, 2, 3) : Argb(0, 9, 9, 9); });
    Surface glyphSurface(2, 2, kBackground);
    const RECT small{0, 0, 2, 2};
    DrawImage(glyphSurface.DC(), small, small, glyph.get(), nullptr, -1, ImageDrawMode::Normal);
    EXPECT_EQ(glyphSurface.Rgb(0, 1), kBackground);
    EXPECT_EQ(glyphSurface.Rgb(1, 1), Argb(0, 9, 9, 9));
    DrawImage(glyphSurface.DC(), small, small, glyph.get(), nullptr, -1, ImageDrawMode::Normal, false, nullptr,
              forms::clNone, false);
    EXPECT_EQ(glyphSurface.Rgb(0, 1), Argb(0, 1, 2, 3));
}

TEST(DrawImage, ModesOverTheBackground) {
    struct Case {
        const char* name;
        ImageDrawMode mode;
        Pixel picture;
        Pixel expected;
    };
    const Case cases[] = {
        // The worked example: red, faded to gray 76, laid at 64.
        {"Faded", ImageDrawMode::Faded, Argb(255, 255, 0, 0), Argb(0, 137, 161, 203)},
        {"Normal", ImageDrawMode::Normal, Argb(255, 255, 0, 0), Argb(0, 255, 0, 0)},
        {"Grayscale", ImageDrawMode::Grayscale, Argb(255, 255, 0, 0), Argb(0, 85, 85, 85)},
        // Gray 19 at 151: 19 * 0.592 + background * 0.408.
        {"Disabled with alpha", ImageDrawMode::Disabled, Argb(255, 255, 0, 0), Argb(0, 76, 89, 111)},
        {"Pale", ImageDrawMode::Pale, Argb(255, 255, 0, 0), Argb(0, 255, 128, 128)},
    };
    for (TcxBlendPath path : {TcxBlendPath::Pixels, TcxBlendPath::AlphaBlend, TcxBlendPath::GdiPlus}) {
        if (path == TcxBlendPath::GdiPlus && !GdiPlusAvailable()) continue;
        PathScope scope(path);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", path " + std::to_string(int(path)));
            const auto glyph = Solid(3, 3, c.picture);
            Surface surface(3, 3, kBackground);
            const RECT r{0, 0, 3, 3};
            DrawImage(surface.DC(), r, r, glyph.get(), nullptr, -1, c.mode, false, nullptr, forms::clNone, false);
            // The formula exactly on our own path; the others round their own way.
            if (path == TcxBlendPath::Pixels)
                EXPECT_EQ(surface.Rgb(1, 1), c.expected) << Hex(surface.Rgb(1, 1));
            else
                EXPECT_TRUE(Near(surface.Rgb(1, 1), c.expected)) << Hex(surface.Rgb(1, 1));
        }
    }
}

TEST(DrawImage, DisabledWithoutAlphaIsShadedAndEmbossed) {
    TcxImageList list(nullptr, 4, 4);
    list.AddPicture(Picture(4, 4, [](int x, int y) { return x < 2 && y < 2 ? Argb(0, 255, 255, 255) : Argb(0, 255, 0, 255); })
                        .get());
    Surface surface(4, 4, kBackground);
    const RECT r{0, 0, 4, 4};
    DrawImage(surface.DC(), r, r, nullptr, &list, 0, ImageDrawMode::Disabled, false, nullptr, forms::clFuchsia);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(surface.Rgb(2, 2), Argb(0, GetRValue(highlight), GetGValue(highlight), GetBValue(highlight)));
    EXPECT_EQ(surface.Rgb(3, 3), kBackground);
    EXPECT_NE(surface.Rgb(0, 0), Argb(0, 255, 255, 255));
    EXPECT_EQ(surface.Rgb(0, 0), surface.Rgb(1, 1));
}

// Every path composes the same picture: each mode, at the picture's own
// size, resized plainly and resized smoothly, agrees with our own pixel
// loop within a unit per channel.
TEST_F(MainPictures, EveryBlendPathGivesTheSamePixels) {
    // Picture 5 has no alpha, for the shaded and embossed disabled look.
    list->AddPictureByColour(Picture(32, 32, [](int x, int y) {
                                 return (x - 16) * (x - 16) + (y - 16) * (y - 16) < 140 ? Argb(0, 200 - x * 4, 90, y * 7)
                                                                                        : Argb(0, 255, 0, 255);
                             }).get(),
                             forms::clFuchsia);
    std::vector<TcxBlendPath> paths = {TcxBlendPath::AlphaBlend};
    if (GdiPlusAvailable()) paths.push_back(TcxBlendPath::GdiPlus);
    const ImageDrawMode modes[] = {ImageDrawMode::Normal,    ImageDrawMode::Faded, ImageDrawMode::Disabled,
                                   ImageDrawMode::Grayscale, ImageDrawMode::Pale,  ImageDrawMode::Shadowed};
    struct Size {
        const char* name;
        RECT g;
        bool smooth;
    };
    const Size sizes[] = {{"as stored", {3, 4, 35, 36}, false},
                          {"stretched", {2, 1, 47, 41}, false},
                          {"smoothly resized", {5, 2, 29, 26}, true}};
    auto draw = [&](TcxBlendPath path, ImageDrawMode mode, int index, const Size& size) {
        PathScope scope(path);
        Surface surface(48, 48, Gradient);
        DrawImage(surface.DC(), size.g, RECT{1, 1, 47, 47}, nullptr, list, index, mode, size.smooth);
        EXPECT_EQ(LastBlendPath(), path);
        return surface.All();
    };
    for (const Size& size : sizes)
        for (ImageDrawMode mode : modes)
            for (int index = 0; index < 6; ++index) {
                const std::vector<Pixel> reference = draw(TcxBlendPath::Pixels, mode, index, size);
                for (TcxBlendPath path : paths) {
                    const std::vector<Pixel> result = draw(path, mode, index, size);
                    for (std::size_t i = 0; i < result.size(); ++i)
                        ASSERT_TRUE(Near(result[i], reference[i]))
                            << size.name << ", mode " << int(mode) << ", picture " << index << ", path " << int(path)
                            << ", pixel " << i % 48 << "," << i / 48 << ": " << Hex(result[i]) << " against "
                            << Hex(reference[i]);
                }
            }
}

// A 32-bit process on 64-bit Windows blends with our own loop; any other
// with AlphaBlend. Both answers are tried on every build.
TEST_F(MainPictures, AutoChoosesByWow64) {
    const bool wow64 = RunningUnderWow64();
    for (bool flag : {false, true}) {
        SetRunningUnderWow64(flag);
        const TcxBlendPath expected = flag ? TcxBlendPath::Pixels : TcxBlendPath::AlphaBlend;
        EXPECT_EQ(ResolvedBlendPath(), expected);
        Surface surface(32, 32, Gradient);
        const RECT r{0, 0, 32, 32};
        DrawImage(surface.DC(), r, r, nullptr, list, 2, ImageDrawMode::Faded);
        EXPECT_EQ(LastBlendPath(), expected);
    }
    SetRunningUnderWow64(wow64);
}

TEST_F(MainPictures, SmoothResizingKeepsThePictureWhole) {
    // Resized, the picture still covers the whole rectangle: no background
    // shows through picture 1, which is opaque but for its corners.
    for (bool smooth : {false, true}) {
        Surface surface(48, 48, Gradient);
        const RECT g{0, 0, 48, 48};
        DrawImage(surface.DC(), g, g, nullptr, list, 1, ImageDrawMode::Normal, smooth);
        for (auto [x, y] : {std::pair{24, 24}, {47, 24}, {24, 47}, {1, 1}})
            EXPECT_NE(surface.Rgb(x, y), Gradient(x, y)) << x << "," << y << (smooth ? " smooth" : "");
    }
}

TEST(DrawPicture, CentresWithoutStretchAndFillsWithIt) {
    TcxImageList list(nullptr, 32, 32);
    list.AddPicture(Picture(32, 32, [](int x, int) { return Argb(255, x * 8, 0, 0); }).get());
    Surface surface(40, 32, kBackground);
    list.DrawPicture(surface.DC(), RECT{0, 0, 35, 32}, 0, false, false, true);
    EXPECT_EQ(surface.Rgb(0, 5), kBackground);
    EXPECT_EQ(surface.Rgb(1, 5), Argb(0, 0, 0, 0));
    EXPECT_EQ(surface.Rgb(32, 5), Argb(0, 31 * 8, 0, 0));
    EXPECT_EQ(surface.Rgb(33, 5), kBackground);

    Surface stretched(40, 32, kBackground);
    list.DrawPicture(stretched.DC(), RECT{0, 0, 40, 32}, 0, true, false, true);
    EXPECT_NE(stretched.Rgb(39, 5), kBackground);

    // The platform's draw hook goes the same way.
    Surface hook(40, 32, kBackground);
    list.Draw(hook.DC(), 1, 0, 0);
    EXPECT_EQ(hook.All(), surface.All());
    // So does the system list's own drawing, for an opaque picture.
    list.SetAlphaDrawing(false);
    Surface system(40, 32, kBackground);
    list.DrawPicture(system.DC(), RECT{0, 0, 35, 32}, 0, false, false, true);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(system.Rgb(x, 5), surface.Rgb(x, 5)) << x;
}

TEST(DrawImage, NothingToDrawLeavesTheDCUntouched) {
    TcxImageList list(nullptr, 4, 4);
    Surface surface(4, 4, Gradient);
    const std::vector<Pixel> before = surface.All();
    const RECT r{0, 0, 4, 4};
    TcxBitmap empty;
    DrawImage(surface.DC(), r, r, nullptr, &list, 0, ImageDrawMode::Normal);
    DrawImage(surface.DC(), r, r, &empty, nullptr, -1, ImageDrawMode::Normal);
    DrawImage(surface.DC(), r, r, nullptr, nullptr, 0, ImageDrawMode::Normal);
    list.AddPicture(Solid(4, 4, Argb(255, 1, 1, 1)).get());
    DrawImage(surface.DC(), r, r, nullptr, &list, 1, ImageDrawMode::Normal);
    DrawImage(surface.DC(), r, r, nullptr, &list, -1, ImageDrawMode::Normal);
    EXPECT_EQ(surface.All(), before);
}

TEST_F(MainPictures, DrawingLeavesNoHandleBehind) {
    Surface surface(64, 64, kBackground);
    const RECT r{0, 0, 32, 32};
    // The first call makes the module's scratch bitmaps; they stay.
    DrawImage(surface.DC(), r, r, nullptr, list, 0, ImageDrawMode::Normal);
    const forms::HandleCount before = forms::LiveHandles();
    for (ImageDrawMode mode : {ImageDrawMode::Normal, ImageDrawMode::Faded, ImageDrawMode::Shadowed,
                               ImageDrawMode::Disabled, ImageDrawMode::Pale, ImageDrawMode::Grayscale})
        for (int i = 0; i < 5; ++i)
            for (TcxBlendPath path : {TcxBlendPath::Auto, TcxBlendPath::Pixels, TcxBlendPath::GdiPlus}) {
                PathScope scope(path);
                DrawImage(surface.DC(), RECT{i, i, i + 48, i + 40}, RECT{0, 0, 64, 64}, nullptr, list, i, mode, i % 2);
                list->DrawPicture(surface.DC(), RECT{0, 0, 40, 40}, i, i % 2, false, i % 2);
            }
    EXPECT_EQ(forms::LiveHandles().gdi, before.gdi);
    EXPECT_EQ(forms::LiveHandles().user, before.user);
    // Shutdown gives the scratch bitmaps back; start-up again is harmless.
    FinalizeGraphics();
    EXPECT_LT(forms::LiveHandles().gdi, before.gdi);
    InitializeGraphics();
}
