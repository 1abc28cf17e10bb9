#include "app/Main.h"

#include <windows.h>

#include "forms/Dialogs.h"

using namespace forms;

namespace {

constexpr std::int64_t kSecond = 10'000'000;  // clock units (100 ns)
constexpr std::int64_t kMillisecond = 10'000;
// A timer event this close before a second boundary counts that second, so
// an event that comes a little early neither repeats nor skips one: the
// system timer's granularity (about 16 ms) and a margin, no more, or the
// panel would show a second before it has run.
constexpr std::int64_t kEarlyTolerance = 50 * kMillisecond;
// The timer is re-phased onto the second boundaries once it drifts further.
constexpr std::int64_t kDriftAllowance = 50 * kMillisecond;
constexpr unsigned kTimerInterval = 1000;

std::int64_t SystemClock() {
    ULONGLONG t = 0;
    ::QueryUnbiasedInterruptTime(&t);
    return static_cast<std::int64_t>(t);
}

std::string TwoDigits(int value) {
    std::string s = std::to_string(value);
    return value < 10 ? "0" + s : s;
}

}  // namespace

std::string ElapsedTimeText(int hours, int minutes, int seconds) {
    return TwoDigits(hours) + " hrs, " + TwoDigits(minutes) + " min, " + TwoDigits(seconds) + " sec";
}

std::string InactiveTitle(int hours, int minutes, int seconds) {
    return "Quorva " + std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(seconds);
}

TfrmMain::TfrmMain(Clock clock) : TForm(nullptr), FClock(clock ? std::move(clock) : Clock(SystemClock)) {}

std::unique_ptr<TfrmMain> TfrmMain::Create(Clock clock) {
    std::unique_ptr<TfrmMain> form(new TfrmMain(std::move(clock)));
    form->TCustomForm::Create();
    return form;
}

std::unique_ptr<TfrmMain> TfrmMain::Create(const ObjectNode& description, Clock clock) {
    std::unique_ptr<TfrmMain> form(new TfrmMain(std::move(clock)));
    form->TCustomForm::Create(description);
    return form;
}

TMethod TfrmMain::FindMethod(const std::string& name) {
    using Notify = void (TfrmMain::*)(TComponent*);
    static const std::pair<const char*, Notify> kNotify[] = {
        {"FormCreate", &TfrmMain::FormCreate},
        {"actExitExecute", &TfrmMain::actExitExecute},
        {"actStartExecute", &TfrmMain::actStartExecute},
        {"actPauseExecute", &TfrmMain::actPauseExecute},
        {"actStopExecute", &TfrmMain::actStopExecute},
        {"actAboutExecute", &TfrmMain::actAboutExecute},
        {"TimerTimer", &TfrmMain::TimerTimer},
    };
    for (const auto& [n, method] : kNotify)
        if (name == n) return std::function<void(TComponent*)>([this, m = method](TComponent* s) { (this->*m)(s); });
    if (name == "FormCloseQuery")
        return TCloseQueryEvent([this](TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); });
    if (name == "FormClose")
        return TCloseEvent([this](TComponent* s, TCloseAction& action) { FormClose(s, action); });
    return TForm::FindMethod(name);
}

void TfrmMain::Loaded() {
    TForm::Loaded();
    Bind(pnlTime, "pnlTime");
    Bind(lblElapsedTime, "lblElapsedTime");
    // The time changes every second: only its line is drawn again.
    pnlTime->SetRetained(true);
    Bind(Timer, "Timer");
    Bind(ImageList, "ImageList");
    Bind(ActionList, "ActionList");
    Bind(actExit, "actExit");
    Bind(actStart, "actStart");
    Bind(actPause, "actPause");
    Bind(actStop, "actStop");
    Bind(actAbout, "actAbout");
    Bind(BarManager, "BarManager");
    Toolbar = BarManager->Bars().Find("Toolbar");
    if (!Toolbar) MissingComponent("Toolbar");
    Bind(btnExit, "btnExit");
    Bind(btnStart, "btnStart");
    Bind(btnPause, "btnPause");
    Bind(btnStop, "btnStop");
    Bind(btnAbout, "btnAbout");
}

std::int64_t TfrmMain::Now() const { return FClock(); }

std::int64_t TfrmMain::RunningTime() const { return FPaused ? FPausedAt : Now() - FRunStart; }

void TfrmMain::FormCreate(TComponent*) {
    FSeconds = FMinutes = FHours = 0;
    FPaused = false;
    lblElapsedTime->SetCaption("Elapsed Time");
    Timer->SetEnabled(false);
    actStop->SetEnabled(false);
    actPause->SetEnabled(false);
    actStart->SetEnabled(true);
}

