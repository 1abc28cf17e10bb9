// The Office 2003 palette and its primitives, and how docks, toolbars and
// large buttons look in that style.
#include "tests/bars/BarsTestSupport.h"

#include <cmath>

#include "bars/dxBarItemLinks.h"
#include "bars/dxBarPainters.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

COLORREF Rgb(controlstest::Pixel p) { return RGB(controlstest::R(p), controlstest::G(p), controlstest::B(p)); }

TEST(Office11Palette, SchemeAndColoursFollowTheMachine) {
    const COLORREF face = RGB(212, 208, 200), white = RGB(255, 255, 255);
    struct Case {
        const char* name;
        bool styled;
        const wchar_t* file;
        const wchar_t* colour;
        DWORD major;
        Office11Scheme scheme;
        COLORREF dockStart, dockEnd;
    } cases[] = {
        {"XP, Luna blue", true, L"C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles", L"NormalColor", 5,
         Office11Scheme::NormalColor, RGB(158, 190, 245), RGB(195, 218, 249)},
        {"XP, Luna olive", true, L"C:\\WINDOWS\\Resources\\Themes\\Luna\\luna.MSSTYLES", L"HomeStead", 5,
         Office11Scheme::Homestead, RGB(217, 217, 167), RGB(242, 240, 228)},
        {"XP, Luna silver", true, L"luna.msstyles", L"metallic", 5, Office11Scheme::Metallic, RGB(215, 215, 229),
         RGB(243, 243, 247)},
        // Another theme on XP counts for nothing, even in "NormalColor".
        {"XP, Royale", true, L"C:\\WINDOWS\\Resources\\Themes\\Royale\\Royale.msstyles", L"NormalColor", 5,
         Office11Scheme::None, face, RGB(246, 246, 244)},
        {"Vista, any theme in NormalColor", true, L"C:\\Windows\\Resources\\Themes\\Aero\\Aero.msstyles",
         L"NormalColor", 6, Office11Scheme::NormalColor, RGB(158, 190, 245), RGB(195, 218, 249)},
        {"Vista, an unknown colour", true, L"light.msstyles", L"Blue", 6, Office11Scheme::None, face,
         RGB(246, 246, 244)},
        {"classic look", false, L"Luna.msstyles", L"NormalColor", 5, Office11Scheme::None, face, RGB(246, 246, 244)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaletteMachine machine;
        machine.Colours({{COLOR_BTNFACE, face}, {COLOR_WINDOW, white}});
        if (c.styled) machine.Styled(c.file, c.colour, c.major);
        else machine.Classic();
        const TOffice11Palette& p = Office11Palette();
        EXPECT_EQ(p.Scheme, c.scheme);
        EXPECT_EQ(p.Themed, c.scheme != Office11Scheme::None);
        EXPECT_EQ(p.DockStart, c.dockStart);
        EXPECT_EQ(p.DockEnd, c.dockEnd);
    }
}

TEST(Office11Palette, WithoutAStyleTheEntriesComeFromTheSystemColours) {
    PaletteMachine machine;
    const COLORREF face = RGB(212, 208, 200), highlight = RGB(10, 36, 106), window = RGB(255, 255, 255);
    machine.Colours({{COLOR_BTNFACE, face},
                     {COLOR_HIGHLIGHT, highlight},
                     {COLOR_WINDOW, window},
                     {COLOR_BTNSHADOW, RGB(128, 128, 128)},
                     {COLOR_BTNTEXT, RGB(1, 2, 3)},
                     {COLOR_GRAYTEXT, RGB(4, 5, 6)}})
        .Classic();
    const TOffice11Palette& p = Office11Palette();
    // Tints: face, highlight and window shares per channel, by MulDiv.
    auto tint = [&](int f, int h, int w) {
        auto channel = [&](int shift) {
            int v = forms::MulDiv(face >> shift & 0xFF, f, 100) + forms::MulDiv(highlight >> shift & 0xFF, h, 100) +
                    forms::MulDiv(window >> shift & 0xFF, w, 100);
            return std::clamp(v, 0, 255);
        };
        return RGB(channel(0), channel(8), channel(16));
    };
    EXPECT_EQ(p.MenuSelected, tint(-2, 30, 72));
    // The hot colours copy the selected row's, worked out in the same pass.
    EXPECT_EQ(p.HotTop, p.MenuSelected);
    EXPECT_EQ(p.HotBottom, p.MenuSelected);
    EXPECT_EQ(p.PressedLight, tint(14, 44, 40));
    EXPECT_EQ(p.PressedDark, p.PressedLight);
    EXPECT_EQ(p.CheckedFill, tint(41, 11, 48));
    EXPECT_EQ(p.SelectionFrame, highlight);
    EXPECT_EQ(p.Text, RGB(1, 2, 3));
    EXPECT_EQ(p.TextDisabled, RGB(4, 5, 6));
    EXPECT_EQ(p.MenuBack, window);
    EXPECT_EQ(p.ToolbarDark, MixColors(face, window, 96));
    EXPECT_EQ(p.MenuChecked, p.ToolbarDark);
    EXPECT_EQ(p.ItemFrame, RGB(167, 167, 167));  // 70 % shadow, 30 % window
    EXPECT_EQ(p.MidpointPercent, 75);
}

TEST(Office11Palette, HighContrastFacesTakeTheHighlight) {
    for (COLORREF face : {RGB(0, 0, 0), RGB(255, 255, 255)}) {
        PaletteMachine machine;
        machine.Colours({{COLOR_BTNFACE, face}, {COLOR_HIGHLIGHT, RGB(0, 128, 0)}, {COLOR_HIGHLIGHTTEXT, RGB(9, 9, 9)}})
            .Classic();
        EXPECT_EQ(TintSystemColors(-2, 30, 72), RGB(0, 128, 0));
        EXPECT_EQ(Office11Palette().MenuSelected, RGB(0, 128, 0));
    }
    // On a black face the selection frame is drawn in highlighted text.
    PaletteMachine machine;
    machine.Colours({{COLOR_BTNFACE, RGB(0, 0, 0)}, {COLOR_HIGHLIGHTTEXT, RGB(9, 9, 9)}}).Classic();
    controlstest::Surface surface(10, 10, controlstest::Argb(255, 255, 255, 255));
    DrawSelectionFrame(surface.DC(), {1, 1, 9, 9});
    EXPECT_EQ(surface.Rgb(1, 1), 0x090909u);
    EXPECT_EQ(surface.Rgb(5, 8), 0x090909u);
    EXPECT_EQ(surface.Rgb(5, 5), 0xFFFFFFu);
}

TEST(Office11Palette, UsersShareOneSetOfBrushes) {
    PaletteMachine machine;
    LunaBlue(machine);
    const int users = Office11Palette().UserCount;
    const long before = LiveHandles().gdi;
    Office11PaletteAddRef();
    Office11PaletteAddRef();
    EXPECT_EQ(LiveHandles().gdi, before + (users == 0 ? 4 : 0));
    EXPECT_TRUE(Office11Palette().SelectionFrameBrush);
    RefreshOffice11Palette();
    EXPECT_EQ(LiveHandles().gdi, before + (users == 0 ? 4 : 0));
    Office11PaletteRelease();
    Office11PaletteRelease();
    EXPECT_EQ(LiveHandles().gdi, before);
    EXPECT_EQ(Office11Palette().UserCount, users);
    EXPECT_EQ(Office11Palette().DockStart, RGB(158, 190, 245));
}

// The runs of equal colour along a row of a surface.
std::vector<std::pair<int, COLORREF>> Runs(const controlstest::Surface& s, int width, int y) {
    std::vector<std::pair<int, COLORREF>> runs;
    for (int x = 0; x < width; ++x) {
        COLORREF c = Rgb(s.At(x, y));
        if (runs.empty() || runs.back().second != c) runs.push_back({0, c});
        ++runs.back().first;
    }
    return runs;
}

TEST(Office11Gradient, SoftwareBandsAreAtMost256) {
    PaletteMachine machine;
    SetGradientFillAvailable(false);
    const COLORREF from = RGB(0, 0, 0), to = RGB(255, 255, 255);
    for (int width : {600, 256, 100, 1}) {
        SCOPED_TRACE(width);
        controlstest::Surface surface(width, 2, controlstest::Argb(255, 1, 2, 3));
        FillLinearGradient(surface.DC(), {0, 0, width, 2}, from, to, true);
        auto runs = Runs(surface, width, 1);
        ASSERT_EQ(static_cast<int>(runs.size()), std::min(width, 256));
        EXPECT_EQ(runs.front().second, from);
        if (width > 1) {
            EXPECT_EQ(runs.back().second, to);
        }
        for (auto& run : runs) EXPECT_LE(run.first, (width + 255) / 256);
    }
    // Vertical: the colour changes along y only.
    controlstest::Surface surface(3, 100, controlstest::Argb(255, 1, 2, 3));
    FillLinearGradient(surface.DC(), {0, 0, 3, 100}, RGB(0, 0, 0), RGB(99, 0, 0), false);
    for (int y = 0; y < 100; ++y) EXPECT_EQ(Rgb(surface.At(2, y)), RGB(y, 0, 0));
    // Equal colours: solid; an empty rectangle: nothing.
    FillLinearGradient(surface.DC(), {0, 0, 3, 100}, RGB(7, 7, 7), RGB(7, 7, 7), true);
    EXPECT_EQ(Rgb(surface.At(1, 50)), RGB(7, 7, 7));
    FillLinearGradient(surface.DC(), {0, 0, 0, 100}, RGB(9, 9, 9), RGB(0, 0, 0), true);
    EXPECT_EQ(Rgb(surface.At(0, 50)), RGB(7, 7, 7));
}

TEST(Office11Gradient, PlatformGradientRunsFromEndToEnd) {
    if (!GradientFillAvailable()) GTEST_SKIP() << "no GradientFill";
    controlstest::Surface surface(375, 2, controlstest::Argb(255, 1, 2, 3));
    FillLinearGradient(surface.DC(), {0, 0, 375, 2}, RGB(158, 190, 245), RGB(195, 218, 249), true);
    const COLORREF left = Rgb(surface.At(0, 0)), right = Rgb(surface.At(374, 0));
    EXPECT_EQ(left, RGB(158, 190, 245));
    EXPECT_NEAR(GetRValue(right), 195, 1);
    EXPECT_NEAR(GetGValue(right), 218, 1);
    EXPECT_NEAR(GetBValue(right), 249, 1);
}

TEST(Office11Gradient, TheTwoSegmentGradientBendsAtTheMidpoint) {
    PaletteMachine machine;
    LunaBlue(machine);  // midpoint 41
    const COLORREF c1 = RGB(221, 236, 254), c2 = RGB(129, 169, 226);
    auto middle = [](int a, int b) { return a - forms::MulDiv(a - b, 41, 200); };
    const COLORREF m = RGB(middle(221, 129), middle(236, 169), middle(254, 226));
    controlstest::Surface one(4, 1, controlstest::Argb(255, 1, 2, 3));
    FillMidpointGradient(one.DC(), {0, 0, 4, 1}, c1, c2, false);
    EXPECT_EQ(Rgb(one.At(2, 0)), m);

    controlstest::Surface tall(1, 52, controlstest::Argb(255, 1, 2, 3));
    FillMidpointGradient(tall.DC(), {0, 0, 1, 52}, c1, c2, false);
    EXPECT_EQ(Rgb(tall.At(0, 0)), c1);
    EXPECT_EQ(Rgb(tall.At(0, 26)), m);
    EXPECT_EQ(Rgb(tall.At(0, 51)), c2);
    // Straight on either side: equal steps within rounding.
    for (int y : {5, 40}) {
        int step1 = GetRValue(Rgb(tall.At(0, y))) - GetRValue(Rgb(tall.At(0, y - 1)));
        int step2 = GetRValue(Rgb(tall.At(0, y + 1))) - GetRValue(Rgb(tall.At(0, y)));
        EXPECT_NEAR(step1, step2, 1);
    }
}

// The main window's toolbar in one of the visual styles, with the
// software gradient so that every pixel is known.
class Office11Toolbar : public ::testing::Test {
protected:
    static constexpr int T = 13;
    static constexpr int H = 39 + T;
    PaletteMachine machine;
    MenuFont menu{T};
    std::unique_ptr<TBarForm> form;

    void SetUp() override {
        SetGradientFillAvailable(false);
        LunaBlue(machine);
        form = LoadForm(MainLikeForm());
    }
    // Sends the colour change the system broadcasts.
    void ColoursChanged() { ::SendMessageA(form->Handle(), WM_SYSCOLORCHANGE, 0, 0); }
    TdxBarLargeButtonControl& Control(int i) {
        return dynamic_cast<TdxBarLargeButtonControl&>(form->ToolbarWindow()->Controls(i));
    }
    // The dock colour at x for a dock `width` wide, as the bands give it.
    static COLORREF DockAt(int x, int width, COLORREF from, COLORREF to) {
        const int bands = std::min(width, 256);
        int band = 0;
        while (forms::MulDiv(band + 1, width, bands) <= x) ++band;
        auto channel = [&](int shift) {
            int a = from >> shift & 0xFF, b = to >> shift & 0xFF;
            return a + forms::MulDiv(band, b - a, bands - 1);
        };
        return RGB(channel(0), channel(8), channel(16));
    }
};

TEST_F(Office11Toolbar, DockAndToolbarShowOneGradientWithoutSeams) {
    const TOffice11Palette& p = Office11Palette();
    Snapshot dock(form->TopDock()->Handle());
    Snapshot bar(form->ToolbarWindow()->Handle());
    ASSERT_EQ(bar.Width(), 375);
    EXPECT_EQ(dock.Pixel(0, 1), p.DockStart);
    EXPECT_EQ(dock.Pixel(374, 1), p.DockEnd);
    // Every column of the bar is the dock's, top to bottom, except where a
    // button draws its picture or caption; the edges of the buttons too.
    for (int x = 0; x < 375; ++x) {
        const COLORREF expected = DockAt(x, 375, p.DockStart, p.DockEnd);
        EXPECT_EQ(dock.Pixel(x, H / 2), expected) << x;
        for (int y : {0, 1, H - 2, H - 1}) EXPECT_EQ(bar.Pixel(x, y), expected) << x << "," << y;
    }
    // Wider: built anew, the right end is again DockEnd.
    form->SetClientSize(500, 157);
    Snapshot wide(form->ToolbarWindow()->Handle());
    EXPECT_EQ(wide.Pixel(499, 1), p.DockEnd);
    EXPECT_EQ(wide.Pixel(100, 1), DockAt(100, 500, p.DockStart, p.DockEnd));
}

TEST_F(Office11Toolbar, HotAndPressedButtonsGetTheirGradientsInsideTheSelectionFrame) {
    TdxBarControl& bar = *form->ToolbarWindow();
    const RECT r = form->Toolbar()->ItemLinks().Items(1)->ItemRect();
    auto face = [&](int y, COLORREF top, COLORREF bottom) {
        const int height = r.bottom - r.top;
        auto channel = [&](int shift) {
            int a = top >> shift & 0xFF, b = bottom >> shift & 0xFF;
            return a + forms::MulDiv(y - r.top, b - a, height - 1);
        };
        return RGB(channel(0), channel(8), channel(16));
    };
    struct Case {
        const char* name;
        bool pressed;
        COLORREF top, bottom;
    } cases[] = {
        {"hot", false, RGB(255, 244, 204), RGB(255, 208, 145)},
        {"pressed", true, RGB(254, 145, 78), RGB(255, 211, 142)},
    };
    ::SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, r.top + 5));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Control(1).ShownPressed = c.pressed;
        Control(1).InvalidateState();
        Snapshot shot(bar.Handle());
        for (int y = r.top; y < r.bottom; ++y) {
            EXPECT_EQ(shot.Pixel(r.left, y), RGB(0, 0, 128)) << y;
            EXPECT_EQ(shot.Pixel(r.right - 1, y), RGB(0, 0, 128)) << y;
        }
        EXPECT_EQ(shot.Pixel(r.left + 10, r.top), RGB(0, 0, 128));
        EXPECT_EQ(shot.Pixel(r.left + 10, r.bottom - 1), RGB(0, 0, 128));
        // Inside, the face depends on y only; picture and caption stay put.
        for (int y : {1, 2, 20, H - 3, H - 2}) {
            EXPECT_EQ(shot.Pixel(r.left + 1, y), face(y, c.top, c.bottom)) << y;
            EXPECT_EQ(shot.Pixel(r.left + 20, y), face(y, c.top, c.bottom)) << y;
        }
        EXPECT_EQ(shot.Pixel(r.left + 21, r.top + 3), PictureColour(1));
        EXPECT_EQ(shot.Pixel(r.left + 52, r.top + 34), PictureColour(1));
    }
    Control(1).ShownPressed = false;
}

