#include "app/Main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bars/dxBarControl.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarDock.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarPainters.h"
#include "bars/dxBarSubMenuControl.h"
#include "bars/dxBarHint.h"
#include "bars/dxOffice11.h"
#include "forms/Exceptions.h"
#include "forms/FormReader.h"
#include "forms/FormStream.h"
#include "tests/common/TestSupport.h"
#include "tests/fuzz/Mutator.h"

using namespace forms;
using testsupport::BoxAnswerer;

namespace {

constexpr std::int64_t kMs = 10'000;  // clock units per millisecond

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Application().SetActive(true);
        form = TfrmMain::Create([this] { return now; });
    }
    void TearDown() override {
        form.reset();
        TTimer::SetSystemTimerFunction(nullptr);
    }

    // One timer event at the given time since the last Start.
    void EventAt(std::int64_t ms) {
        now = started + ms * kMs;
        ::PostMessageA(form->Timer->WindowHandle(), WM_TIMER, 1, 0);
        Application().ProcessMessages();
    }
    void Start() {
        started = now;
        Key(VK_F2);
    }
    // A key as the message loop gets it.
    void Key(WORD key, bool alt = false) {
        ::PostMessageA(form->Handle(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) | 1 : 1);
        Application().ProcessMessages();
    }
    std::string Panel() const { return form->pnlTime->Caption(); }
    bars::TdxDockControl* TopDock() const {
        return form->BarManager->Bars().DockControl(bars::TdxBarDockingStyle::Top);
    }
    // Height of "Qq" in the toolbar's font.
    int TextHeight() const {
        MemoryDC dc;
        SelectGuard font(dc.Get(), form->Toolbar->Font().Handle());
        SIZE size{};
        ::GetTextExtentPoint32A(dc.Get(), "Qq", 2, &size);
        return size.cy;
    }
    std::string Status() const { return form->lblElapsedTime->Caption(); }

    std::int64_t now = 5'000'000'000;  // any point in the clock's life
    std::int64_t started = 0;
    std::unique_ptr<TfrmMain> form;
};

TEST_F(MainWindow, StartsIdleWithTheStoredLayout) {
    EXPECT_EQ(form->Caption(), "Quorva");
    EXPECT_EQ(form->ClientWidth(), 375);
    EXPECT_EQ(form->ClientHeight(), 157);
    EXPECT_EQ(form->Color(), 0x00FFE8E8u);
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 00 sec");
    EXPECT_EQ(Status(), "Elapsed Time");
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_EQ(form->Timer->Interval(), 1000u);
    EXPECT_TRUE(form->actStart->Enabled());
    EXPECT_FALSE(form->actPause->Enabled());
    EXPECT_FALSE(form->actStop->Enabled());
    EXPECT_TRUE(form->actExit->Enabled());
    EXPECT_TRUE(form->actAbout->Enabled());
    EXPECT_EQ(form->ActionList->Images(), form->ImageList);
    EXPECT_EQ(form->ImageList->Count(), 5);
    // The toolbar's dock takes the top, the panel the rest of the client
    // area; the status label sits at 10, 5 in the panel.
    RECT panel = form->pnlTime->BoundsRect();
    EXPECT_EQ(panel.top, TopDock()->Height());
    EXPECT_EQ(panel.right - panel.left, 375);
    EXPECT_EQ(panel.bottom, 157);
    EXPECT_EQ(form->lblElapsedTime->Left(), 10);
    EXPECT_EQ(form->lblElapsedTime->Top(), 5);
    EXPECT_GT(form->lblElapsedTime->Width(), 0);
}

// Every property the stored description gives is written again, except
// those named (the values may be written in another form: a colour by its
// number).
void ExpectKept(const ObjectNode& stored, const ObjectNode& written, const std::vector<std::string>& dropped) {
    for (const Property& p : stored.properties) {
        if (std::find(dropped.begin(), dropped.end(), stored.name + "." + p.name) != dropped.end()) continue;
        auto found = std::find_if(written.properties.begin(), written.properties.end(),
                                  [&](const Property& w) { return w.name == p.name; });
        EXPECT_NE(found, written.properties.end()) << stored.name << "." << p.name;
    }
    ASSERT_EQ(stored.children.size(), written.children.size());
    for (std::size_t i = 0; i < stored.children.size(); ++i) ExpectKept(stored.children[i], written.children[i], dropped);
}

// What the window writes reads into a window that writes the same.
TEST_F(MainWindow, WritesWhatItWasReadFromAndReadsItBack) {
    const ObjectNode stored = LoadFormResource("TFRMMAIN");
    const ObjectNode written = testsupport::Rewritten(stored, *form);
    ExpectKept(stored, written,
               {
                   "frmMain.SnapBuffer",     // at its default
                   "frmMain.OnClose",        // the close handlers keep no name to be written by
                   "frmMain.OnCloseQuery",
               });
    auto second = TfrmMain::Create(written, [this] { return now; });
    EXPECT_EQ(testsupport::Rewritten(stored, *second), written);
}

TEST_F(MainWindow, CommandsFollowTheStateTable) {
    struct Expect {
        const char* state;
        bool timer, start, pause, stop;
        const char *pauseCaption, *pauseHint, *status;
    };
    auto check = [&](const Expect& e) {
        SCOPED_TRACE(e.state);
        EXPECT_EQ(form->Timer->Enabled(), e.timer);
        EXPECT_EQ(form->actStart->Enabled(), e.start);
        EXPECT_EQ(form->actPause->Enabled(), e.pause);
        EXPECT_EQ(form->actStop->Enabled(), e.stop);
        EXPECT_EQ(form->actPause->Caption(), e.pauseCaption);
        EXPECT_EQ(form->actPause->Hint(), e.pauseHint);
        EXPECT_EQ(Status(), e.status);
    };
    check({"idle", false, true, false, false, "Pause", "Pause Timer", "Elapsed Time"});
    Start();
    check({"running", true, false, true, true, "Pause", "Pause Timer", "Elapsed Time"});
    EventAt(1000);
    Key(VK_F3);
    check({"paused", false, false, true, true, "Resume", "Resume Timer", "Timer Paused"});
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 01 sec");
    Key(VK_F3);
    check({"resumed", true, false, true, true, "Pause", "Pause Timer", "Elapsed Time"});
    {
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
        ASSERT_EQ(yes.Seen().size(), 1u);
        EXPECT_EQ(yes.Seen()[0].title, "Confirm");
    }
    check({"stopped", false, true, false, false, "Pause", "Pause Timer", "Final Time"});
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 01 sec");  // the final time stays
    Start();
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 00 sec");  // cleared at once
    check({"restarted", true, false, true, true, "Pause", "Pause Timer", "Elapsed Time"});
}

