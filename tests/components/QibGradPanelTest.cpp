#include "components/QibGradPanel.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/common/TestSupport.h"
#include "tests/components/ComponentsTestSupport.h"

using namespace forms;
using components::TQibGradPanel;
using componentstest::Invalidated;
using componentstest::TTestForm;

namespace {

class GradPanel : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TTestForm>();
        form->Load(ObjectNode{"TTestForm", "frm", {{"ClientWidth", Value::Int(400)}, {"ClientHeight", Value::Int(200)}}, {}});
        panel = new TQibGradPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBevelOuter(TBevelCut::None);
    }
    // A panel of the given width whose gradient runs between the colours.
    void Make(int width, TColor begin, TColor end) {
        panel->SetBounds(0, 0, width, 20);
        panel->UpdateBeginColor(begin);
        panel->UpdateEndColor(end);
    }

    std::unique_ptr<TTestForm> form;
    TQibGradPanel* panel = nullptr;
};

TEST_F(GradPanel, StartsAsAnAquaToBlueCentredPanel) {
    EXPECT_EQ(panel->BeginColor(), clAqua);
    EXPECT_EQ(panel->EndColor(), clBlue);
    EXPECT_EQ(panel->Alignment(), TAlignment::Center);
}

TEST_F(GradPanel, BandsRunFromTheBeginToTheEndColourAcrossTheWidth) {
    Make(364, clWhite, 0x00FFE8E8);
    testsupport::Snapshot shot(panel->Handle());
    // Band i covers x from muldiv(i, 364, 255) up to muldiv(i + 1, 364, 255);
    // red and green are 255 + muldiv(i, -23, 254), halves away from zero.
    struct Case {
        int x;
        COLORREF colour;
    };
    const Case cases[] = {
        {0, RGB(255, 255, 255)},    // band 0
        {7, RGB(255, 255, 255)},    // band 5: -0.45 rounds to 0
        {9, RGB(254, 254, 255)},    // band 6: -0.54 rounds to -1
        {181, RGB(243, 243, 255)},  // band 127: -11.5 rounds to -12
        {182, RGB(243, 243, 255)},
        {363, RGB(232, 232, 255)},  // band 254: the end colour exactly
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shot.Pixel(c.x, 0), c.colour) << "x " << c.x;
        EXPECT_EQ(shot.Pixel(c.x, 19), c.colour) << "x " << c.x;
    }
    EXPECT_EQ(panel->BandColor(0), RGB(255, 255, 255));
    EXPECT_EQ(panel->BandColor(254), RGB(232, 232, 255));
}

TEST_F(GradPanel, ANarrowPanelSkipsEmptyBandsAndEqualColoursGiveAFlatFill) {
    // On 100 pixels band 0 and band 254 have no width: the first pixel shows
    // band 1, the last band 253; in between the colour only moves one way.
    Make(100, clRed, clBlue);
    testsupport::Snapshot narrow(panel->Handle());
    EXPECT_EQ(narrow.Pixel(0, 10), RGB(254, 0, 1));
    EXPECT_EQ(narrow.Pixel(99, 10), RGB(1, 0, 254));
    for (int x = 1; x < 100; ++x) {
        EXPECT_LE(GetRValue(narrow.Pixel(x, 10)), GetRValue(narrow.Pixel(x - 1, 10))) << x;
        EXPECT_GE(GetBValue(narrow.Pixel(x, 10)), GetBValue(narrow.Pixel(x - 1, 10))) << x;
    }
    Make(50, clTeal, clTeal);
    testsupport::Snapshot flat(panel->Handle());
    for (int x = 0; x < 50; ++x) EXPECT_EQ(flat.Pixel(x, 10), ColorToRGB(clTeal)) << x;
}

TEST_F(GradPanel, SystemColoursAreResolvedFirst) {
    Make(255, clBtnFace, clBtnShadow);
    testsupport::Snapshot shot(panel->Handle());
    EXPECT_EQ(shot.Pixel(0, 5), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(shot.Pixel(254, 5), ::GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(GradPanel, BevelsAndBorderAreDrawnOverTheGradient) {
    Make(100, clWhite, clWhite);
    panel->SetBevelOuter(TBevelCut::Raised);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(1);
    panel->SetBevelInner(TBevelCut::Lowered);
    panel->SetColor(clGreen);
    testsupport::Snapshot shot(panel->Handle());
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT), shadow = ::GetSysColor(COLOR_BTNSHADOW);
    struct Case {
        int x, y;
        COLORREF colour;
    };
    const Case cases[] = {
        {1, 10, highlight},  {98, 10, shadow},  // raised outer bevel, two pixels wide
        {2, 10, clGreen},    {97, 10, clGreen}, // border in the panel colour
        {3, 10, shadow},     {96, 10, highlight},  // lowered inner bevel
        {4, 10, shadow},     {95, 10, highlight},
        {5, 10, clWhite},    {50, 10, clWhite},    // the gradient inside
    };
    for (const Case& c : cases) EXPECT_EQ(shot.Pixel(c.x, c.y), c.colour) << c.x << "," << c.y;
}

TEST_F(GradPanel, CaptionGoesWhereTheAlignmentSays) {
    Make(300, clWhite, clWhite);
    panel->Font().SetColor(clBlack);
    panel->Font().SetHeight(-16);
    panel->SetCaption("WWW");
    auto inkColumns = [&] {
        testsupport::Snapshot shot(panel->Handle());
        int first = -1, last = -1;
        for (int x = 0; x < 300; ++x)
            for (int y = 0; y < 20; ++y)
                if (shot.Pixel(x, y) != RGB(255, 255, 255)) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::pair{first, last};
    };
    auto [cl, cr] = inkColumns();
    EXPECT_NEAR((cl + cr) / 2, 150, 3);
    panel->SetAlignment(TAlignment::LeftJustify);
    EXPECT_LT(inkColumns().first, 5);
    panel->SetAlignment(TAlignment::RightJustify);
    EXPECT_GT(inkColumns().second, 294);
}

TEST_F(GradPanel, OnlyANewColourRepaintsButAnyAlignmentDoes) {
    Make(100, clWhite, clBlue);
    form->Show();  // a hidden window keeps nothing to repaint
    Invalidated(panel->Handle());
    panel->UpdateBeginColor(clWhite);
    panel->UpdateEndColor(clBlue);
    EXPECT_FALSE(Invalidated(panel->Handle()));
    panel->UpdateBeginColor(clRed);
    EXPECT_TRUE(Invalidated(panel->Handle()));
    panel->UpdateEndColor(clRed);
    EXPECT_TRUE(Invalidated(panel->Handle()));
    panel->SetAlignment(panel->Alignment());
    EXPECT_TRUE(Invalidated(panel->Handle()));
}

TEST(GradPanelDescription, ReadsAndWritesItsColours) {
    TTestForm form;
    form.Load(ObjectNode{"TTestForm", "frm", {}, {ObjectNode{"TQibGradPanel", "pnl", {
        {"BeginColor", Value::Id("clWhite")}, {"EndColor", Value::Int(16771304)}, {"BevelOuter", Value::Id("bvNone")}}, {}}}});
    auto* panel = dynamic_cast<TQibGradPanel*>(form.FindComponent("pnl"));
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->BeginColor(), clWhite);
    EXPECT_EQ(panel->EndColor(), 0x00FFE8E8u);
    const std::vector<Property> written = WriteProperties(*panel);
    auto find = [&](const char* name) -> const Value* {
        for (const Property& p : written)
            if (p.name == name) return &p.value;
        return nullptr;
    };
    ASSERT_TRUE(find("BeginColor"));
    EXPECT_EQ(find("BeginColor")->integer, 0xFFFFFF);
    ASSERT_TRUE(find("EndColor"));
    EXPECT_EQ(find("EndColor")->integer, 16771304);
    // At their defaults, they are not written.
    panel->UpdateBeginColor(clAqua);
    panel->UpdateEndColor(clBlue);
    const std::vector<Property> defaults = WriteProperties(*panel);
    for (const Property& p : defaults) EXPECT_TRUE(p.name != "BeginColor" && p.name != "EndColor") << p.name;
}

}  // namespace
