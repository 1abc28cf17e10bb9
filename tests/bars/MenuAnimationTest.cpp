// How a framework popup menu opens with each animation setting: the steps
// of unfold and slide, the edges that stay at the pointer, the picture the
// steps show, fading, the random choice, and stopping early without
// hanging or leaking.
#include "tests/bars/BarsTestSupport.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "bars/dxBarSubMenuControl.h"

using namespace bars;
using namespace barstest;
using namespace forms;

namespace {

using Anim = TdxBarMenuAnimations;

TEST(MenuAnimationGeometry, StepsGrowFromTheFixedEdges) {
    const struct {
        const char* name;
        Anim animation;
        RECT bounds;
        bool fixedRight, fixedBottom;
        int steps;
        RECT first, last;
    } cases[] = {
        {"slide, 100 high: 17 more per step", Anim::Slide, {10, 20, 160, 120}, false, false, 5, {10, 20, 160, 37},
         {10, 20, 160, 105}},
        {"slide opened above: the bottom stays", Anim::Slide, {10, 20, 160, 120}, true, true, 5, {10, 103, 160, 120},
         {10, 35, 160, 120}},
        {"unfold, wider: the width keeps its lead of 50", Anim::Unfold, {0, 0, 150, 100}, false, false, 12,
         {0, 0, 58, 8}, {0, 0, 146, 96}},
        {"unfold, taller, opened to the left", Anim::Unfold, {0, 0, 40, 60}, true, false, 5, {32, 0, 40, 28},
         {0, 0, 40, 60}},
        {"unfold opened left and above", Anim::Unfold, {100, 100, 130, 140}, true, true, 3, {122, 122, 130, 140},
         {106, 106, 130, 140}},
    };
    for (const auto& c : cases) {
        const SIZE size{c.bounds.right - c.bounds.left, c.bounds.bottom - c.bounds.top};
        ASSERT_EQ(MenuAnimationSteps(c.animation, size), c.steps) << c.name;
        EXPECT_EQ(MenuAnimationStep(c.animation, c.bounds, c.fixedRight, c.fixedBottom, 1), c.first) << c.name;
        EXPECT_EQ(MenuAnimationStep(c.animation, c.bounds, c.fixedRight, c.fixedBottom, c.steps), c.last) << c.name;
    }
    EXPECT_EQ(MenuAnimationSteps(Anim::Slide, {100, 16}), 0);
    EXPECT_EQ(MenuAnimationSteps(Anim::Unfold, {7, 100}), 0);
    EXPECT_EQ(MenuAnimationSteps(Anim::Fade, {100, 100}), 0);
}

// The client pixels of a DC's rectangle, without the alpha byte.
std::vector<std::uint32_t> Pixels(HDC source, int x, int y, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC dc;
    {
        SelectGuard select(dc.Get(), bitmap.Get());
        ::BitBlt(dc.Get(), 0, 0, width, height, source, x, y, SRCCOPY);
        ::GdiFlush();
    }
    const auto* p = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(p, p + std::size_t(width) * std::size_t(height));
    for (auto& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

class MenuAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        SetMenuSoundPlayer([](const char*) {});
        SetMenuAnimationObserver([this](const RECT& r) {
            std::lock_guard<std::mutex> lock(mutex);
            steps.push_back(r);
        });
        form = LoadForm(MainLikeForm());
        form->Show();
        Application().ProcessMessages();
        // Paint once so that shared off-screen surfaces exist before counting.
        NewMenu();
        Open(Anim::None, Middle());
        menu.reset();
        handlesBefore = LiveHandles();
    }
    void TearDown() override {
        menu.reset();
        form.reset();
        SetMenuAnimationObserver(nullptr);
        SetMenuAnimationClock(nullptr);
        SetMenuAnimationChooser(nullptr);
        SetMenuFader(nullptr);
        SetMenuSoundPlayer(nullptr);
    }
    // A menu of the form's five buttons.
    void NewMenu() {
        menu = std::make_unique<TdxBarInternalSubMenuControl>(*form->Manager(), form->Manager()->Painter());
        for (int i = 0; i < 5; ++i) menu->ItemLinks().Add(form->Button(i));
    }
    void Open(Anim animation, POINT at) {
        form->Manager()->SetMenuAnimations(animation);
        {
            std::lock_guard<std::mutex> lock(mutex);
            steps.clear();
        }
        menu->Popup(at);
    }
    // Every call a new tick: a step each time it is asked.
    void RunningClock() {
        SetMenuAnimationClock([this] { return ++ticks; });
    }
    // Time stands still after the first step.
    void FrozenClock() {
        SetMenuAnimationClock([this] {
            ++ticks;
            return DWORD(0);
        });
    }
    std::vector<RECT> Steps() {
        std::lock_guard<std::mutex> lock(mutex);
        return steps;
    }
    RECT WorkArea() {
        RECT work{};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        return work;
    }
    POINT Middle() {
        const RECT w = WorkArea();
        return {(w.left + w.right) / 2, (w.top + w.bottom) / 2};
    }
    RECT Bounds() {
        RECT r{};
        ::GetWindowRect(menu->Handle(), &r);
        return r;
    }
    // The size the menu has when shown without animation.
    SIZE FullSize() {
        menu->CloseUp();
        Open(Anim::None, Middle());
        const RECT r = Bounds();
        menu->CloseUp();
        return {r.right - r.left, r.bottom - r.top};
    }

    MenuFont menuFont{13};
    std::unique_ptr<TBarForm> form;
    std::unique_ptr<TdxBarInternalSubMenuControl> menu;
    HandleCount handlesBefore;
    std::atomic<DWORD> ticks{0};
    std::mutex mutex;
    std::vector<RECT> steps;
};

TEST_F(MenuAnimation, UnfoldAndSlideStepAtEachTickFromTheEdgesAtThePointer) {
    NewMenu();
    const SIZE full = FullSize();
    const RECT work = WorkArea();
    const POINT middle = Middle();
    const struct {
        const char* name;
        Anim animation;
        POINT at;
        bool fixedRight, fixedBottom;
    } cases[] = {
        {"slide", Anim::Slide, middle, false, false},
        {"unfold", Anim::Unfold, middle, false, false},
        {"slide near the right edge", Anim::Slide, {work.right - 5, middle.y}, true, false},
        {"unfold near the bottom edge", Anim::Unfold, {middle.x, work.bottom - 5}, false, true},
        {"unfold in the corner", Anim::Unfold, {work.right - 5, work.bottom - 5}, true, true},
    };
    RunningClock();
    for (const auto& c : cases) {
        Open(c.animation, c.at);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !menu->Animating(); })) << c.name;
        const RECT bounds = Bounds();
        EXPECT_EQ(bounds.right - bounds.left, full.cx) << c.name;
        EXPECT_EQ(bounds.bottom - bounds.top, full.cy) << c.name;
        EXPECT_EQ(c.fixedRight ? bounds.right : bounds.left, c.at.x) << c.name;
        EXPECT_EQ(c.fixedBottom ? bounds.bottom : bounds.top, c.at.y) << c.name;
        std::vector<RECT> expected;
        for (int k = 1; k <= MenuAnimationSteps(c.animation, full); ++k)
            expected.push_back(MenuAnimationStep(c.animation, bounds, c.fixedRight, c.fixedBottom, k));
        EXPECT_EQ(Steps(), expected) << c.name;
        EXPECT_TRUE(menu->Showing()) << c.name;
        EXPECT_NE(::GetActiveWindow(), menu->Handle()) << c.name;
        menu->CloseUp();
    }
    // A slide grows 17 pixels at a time.
    Open(Anim::Slide, middle);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !menu->Animating(); }));
    const std::vector<RECT> slid = Steps();
    ASSERT_EQ(int(slid.size()), full.cy / 17);
    for (std::size_t k = 0; k < slid.size(); ++k) EXPECT_EQ(slid[k].bottom - slid[k].top, 17 * int(k + 1));
}