TEST_F(MainWindow, TimeTextCarriesAndGrows) {
    struct Case {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {59, "00 hrs, 00 min, 59 sec"},      {60, "00 hrs, 01 min, 00 sec"},
        {3599, "00 hrs, 59 min, 59 sec"},    {3600, "01 hrs, 00 min, 00 sec"},
        {9 * 3600, "09 hrs, 00 min, 00 sec"}, {10 * 3600 + 61, "10 hrs, 01 min, 01 sec"},
        {100 * 3600, "100 hrs, 00 min, 00 sec"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Start();
        EventAt(c.seconds * 1000);
        EXPECT_EQ(Panel(), c.text);
        EXPECT_EQ(form->Seconds() + 60 * form->Minutes() + 3600LL * form->Hours(), c.seconds);
        {
            BoxAnswerer yes(IDYES);
            Key(VK_F4);
        }
    }
}

TEST_F(MainWindow, EachSecondShowsOnceThoughEventsComeEarlyOrLate) {
    // Event times in ms after Start, and the seconds the panel then shows.
    struct Event {
        std::int64_t at;
        int shows;
    } events[] = {
        {990, 1}, {2010, 2}, {2995, 3}, {4040, 4}, {4999, 5},  // jitter
        {5800, 5}, {6940, 6},                                  // early beyond jitter: not yet
        {7000, 7},
        {8300, 8},                                             // delayed: catches up
        {8500, 8},                                             // early stray: no second count
        {9000, 9},
    };
    Start();
    for (const Event& e : events) {
        EventAt(e.at);
        EXPECT_EQ(form->Seconds(), e.shows) << "event at " << e.at << " ms";
    }
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 09 sec");
}

TEST_F(MainWindow, PauseKeepsTheRunningFractionOfASecond) {
    Start();
    EventAt(1000);
    now = started + 1600 * kMs;
    Key(VK_F3);  // pause 0.6 s into the second second
    // Events while paused count nothing, however long the pause.
    now += 3600 * 1000 * kMs;
    ::PostMessageA(form->Timer->WindowHandle(), WM_TIMER, 1, 0);
    Application().ProcessMessages();
    EXPECT_EQ(form->Seconds(), 1);
    Key(VK_F3);  // resume: 0.4 s remain of that second
    EXPECT_EQ(form->Timer->Interval(), 400u);
    std::int64_t resumed = now;
    now = resumed + 400 * kMs;
    ::PostMessageA(form->Timer->WindowHandle(), WM_TIMER, 1, 0);
    Application().ProcessMessages();
    EXPECT_EQ(form->Seconds(), 2);
    EXPECT_EQ(form->Timer->Interval(), 1000u);  // back on whole seconds
}

TEST_F(MainWindow, TitleShowsTheTimeOnlyWhileInactive) {
    Start();
    Application().SetActive(false);
    EventAt((3600 + 2 * 60 + 3) * 1000);
    EXPECT_EQ(Application().Title(), "Quorva 1:2:3");
    Application().SetActive(true);
    EXPECT_EQ(Application().Title(), "Quorva 1:2:3");  // until the next event
    EventAt((3600 + 2 * 60 + 4) * 1000);
    EXPECT_EQ(Application().Title(), "Quorva");
    {
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
    }
    Application().SetActive(false);
    Start();
    EventAt((10 * 60 + 5) * 1000);
    EXPECT_EQ(Application().Title(), "Quorva 0:10:5");
    Application().SetActive(true);
    EventAt((10 * 60 + 6) * 1000);
}

TEST_F(MainWindow, StopAnsweredNoKeepsCounting) {
    for (int answer : {IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        Start();
        EventAt(1000);
        {
            BoxAnswerer no(answer);
            Key(VK_F4);
            ASSERT_EQ(no.Seen().size(), 1u);
            EXPECT_EQ(no.Seen()[0].title, "Confirm");
            const auto& texts = no.Seen()[0].texts;
            EXPECT_NE(std::find(texts.begin(), texts.end(), "Stop the timer and clear the counter?"), texts.end());
        }
        EXPECT_TRUE(form->Timer->Enabled());
        EXPECT_EQ(Status(), "Elapsed Time");
        EventAt(2000);
        EXPECT_EQ(Panel(), "00 hrs, 00 min, 02 sec");
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
    }
}

TEST_F(MainWindow, StopWhilePausedKeepsTheTimeAtPause) {
    Start();
    EventAt(3000);
    Key(VK_F3);
    {
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
    }
    EXPECT_EQ(Status(), "Final Time");
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 03 sec");
    EXPECT_EQ(form->actPause->Caption(), "Pause");
    EXPECT_FALSE(form->Timer->Enabled());
}

TEST_F(MainWindow, DisabledCommandsIgnoreTheirKeys) {
    {
        BoxAnswerer none(IDNO);
        Key(VK_F3);  // Pause while idle
        Key(VK_F4);  // Stop while idle: no question
        EXPECT_TRUE(none.Seen().empty());
    }
    EXPECT_EQ(Status(), "Elapsed Time");
    EXPECT_FALSE(form->Timer->Enabled());
    Start();
    EventAt(5000);
    Key(VK_F2);  // Start while running: the count goes on
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 05 sec");
}

TEST_F(MainWindow, ClosingAsksOnlyWhileRunning) {
    // A question where none belongs is answered No, so it fails the test.
    auto closesWithoutAsking = [&] {
        BoxAnswerer none(IDNO);
        bool closes = form->CloseQuery();
        return closes && none.Seen().empty();
    };
    EXPECT_TRUE(closesWithoutAsking());  // idle
    Start();
    {
        BoxAnswerer no(IDNO);
        EXPECT_FALSE(form->CloseQuery());
        ASSERT_EQ(no.Seen().size(), 1u);
        const auto& texts = no.Seen()[0].texts;
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Timer is active. Are you sure you want to quit?"),
                  texts.end());
    }
    {
        BoxAnswerer no(IDNO);
        Key('X', true);  // Alt+X asks, and No keeps the program running
        EXPECT_EQ(no.Seen().size(), 1u);
    }
    EXPECT_TRUE(form->Timer->Enabled());
    EXPECT_FALSE(Application().Terminated());
    Key(VK_F3);
    EXPECT_TRUE(closesWithoutAsking());  // paused
    {
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
    }
    EXPECT_TRUE(closesWithoutAsking());  // stopped
}

TEST_F(MainWindow, AnErrorInACommandIsShownAndTheProgramGoesOn) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {{"Boom", "Boom."}, {"Done.", "Done."}, {"Stopped!", "Stopped!"}, {"Really?", "Really?."}, {"version 2", "version 2."}};
    for (const Case& c : cases) {
        form->ShowAbout = [&] { throw Exception(c.message); };
        BoxAnswerer ok(IDOK);
        Key('A', true);
        ASSERT_EQ(ok.Seen().size(), 1u) << c.message;
        EXPECT_EQ(ok.Seen()[0].title, "Quorva");
        const auto& texts = ok.Seen()[0].texts;
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.shown), texts.end())
            << c.message << " showed " << ::testing::PrintToString(texts);
    }
    // An abort is silent.
    form->ShowAbout = [] { throw EAbort(); };
    BoxAnswerer ok(IDOK);
    Key('A', true);
    EXPECT_TRUE(ok.Seen().empty());
    Start();
    EXPECT_TRUE(form->Timer->Enabled());
}

// The system's timer as the program's message queue sees it, on the
// machine's own time, which runs on while the machine sleeps: due a period
// after it is set and every period after that; due times that pass before
// the program takes the event merge into one.
struct SimulatedTimer {
    HWND window = nullptr;
    std::int64_t wallMs = 0;
    std::int64_t armedAt = 0;
    unsigned period = 0;
    int arms = 0;
};
SimulatedTimer gSimulatedTimer;

UINT_PTR WINAPI SetSimulatedTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC proc) {
    if (window != gSimulatedTimer.window) return ::SetTimer(window, id, interval, proc);
    gSimulatedTimer.armedAt = gSimulatedTimer.wallMs;
    gSimulatedTimer.period = interval;
    ++gSimulatedTimer.arms;
    return id;
}

// An hour of counting with jittered, late and merged timer events, a
// thousand pauses and a two-hour sleep of the machine: whenever the panel
// is looked at it shows the time that really ran, within a second, never
// ahead of it, and the sleep is not in it.
TEST_F(MainWindow, AnHourOfLateEventsPausesAndASleepShowsTheTimeThatRan) {
    constexpr std::int64_t kSecondUnits = 1000 * kMs, kHour = 3'600'000, kSleep = 2 * kHour;
    gSimulatedTimer = {};
    gSimulatedTimer.window = form->Timer->WindowHandle();
    TTimer::SetSystemTimerFunction(SetSimulatedTimer);
    std::mt19937 random(14);
    auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    // Mostly the system timer's granularity either way; now and then a
    // busy program, long enough for several due times to merge.
    auto delay = [&] {
        const int kind = uniform(0, 99);
        return kind < 85 ? uniform(-15, 15) : kind < 95 ? uniform(16, 300) : uniform(301, 2500);
    };

    // Times in ms the machine was awake; its own time adds the sleep.
    const std::int64_t base = now;
    std::int64_t awake = 0, slept = 0;
    auto setAwake = [&](std::int64_t ms) {
        awake = ms;
        gSimulatedTimer.wallMs = awake + slept;
        now = base + awake * kMs;
    };
    enum Kind { kPause, kResume, kSleepNow };
    struct Action {
        std::int64_t at;
        Kind kind;
    };
    std::vector<Action> actions;
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t pause = i * 3600 + uniform(0, 1400);
        actions.push_back({pause, kPause});
        actions.push_back({pause + uniform(1, 1400), kResume});
        if (i == 500) actions.push_back({i * 3600 + 3000, kSleepNow});
    }

    std::int64_t ran = 0, runningSince = 0;  // clock units
    bool running = true;
    auto truth = [&] { return running ? ran + (now - runningSince) : ran; };
    auto shown = [&] { return form->Seconds() + 60LL * form->Minutes() + 3600LL * form->Hours(); };
    auto onTime = [&](const char* after) -> ::testing::AssertionResult {
        const double lag = double(truth()) / double(kSecondUnits) - double(shown());
        if (lag < 1.0 && lag > -0.1 && Panel() == ElapsedTimeText(form->Hours(), form->Minutes(), form->Seconds()))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "after " << after << " at " << awake << " ms awake: shows "
                                             << Panel() << ", ran " << double(truth()) / double(kSecondUnits) << " s";
    };

    setAwake(0);
    Start();
    runningSince = now;
    ASSERT_EQ(gSimulatedTimer.arms, 1);
    int arms = 0;
    std::int64_t due = 0, delivery = 0;
    std::size_t next = 0;
    for (;;) {
        if (gSimulatedTimer.arms != arms) {
            arms = gSimulatedTimer.arms;
            due = gSimulatedTimer.armedAt + gSimulatedTimer.period;
            delivery = due + delay();
        }
        const bool timerOn = form->Timer->Enabled();
        const std::int64_t deliveryAwake = std::max(delivery - slept, awake);
        if (next < actions.size() && (!timerOn || actions[next].at <= deliveryAwake)) {
            const Action& action = actions[next++];
            setAwake(action.at);
            if (action.kind == kSleepNow) {
                ASSERT_TRUE(running);
                slept += kSleep;
                setAwake(awake);
                continue;
            }
            Key(VK_F3);
            ASSERT_EQ(form->Paused(), action.kind == kPause);
            if (action.kind == kPause) {
                ran += now - runningSince;
                running = false;
                ASSERT_TRUE(onTime("a pause"));
            } else {
                runningSince = now;
                running = true;
            }
            continue;
        }
        if (!timerOn || deliveryAwake > kHour) break;
        setAwake(deliveryAwake);
        ::PostMessageA(form->Timer->WindowHandle(), WM_TIMER, 1, 0);
        Application().ProcessMessages();
        ASSERT_TRUE(onTime("a timer event"));
        if (gSimulatedTimer.arms == arms) {
            do due += gSimulatedTimer.period;
            while (due <= gSimulatedTimer.wallMs);
            delivery = due + delay();
        }
    }
    ASSERT_EQ(next, actions.size());
    setAwake(kHour);
    Key(VK_F3);
    ran += now - runningSince;
    running = false;
    EXPECT_TRUE(onTime("the last pause"));
    const std::string paused = Panel();
    {
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
    }
    EXPECT_EQ(Status(), "Final Time");
    EXPECT_EQ(Panel(), paused);
    EXPECT_LT(shown(), kHour / 1000);
}

// A stretch shorter than the timer's period, or an event that comes late,
// leaves seconds the panel has not shown yet: Pause and Stop show them.
TEST_F(MainWindow, PauseAndStopShowTheSecondsReached) {
    Start();
    EventAt(1000);
    now = started + 3700 * kMs;  // the events of two seconds are late
    Key(VK_F3);
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 03 sec");
    Key(VK_F3);
    now += 2900 * kMs;
    BoxAnswerer yes(IDYES);
    Key(VK_F4);
    EXPECT_EQ(Panel(), "00 hrs, 00 min, 06 sec");
    EXPECT_EQ(Status(), "Final Time");
}

UINT_PTR WINAPI RefuseTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

