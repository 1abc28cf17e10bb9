// Docks, rows and the docked toolbar: sizes, item places, hiding, the
// triggers that lay the dock out again, and what the toolbar paints.
#include "tests/bars/BarsTestSupport.h"

#include <cmath>
#include <functional>

#include "bars/dxBarItemLinks.h"
#include "bars/dxBarPainters.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

std::vector<RECT> ItemRects(TBarForm& form) {
    std::vector<RECT> rects;
    TdxBarItemLinks& links = form.Toolbar()->ItemLinks();
    for (int i = 0; i < links.Count(); ++i) rects.push_back(links.Items(i)->ItemRect());
    return rects;
}

TEST(DockSize, ToolbarFillsTheDockAndItsButtonsSitSideBySide) {
    for (int textHeight : {15, 13}) {
        SCOPED_TRACE(textHeight);
        MenuFont font(textHeight);
        auto form = LoadForm(MainLikeForm());
        const int h = 39 + textHeight;
        TdxDockControl* dock = form->TopDock();
        EXPECT_EQ(dock->BoundsRect(), Rect(0, 0, 375, h));
        EXPECT_EQ(form->ToolbarWindow()->BoundsRect(), Rect(0, 0, 375, h));
        std::vector<RECT> rects = ItemRects(*form);
        ASSERT_EQ(rects.size(), 5u);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(rects[i], Rect(75 * i, 0, 75 * i + 75, h)) << i;
        // The time panel takes the rest: 54 keeps its stored place, 52 moves it up by 2.
        EXPECT_EQ(form->Get<TPanel>("pnlTime")->BoundsRect(), Rect(0, h, 375, 157));
        EXPECT_EQ(form->Manager()->DockControlHeights(), (std::array<int, 4>{0, 0, h, 0}));
    }
}

class DockLayout : public ::testing::Test {
protected:
    static constexpr int T = 13;
    static constexpr int H = 39 + T;
    OneColourDock palette;
    MenuFont menu{T};
    std::unique_ptr<TBarForm> form = LoadForm(MainLikeForm());

    void Width(int clientWidth) { form->SetClientSize(clientWidth, 157); }
    std::vector<int> Shown() {
        std::vector<int> shown;
        TdxBarControl* bar = form->ToolbarWindow();
        for (int i = 0; i < bar->ControlCount(); ++i)
            if (!bar->Controls(i).Hidden()) shown.push_back(i);
        return shown;
    }
};

TEST_F(DockLayout, NarrowDocksHideWhatDoesNotFitAndWideOnesLeaveRoom) {
    struct Case {
        int width;
        int toolbarWidth;
        std::vector<int> shown;
    } cases[] = {
        {375, 375, {0, 1, 2, 3, 4}},
        {374, 374, {0, 1, 2, 3}},
        {200, 200, {0, 1}},
        {120, 120, {0}},
        {500, 500, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        Width(c.width);
        EXPECT_EQ(form->TopDock()->Width(), c.width);
        EXPECT_EQ(form->ToolbarWindow()->BoundsRect(), Rect(0, 0, c.toolbarWidth, H));
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(form->ToolbarWindow()->Overfull, c.shown.size() < 5);
        std::vector<RECT> rects = ItemRects(*form);
        for (int i = 0; i < 5; ++i) {
            bool shown = std::find(c.shown.begin(), c.shown.end(), i) != c.shown.end();
            EXPECT_EQ(rects[i], shown ? Rect(75 * i, 0, 75 * i + 75, H) : Rect(0, 0, 0, 0)) << i;
        }
    }
    // The toolbar is never narrower than its first button.
    Width(120);
    form->Button(0)->SetWidth(150);
    EXPECT_EQ(form->ToolbarWindow()->BoundsRect(), Rect(0, 0, 150, H));
    EXPECT_EQ(Shown(), std::vector<int>{0});
}

TEST_F(DockLayout, AHiddenToolbarCollapsesTheDock) {
    TdxBar& bar = *form->Toolbar();
    TPanel* panel = form->Get<TPanel>("pnlTime");
    bar.SetVisible(false);
    EXPECT_EQ(bar.Control(), nullptr);
    EXPECT_EQ(form->TopDock()->Height(), 0);
    EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 375, 157));
    EXPECT_EQ(bar.DockedDockingStyle(), TdxBarDockingStyle::Top);
    EXPECT_TRUE(bar.OneOnRow());
    bar.SetVisible(true);
    EXPECT_EQ(form->TopDock()->Height(), H);
    EXPECT_EQ(panel->BoundsRect(), Rect(0, H, 375, 157));
    EXPECT_EQ(ItemRects(*form)[4], Rect(300, 0, 375, H));

    // Without visible links the bar keeps the size of an empty one.
    for (int i = 0; i < 5; ++i) form->Button(i)->SetVisible(TdxBarItemVisible::Never);
    EXPECT_EQ(form->ToolbarWindow()->ControlCount(), 0);
    SIZE empty = form->Manager()->Painter().EmptyBarContentSize();
    EXPECT_EQ(form->TopDock()->Height(), empty.cy);
    form->Button(3)->SetVisible(TdxBarItemVisible::Always);
    EXPECT_EQ(ItemRects(*form)[3], Rect(0, 0, 75, H));
}

