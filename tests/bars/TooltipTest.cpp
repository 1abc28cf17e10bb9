// Tooltips of toolbar buttons: their text, when they show and hide, where
// they go and what they paint.
#include "tests/bars/BarsTestSupport.h"

#include <algorithm>
#include <climits>

#include "bars/dxBarHint.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

HWND TooltipHandle() { return TooltipWindow() ? TooltipWindow()->Handle() : nullptr; }

bool TooltipShowing() { return TooltipWindow() && TooltipWindow()->Showing(); }

std::string TooltipWindowText() {
    char text[256] = {};
    ::GetWindowTextA(TooltipHandle(), text, sizeof text);
    return text;
}

// A timer of the tooltip runs out, as the system would report it.
void Fire(TdxBarHintWindow::TimerId id) {
    ASSERT_NE(TooltipHandle(), nullptr);
    ::PostMessageA(TooltipHandle(), WM_TIMER, id, 0);
    Application().ProcessMessages();
}

RECT WorkArea(POINT at) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// The main-like form, shown, with "Start Timer" on F2 as its second button.
class Tooltips : public ::testing::Test {
protected:
    void Load(std::vector<Property> manager = {}) {
        FormShape shape;
        shape.manager = std::move(manager);
        form = LoadForm(MainLikeForm(shape));
        form->Action(1)->SetHint("Start Timer|Starts counting the time");
        form->Action(1)->SetShortCut(ShortCut(VK_F2));
        form->Show();
    }
    TdxBarManager& Manager() { return *form->Manager(); }
    TdxBarItemControl* Control(int i) { return &form->ToolbarWindow()->Controls(i); }

    MenuFont menu{13};
    std::unique_ptr<TBarForm> form;
};

TEST_F(Tooltips, TextIsTheShortHintWithTheShortcutWhenAskedFor) {
    const struct {
        const char* name;
        bool appShortCuts;
        std::vector<Property> manager;
        std::function<void(TBarForm&)> change;
        std::string text;
    } cases[] = {
        {"as the application shows shortcuts", true, {}, nullptr, "Start Timer (F2)"},
        {"neither the application nor the manager", false, {}, nullptr, "Start Timer"},
        {"the manager alone", false, {{"ShowShortCutInHint", Value::Bool(true)}}, nullptr, "Start Timer (F2)"},
        {"disabled", true, {}, [](TBarForm& f) { f.Action(1)->SetEnabled(false); }, "Start Timer (F2)"},
        {"disabled, no tooltips for disabled items",
         true,
         {{"ShowHintForDisabledItems", Value::Bool(false)}},
         [](TBarForm& f) { f.Action(1)->SetEnabled(false); },
         ""},
        {"no shortcut", true, {}, [](TBarForm& f) { f.Action(1)->SetShortCut(0); }, "Start Timer"},
        {"hint without a short part", true, {}, [](TBarForm& f) { f.Action(1)->SetHint("|Only the long part"); }, ""},
        {"hint without a long part", true, {}, [](TBarForm& f) { f.Action(1)->SetHint("Go"); }, "Go (F2)"},
    };
    for (const auto& c : cases) {
        Load(c.manager);
        if (c.change) c.change(*form);
        EXPECT_EQ(TooltipText(*Control(1), c.appShortCuts), c.text) << c.name;
    }
}

TEST_F(Tooltips, ShowAfterTheDelaySwitchAtOnceAndShowAtOnceJustAfterHiding) {
    Load();
    TdxBarManager& m = Manager();
    m.RequestTooltip(true, "", Control(1));
    EXPECT_FALSE(TooltipShowing()) << "shown before the delay";
    Fire(TdxBarHintWindow::ShowTimer);
    ASSERT_TRUE(TooltipShowing());
    EXPECT_EQ(TooltipWindowText(), "Start Timer (F2)");

    // The next button while one shows: at once.
    m.RequestTooltip(true, "", Control(2));
    EXPECT_TRUE(TooltipShowing());
    EXPECT_EQ(TooltipWindowText(), "Pause Hint (F4)");

    // The hide delay is a plain hide: the next one waits again.
    Fire(TdxBarHintWindow::HideTimer);
    EXPECT_FALSE(TooltipShowing());
    m.RequestTooltip(true, "", Control(1));
    EXPECT_FALSE(TooltipShowing());
    Fire(TdxBarHintWindow::ShowTimer);
    EXPECT_TRUE(TooltipShowing());

    // Leaving the buttons, then coming back within the quick window.
    m.RequestTooltip(true, "", nullptr);
    EXPECT_FALSE(TooltipShowing());
    m.RequestTooltip(true, "", Control(3));
    EXPECT_TRUE(TooltipShowing());
    EXPECT_EQ(TooltipWindowText(), "Stop Hint (F5)");

    // ... and after it.
    m.RequestTooltip(false, "", nullptr);
    Fire(TdxBarHintWindow::QuickTimer);
    m.RequestTooltip(true, "", Control(1));
    EXPECT_FALSE(TooltipShowing());

    // A press hides a pending one too; its timer then shows nothing.
    m.HideTooltip();
    Fire(TdxBarHintWindow::ShowTimer);
    EXPECT_FALSE(TooltipShowing());
}

// The shortcut shows by default, as the application setting says; off,
// the manager alone would ask for it.
TEST_F(Tooltips, TheApplicationSettingDecidesTheShortcutOfAShownTooltip) {
    EXPECT_TRUE(Application().HintShortCuts());
    Load();
    Application().SetHintShortCuts(false);
    Manager().RequestTooltip(true, "", Control(1));
    Fire(TdxBarHintWindow::ShowTimer);
    EXPECT_EQ(TooltipWindowText(), "Start Timer");
    Application().SetHintShortCuts(true);
    Manager().HideTooltip();
}

TEST_F(Tooltips, NothingShowsWithoutHintsOrForAButtonThatWentAway) {
    Load({{"ShowHint", Value::Bool(false)}});
    Manager().RequestTooltip(true, "", Control(1));
    if (TooltipWindow()) Fire(TdxBarHintWindow::ShowTimer);
    EXPECT_FALSE(TooltipShowing());

    Load();
    Manager().RequestTooltip(true, "", Control(1));
    delete form->Button(1);
    Fire(TdxBarHintWindow::ShowTimer);
    EXPECT_FALSE(TooltipShowing());
}

TEST(TooltipPlace, BelowThePointerAboveTheToolbarNearTheBottomInsideTheWorkArea) {
    RECT work = WorkArea({0, 0});
    const SIZE size{80, 20};
    const RECT toolbar{work.left, work.bottom - 60, work.left + 300, work.bottom - 6};
    const struct {
        const char* name;
        POINT pointer;
        int pixelsPerInch;
        POINT topLeft;
    } cases[] = {
        {"20 pixels below", {work.left + 100, work.top + 100}, 96, {work.left + 100, work.top + 120}},
        {"scaled by the pixels per inch", {work.left + 100, work.top + 100}, 144, {work.left + 100, work.top + 130}},
        {"above the toolbar near the bottom", {work.left + 100, work.bottom - 30}, 96,
         {work.left + 100, toolbar.top - size.cy}},
        {"inside at the right", {work.right - 10, work.top + 100}, 96, {work.right - size.cx, work.top + 120}},
        {"inside at the left", {work.left - 50, work.top + 100}, 96, {work.left, work.top + 120}},
    };
    for (const auto& c : cases) {
        RECT r = TdxBarHintViewInfo::Place(c.pointer, size, toolbar, c.pixelsPerInch);
        EXPECT_EQ(r, Rect(c.topLeft.x, c.topLeft.y, c.topLeft.x + size.cx, c.topLeft.y + size.cy)) << c.name;
    }
}

TEST_F(Tooltips, PaintsTheTextInsideARaisedEdgeOnTheInfoColour) {
    Load();
    RECT button{};
    ::GetWindowRect(form->ToolbarWindow()->Handle(), &button);
    ::SetCursorPos(button.left + 100, button.top + 10);
    Manager().RequestTooltip(true, "", Control(1));
    Fire(TdxBarHintWindow::ShowTimer);
    ASSERT_TRUE(TooltipShowing());

    RECT bounds{};
    ::GetWindowRect(TooltipHandle(), &bounds);
    POINT pointer{};
    ::GetCursorPos(&pointer);
    EXPECT_EQ(bounds.left, pointer.x);
    EXPECT_EQ(bounds.top, pointer.y + ::MulDiv(20, ScreenPixelsPerInch(), 96));

    Snapshot shot(TooltipHandle());
    const int w = shot.Width(), h = shot.Height();
    ASSERT_GT(w, 6);
    EXPECT_EQ(shot.Pixel(0, 0), ::GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(shot.Pixel(w - 1, h - 1), ::GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(shot.Pixel(1, 1), ::GetSysColor(COLOR_INFOBK));
    RECT ink{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x)
            if (shot.Pixel(x, y) == ::GetSysColor(COLOR_INFOTEXT))
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                       std::max<LONG>(ink.bottom, y + 1)};
    ASSERT_LT(ink.left, ink.right) << "no text";
    EXPECT_GE(ink.left, 3);
    EXPECT_GE(ink.top, 3);
    EXPECT_LE(ink.right, w - 1);
    EXPECT_LE(ink.bottom, h - 1);
}

TEST_F(Tooltips, TheWindowGoesWithTheLastManagerAndLeavesNoHandles) {
    HandleCount before = LiveHandles();
    Load();
    Manager().RequestTooltip(true, "", Control(1));
    Fire(TdxBarHintWindow::ShowTimer);
    ASSERT_TRUE(TooltipShowing());
    form.reset();
    EXPECT_EQ(TooltipWindow(), nullptr);
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace
