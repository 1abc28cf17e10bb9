// The stopwatch's main window: the five commands, the one-second timer and
// the elapsed-time counter.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bars/dxBarItems.h"
#include "bars/dxBarManager.h"
#include "bars/dxBarToolbar.h"
#include "controls/cxGraphics.h"
#include "forms/ActnList.h"
#include "forms/ExtCtrls.h"
#include "forms/Forms.h"
#include "forms/StdCtrls.h"

class TfrmMain : public forms::TForm {
public:
    // A monotonic clock in 100-nanosecond units that stands still while the
    // system sleeps.
    using Clock = std::function<std::int64_t()>;

    // Creates the window from its stored description and runs FormCreate.
    static std::unique_ptr<TfrmMain> Create(Clock clock = {});
    // From a given description (tests).
    static std::unique_ptr<TfrmMain> Create(const forms::ObjectNode& description, Clock clock = {});

    const char* ClassName() const override { return "TfrmMain"; }

    // Published components.
    forms::TPanel* pnlTime = nullptr;
    forms::TLabel* lblElapsedTime = nullptr;
    forms::TTimer* Timer = nullptr;
    controls::TcxImageList* ImageList = nullptr;
    forms::TActionList* ActionList = nullptr;
    forms::TAction* actExit = nullptr;
    forms::TAction* actStart = nullptr;
    forms::TAction* actPause = nullptr;
    forms::TAction* actStop = nullptr;
    forms::TAction* actAbout = nullptr;
    bars::TdxBarManager* BarManager = nullptr;
    bars::TdxBar* Toolbar = nullptr;
    bars::TdxBarLargeButton* btnExit = nullptr;
    bars::TdxBarLargeButton* btnStart = nullptr;
    bars::TdxBarLargeButton* btnPause = nullptr;
    bars::TdxBarLargeButton* btnStop = nullptr;
    bars::TdxBarLargeButton* btnAbout = nullptr;

    // Handlers.
    void FormCreate(forms::TComponent* sender);
    void FormCloseQuery(forms::TComponent* sender, bool& canClose);
    void FormClose(forms::TComponent* sender, forms::TCloseAction& action);
    void actExitExecute(forms::TComponent* sender);
    void actStartExecute(forms::TComponent* sender);
    void actPauseExecute(forms::TComponent* sender);
    void actStopExecute(forms::TComponent* sender);
    void actAboutExecute(forms::TComponent* sender);
    void TimerTimer(forms::TComponent* sender);

    // What the About command shows; set by the program once that dialog exists.
    std::function<void()> ShowAbout;

    int Seconds() const { return FSeconds; }
    int Minutes() const { return FMinutes; }
    int Hours() const { return FHours; }
    bool Paused() const { return FPaused; }

protected:
    explicit TfrmMain(Clock clock);
    forms::TMethod FindMethod(const std::string& name) override;
    void Loaded() override;

private:
    // One second added with the carries of the display.
    void AdvanceOneSecond();
    std::int64_t Now() const;
    // Running time since Start, in clock units, excluding pauses.
    std::int64_t RunningTime() const;
    // Starts the timer so that its next event falls on the next whole
    // second of running time.
    void ArmTimer(std::int64_t running);
    // Counts and shows the whole seconds of the given running time that
    // the display has not reached yet.
    void ShowReached(std::int64_t running);
    // Stops the count at the given running time and shows it paused.
    void Pause(std::int64_t running);

    int FSeconds = 0;
    int FMinutes = 0;
    int FHours = 0;
    bool FPaused = false;

    Clock FClock;
    std::int64_t FRunStart = 0;     // clock value at which the running time was 0
    std::int64_t FPausedAt = 0;     // running time when paused
    std::int64_t FCounted = 0;      // whole seconds shown so far
};

// Display text: "01 hrs, 02 min, 03 sec" (two digits at least per part).
std::string ElapsedTimeText(int hours, int minutes, int seconds);
// Taskbar title while the application is inactive: "Quorva 1:2:3".
std::string InactiveTitle(int hours, int minutes, int seconds);