TEST_F(DockLayout, TheToolbarMovesBetweenDocks) {
    TdxBar& bar = *form->Toolbar();
    TPanel* panel = form->Get<TPanel>("pnlTime");
    bar.SetDockingStyle(TdxBarDockingStyle::Left);
    TdxDockControl* left = form->Manager()->Bars().DockControl(TdxBarDockingStyle::Left);
    EXPECT_EQ(&bar.Control()->DockControl(), left);
    EXPECT_EQ(form->TopDock()->Height(), 0);
    EXPECT_EQ(left->Width(), 75);
    EXPECT_EQ(panel->Left(), 75);
    EXPECT_EQ(ItemRects(*form)[1], Rect(0, H, 75, 2 * H));
    // At the bottom a whole-row bar without border is framed as a status bar.
    bar.SetDockingStyle(TdxBarDockingStyle::Bottom);
    EXPECT_EQ(form->Manager()->Bars().DockControl(TdxBarDockingStyle::Bottom)->Height(), H + 4);
    EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 375, 157 - H - 4));
    bar.SetDockingStyle(TdxBarDockingStyle::Top);
    EXPECT_EQ(panel->BoundsRect(), Rect(0, H, 375, 157));
    EXPECT_EQ(ItemRects(*form)[4], Rect(300, 0, 375, H));
}

TEST_F(DockLayout, ChangesThatLayTheDockOutAgain) {
    struct Case {
        const char* change;
        std::function<void()> apply;
        int dockHeight;
        RECT lastButton;
    } cases[] = {
        {"caption with a fixed width", [&] { form->Action(4)->SetCaption("A much longer caption"); }, H,
         Rect(300, 0, 375, H)},
        {"width", [&] { form->Button(0)->SetWidth(50); }, H, Rect(275, 0, 350, H)},
        {"font",
         [&] {
             menu.Set(15);
             ::SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
         },
         54, Rect(275, 0, 350, 54)},
        {"one without caption", [&] { form->Button(1)->SetShowCaption(false); }, 54, Rect(275, 0, 350, 54)},
        {"all without caption",
         [&] {
             for (int i = 0; i < 5; ++i) form->Button(i)->SetShowCaption(false);
         },
         32 + 6, Rect(275, 0, 350, 38)},
        {"height", [&] { form->Button(2)->SetHeight(60); }, 60, Rect(275, 11, 350, 49)},
        {"sunken border", [&] { form->Manager()->SetSunkenBorder(true); }, 62, Rect(275, 11, 350, 49)},
        {"image list", [&] { delete form->Get<controls::TcxImageList>("ImageList"); }, 62, Rect(275, 17, 350, 43)},
    };
    // Each step builds on the ones before it.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        c.apply();
        EXPECT_EQ(form->TopDock()->Height(), c.dockHeight);
        EXPECT_EQ(ItemRects(*form)[4], c.lastButton);
    }
    // The sunken border insets the dock's client area by one on each side.
    RECT client = form->TopDock()->ClientRect();
    EXPECT_EQ(client.right, 375 - 2);
    EXPECT_EQ(form->ToolbarWindow()->Height(), 60);
}

TEST_F(DockLayout, DocksStayAboveTheFormsOtherChildren) {
    // A child brought to the top lies above the docks until they are laid out.
    TPanel* late = new TPanel(form.get());
    late->SetBounds(0, 0, 50, 50);
    late->SetParent(form.get());
    ::SetWindowPos(late->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(::GetWindow(form->Handle(), GW_CHILD), late->Handle());
    form->Manager()->RefreshDocks();
    int docksAbove = 0;
    for (HWND w = ::GetWindow(form->Handle(), GW_CHILD); w != late->Handle(); w = ::GetWindow(w, GW_HWNDNEXT)) {
        ASSERT_TRUE(w) << "the late child is not below the docks";
        EXPECT_TRUE(dynamic_cast<TdxDockControl*>(TWindow::FromHandle(w)));
        ++docksAbove;
    }
    EXPECT_EQ(docksAbove, 4);
}

TEST_F(DockLayout, LargeButtonSizeFollowsItsGlyphLayout) {
    TdxBarLargeButton& b = *form->Button(0);
    b.SetWidth(0);
    TdxBarItemControl& control = *b.Links()[0]->Control();
    MemoryDC dc;
    SelectGuard font(dc.Get(), form->Toolbar()->Font().Handle());
    SIZE text{};
    ::GetTextExtentPoint32A(dc.Get(), "Exit", 4, &text);
    const int tw = text.cx;
    struct Case {
        TdxBarGlyphLayout layout;
        bool caption;
        SIZE size;
        RECT glyph;  // in a 100 x 60 rectangle at (0, 0)
    } cases[] = {
        {TdxBarGlyphLayout::Top, true, {std::max(32, tw + 6) + 10, 32 + T + 7}, Rect(34, 3, 66, 35)},
        {TdxBarGlyphLayout::Bottom, true, {std::max(32, tw + 6) + 10, 32 + T + 7}, Rect(34, 25, 66, 57)},
        {TdxBarGlyphLayout::Left, true, {32 + tw + 16, std::max(32, T) + 6}, Rect(5, 14, 37, 46)},
        {TdxBarGlyphLayout::Right, true, {32 + tw + 16, std::max(32, T) + 6}, Rect(63, 14, 95, 46)},
        {TdxBarGlyphLayout::Top, false, {32 + 10, 32 + 6}, Rect(34, 14, 66, 46)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        b.SetGlyphLayout(c.layout);
        b.SetShowCaption(c.caption);
        EXPECT_EQ(control.WidthOnBar(), c.size.cx);
        EXPECT_EQ(control.HeightOnBar(), c.size.cy);
        auto& large = dynamic_cast<TdxBarLargeButtonControl&>(control);
        TdxBarButtonParts parts = large.Parts(dc.Get(), Rect(0, 0, 100, 60));
        EXPECT_EQ(parts.glyph, c.glyph);
    }
    // Fixed sizes win.
    b.SetWidth(75);
    b.SetHeight(44);
    EXPECT_EQ(control.WidthOnBar(), 75);
    EXPECT_EQ(control.HeightOnBar(), 44);
}

TEST_F(DockLayout, ButtonsShowTheirPicturesAndCaptions) {
    form->Action(2)->SetEnabled(false);
    Snapshot shot(form->ToolbarWindow()->Handle());
    const COLORREF background = RGB(232, 232, 255);
    ASSERT_EQ(shot.Width(), 375);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const int left = 75 * i;
        EXPECT_EQ(shot.Pixel(left + 1, 1), background);
        EXPECT_EQ(shot.Pixel(left + 20, 10), background);   // just left of the picture
        EXPECT_EQ(shot.Pixel(left + 53, 10), background);   // just right of it
        COLORREF picture = shot.Pixel(left + 21, 3), end = shot.Pixel(left + 52, 34);
        EXPECT_EQ(picture, end);
        if (i == 2) {
            // Faded: gray at opacity 64 over the face.
            COLORREF c = PictureColour(i);
            double gray = std::nearbyint(0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c));
            double k = 64 / 255.0;
            EXPECT_NEAR(GetRValue(picture), gray * k + GetRValue(background) * (1 - k), 1.0);
            EXPECT_NEAR(GetBValue(picture), gray * k + GetBValue(background) * (1 - k), 1.0);
        } else {
            EXPECT_EQ(picture, PictureColour(i));
        }
        // The caption: ink below the picture, about as much left of the
        // button's middle as right of it; grey while disabled.
        int left_ = 0, right_ = 0;
        bool grey = false;
        for (int y = 35; y < H - 1; ++y)
            for (int x = left; x < left + 75; ++x) {
                COLORREF p = shot.Pixel(x, y);
                if (p == background) continue;
                ++(x < left + 37 ? left_ : right_);
                grey = grey || p == ::GetSysColor(COLOR_GRAYTEXT);
            }
        EXPECT_GT(left_ + right_, 20);
        EXPECT_NEAR(left_, right_, (left_ + right_) / 4 + 2);
        EXPECT_EQ(grey, i == 2);
        for (int x = left; x < left + 75; ++x) EXPECT_EQ(shot.Pixel(x, H - 1), background);
    }
}

TEST_F(DockLayout, AWiderToolbarIsEmptyRightOfItsButtons) {
    Width(500);
    Snapshot shot(form->ToolbarWindow()->Handle());
    for (int x = 375; x < 500; x += 7)
        for (int y = 0; y < H; y += 5) EXPECT_EQ(shot.Pixel(x, y), RGB(232, 232, 255)) << x << "," << y;
}

TEST(DockLayoutHandles, FormsWithToolbarsLeaveNoHandlesBehind) {
    MenuFont menu(13);
    auto cycle = [] {
        auto form = LoadForm(MainLikeForm());
        form->Show();
        form->ToolbarWindow()->Update();
        form->Toolbar()->SetVisible(false);
        form->Toolbar()->SetVisible(true);
        form->ToolbarWindow()->Update();
    };
    cycle();  // the drawing routines keep scratch bitmaps from their first use
    HandleCount before = LiveHandles();
    for (int i = 0; i < 3; ++i) cycle();
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace
