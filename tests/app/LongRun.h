// A long run of the stopwatch as a user would give it: timer events with
// a clock the run moves, pointer cycles over the toolbar through the
// system's input queue, and openings of the About dialog, the toolbars
// menu and the Customize dialog. It reads the live handles and the
// process's private memory before, after a warm-up and at the end. The
// tests run it short; bench/longrun_bench runs it long.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <memory>

#include "app/About.h"
#include "app/Main.h"
#include "bars/dxBarControl.h"
#include "bars/dxBarCustForm.h"
#include "bars/dxBarDesignController.h"
#include "bars/dxBarHint.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarSubMenuControl.h"
#include "forms/Forms.h"
#include "forms/Handles.h"
#include "tests/common/TestSupport.h"

namespace longrun {

struct Counts {
    int timerEvents = 0;
    int pointerCycles = 0;
    int openings = 0;  // of each of the three
};

struct Figures {
    forms::HandleCount atStart, afterWarmUp, atEnd;
    std::uint64_t memoryAfterWarmUp = 0, memoryAtEnd = 0;  // private bytes
    double seconds = 0;                                    // of the counted run
    int secondsShown = 0;       // by the panel after the timer events
    int pauseToggles = 0;       // clicks on Pause that the command took
    int tooltipsShown = 0;
    int aboutShown = 0, toolbarsMenuShown = 0, customizeShown = 0;
};

inline std::uint64_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters))
        return 0;
    // Some systems leave PrivateUsage empty; PagefileUsage counts the same.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