TEST_F(MainWindow, NoTimerLeftStopsTheStartCommand) {
    TTimer::SetSystemTimerFunction(RefuseTimer);
    BoxAnswerer ok(IDOK);
    Key(VK_F2);
    ASSERT_EQ(ok.Seen().size(), 1u);
    const auto& texts = ok.Seen()[0].texts;
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Not enough timers available."), texts.end());
    // The remaining steps did not run, and nothing claims to be counting.
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_TRUE(form->actStart->Enabled());
    EXPECT_FALSE(form->actStop->Enabled());
    EXPECT_TRUE(form->CloseQuery());
}

// Resume, or a re-phasing timer event, that gets no timer leaves the
// stopwatch paused at the time reached: F3 then resumes.
TEST_F(MainWindow, ARefusedTimerLeavesTheStopwatchPaused) {
    struct Case {
        const char* what;
        std::function<void()> fail;  // ends with the timer refused
        int shows;
    } cases[] = {
        {"resume", [&] {
             TTimer::SetSystemTimerFunction(RefuseTimer);
             Key(VK_F3);
         }, 1},
        {"re-phasing event", [&] {
             Key(VK_F3);  // the timer runs, 0.4 s to the next second
             TTimer::SetSystemTimerFunction(RefuseTimer);
             EventAt(2000);  // asks for a whole second again
         }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start();
        EventAt(1000);
        now = started + 1600 * kMs;
        Key(VK_F3);
        {
            BoxAnswerer ok(IDOK);
            c.fail();
            TTimer::SetSystemTimerFunction(nullptr);
            ASSERT_EQ(ok.Seen().size(), 1u);
            const auto& texts = ok.Seen()[0].texts;
            EXPECT_NE(std::find(texts.begin(), texts.end(), "Not enough timers available."), texts.end());
        }
        EXPECT_FALSE(form->Timer->Enabled());
        EXPECT_TRUE(form->Paused());
        EXPECT_EQ(Status(), "Timer Paused");
        EXPECT_EQ(form->actPause->Caption(), "Resume");
        EXPECT_EQ(form->Seconds(), c.shows);
        Key(VK_F3);
        EXPECT_TRUE(form->Timer->Enabled());
        EXPECT_EQ(Status(), "Elapsed Time");
        EXPECT_EQ(form->actPause->Caption(), "Pause");
        BoxAnswerer yes(IDYES);
        Key(VK_F4);
    }
}

TEST_F(MainWindow, PaintsTheTimeCentredOnTheWindowColour) {
    testsupport::Snapshot panel(form->pnlTime->Handle());
    const COLORREF windowColour = RGB(232, 232, 255);
    const int height = form->pnlTime->Height(), middle = height / 2;
    EXPECT_EQ(panel.Pixel(2, 2), windowColour);  // border
    EXPECT_EQ(panel.Pixel(370, height - 3), windowColour);
    // The time text sits in the middle band, centred: as much ink left of the
    // middle as right of it, within a column or two.
    int left = 0, right = 0;
    for (int x = 0; x < 375; ++x)
        for (int y = middle - 20; y < middle + 20; ++y)
            if (GetRValue(panel.Pixel(x, y)) < 100) ++(x < 375 / 2 ? left : right);
    EXPECT_GT(left + right, 200);
    EXPECT_NEAR(left, right, (left + right) / 10);
    EXPECT_EQ(panel.Pixel(8, middle), windowColour);
}

TEST_F(MainWindow, ToolbarShowsTheFiveCommands) {
    bars::TdxBarManager& manager = *form->BarManager;
    EXPECT_EQ(manager.Style(), bars::TdxBarManagerStyle::Office11);
    EXPECT_STREQ(manager.Painter().ClassName(), "TdxBarOffice11Painter");
    NONCLIENTMETRICSA metrics;
    ASSERT_TRUE(bars::GetNonClientMetrics(metrics));
    EXPECT_TRUE(manager.UseSystemFont());
    EXPECT_EQ(manager.Font().Name(), metrics.lfMenuFont.lfFaceName);  // not the stored "Segoe UI"
    EXPECT_EQ(manager.Font().Height(), metrics.lfMenuFont.lfHeight);
    ASSERT_EQ(manager.Categories().Count(), 1);
    EXPECT_EQ(manager.Categories()[0], "Default");
    EXPECT_EQ(manager.ImageOptions().LargeImages(), form->ImageList);
    EXPECT_TRUE(manager.ImageOptions().MakeDisabledImagesFaded());
    EXPECT_TRUE(manager.ImageOptions().UseLargeImagesForLargeIcons());
    EXPECT_EQ(form->Toolbar->Caption(), "Main");

    struct Button {
        bars::TdxBarLargeButton* item;
        const char *caption, *hint;
        TShortCut shortCut;
        bool enabled;
    } buttons[] = {
        {form->btnExit, "Exit", "Exit", 32856, true},          {form->btnStart, "Start", "Start Timer", 113, true},
        {form->btnPause, "Pause", "Pause Timer", 114, false},  {form->btnStop, "Stop", "Stop Timer", 115, false},
        {form->btnAbout, "About", "About", 32833, true},
    };
    const int h = 39 + TextHeight();
    bars::TdxBarItemLinks& links = form->Toolbar->ItemLinks();
    ASSERT_EQ(links.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        const Button& b = buttons[i];
        SCOPED_TRACE(b.caption);
        EXPECT_EQ(links.Items(i)->Item(), b.item);
        EXPECT_EQ(b.item->Caption(), b.caption);
        EXPECT_EQ(b.item->Hint(), b.hint);
        EXPECT_EQ(b.item->LargeImageIndex(), i);
        EXPECT_EQ(b.item->ImageIndex(), i);
        EXPECT_EQ(b.item->ShortCut(), b.shortCut);
        EXPECT_EQ(b.item->Enabled(), b.enabled);
        RECT r = links.Items(i)->ItemRect();
        EXPECT_EQ(r.left, 75 * i);
        EXPECT_EQ(r.right - r.left, 75);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.bottom, h);
    }
    RECT bar = form->Toolbar->Control()->BoundsRect();
    EXPECT_EQ(bar.right - bar.left, 375);
    EXPECT_EQ(bar.bottom - bar.top, h);
    EXPECT_EQ(TopDock()->Height(), h);
    EXPECT_EQ(form->pnlTime->Top(), h);
}

TEST_F(MainWindow, ToolbarButtonsFollowTheirCommands) {
    RECT before = form->Toolbar->ItemLinks().Items(2)->ItemRect();
    Start();
    EXPECT_TRUE(form->btnPause->Enabled());
    EXPECT_FALSE(form->btnStart->Enabled());
    Key(VK_F3);
    EXPECT_EQ(form->btnPause->Caption(), "Resume");
    EXPECT_EQ(form->btnPause->Hint(), "Resume Timer");
    RECT after = form->Toolbar->ItemLinks().Items(2)->ItemRect();
    EXPECT_TRUE(::EqualRect(&before, &after));  // a fixed width: nothing moves
    // The item's own shortcut test runs its command.
    EXPECT_TRUE(form->btnPause->TryShortCut(114));
    EXPECT_EQ(form->btnPause->Caption(), "Pause");
    BoxAnswerer yes(IDYES);
    EXPECT_TRUE(form->Toolbar->ItemLinks().TryShortCut(115));  // Stop, through the bar's links
    EXPECT_EQ(yes.Seen().size(), 1u);
    EXPECT_FALSE(form->btnStop->Enabled());
    EXPECT_FALSE(form->btnPause->TryShortCut(114));
}

TEST_F(MainWindow, ToolbarPaintsPicturesAndCaptions) {
    // Behind the buttons the toolbar shows the dock's own surface.
    bars::TdxDockControl& dock = *form->BarManager->Bars().DockControl(bars::TdxBarDockingStyle::Top);
    testsupport::Snapshot surface(dock.Handle());
    auto face = [&](int x) { return surface.Pixel(x, 1); };
    auto check = [&](const std::vector<bool>& enabled) {
        testsupport::Snapshot bar(form->Toolbar->Control()->Handle());
        const int h = 39 + TextHeight();
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            // An opaque pixel of the picture, at (21, 3) + its place in it.
            std::vector<std::uint32_t> pixels;
            ASSERT_TRUE(form->ImageList->CopyImagePixels(i, pixels));
            int at = -1;
            for (int p = 0; p < 32 * 32 && at < 0; ++p)
                if (pixels[p] >> 24 == 255) at = p;
            ASSERT_GE(at, 0);
            std::uint32_t source = pixels[at];
            const int x = 75 * i + 21 + at % 32;
            COLORREF shown = bar.Pixel(x, 3 + at / 32);
            int r = source >> 16 & 0xFF, g = source >> 8 & 0xFF, b = source & 0xFF;
            if (enabled[i]) {
                EXPECT_EQ(shown, RGB(r, g, b));
            } else {
                double gray = std::nearbyint(0.299 * r + 0.587 * g + 0.114 * b), k = 64 / 255.0;
                EXPECT_NEAR(GetRValue(shown), gray * k + GetRValue(face(x)) * (1 - k), 1.0);
                EXPECT_NEAR(GetGValue(shown), gray * k + GetGValue(face(x)) * (1 - k), 1.0);
                EXPECT_NEAR(GetBValue(shown), gray * k + GetBValue(face(x)) * (1 - k), 1.0);
            }
            // Caption ink centred under the picture, grey while disabled.
            int left = 0, right = 0;
            bool grey = false;
            for (int y = 35; y < h - 1; ++y)
                for (int x2 = 75 * i; x2 < 75 * i + 75; ++x2) {
                    COLORREF p = bar.Pixel(x2, y);
                    if (p == face(x2)) continue;
                    ++(x2 < 75 * i + 37 ? left : right);
                    grey = grey || p == bars::Office11Palette().TextDisabled;
                }
            EXPECT_GT(left + right, 20);
            EXPECT_NEAR(left, right, (left + right) / 4 + 2);
            EXPECT_EQ(grey, !enabled[i]);
            EXPECT_EQ(bar.Pixel(75 * i + 1, 1), face(75 * i + 1));
        }
    };
    check({true, true, false, false, true});
    Start();
    check({true, false, true, true, true});
}

// The window shown, in front and focused, taking keys as the user types
// them: through the system's input queue and the thread's hooks.
class MainWindowTyping : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        Prepare();
    }
    // Shows the window in front, focused, and watches what it runs.
    void Prepare() {
        form->Show();
        ::SetForegroundWindow(form->Handle());
        ::SetFocus(form->Handle());
        form->BarManager->OnClickItem = [this](bars::TdxBarManager*, bars::TdxBarItem* item) { clicked.push_back(item); };
        form->ShowAbout = [this] { ++abouts; };
        form->AddMessageListener(this, [this](TMessage& m) {
            if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) reached.push_back(static_cast<WORD>(m.wParam));
            // A bare Alt makes the system enter menu mode; its loop would
            // wait for the user.
            if (m.message == WM_SYSCOMMAND && (m.wParam & 0xFFF0) == SC_KEYMENU) {
                ++menuKeys;
                m.handled = true;
            }
        });
    }
    void TearDown() override {
        form->RemoveMessageListener(this);
        MainWindow::TearDown();
    }
    // Presses and releases a key, with Alt or Ctrl held around it when asked.
    void Type(WORD key, bool alt = false, bool ctrl = false) {
        if (alt && key != VK_MENU && ctrl) testsupport::PressKeys({VK_MENU, VK_CONTROL, key});
        else if (alt && key != VK_MENU) testsupport::PressKeys({VK_MENU, key});
        else if (ctrl) testsupport::PressKeys({VK_CONTROL, key});
        else testsupport::PressKeys({key});
    }
    bars::TdxBarControl& Bar() const { return *form->Toolbar->Control(); }
    bars::TdxBarItemControl& Button(int index) const { return Bar().Controls(index); }
    // Screen points: the middle of a button, and one on the time panel.
    POINT OnButton(int index) const {
        const RECT& r = Button(index).ItemLink().ItemRect();
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ClientToScreen(Bar().Handle(), &p);
        return p;
    }
    POINT OnPanel() const {
        POINT p{form->pnlTime->Width() / 2, form->pnlTime->Height() / 2};
        ::ClientToScreen(form->pnlTime->Handle(), &p);
        return p;
    }
    // Moves the pointer to a screen point, pressing or releasing the left
    // button there when asked.
    void Pointer(POINT at, DWORD button = 0) { testsupport::PointerAt(at, button); }
    // The pointer watch looks now instead of at its next tick.
    void WatchTick() {
        ::PostMessageA(Bar().Handle(), WM_TIMER, bars::TdxBarControl::kPointerWatchTimer, 0);
        Application().ProcessMessages();
    }
    // A press on a button released outside: the toolbar stays active with
    // nothing selected.
    void PressAndReleaseOutside(int button) {
        Pointer(OnButton(button));
        Pointer(OnButton(button), MOUSEEVENTF_LEFTDOWN);
        Pointer(OnPanel());
        Pointer(OnPanel(), MOUSEEVENTF_LEFTUP);
        WatchTick();
    }
    bool Reached(WORD key) const { return std::find(reached.begin(), reached.end(), key) != reached.end(); }

    std::vector<bars::TdxBarItem*> clicked;
    std::vector<WORD> reached;
    int abouts = 0;
    int menuKeys = 0;
};