TEST_F(Office11Toolbar, AChangeOfLookShowsTheKeptPictureAndTheWholeBarCatchesUp) {
    TdxBarControl& bar = *form->ToolbarWindow();
    const RECT r = form->Toolbar()->ItemLinks().Items(1)->ItemRect();
    const POINT onFace{r.left + 10, r.top + 5};
    RECT client;
    ::GetClientRect(bar.Handle(), &client);
    // What a paint of the button alone shows, and what one of the whole bar does.
    auto button = [&] {
        return Snapshot(client.right, client.bottom, [&](HDC dc) { bar.PaintHandler(dc, r); }).Pixel(onFace.x, onFace.y);
    };
    auto whole = [&] { return Snapshot(bar.Handle()).Pixel(onFace.x, onFace.y); };
    // Off the button: onto its neighbour.
    const RECT next = form->Toolbar()->ItemLinks().Items(2)->ItemRect();
    auto hover = [&](bool on) {
        const RECT& at = on ? r : next;
        ::SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.left + 5, at.top + 5));
        bar.Update();
    };
    const COLORREF plain = whole();
    hover(true);
    const COLORREF hot = whole();
    ASSERT_NE(hot, plain);
    // Both looks are kept now: each change copies one, and a later paint of
    // the whole bar shows the same look, not the one it kept from before.
    for (bool on : {false, true, false}) {
        SCOPED_TRACE(on ? "hot" : "plain");
        hover(on);
        EXPECT_EQ(button(), on ? hot : plain);
        EXPECT_EQ(whole(), on ? hot : plain);
        EXPECT_EQ(button(), on ? hot : plain);
    }
}

TEST_F(Office11Toolbar, WithoutAStyleHotAndPressedFacesAreSolid) {
    machine.Classic();
    ColoursChanged();
    const TOffice11Palette& p = Office11Palette();
    ASSERT_FALSE(p.Themed);
    TdxBarControl& bar = *form->ToolbarWindow();
    const RECT r = form->Toolbar()->ItemLinks().Items(0)->ItemRect();
    ::SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, r.top + 5));
    for (bool pressed : {false, true}) {
        Control(0).ShownPressed = pressed;
        Control(0).InvalidateState();
        Snapshot shot(bar.Handle());
        const COLORREF fill = pressed ? p.PressedLight : p.MenuSelected;
        EXPECT_EQ(shot.Pixel(r.left, r.top + 9), ::GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(shot.Pixel(r.left + 1, r.top + 1), fill);
        EXPECT_EQ(shot.Pixel(r.right - 2, r.bottom - 2), fill);
    }
    Control(0).ShownPressed = false;
}

TEST_F(Office11Toolbar, DisabledButtonsKeepTheDockFaceAndFadeTheirPicture) {
    form->Action(2)->SetEnabled(false);
    TdxBarControl& bar = *form->ToolbarWindow();
    const RECT r = form->Toolbar()->ItemLinks().Items(2)->ItemRect();
    // Under the pointer it is not drawn hot.
    ::SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, r.top + 5));
    Snapshot shot(bar.Handle());
    const TOffice11Palette& p = Office11Palette();
    const int x = r.left + 21;
    const COLORREF behind = DockAt(x, 375, p.DockStart, p.DockEnd);
    EXPECT_EQ(shot.Pixel(r.left, r.top + 9), DockAt(r.left, 375, p.DockStart, p.DockEnd));
    const COLORREF c = PictureColour(2);
    const double gray = std::nearbyint(0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c));
    const double k = 64 / 255.0;
    const COLORREF seen = shot.Pixel(x, r.top + 3);
    EXPECT_NEAR(GetRValue(seen), gray * k + GetRValue(behind) * (1 - k), 1.0);
    EXPECT_NEAR(GetGValue(seen), gray * k + GetGValue(behind) * (1 - k), 1.0);
    EXPECT_NEAR(GetBValue(seen), gray * k + GetBValue(behind) * (1 - k), 1.0);
    int grey = 0;
    for (int y = r.top + 35; y < r.bottom - 1; ++y)
        for (int i = r.left; i < r.right; ++i) grey += shot.Pixel(i, y) == RGB(141, 141, 141);
    EXPECT_GT(grey, 10);
}

