// What the main window's painting costs against plain block copies of the
// same areas: a hot-tracking repaint of one toolbar button, a repaint of
// the whole toolbar and one second of the running stopwatch. Then many
// paints in a row, to show that no handle and no memory stays behind.
// First, that an idle stopwatch is woken by nothing at all.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Main.h"
#include "bars/dxBarControl.h"
#include "bars/dxBarItemLinks.h"
#include "bars/dxBarRegistry.h"
#include "bars/dxBarToolbar.h"
#include "bench/Timing.h"
#include "controls/Startup.h"
#include "forms/Forms.h"
#include "forms/Handles.h"

using bench::PerCall;

namespace {

// One block copy of a window's client rectangle from an off-screen bitmap:
// the least a repaint of that area can cost.
double BlitCost(HWND window, const RECT& r, int calls) {
    forms::WindowDC target(window);
    forms::TOffscreenBitmap source;
    source.SetSize(r.right - r.left, r.bottom - r.top);
    return PerCall(calls, [&](int) {
        ::BitBlt(target.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, source.DC(), 0, 0, SRCCOPY);
    });
}

// What a window's paint of a rectangle costs: the paint handler's work,
// off-screen and then onto the window, without the window manager's round.
double PaintCost(forms::TWinControl& control, const RECT& r, int calls) {
    forms::WindowDC target(control.Handle());
    return PerCall(calls, [&](int) { control.PaintHandler(target.Get(), r); });
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void Report(const char* what, double cost, double blit, double target) {
    std::printf("%-44s %8.1f us  blit %6.1f us  %5.2fx (target at most %.0fx)\n", what, cost * 1e6, blit * 1e6,
                cost / blit, target);
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 500;
    const int longRun = argc > 2 ? std::atoi(argv[2]) : 100000;
    forms::InitializeForms();
    controls::InitializeControls();
    bars::InitializeBars();
    forms::Application().SetTitle("Quorva");
    {
        // The stopwatch's clock moves only when the benchmark moves it.
        std::int64_t now = 0;
        std::unique_ptr<TfrmMain> form = TfrmMain::Create([&now] { return now; });
        form->Show();
        Pump();
        // Idle: stopped, the pointer away from the toolbar, off the window
        // or resting on the time. Nothing should wake the program, no timer
        // and no message.
        auto idle = [&](const char* where, POINT at) {
            ::SetCursorPos(at.x, at.y);
            const DWORD settle = ::GetTickCount();
            while (::GetTickCount() - settle < 500) {
                Pump();
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            }
            Pump();
            int wakeUps = 0, messages = 0;
            const DWORD start = ::GetTickCount();
            for (DWORD elapsed = 0; elapsed < 2000; elapsed = ::GetTickCount() - start) {
                if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2000 - elapsed, QS_ALLINPUT) != WAIT_OBJECT_0) break;
                ++wakeUps;
                MSG msg;
                while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    ++messages;
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
            std::printf("idle for 2 s, stopped, pointer %s: %d wake-ups, %d messages (target 0)\n", where, wakeUps,
                        messages);
        };
        RECT window;
        ::GetWindowRect(form->Handle(), &window);
        idle("away", {window.right + 200, window.bottom + 200});
        POINT label{form->lblElapsedTime->Left() + 2, form->lblElapsedTime->Top() + 2};
        ::ClientToScreen(form->pnlTime->Handle(), &label);
        idle("on the time panel's label", label);
        bars::TdxBarControl& bar = *form->Toolbar->Control();
        const HWND barWindow = bar.Handle();
        const RECT button = form->Toolbar->ItemLinks().Items(4)->ItemRect();
        RECT barRect, panelRect;
        ::GetClientRect(barWindow, &barRect);
        ::GetClientRect(form->pnlTime->Handle(), &panelRect);

        // Hot tracking: the pointer on the About button. The toolbar keeps
        // the picture of its last paint and of each look a button has
        // shown: a repaint of an uncovered button is a copy, and a change
        // of look copies the kept picture of the new look in. The change
        // itself (marking and validating) is left out: only the paints are
        // timed, the best of several rounds.
        ::SendMessageA(barWindow, WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 5, button.top + 5));
        bar.Update();
        bars::TdxBarItemControl& about = bar.Controls(4);
        const double buttonBlit = BlitCost(barWindow, button, calls);
        Report("repaint of one uncovered button", PaintCost(bar, button, calls), buttonBlit, 3);
        forms::WindowDC barDC(barWindow);
        auto flip = [&](int i) {
            about.ShownPressed = (i & 1) != 0;
            about.InvalidateState();
        };
        double changed = 1e9;
        for (int round = 0; round < 7; ++round) {
            double spent = 0;
            for (int i = 0; i < calls; ++i) {
                flip(i);
                LARGE_INTEGER from, to;
                ::QueryPerformanceCounter(&from);
                bar.PaintHandler(barDC.Get(), button);
                ::GdiFlush();
                ::QueryPerformanceCounter(&to);
                spent += bench::Seconds(from, to);
                ::ValidateRect(barWindow, nullptr);
            }
            changed = std::min(changed, spent / calls);
        }
        about.ShownPressed = false;
        about.InvalidateState();
        Report("hot-tracking repaint of one button", changed, buttonBlit, 3);
        const double hot = PerCall(calls, [&](int i) {
            flip(i);
            bar.Update();
        });
        Report("  with invalidation and WM_PAINT", hot, buttonBlit, 3);

        const double barBlit = BlitCost(barWindow, barRect, calls);
        Report("repaint of the whole toolbar", PaintCost(bar, barRect, calls), barBlit, 3);
        const double whole = PerCall(calls, [&](int) {
            bar.Invalidate();
            bar.Update();
        });
        Report("  drawn afresh, with invalidation and WM_PAINT", whole, barBlit, 3);

        // One second of the running stopwatch: the counter advances, the
        // texts change, and the time panel draws the time's line at once,
        // leaving nothing for a later paint. The panel's window text, which
        // other programs read, is a round trip to Wine's server; it is
        // shown apart.
        form->actStart->Execute();
        Pump();
        const HWND panel = form->pnlTime->Handle();
        const double panelBlit = BlitCost(panel, panelRect, calls);
        const double second = PerCall(calls, [&](int) {
            now += 10'000'000;
            form->TimerTimer(form->Timer);
        });
        Report("one second of the running stopwatch", second, panelBlit, 2);
        if (::GetUpdateRect(panel, nullptr, FALSE)) std::printf("  (the time panel still waits for a paint)\n");
        const double windowText = PerCall(calls, [&](int i) { form->pnlTime->SetWindowCaption(i & 1 ? "1" : "2"); });
        Report("  of which the panel's window text", windowText, panelBlit, 2);
        // The same second as the message loop runs it: the timer's message
        // taken and handed on, and the drawn line carried to the display by
        // the next call into Wine's server, which a plain copy above never
        // pays. Against it, the least any program does to show the panel on
        // a message: take the message, hand it on, copy the panel's pixels
        // and carry them to the display.
        {
            const HWND timerWindow = form->Timer->WindowHandle();
            forms::WindowDC target(panel);
            forms::TOffscreenBitmap source;
            source.SetSize(panelRect.right - panelRect.left, panelRect.bottom - panelRect.top);
            MSG msg;
            auto round = [&](UINT message, auto&& work) {
                ::PostMessageA(timerWindow, message, 1, 0);
                ::GetMessageA(&msg, nullptr, 0, 0);
                ::DispatchMessageA(&msg);
                work();
                ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
            };
            const double shown = PerCall(calls, [&](int) {
                round(WM_NULL, [&] {
                    ::BitBlt(target.Get(), panelRect.left, panelRect.top, panelRect.right - panelRect.left,
                             panelRect.bottom - panelRect.top, source.DC(), 0, 0, SRCCOPY);
                });
            });
            const double looped = PerCall(calls, [&](int) {
                now += 10'000'000;
                round(WM_TIMER, [] {});
            });
            std::printf("%-44s %8.1f us  copy  %6.1f us  %5.2fx (shown on a message, as the loop runs it)\n",
                        "  the second as the message loop runs it", looped * 1e6, shown * 1e6, looped / shown);
        }

        // Many paints: hot tracking across all five buttons, and the
        // stopwatch's seconds, with handles and memory read before and after.
        auto paint = [&](int i) {
            const RECT r = form->Toolbar->ItemLinks().Items(i % 5)->ItemRect();
            ::SendMessageA(barWindow, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, r.top + 5));
            bar.Update();
            now += 10'000'000;
            form->TimerTimer(form->Timer);
            form->pnlTime->Update();
        };
        for (int i = 0; i < 1000; ++i) paint(i);
        Pump();
        const forms::HandleCount before = forms::LiveHandles();
        const SIZE_T memoryBefore = WorkingSet();
        for (int i = 0; i < longRun; ++i) paint(i);
        Pump();
        const forms::HandleCount after = forms::LiveHandles();
        const SIZE_T memoryAfter = WorkingSet();
        std::printf("%d paints: live GDI handles %ld -> %ld, USER %ld -> %ld, private memory %lu KiB -> %lu KiB\n",
                    longRun, before.gdi, after.gdi, before.user, after.user,
                    static_cast<unsigned long>(memoryBefore / 1024), static_cast<unsigned long>(memoryAfter / 1024));
        form->Timer->SetEnabled(false);
    }
    controls::FinalizeControls();
    return 0;
}