// Each key runs its command once, through its toolbar item, and never
// reaches the form; a disabled command's key and a bare Alt pass on.
TEST_F(MainWindowTyping, ToolbarItemsTakeTheirShortcutsFirst) {
    struct Case {
        const char* what;
        WORD key;
        bool alt;
        bars::TdxBarItem* runs;  // null: nothing runs and the key reaches the form
        int boxes;               // confirmations asked
    } cases[] = {
        {"Pause while idle", VK_F3, false, nullptr, 0},
        {"Stop while idle", VK_F4, false, nullptr, 0},
        {"Start", VK_F2, false, form->btnStart, 0},
        {"Pause", VK_F3, false, form->btnPause, 0},
        {"Resume", VK_F3, false, form->btnPause, 0},
        {"About", 'A', true, form->btnAbout, 0},
        {"Exit while running", 'X', true, form->btnExit, 1},
        {"Stop", VK_F4, false, form->btnStop, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clicked.clear();
        reached.clear();
        BoxAnswerer answer(c.runs == form->btnExit ? IDNO : IDYES);
        Type(c.key, c.alt);
        EXPECT_EQ(clicked, c.runs ? std::vector<bars::TdxBarItem*>{c.runs} : std::vector<bars::TdxBarItem*>{});
        EXPECT_EQ(Reached(c.key), c.runs == nullptr);
        EXPECT_EQ(static_cast<int>(answer.Seen().size()), c.boxes);
        // The Alt that went with a shortcut does not open the system menu.
        EXPECT_EQ(menuKeys, 0);
    }
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(Status(), "Final Time");
    EXPECT_FALSE(Application().Terminated());

    clicked.clear();
    Type(VK_MENU);
    EXPECT_TRUE(Reached(VK_MENU));
    EXPECT_EQ(menuKeys, 1);
    EXPECT_TRUE(clicked.empty());
}

// A toolbar works like a menu bar: a press selects and shows the button
// pressed, the selection follows the pointer while the button is held, and
// the release runs the command of the button it happens over.
TEST_F(MainWindowTyping, ToolbarButtonsRunOnReleaseOverThem) {
    enum { kExit, kStart, kPause, kOutside = -1 };
    struct Case {
        const char* what;
        int press, releaseOn;
        int runs;            // the button whose command runs, or -1
        bool pressedShown;   // while held over the pressed button
        bool staysActive;
    } cases[] = {
        {"press Exit, release on Start", kExit, kStart, kStart, true, false},
        {"press Start, release on the disabled Pause", kStart, kPause, -1, true, true},
        {"press Start, release outside", kStart, kOutside, -1, true, true},
        {"press the disabled Pause", kPause, kPause, -1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form = TfrmMain::Create([this] { return now; });
        clicked.clear();
        Prepare();
        Pointer(OnButton(c.press));
        EXPECT_TRUE(Bar().WatchingPointer());
        EXPECT_EQ(Bar().HintText(), c.press == kExit ? "Exit" : c.press == kStart ? "Start Timer" : "Pause Timer");
        Pointer(OnButton(c.press), MOUSEEVENTF_LEFTDOWN);
        EXPECT_EQ(Button(c.press).DrawnPressed(), c.pressedShown);
        EXPECT_EQ(Bar().Active(), c.pressedShown);
        const POINT release = c.releaseOn == kOutside ? OnPanel() : OnButton(c.releaseOn);
        Pointer(release);
        if (c.releaseOn != c.press && c.releaseOn != kOutside) {
            EXPECT_FALSE(Button(c.press).DrawnPressed());
            EXPECT_EQ(Button(c.releaseOn).DrawnPressed(), Button(c.releaseOn).Enabled());
        }
        Pointer(release, MOUSEEVENTF_LEFTUP);
        WatchTick();
        bars::TdxBarItem* runs = c.runs < 0 ? nullptr : &Button(c.runs).Item();
        EXPECT_EQ(clicked, runs ? std::vector<bars::TdxBarItem*>{runs} : std::vector<bars::TdxBarItem*>{});
        EXPECT_EQ(Bar().Active(), c.staysActive);
        for (int i = 0; i < Bar().ControlCount(); ++i) EXPECT_FALSE(Button(i).DrawnPressed()) << i;
        if (c.releaseOn == kOutside) {
            // Left: no timer runs, nothing is selected; the next press
            // elsewhere ends the active state.
            EXPECT_FALSE(Bar().WatchingPointer());
            EXPECT_EQ(Bar().Selected(), nullptr);
            Pointer(release, MOUSEEVENTF_LEFTDOWN);
            Pointer(release, MOUSEEVENTF_LEFTUP);
            EXPECT_FALSE(Bar().Active());
            EXPECT_EQ(::GetFocus(), form->Handle());
        }
    }
}

// A press released outside leaves the toolbar active: then every key goes
// to it, and only a key that ends the active state gives the keys back.
TEST_F(MainWindowTyping, AnActiveToolbarTakesEveryKey) {
    auto activate = [&] {
        PressAndReleaseOutside(0);
        ASSERT_TRUE(Bar().Active());
        ASSERT_EQ(Bar().Selected(), nullptr);
    };
    activate();
    Type(VK_F2);
    EXPECT_TRUE(clicked.empty());
    EXPECT_FALSE(Reached(VK_F2));
    struct Step {
        WORD key;
        int selected;
    } steps[] = {{VK_RIGHT, 0}, {VK_RIGHT, 1}, {VK_END, 4}, {VK_RIGHT, 0}, {VK_LEFT, 4}, {VK_HOME, 0}, {VK_TAB, 1}};
    for (const Step& step : steps) {
        Type(step.key);
        EXPECT_EQ(Bar().Selected(), &Button(step.selected)) << step.key;
    }
    EXPECT_TRUE(Button(1).DrawnSelected());
    Type(VK_RETURN);
    EXPECT_EQ(clicked, std::vector<bars::TdxBarItem*>{form->btnStart});
    EXPECT_FALSE(Bar().Active());

    for (WORD leave : {VK_ESCAPE, VK_MENU, VK_F10}) {
        SCOPED_TRACE(leave);
        activate();
        Type(leave);
        EXPECT_FALSE(Bar().Active());
        EXPECT_EQ(menuKeys, 0);
        clicked.clear();
        Type(VK_F3);
        EXPECT_EQ(clicked, std::vector<bars::TdxBarItem*>{form->btnPause});
    }
    EXPECT_TRUE(reached.empty());
}

// In the active state a letter clicks the enabled button whose caption
// marks it; Ctrl+Tab goes to the next shown toolbar, or stays on the only one.
TEST_F(MainWindowTyping, AnActiveToolbarTakesAcceleratorsAndCtrlTab) {
    form->actAbout->SetCaption("&About");
    form->actPause->SetCaption("&Pause");
    PressAndReleaseOutside(0);
    ASSERT_TRUE(Bar().Active());
    EXPECT_EQ(form->BarManager->FocusedBarControl(), &Bar());
    Type(VK_RIGHT);
    for (WORD nothing : {WORD('P'), WORD('Q')}) {
        SCOPED_TRACE(nothing);
        Type(nothing);
        EXPECT_TRUE(clicked.empty());
        EXPECT_TRUE(Bar().Active());
        EXPECT_EQ(Bar().Selected(), &Button(0));
    }
    Type(VK_TAB, false, true);
    EXPECT_TRUE(Bar().Active());
    EXPECT_EQ(Bar().Selected(), &Button(0));

    bars::TdxBar* second = form->BarManager->Bars().Add();
    second->ItemLinks().Add(form->btnStart);
    second->SetDockingStyle(bars::TdxBarDockingStyle::Top);
    second->SetVisible(true);
    ASSERT_NE(second->Control(), nullptr);
    Type(VK_TAB, false, true);
    EXPECT_FALSE(Bar().Active());
    EXPECT_TRUE(second->Control()->Active());
    EXPECT_EQ(second->Control()->Selected(), &second->Control()->Controls(0));
    EXPECT_EQ(form->BarManager->FocusedBarControl(), second->Control());
    Type(VK_TAB, false, true);
    EXPECT_TRUE(Bar().Active());
    EXPECT_EQ(Bar().Selected(), &Button(0));

    Type('A');
    EXPECT_EQ(clicked, std::vector<bars::TdxBarItem*>{form->btnAbout});
    EXPECT_EQ(abouts, 1);
    EXPECT_FALSE(Bar().Active());
    EXPECT_EQ(form->BarManager->FocusedBarControl(), nullptr);
    EXPECT_TRUE(reached.empty());
}

// The manager follows the selection and the active toolbar, and lets go of
// them when they end or their windows go.
TEST_F(MainWindowTyping, TheManagerKnowsTheSelectionAndTheActiveToolbar) {
    bars::TdxBarManager& manager = *form->BarManager;
    Pointer(OnButton(1));
    EXPECT_EQ(manager.SelectedItem(), &Button(1));
    EXPECT_EQ(manager.FocusedBarControl(), nullptr);
    PressAndReleaseOutside(1);
    EXPECT_EQ(manager.FocusedBarControl(), &Bar());
    EXPECT_EQ(manager.SelectedItem(), nullptr);
    Type(VK_RIGHT);
    EXPECT_EQ(manager.SelectedItem(), &Button(0));
    Type(VK_ESCAPE);
    EXPECT_EQ(manager.SelectedItem(), nullptr);
    EXPECT_EQ(manager.FocusedBarControl(), nullptr);

    const POINT start = OnButton(1);
    Pointer(start);
    Pointer(start, MOUSEEVENTF_LEFTDOWN);
    ASSERT_EQ(manager.FocusedBarControl(), &Bar());
    form->Toolbar->SetVisible(false);
    EXPECT_EQ(manager.SelectedItem(), nullptr);
    EXPECT_EQ(manager.FocusedBarControl(), nullptr);
    Pointer(start, MOUSEEVENTF_LEFTUP);
}

// The right button opens the toolbars menu at the pointer on the press;
// the button under it neither runs nor shows pressed. Unchecking "Main"
// there hides the toolbar and the time panel takes the freed band.
TEST_F(MainWindowTyping, TheRightButtonOpensTheToolbarsMenu) {
    bars::TdxBarToolbarsPopup* menu = nullptr;
    const int panelHeight = form->pnlTime->Height();
    const int dockHeight = form->BarManager->Bars().DockControl(bars::TdxBarDockingStyle::Top)->Height();
    ASSERT_GT(dockHeight, 0);
    Pointer(OnButton(1));
    Pointer(OnButton(1), MOUSEEVENTF_RIGHTDOWN);
    menu = bars::TdxBarDesignController::Instance().ToolbarsPopup();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->Showing());
    EXPECT_FALSE(Button(1).DrawnPressed());
    RECT bounds{};
    ::GetWindowRect(menu->Handle(), &bounds);
    EXPECT_NEAR(bounds.left, OnButton(1).x, 1);
    EXPECT_NEAR(bounds.top, OnButton(1).y, 1);
    Pointer(OnButton(1), MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(menu->Showing());
    EXPECT_TRUE(clicked.empty());
    EXPECT_FALSE(Bar().Active());

    ASSERT_EQ(menu->RowCount(), 2);
    EXPECT_EQ(menu->RowLink(1).Item()->Caption(), "&Customize...");
    EXPECT_TRUE(menu->RowLink(1).BeginGroup());
    auto* entry = dynamic_cast<bars::TdxBarButton*>(menu->RowLink(0).Item());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Caption(), "Main");
    EXPECT_TRUE(entry->Down());

    const RECT row = menu->RowRect(0);
    POINT onRow{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ::ClientToScreen(menu->Handle(), &onRow);
    Pointer(onRow);
    Pointer(onRow, MOUSEEVENTF_LEFTDOWN);
    Pointer(onRow, MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(menu->Showing());
    EXPECT_FALSE(form->Toolbar->Visible());
    EXPECT_EQ(form->BarManager->Bars().DockControl(bars::TdxBarDockingStyle::Top)->Height(), 0);
    EXPECT_EQ(form->pnlTime->Height(), panelHeight + dockHeight);
    EXPECT_TRUE(clicked.empty());
}

// The pointer over a button brings its tooltip once the show delay runs
// out; the next button's comes at once; away from the bar it goes, and
// the status text follows the selection.
TEST_F(MainWindowTyping, HoveringShowsTheButtonsTooltip) {
    auto fire = [](UINT_PTR timer) {
        ::PostMessageA(bars::TooltipWindow()->Handle(), WM_TIMER, timer, 0);
        Application().ProcessMessages();
    };
    auto shown = [] {
        bars::TdxBarHintWindow* window = bars::TooltipWindow();
        if (!window || !window->Showing()) return std::string();
        return testsupport::WindowText(window->Handle());
    };
    Pointer(OnButton(1));
    ASSERT_NE(bars::TooltipWindow(), nullptr);
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(Application().Hint(), "Start Timer");
    fire(bars::TdxBarHintWindow::ShowTimer);
    EXPECT_EQ(shown(), "Start Timer (F2)");
    Pointer(OnButton(0));
    EXPECT_EQ(shown(), "Exit (Alt+X)");
    // A disabled button has one too.
    Pointer(OnButton(2));
    EXPECT_EQ(shown(), "Pause Timer (F3)");
    Pointer(OnPanel());
    WatchTick();
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(Application().Hint(), "");
}

// The command of a hovered button may disable it (here through its own
// key): the button is no longer selected, and its tooltip and status text go.
TEST_F(MainWindowTyping, AHoveredButtonThatBecomesDisabledIsNoLongerSelected) {
    Pointer(OnButton(1));
    ::PostMessageA(bars::TooltipWindow()->Handle(), WM_TIMER, bars::TdxBarHintWindow::ShowTimer, 0);
    Application().ProcessMessages();
    ASSERT_TRUE(bars::TooltipWindow()->Showing());
    Type(VK_F2);
    EXPECT_FALSE(Button(1).Enabled());
    EXPECT_EQ(Bar().Selected(), nullptr);
    EXPECT_FALSE(bars::TooltipWindow()->Showing());
    EXPECT_EQ(Application().Hint(), "");
}

namespace {
// Looks at a button while a modal box is up.
bars::TdxBarItemControl* gWatchedButton = nullptr;
bool gPressedUnderBox = false;
void CALLBACK LookUnderBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ::FindWindowA("#32770", nullptr);
    if (box && ::IsWindowVisible(box) && gWatchedButton && gWatchedButton->DrawnPressed()) gPressedUnderBox = true;
}
}  // namespace

TEST_F(MainWindowTyping, AButtonStaysPressedWhileItsCommandRuns) {
    Type(VK_F2);
    clicked.clear();
    gWatchedButton = &Button(3);
    gPressedUnderBox = false;
    UINT_PTR look = ::SetTimer(nullptr, 0, 10, LookUnderBox);
    {
        BoxAnswerer no(IDNO);
        Pointer(OnButton(3));
        Pointer(OnButton(3), MOUSEEVENTF_LEFTDOWN);
        Pointer(OnButton(3), MOUSEEVENTF_LEFTUP);
        EXPECT_EQ(no.Seen().size(), 1u);
    }
    ::KillTimer(nullptr, look);
    gWatchedButton = nullptr;
    EXPECT_TRUE(gPressedUnderBox);
    EXPECT_FALSE(Button(3).DrawnPressed());
    EXPECT_FALSE(Bar().Active());
    EXPECT_EQ(clicked, std::vector<bars::TdxBarItem*>{form->btnStop});
}

// A command that fails, or that takes its own toolbar away, leaves the
// toolbar (or what is left) in order.
TEST_F(MainWindowTyping, AFailingOrBarRemovingCommandLeavesTheToolbarSound) {
    form->ShowAbout = [] { throw EAbort(); };
    Pointer(OnButton(4));
    Pointer(OnButton(4), MOUSEEVENTF_LEFTDOWN);
    Pointer(OnButton(4), MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(clicked, std::vector<bars::TdxBarItem*>{form->btnAbout});
    EXPECT_FALSE(Button(4).DrawnPressed());
    EXPECT_FALSE(Bar().Active());

    form->ShowAbout = [this] { form->Toolbar->SetVisible(false); };
    Pointer(OnButton(4), MOUSEEVENTF_LEFTDOWN);
    Pointer(OnButton(4), MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(form->Toolbar->Control(), nullptr);
    EXPECT_EQ(bars::TdxBarControl::ActiveToolbar(), nullptr);
    form->Toolbar->SetVisible(true);
    EXPECT_FALSE(Button(4).DrawnPressed());
}

TEST_F(MainWindow, ShowingAndClosingLeavesNoHandlesBehind) {
    auto cycle = [this] {
        form = TfrmMain::Create([this] { return now; });
        form->Show();
        form->Update();
        form->Toolbar->Control()->Update();
        form.reset();
    };
    cycle();  // shared drawing resources are made on first use
    HandleCount before = LiveHandles();
    cycle();
    cycle();
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

}  // namespace

// A damaged description ends creation with a clear error and leaves nothing
// behind.
TEST(MainWindowDescription, DamageIsReportedAndNothingLeaks) {
    ObjectNode good = LoadFormResource("TFRMMAIN");
    auto without = [&](const char* name) {
        ObjectNode n = good;
        auto& kids = n.children;
        kids.erase(std::remove_if(kids.begin(), kids.end(), [&](const ObjectNode& k) { return k.name == name; }),
                   kids.end());
        return n;
    };
    auto withProperty = [&](Property p) {
        ObjectNode n = good;
        n.children[0].properties.push_back(std::move(p));
        return n;
    };
    struct Case {
        ObjectNode node;
        const char* says;
    } cases[] = {
        {without("Timer"), "Timer"},
        {withProperty({"Colour", Value::Int(1)}), "pnlTime.Colour"},
        {withProperty({"BorderWidth", Value::Str("wide")}), "Invalid property value"},
        {withProperty({"OnClick", Value::Id("NoSuchHandler")}), "NoSuchHandler"},
    };
    HandleCount before = LiveHandles();
    for (const Case& c : cases) {
        try {
            TfrmMain::Create(c.node);
            ADD_FAILURE() << "no error for " << c.says;
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    { auto form = TfrmMain::Create(good); }
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}

// Damaged bytes that still decode make a whole window or end creation with
// a clear error; either way nothing is left behind. Bytes that do not
// decode never get this far (the sanitized tests cover them).
TEST(MainWindowDescription, DamagedBytesGiveAWholeWindowOrAClearError) {
    HRSRC info = ::FindResourceA(nullptr, "TFRMMAIN", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    ASSERT_NE(info, nullptr);
    const auto* stored = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, info)));
    const std::vector<std::uint8_t> good(stored, stored + ::SizeofResource(nullptr, info));
    { auto form = TfrmMain::Create(ReadForm(good)); }  // shared drawing resources are made on first use
    const HandleCount before = LiveHandles();
    BoxAnswerer answerer(IDOK);
    fuzz::Rng rng(0x51554F52);
    int built = 0, refused = 0;
    for (int round = 0; built + refused < 400; ++round) {
        std::vector<std::uint8_t> bytes = good;
        fuzz::Mutate(bytes, rng, {}, 3);
        ObjectNode node;
        try {
            node = ReadForm(bytes);
        } catch (const FormStreamError&) {
            continue;
        }
        try {
            auto form = TfrmMain::Create(node);
            ++built;
            EXPECT_NE(form->Handle(), nullptr) << "round " << round;
        } catch (const EReadError&) {
            ++refused;
        }
    }
    std::printf("[ damaged  ] %d windows built, %d refused\n", built, refused);
    EXPECT_TRUE(answerer.Seen().empty()) << "an error was shown while a window was made";
    EXPECT_EQ(LiveHandles().gdi, before.gdi);
    EXPECT_EQ(LiveHandles().user, before.user);
}
