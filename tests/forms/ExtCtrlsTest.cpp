// Bevels and pictures, painted and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "forms/Exceptions.h"
#include "forms/ExtCtrls.h"
#include "forms/FormReader.h"
#include "forms/FormWriter.h"
#include "tests/common/TestSupport.h"
#include "tests/forms/StoredBitmap.h"

using namespace forms;

namespace {

class TPlainForm : public TForm {
public:
    TPlainForm() : TForm(nullptr) {}
    const char* ClassName() const override { return "TPlainForm"; }
    void Load(std::vector<ObjectNode> children) {
        Create(ObjectNode{"TPlainForm", "frm", {{"Color", Value::Id("clGreen")},
                                               {"ClientWidth", Value::Int(40)},
                                               {"ClientHeight", Value::Int(30)}}, std::move(children)});
    }
};

ObjectNode Image(std::vector<Property> props) { return ObjectNode{"TImage", "img", std::move(props), {}}; }

Property PictureData(const testsupport::Bytes& bytes) { return {"Picture.Data", Value::Bin(bytes)}; }

// Pixel (x, y) of the 4 x 3 picture: grey (x + 16 y); bottom-left is 32.
COLORREF Grey(int x, int y) { return RGB(x + 16 * y, x + 16 * y, x + 16 * y); }

TEST(Image, DrawsItsPictureAtItsSizeOrStretched) {
    const auto bytes = testsupport::StoredBitmap(4, 3, 24);
    struct Case {
        const char* name;
        bool stretch;
        int width, height;
    };
    for (const Case& c : {Case{"as it is", false, 10, 10}, Case{"stretched", true, 8, 6}}) {
        SCOPED_TRACE(c.name);
        TPlainForm form;
        form.Load({Image({{"Left", Value::Int(5)}, {"Top", Value::Int(7)}, {"Width", Value::Int(c.width)},
                          {"Height", Value::Int(c.height)}, PictureData(bytes), {"Stretch", Value::Bool(c.stretch)}})});
        testsupport::Snapshot shot(form.Handle());
        const int scale = c.stretch ? 2 : 1;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(shot.Pixel(5 + x * scale + scale - 1, 7 + y * scale + scale - 1), Grey(x, y)) << x << "," << y;
        EXPECT_EQ(shot.Pixel(4, 7), RGB(0, 128, 0));  // the form beside it
        if (!c.stretch) {
            EXPECT_EQ(shot.Pixel(5 + 4, 7), RGB(0, 128, 0));
        }
    }
}

TEST(Image, TransparentLeavesOutTheColourOfItsBottomLeftPixel) {
    // Two pixels carry the bottom-left colour: that corner and one above.
    auto bytes = testsupport::StoredBitmap(4, 3, 24);
    constexpr std::size_t pixels = 12 + 54, stride = 12;
    for (int c = 0; c < 3; ++c) bytes[pixels + 2 * stride + 3 * 2 + c] = 32;  // (2, 0): bottom-up row 2
    TPlainForm form;
    form.Load({Image({{"Left", Value::Int(0)}, {"Top", Value::Int(0)}, PictureData(bytes),
                      {"Transparent", Value::Bool(true)}})});
    auto* image = dynamic_cast<TImage*>(form.FindComponent("img"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->TransparentColor(), RGB(32, 32, 32));
    testsupport::Snapshot shot(form.Handle());
    EXPECT_EQ(shot.Pixel(0, 2), RGB(0, 128, 0));
    EXPECT_EQ(shot.Pixel(2, 0), RGB(0, 128, 0));
    EXPECT_EQ(shot.Pixel(1, 2), Grey(1, 2));
    EXPECT_EQ(shot.Pixel(3, 0), Grey(3, 0));
}

TEST(Image, WritesItsPictureBackAndRefusesDamage) {
    const auto bytes = testsupport::StoredBitmap(4, 3, 32);
    TPlainForm form;
    form.Load({Image({PictureData(bytes), {"Stretch", Value::Bool(true)}})});
    auto* image = dynamic_cast<TImage*>(form.FindComponent("img"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->PictureWidth(), 4);
    EXPECT_EQ(image->PictureHeight(), 3);
    const std::vector<Property> written = WriteProperties(*image);
    auto found = std::find_if(written.begin(), written.end(), [](const Property& p) { return p.name == "Picture.Data"; });
    ASSERT_NE(found, written.end());
    EXPECT_EQ(found->value.bytes, bytes);

    const HandleCount before = LiveHandles();
    {
        TPlainForm broken;
        auto damaged = bytes;
        damaged.resize(damaged.size() - 5);
        try {
            broken.Load({Image({PictureData(damaged)})});
            ADD_FAILURE() << "damaged picture read";
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find("Invalid property value"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

TEST(Bevel, DrawsEtchedLinesAndBoxes) {
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF back = RGB(0, 128, 0);
    struct Probe {
        int x, y;
        COLORREF colour;
    };
    struct Case {
        const char *shape, *style;
        std::vector<Probe> probes;
    };
    // A 10 x 6 bevel at the form's top-left.
    const Case cases[] = {
        {"bsBottomLine", "bsLowered", {{3, 4, shadow}, {3, 5, light}, {3, 3, back}, {0, 0, back}}},
        {"bsBottomLine", "bsRaised", {{3, 4, light}, {3, 5, shadow}}},
        {"bsTopLine", "bsLowered", {{3, 0, shadow}, {3, 1, light}, {3, 5, back}}},
        {"bsRightLine", "bsLowered", {{8, 3, shadow}, {9, 3, light}, {0, 3, back}}},
        {"bsBox", "bsLowered", {{0, 3, shadow}, {3, 0, shadow}, {9, 3, light}, {3, 5, light}, {3, 3, back}}},
        {"bsSpacer", "bsLowered", {{0, 0, back}, {9, 5, back}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shape) + " " + c.style);
        TPlainForm form;
        form.Load({ObjectNode{"TBevel", "bvl", {{"Left", Value::Int(0)}, {"Top", Value::Int(0)},
                                                {"Width", Value::Int(10)}, {"Height", Value::Int(6)},
                                                {"Shape", Value::Id(c.shape)}, {"Style", Value::Id(c.style)}}, {}}});
        testsupport::Snapshot shot(form.Handle());
        for (const Probe& p : c.probes) EXPECT_EQ(shot.Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
}

// A frame of one colour is drawn as bands, not ring by ring: it must cover
// exactly the rings a frame of two colours covers, and leave the same
// inner rectangle, also when the rings fill the whole rectangle.
TEST(Frame3D, OneColourCoversTheSameRingsAsTwo) {
    struct Case {
        RECT r;
        int width;
    };
    const Case cases[] = {
        {{2, 3, 18, 12}, 1}, {{2, 3, 18, 12}, 5}, {{4, 4, 7, 16}, 5}, {{1, 1, 19, 2}, 3}, {{5, 5, 5, 9}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.r.right - c.r.left) + " x " + std::to_string(c.r.bottom - c.r.top) + ", width " +
                     std::to_string(c.width));
        auto draw = [&](TColor bottomRight, RECT& inner) {
            auto picture = std::make_unique<TOffscreenBitmap>();
            picture->SetSize(20, 20);
            const RECT all{0, 0, 20, 20};
            ::FillRect(picture->DC(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            inner = c.r;
            TCanvas(picture->DC()).Frame3D(inner, clRed, bottomRight, c.width);
            return picture;
        };
        RECT twoInner, oneInner;
        auto two = draw(clBlue, twoInner);
        auto one = draw(clRed, oneInner);
        EXPECT_TRUE(::EqualRect(&twoInner, &oneInner));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(::GetPixel(two->DC(), x, y) == RGB(255, 255, 255),
                          ::GetPixel(one->DC(), x, y) == RGB(255, 255, 255))
                    << x << "," << y;
    }
}

}  // namespace

namespace {

// A panel that counts its paints and remembers what the last one covered.
class TCountingPanel : public TPanel {
public:
    using TPanel::TPanel;
    void Paint(TCanvas& canvas) override {
        ++paints;
        ::GetClipBox(canvas.Handle(), &covered);
        TPanel::Paint(canvas);
    }
    int paints = 0;
    RECT covered{};
};

TEST(RetainedPicture, OnlyWhatWasMarkedIsDrawnAgainAndTheRestIsCopied) {
    TPlainForm form;
    form.Load({});
    TCountingPanel panel(&form);
    panel.SetBevelOuter(TBevelCut::None);
    panel.SetColor(clRed);
    panel.SetBounds(0, 0, 40, 30);
    panel.SetParent(&form);
    panel.SetRetained(true);
    form.Show();
    testsupport::PumpUntil([&] { return !::GetUpdateRect(panel.Handle(), nullptr, FALSE); });
    const RECT client{0, 0, 40, 30};
    WindowDC screen(panel.Handle());
    panel.PaintHandler(screen.Get(), client);
    const int first = panel.paints;

    // Uncovered: a copy of the kept picture.
    panel.PaintHandler(screen.Get(), client);
    EXPECT_EQ(panel.paints, first);
    EXPECT_EQ(testsupport::Snapshot(panel.Handle()).Pixel(20, 15), RGB(255, 0, 0));

    // A marked area is drawn, and only it.
    panel.InvalidateArea(RECT{2, 3, 7, 9});
    panel.PaintHandler(screen.Get(), client);
    EXPECT_EQ(panel.paints, first + 1);
    EXPECT_EQ(panel.covered.left, 2);
    EXPECT_EQ(panel.covered.bottom, 9);

    // A new colour marks everything; so does a change of the system's look.
    panel.SetColor(clBlue);
    EXPECT_EQ(testsupport::Snapshot(panel.Handle()).Pixel(39, 29), RGB(0, 0, 255));
    const int afterColour = panel.paints;
    AppearanceChanged();
    panel.PaintHandler(screen.Get(), client);
    EXPECT_EQ(panel.paints, afterColour + 1);

    // Drawn at once: nothing waits for the window manager's paint.
    ::ValidateRect(panel.Handle(), nullptr);
    panel.InvalidateArea(RECT{0, 0, 1, 1});
    ::ValidateRect(panel.Handle(), nullptr);
    panel.RedrawArea(RECT{0, 0, 1, 1});
    EXPECT_EQ(panel.paints, afterColour + 2);
    EXPECT_FALSE(::GetUpdateRect(panel.Handle(), nullptr, FALSE));
}

}  // namespace