class Run {
public:
    Run() {
        forms::Application().SetActive(true);
        FMain = TfrmMain::Create([this] { return FNow; });
        FAbout = TfrmAbout::Create();
        FMain->ShowAbout = [this] {
            ++FFigures.aboutShown;
            FAbout->ShowModal();
        };
        FMain->SetBounds(100, 80, FMain->Width(), FMain->Height());
        FMain->Show();
        ::SetForegroundWindow(FMain->Handle());
        ::SetFocus(FMain->Handle());
        forms::Application().ProcessMessages();
        Key(VK_F2, false);  // Start
    }
    ~Run() {
        ::KillTimer(nullptr, FCloser);
        Current() = nullptr;
        if (FMain->Timer->Enabled()) Key(VK_F3, false);  // paused: closing asks nothing
        FAbout.reset();
        FMain.reset();
        forms::Application().ProcessMessages();
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // A tenth of the counts as a warm-up, then the counts themselves.
    Figures Go(const Counts& counts) {
        FFigures.atStart = forms::LiveHandles();
        Round({counts.timerEvents / 10 + 1, counts.pointerCycles / 10 + 1, counts.openings / 10 + 1});
        const forms::HandleCount atStart = FFigures.atStart;
        FFigures = Figures{};
        FFigures.atStart = atStart;
        FFigures.afterWarmUp = forms::LiveHandles();
        FFigures.memoryAfterWarmUp = PrivateBytes();
        LARGE_INTEGER from, to, frequency;
        ::QueryPerformanceCounter(&from);
        Round(counts);
        ::QueryPerformanceCounter(&to);
        ::QueryPerformanceFrequency(&frequency);
        FFigures.seconds = double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
        FFigures.atEnd = forms::LiveHandles();
        FFigures.memoryAtEnd = PrivateBytes();
        return FFigures;
    }

private:
    static Run*& Current() {
        static Run* current = nullptr;
        return current;
    }

    // Ends the About dialog from inside its modal loop once it shows.
    static void CALLBACK CloseAbout(HWND, UINT, UINT_PTR, DWORD) {
        Run* run = Current();
        if (run && run->FAbout->Visible()) run->FAbout->SetModalResult(forms::mrOk);
    }

    void Key(WORD key, bool alt) {
        ::PostMessageA(FMain->Handle(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) | 1 : 1);
        forms::Application().ProcessMessages();
    }

    std::int64_t Shown() const { return FMain->Seconds() + 60LL * FMain->Minutes() + 3600LL * FMain->Hours(); }

    void Round(const Counts& counts) {
        if (FMain->Paused()) Key(VK_F3, false);  // an odd number of Pause clicks left it paused
        const std::int64_t first = Shown();
        for (int i = 0; i < counts.timerEvents; ++i) {
            FNow += 10'000'000;  // one second
            ::PostMessageA(FMain->Timer->WindowHandle(), WM_TIMER, 1, 0);
            forms::Application().ProcessMessages();
        }
        FFigures.secondsShown = static_cast<int>(Shown() - first);
        for (int i = 0; i < counts.pointerCycles; ++i) PointerCycle();
        Current() = this;
        FCloser = ::SetTimer(nullptr, 0, 10, CloseAbout);
        for (int i = 0; i < counts.openings; ++i) {
            Key('A', true);
            OpenToolbarsMenu();
            OpenCustomize();
        }
        ::KillTimer(nullptr, FCloser);
        FCloser = 0;
        Current() = nullptr;
    }

    // Hover over Pause until its tooltip shows, press, release (the
    // command pauses or resumes), and leave for the time panel.
    void PointerCycle() {
        bars::TdxBarControl& bar = *FMain->Toolbar->Control();
        const RECT& r = FMain->btnPause->Links()[0]->ItemRect();
        POINT over = testsupport::Middle(r);
        ::ClientToScreen(bar.Handle(), &over);
        POINT off{FMain->pnlTime->Width() / 2, FMain->pnlTime->Height() / 2};
        ::ClientToScreen(FMain->pnlTime->Handle(), &off);
        const bool paused = FMain->Paused();
        testsupport::PointerAt(over);
        if (bars::TdxBarHintWindow* tooltip = bars::TooltipWindow()) {
            ::PostMessageA(tooltip->Handle(), WM_TIMER, bars::TdxBarHintWindow::ShowTimer, 0);
            forms::Application().ProcessMessages();
            if (tooltip->Showing()) ++FFigures.tooltipsShown;
        }
        testsupport::PointerAt(over, MOUSEEVENTF_LEFTDOWN);
        testsupport::PointerAt(over, MOUSEEVENTF_LEFTUP);
        testsupport::PointerAt(off);
        ::PostMessageA(bar.Handle(), WM_TIMER, bars::TdxBarControl::kPointerWatchTimer, 0);
        forms::Application().ProcessMessages();
        if (FMain->Paused() != paused) ++FFigures.pauseToggles;
    }

    void OpenToolbarsMenu() {
        bars::TdxBarDesignController& controller = bars::TdxBarDesignController::Instance();
        controller.PopupToolbarsMenu(*FMain->BarManager, FMain->BarManager->Painter());
        forms::Application().ProcessMessages();
        bars::TdxBarToolbarsPopup* menu = controller.ToolbarsPopup();
        if (!menu || !menu->Showing()) return;
        ++FFigures.toolbarsMenuShown;
        menu->CloseUp();
        forms::Application().ProcessMessages();
    }

    void OpenCustomize() {
        FMain->BarManager->SetCustomizeMode(true);
        forms::Application().ProcessMessages();
        auto* dialog = dynamic_cast<bars::TdxBarCustomizationForm*>(bars::TdxBarCustomCustomizationForm::Instance());
        if (!dialog) return;
        if (dialog->Visible()) ++FFigures.customizeShown;
        dialog->BClose->Click();
        testsupport::PumpUntil([] { return bars::TdxBarCustomCustomizationForm::Instance() == nullptr; }, 2000);
    }

    std::int64_t FNow = 5'000'000'000;
    std::unique_ptr<TfrmMain> FMain;
    std::unique_ptr<TfrmAbout> FAbout;
    UINT_PTR FCloser = 0;
    Figures FFigures;
};

}  // namespace longrun