TEST_F(MenuAnimation, AStepShowsThePictureSlidingOutAlongTheFixedEdges) {
    NewMenu();
    const SIZE full = FullSize();
    const RECT work = WorkArea();
    const struct {
        const char* name;
        Anim animation;
        POINT at;
        bool fixedRight, fixedBottom;
    } cases[] = {
        {"slide below and right of the pointer", Anim::Slide, Middle(), false, false},
        {"unfold above and left of the pointer", Anim::Unfold, {work.right - 5, work.bottom - 5}, true, true},
    };
    TOffscreenBitmap picture;
    picture.SetSize(full.cx, full.cy);
    menu->Paint(picture.DC());
    FrozenClock();
    for (const auto& c : cases) {
        Open(c.animation, c.at);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !Steps().empty(); })) << c.name;
        Application().ProcessMessages();
        ASSERT_TRUE(menu->Animating()) << c.name;
        const RECT step = Bounds();
        ASSERT_EQ(step, Steps()[0]) << c.name;
        const int w = step.right - step.left, h = step.bottom - step.top;
        WindowDC shown(menu->Handle());
        EXPECT_EQ(Pixels(shown.Get(), 0, 0, w, h),
                  Pixels(picture.DC(), c.fixedRight ? full.cx - w : 0, c.fixedBottom ? 0 : full.cy - h, w, h))
            << c.name;
        menu->CloseUp();
    }
}

TEST_F(MenuAnimation, StoppingEarlyNeverHangsAndLeavesTheMenuWhole) {
    enum class Stop { Key, LeftPress, CloseUp, Destroy };
    const struct {
        const char* name;
        Stop stop;
        // Stopped while the worker waits for this thread inside a window call.
        bool workerInWindowCall;
    } cases[] = {
        {"key between steps", Stop::Key, false},
        {"key during a window call", Stop::Key, true},
        {"left press in the menu", Stop::LeftPress, false},
        {"close between steps", Stop::CloseUp, false},
        {"close during a window call", Stop::CloseUp, true},
        {"destroyed between steps", Stop::Destroy, false},
        {"destroyed during a window call", Stop::Destroy, true},
    };
    NewMenu();
    const SIZE full = FullSize();
    menu.reset();
    FrozenClock();
    const POINT at = Middle();
    for (const auto& c : cases) {
        NewMenu();
        ticks = 0;
        Open(Anim::Slide, at);
        if (c.workerInWindowCall) {
            // No messages taken: the first step's window call waits for us.
            const DWORD start = ::GetTickCount();
            while (ticks < 1 && ::GetTickCount() - start < 2000) ::Sleep(1);
            ::Sleep(30);
        } else {
            ASSERT_TRUE(testsupport::PumpUntil([&] { return !Steps().empty() && ticks > 3; })) << c.name;
        }
        ASSERT_TRUE(menu->Animating()) << c.name;
        switch (c.stop) {
            case Stop::Key: menu->KeyPressed(VK_DOWN); break;
            case Stop::LeftPress: ::SendMessageA(menu->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1)); break;
            case Stop::CloseUp: menu->CloseUp(); break;
            case Stop::Destroy: menu.reset(); break;
        }
        if (menu) {
            EXPECT_FALSE(menu->Animating()) << c.name;
            if (c.stop == Stop::CloseUp) {
                EXPECT_FALSE(menu->Showing()) << c.name;
            } else {
                // At once at full size, drawn whole.
                EXPECT_TRUE(menu->Showing()) << c.name;
                EXPECT_EQ(Bounds(), (RECT{at.x, at.y, at.x + full.cx, at.y + full.cy})) << c.name;
                TOffscreenBitmap picture;
                picture.SetSize(full.cx, full.cy);
                menu->Paint(picture.DC());
                WindowDC shown(menu->Handle());
                EXPECT_EQ(Pixels(shown.Get(), 0, full.cy - 2, full.cx, 2),
                          Pixels(picture.DC(), 0, full.cy - 2, full.cx, 2))
                    << c.name;
            }
            if (c.stop == Stop::Key) {
                EXPECT_EQ(menu->SelectedIndex(), 0) << c.name;
            }
        }
        menu.reset();
        Application().ProcessMessages();
        EXPECT_EQ(LiveHandles().gdi, handlesBefore.gdi) << c.name;
        EXPECT_EQ(LiveHandles().user, handlesBefore.user) << c.name;
    }
}

TEST_F(MenuAnimation, EachSettingOpensWithItsAnimation) {
    struct FadeCall {
        HWND window;
        DWORD time, flags;
        bool visible;
        RECT bounds;
    };
    std::vector<FadeCall> fades;
    bool fadeShows = true;
    SetMenuFader([&](HWND window, DWORD time, DWORD flags) {
        RECT r{};
        ::GetWindowRect(window, &r);
        fades.push_back({window, time, flags, ::IsWindowVisible(window) != FALSE, r});
        if (fadeShows) ::ShowWindow(window, SW_SHOWNA);
        return fadeShows;
    });
    int number = 0;
    SetMenuAnimationChooser([&] { return number; });
    RunningClock();
    NewMenu();
    const SIZE full = FullSize();
    const POINT at = Middle();
    const RECT bounds{at.x, at.y, at.x + full.cx, at.y + full.cy};
    const struct {
        const char* name;
        Anim setting;
        int number;
        bool fadeShows;
        Anim seen;
    } cases[] = {
        {"none", Anim::None, 0, true, Anim::None},
        {"fade", Anim::Fade, 0, true, Anim::Fade},
        {"fade that does not show it", Anim::Fade, 0, false, Anim::Fade},
        {"slide", Anim::Slide, 0, true, Anim::Slide},
        {"unfold", Anim::Unfold, 0, true, Anim::Unfold},
        {"random 0", Anim::Random, 0, true, Anim::Unfold},
        {"random 32", Anim::Random, 32, true, Anim::Unfold},
        {"random 33", Anim::Random, 33, true, Anim::Slide},
        {"random 65", Anim::Random, 65, true, Anim::Slide},
        {"random 66", Anim::Random, 66, true, Anim::Fade},
        {"random 99", Anim::Random, 99, true, Anim::Fade},
    };
    for (const auto& c : cases) {
        fades.clear();
        number = c.number;
        fadeShows = c.fadeShows;
        Open(c.setting, at);
        if (c.seen == Anim::None || c.seen == Anim::Fade) {
            EXPECT_FALSE(menu->Animating()) << c.name;
        }
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !menu->Animating(); })) << c.name;
        EXPECT_TRUE(menu->Showing()) << c.name;
        EXPECT_EQ(Bounds(), bounds) << c.name;
        const std::vector<RECT> seenSteps = Steps();
        if (c.seen == Anim::Fade) {
            ASSERT_EQ(fades.size(), 1u) << c.name;
            EXPECT_EQ(fades[0].window, menu->Handle()) << c.name;
            EXPECT_EQ(fades[0].time, 150u) << c.name;
            EXPECT_EQ(fades[0].flags, DWORD(AW_BLEND)) << c.name;
            EXPECT_FALSE(fades[0].visible) << c.name;
            EXPECT_EQ(fades[0].bounds, bounds) << c.name;
        } else {
            EXPECT_TRUE(fades.empty()) << c.name;
        }
        if (c.seen == Anim::Slide || c.seen == Anim::Unfold) {
            ASSERT_FALSE(seenSteps.empty()) << c.name;
            EXPECT_EQ(seenSteps[0], MenuAnimationStep(c.seen, bounds, false, false, 1)) << c.name;
        } else {
            EXPECT_TRUE(seenSteps.empty()) << c.name;
        }
        menu->CloseUp();
    }
}

}  // namespace