TEST_F(Office11Toolbar, ANewCaptionIsCentredInTheSameRectangle) {
    const RECT r = form->Toolbar()->ItemLinks().Items(2)->ItemRect();
    const TOffice11Palette& p = Office11Palette();
    auto inkCentre = [&] {
        Snapshot shot(form->ToolbarWindow()->Handle());
        int left = r.right, right = r.left;
        for (int y = r.top + 35; y < r.bottom - 1; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (shot.Pixel(x, y) != DockAt(x, 375, p.DockStart, p.DockEnd)) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
        return std::pair{left, right};
    };
    const auto pause = inkCentre();
    form->Action(2)->SetCaption("Resume");
    const auto resume = inkCentre();
    EXPECT_GT(resume.second - resume.first, pause.second - pause.first);
    // Both centred in the button, give or take the letters' side bearings.
    const double middle = (r.left + r.right) / 2.0;
    for (auto ink : {pause, resume}) EXPECT_NEAR((ink.first + ink.second) / 2.0, middle, 3);
    EXPECT_NEAR(pause.first + pause.second, resume.first + resume.second, 2);
}

TEST_F(Office11Toolbar, ThePictureIsComposedAgainOnlyForANewModeOrPicture) {
    TdxBarControl& bar = *form->ToolbarWindow();
    auto paint = [&] {
        Snapshot shot(bar.Handle());
        return Control(2).GlyphCache().Compositions;
    };
    const int first = paint();
    EXPECT_EQ(first, 1);
    ::SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(75 * 2 + 5, 5));  // hot: same mode
    EXPECT_EQ(paint(), 1);
    form->Action(2)->SetEnabled(false);  // faded
    EXPECT_EQ(paint(), 2);
    EXPECT_EQ(paint(), 2);
    form->Action(2)->SetEnabled(true);
    EXPECT_EQ(paint(), 3);
    form->Button(2)->SetLargeImageIndex(4);  // another picture
    EXPECT_EQ(paint(), 4);
    EXPECT_EQ(Snapshot(bar.Handle()).Pixel(75 * 2 + 21, 3), PictureColour(4));
    form->Manager()->ImageOptions().SetCacheGlyphs(false);
    EXPECT_EQ(paint(), 4);
}

TEST_F(Office11Toolbar, NewSystemColoursAndStylesRepaintEverything) {
    EXPECT_EQ(Snapshot(form->ToolbarWindow()->Handle()).Pixel(0, 0), RGB(158, 190, 245));
    machine.Classic().Colours({{COLOR_BTNFACE, RGB(212, 208, 200)}, {COLOR_WINDOW, RGB(255, 255, 255)}});
    // The dock keeps what it painted until the system announces the change.
    EXPECT_EQ(Snapshot(form->ToolbarWindow()->Handle()).Pixel(0, 0), RGB(158, 190, 245));
    ColoursChanged();
    Snapshot bar(form->ToolbarWindow()->Handle());
    EXPECT_EQ(bar.Pixel(0, 0), RGB(212, 208, 200));
    EXPECT_EQ(bar.Pixel(374, 0), RGB(246, 246, 244));
    EXPECT_EQ(Snapshot(form->TopDock()->Handle()).Pixel(374, 1), RGB(246, 246, 244));

    const TdxBarPainter* before = &form->Manager()->Painter();
    ::SendMessageA(form->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_NE(&form->Manager()->Painter(), before);
    EXPECT_STREQ(form->Manager()->Painter().ClassName(), "TdxBarOffice11Painter");
    EXPECT_EQ(Snapshot(form->ToolbarWindow()->Handle()).Pixel(374, 0), RGB(246, 246, 244));
}

TEST_F(Office11Toolbar, PaintingLeavesNoHandlesBehind) {
    TdxBarControl& bar = *form->ToolbarWindow();
    form->Show();
    auto repaint = [&](int i) {
        ::SendMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(75 * (i % 5) + 5, 5));
        form->Action(3)->SetEnabled(i % 2 == 0);
        bar.Update();
    };
    repaint(0);
    repaint(1);
    const HandleCount before = LiveHandles();
    for (int i = 0; i < 200; ++i) repaint(i);
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace
