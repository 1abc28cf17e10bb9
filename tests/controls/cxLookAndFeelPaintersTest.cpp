// Push-button faces of each painter: frames, fills and their colours read
// back pixel by pixel.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/cxLookAndFeelPainters.h"
#include "controls/dxThemeManager.h"
#include "controls/dxUxTheme.h"
#include "tests/controls/LookAndFeelTestSupport.h"

using namespace controls;
using namespace controlstest;
using forms::TColor;

namespace {

constexpr int kW = 40, kH = 30;
constexpr Pixel kBackground = 0xFF00FF;
constexpr TColor cl3DDkShadow = forms::clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = forms::clSystemColor | COLOR_3DLIGHT;
constexpr TColor clWindowFrame = forms::clSystemColor | COLOR_WINDOWFRAME;
using S = TcxButtonState;

struct FaceCase {
    const char* name;
    TcxLookAndFeelPainterClass painter;
    TcxButtonState state;
    // Rings from the outside in: left and top colour, right and bottom colour.
    std::vector<std::pair<TColor, TColor>> rings;
    TColor face;
};

std::vector<FaceCase> FaceCases() {
    auto standard = TcxStandardLookAndFeelPainter::Class();
    auto flat = TcxFlatLookAndFeelPainter::Class();
    auto ultra = TcxUltraFlatLookAndFeelPainter::Class();
    using forms::clBlack, forms::clBtnFace, forms::clBtnHighlight, forms::clBtnShadow, forms::clBtnText,
        forms::clHighlight;
    const std::pair<TColor, TColor> raisedOuter{clBtnHighlight, cl3DDkShadow}, raisedInner{cl3DLight, clBtnShadow},
        black{clBlack, clBlack};
    return {
        {"StandardNormal", standard, S::cxbsNormal, {raisedOuter, raisedInner}, clBtnFace},
        {"StandardHot", standard, S::cxbsHot, {raisedOuter, raisedInner}, clBtnFace},
        {"StandardDefault", standard, S::cxbsDefault, {black, raisedOuter, raisedInner}, clBtnFace},
        {"StandardPressed", standard, S::cxbsPressed, {black, {clBtnShadow, clBtnShadow}}, clBtnFace},
        {"FlatNormal", flat, S::cxbsNormal, {{clBtnHighlight, clBtnShadow}}, clBtnFace},
        {"FlatDefault", flat, S::cxbsDefault, {black, {clBtnHighlight, clBtnShadow}}, clBtnFace},
        {"FlatPressed", flat, S::cxbsPressed, {{clBtnShadow, clBtnHighlight}}, clBtnFace},
        {"UltraFlatNormal", ultra, S::cxbsNormal, {{clBtnText, clBtnText}}, clBtnFace},
        {"UltraFlatDefault", ultra, S::cxbsDefault, {{clWindowFrame, clWindowFrame}, {clWindowFrame, clWindowFrame}},
         clBtnFace},
        {"UltraFlatDisabled", ultra, S::cxbsDisabled, {{clBtnShadow, clBtnShadow}}, clBtnFace},
        {"UltraFlatHot", ultra, S::cxbsHot, {{clHighlight, clHighlight}}, UltraFlatHotColor()},
        {"UltraFlatPressed", ultra, S::cxbsPressed, {{clHighlight, clHighlight}}, UltraFlatPressedColor()},
    };
}

void PaintFace(const Surface& surface, TcxLookAndFeelPainterClass painter, TcxButtonState state,
               TColor faceColor = forms::clDefault) {
    forms::TCanvas canvas(surface.DC());
    forms::TFont font;
    painter->PaintButtonFace(canvas, font, RECT{0, 0, kW, kH}, "", state, true, faceColor);
}

// Every ring on all four sides and the fill inside them.
void ExpectFace(const Surface& s, const std::vector<std::pair<TColor, TColor>>& rings, TColor face) {
    const int midX = kW / 2, midY = kH / 2;
    for (int i = 0; i < int(rings.size()); ++i) {
        auto [a, b] = rings[std::size_t(i)];
        EXPECT_EQ(ColorAt(s, i, midY), Sys(a)) << "left ring " << i;
        EXPECT_EQ(ColorAt(s, midX, i), Sys(a)) << "top ring " << i;
        EXPECT_EQ(ColorAt(s, kW - 1 - i, midY), Sys(b)) << "right ring " << i;
        EXPECT_EQ(ColorAt(s, midX, kH - 1 - i), Sys(b)) << "bottom ring " << i;
    }
    int n = int(rings.size());
    EXPECT_EQ(ColorAt(s, n, n), Sys(face)) << "first face pixel";
    EXPECT_EQ(ColorAt(s, kW - 1 - n, kH - 1 - n), Sys(face)) << "last face pixel";
}

bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

}  // namespace

TEST(LookAndFeelPainters, ButtonFacesFollowTheTables) {
    VisualStyles off(false);
    for (const FaceCase& c : FaceCases()) {
        SCOPED_TRACE(c.name);
        Surface s(kW, kH, kBackground);
        PaintFace(s, c.painter, c.state);
        ExpectFace(s, c.rings, c.face);
        // The face is inside the frame the painter reports.
        EXPECT_EQ(c.painter->ButtonFrameWidth(c.state), int(c.rings.size()));
    }
}

TEST(LookAndFeelPainters, RaisedFrameCornersBelongToTheDarkSide) {
    Surface s(kW, kH, kBackground);
    PaintFace(s, TcxStandardLookAndFeelPainter::Class(), S::cxbsNormal);
    EXPECT_EQ(ColorAt(s, 0, 0), Sys(forms::clBtnHighlight));
    EXPECT_EQ(ColorAt(s, kW - 1, 0), Sys(cl3DDkShadow));
    EXPECT_EQ(ColorAt(s, 0, kH - 1), Sys(cl3DDkShadow));
}

TEST(LookAndFeelPainters, AGivenFaceColourReplacesThePaintersOwn) {
    Surface s(kW, kH, kBackground);
    PaintFace(s, TcxUltraFlatLookAndFeelPainter::Class(), S::cxbsHot, forms::clBtnHighlight);
    ExpectFace(s, {{forms::clHighlight, forms::clHighlight}}, forms::clBtnHighlight);
}

TEST(LookAndFeelPainters, UltraFlatBlendsOfTheDefaultSystemColours) {
    if (::GetSysColor(COLOR_BTNFACE) != RGB(245, 245, 245) || ::GetSysColor(COLOR_HIGHLIGHT) != RGB(48, 150, 250) ||
        ::GetSysColor(COLOR_WINDOW) != RGB(255, 255, 255))
        GTEST_SKIP() << "system colours differ from a new prefix's";
    // Each term rounded on its own: 245 * -2 / 100 = -4.9 -> -5, and so on.
    EXPECT_EQ(UltraFlatHotColor(), RGB(193, 224, 254));
    EXPECT_EQ(UltraFlatPressedColor(), RGB(157, 202, 246));
}

TEST(LookAndFeelPainters, CaptionColoursShiftsAndFocusBounds) {
    auto standard = TcxStandardLookAndFeelPainter::Class();
    auto ultra = TcxUltraFlatLookAndFeelPainter::Class();
    EXPECT_EQ(standard->ButtonCaptionColor(S::cxbsNormal), forms::clBtnText);
    EXPECT_EQ(standard->ButtonCaptionColor(S::cxbsNormal, forms::clRed), forms::clRed);
    EXPECT_EQ(standard->ButtonCaptionColor(S::cxbsDisabled, forms::clRed), forms::clBtnShadow);
    EXPECT_EQ(ultra->ButtonCaptionColor(S::cxbsPressed, forms::clRed), forms::clHighlightText);
    EXPECT_EQ(ultra->ButtonCaptionColor(S::cxbsHot, forms::clRed), forms::clRed);
    EXPECT_EQ(standard->PressedCaptionShift(), 1);
    EXPECT_EQ(ultra->PressedCaptionShift(), 0);
    RECT r{0, 0, 90, 25};
    EXPECT_TRUE(Same(standard->ButtonFocusBounds(nullptr, r), RECT{4, 4, 86, 21}));
    EXPECT_TRUE(Same(ultra->ButtonFocusBounds(nullptr, r), RECT{3, 3, 87, 22}));
    RECT tiny{0, 0, 6, 6};  // shrunk it would be empty
    EXPECT_TRUE(Same(standard->ButtonFocusBounds(nullptr, tiny), tiny));
}

TEST(LookAndFeelPainters, StyleCodes) {
    EXPECT_EQ(TcxFlatLookAndFeelPainter::Class()->PainterStyle(), 0);
    EXPECT_EQ(TcxStandardLookAndFeelPainter::Class()->PainterStyle(), 1);
    EXPECT_EQ(TcxUltraFlatLookAndFeelPainter::Class()->PainterStyle(), 2);
    EXPECT_EQ(TcxWinXPLookAndFeelPainter::Class()->PainterStyle(), 3);
    EXPECT_EQ(TcxOffice11LookAndFeelPainter::Class()->PainterStyle(), 4);
    EXPECT_FALSE(TcxStandardLookAndFeelPainter::Class()->TracksHotButtons());
    EXPECT_FALSE(TcxFlatLookAndFeelPainter::Class()->TracksHotButtons());
    EXPECT_TRUE(TcxUltraFlatLookAndFeelPainter::Class()->TracksHotButtons());
    EXPECT_TRUE(TcxWinXPLookAndFeelPainter::Class()->TracksHotButtons());
}

TEST(LookAndFeelPainters, NativePainterDrawsTheThemesPushButtonInEachState) {
    VisualStyles on(true);
    HTHEME theme = OpenTheme(TdxThemedObjectType::totButton);
    if (!theme) GTEST_SKIP() << "no visual style here";
    auto xp = TcxWinXPLookAndFeelPainter::Class();
    const std::pair<S, int> states[] = {
        {S::cxbsDefault, 5}, {S::cxbsNormal, 1}, {S::cxbsHot, 2}, {S::cxbsPressed, 3}, {S::cxbsDisabled, 4}};
    for (auto [state, id] : states) {
        SCOPED_TRACE(id);
        Surface painted(kW, kH, kBackground), expected(kW, kH, kBackground);
        PaintFace(painted, xp, state);
        UxDrawThemeBackground(theme, expected.DC(), 1, id, RECT{0, 0, kW, kH});
        EXPECT_EQ(painted.All(), expected.All());
        COLORREF text = 0;
        if (UxGetThemeColor(theme, 1, id, 3803, text)) {
            EXPECT_EQ(xp->ButtonCaptionColor(state), text);
        }
    }
}

TEST(LookAndFeelPainters, NativePainterWithoutAThemeFallsBackToTheStandardFrame) {
    VisualStyles off(false);
    auto xp = TcxWinXPLookAndFeelPainter::Class();
    Surface s(kW, kH, kBackground);
    PaintFace(s, xp, S::cxbsNormal);
    ExpectFace(s, {{forms::clBtnHighlight, cl3DDkShadow}, {cl3DLight, forms::clBtnShadow}}, forms::clBtnFace);
    EXPECT_EQ(xp->ButtonFrameWidth(S::cxbsDefault), 2);
    EXPECT_EQ(xp->PressedCaptionShift(), 0);
    EXPECT_EQ(xp->ButtonCaptionColor(S::cxbsNormal), forms::clBtnText);
    RECT r{0, 0, 90, 25};
    EXPECT_TRUE(Same(xp->ButtonFocusBounds(nullptr, r), RECT{4, 4, 86, 21}));
}