void TfrmMain::actStartExecute(TComponent*) {
    FPaused = false;
    FRunStart = Now();
    FCounted = 0;
    Timer->SetInterval(kTimerInterval);
    Timer->SetEnabled(true);
    lblElapsedTime->SetCaption("Elapsed Time");
    actStart->SetEnabled(false);
    actPause->SetEnabled(true);
    actPause->SetCaption("Pause");
    actPause->SetHint("Pause Timer");
    actStop->SetEnabled(true);
    FSeconds = FMinutes = FHours = 0;
    pnlTime->SetCaption("00 hrs, 00 min, 00 sec");
}

void TfrmMain::actPauseExecute(TComponent*) {
    if (!FPaused) {
        Pause(RunningTime());
    } else {
        // The timer first: when the system has none left, the stopwatch
        // stays paused.
        ArmTimer(FPausedAt);
        Timer->SetEnabled(true);
        FPaused = false;
        FRunStart = Now() - FPausedAt;
        lblElapsedTime->SetCaption("Elapsed Time");
        actPause->SetCaption("Pause");
        actPause->SetHint("Pause Timer");
    }
}

void TfrmMain::Pause(std::int64_t running) {
    // The fraction of the running second is kept for Resume.
    FPausedAt = running;
    ShowReached(running);
    FPaused = true;
    Timer->SetEnabled(false);
    lblElapsedTime->SetCaption("Timer Paused");
    actPause->SetEnabled(true);
    actPause->SetCaption("Resume");
    actPause->SetHint("Resume Timer");
}

void TfrmMain::actStopExecute(TComponent*) {
    if (!Confirm("Stop the timer and clear the counter?")) return;
    ShowReached(RunningTime());
    Timer->SetEnabled(false);
    lblElapsedTime->SetCaption("Final Time");
    actStart->SetEnabled(true);
    actPause->SetEnabled(false);
    actPause->SetCaption("Pause");
    actPause->SetHint("Pause Timer");
    actStop->SetEnabled(false);
}

void TfrmMain::actExitExecute(TComponent*) { Close(); }

void TfrmMain::actAboutExecute(TComponent*) {
    if (ShowAbout) ShowAbout();
}

void TfrmMain::FormCloseQuery(TComponent*, bool& canClose) {
    if (Timer->Enabled()) canClose = Confirm("Timer is active. Are you sure you want to quit?");
}

void TfrmMain::FormClose(TComponent*, TCloseAction&) { Timer->SetEnabled(false); }

void TfrmMain::AdvanceOneSecond() {
    ++FSeconds;
    if (FSeconds > 59) {
        ++FMinutes;
        FSeconds = 0;
    }
    if (FMinutes > 59) {
        ++FHours;
        FMinutes = 0;
    }
}

void TfrmMain::ShowReached(std::int64_t running) {
    // A late timer event may not have shown the last seconds yet; a time
    // that stays on screen shows every whole second run, and none ahead.
    const std::int64_t reached = running / kSecond;
    if (FCounted >= reached) return;
    for (; FCounted < reached; ++FCounted) AdvanceOneSecond();
    pnlTime->SetCaption(ElapsedTimeText(FHours, FMinutes, FSeconds));
}

void TfrmMain::TimerTimer(TComponent*) {
    std::int64_t running = RunningTime();
    // Every whole second that has really run is shown, so a late or merged
    // event catches up instead of falling behind.
    std::int64_t target = (running + kEarlyTolerance) / kSecond;
    for (; FCounted < target; ++FCounted) AdvanceOneSecond();
    pnlTime->SetCaption(ElapsedTimeText(FHours, FMinutes, FSeconds));
    Application().SetTitle(Application().Active() ? "Quorva" : InactiveTitle(FHours, FMinutes, FSeconds));
    if (!Timer->Enabled()) return;
    try {
        ArmTimer(running);
    } catch (...) {
        // Re-phasing lost the timer: nothing counts now, so say paused, and
        // Resume asks for a timer again.
        Pause(running);
        throw;
    }
}

void TfrmMain::ArmTimer(std::int64_t running) {
    std::int64_t untilNext = (FCounted + 1) * kSecond - running;
    unsigned interval = kTimerInterval;
    if (untilNext < kSecond - kDriftAllowance || untilNext > kSecond + kDriftAllowance) {
        std::int64_t ms = (untilNext + kMillisecond - 1) / kMillisecond;
        interval = static_cast<unsigned>(ms < 1 ? 1 : ms);
    }
    Timer->SetInterval(interval);
}
