// The stopwatch under a long run: timer events, pointer cycles over the
// toolbar and openings of its dialogs, with the live handles, the private
// memory and the time taken. Counts on the command line:
//   longrun_bench [timer events] [pointer cycles] [openings of each dialog]
// Ends with 1 when a handle stayed behind or a step did not take.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bars/dxBarRegistry.h"
#include "components/Startup.h"
#include "controls/Startup.h"
#include "forms/Forms.h"
#include "tests/app/LongRun.h"

namespace {

// The caches the program keeps for its whole life go with the process's
// static objects; this runs after them, as the last word on handles.
void PrintHandlesAtExit() {
    const forms::HandleCount live = forms::LiveHandles();
    std::printf("handles (GDI/USER) at exit: %ld/%ld\n", live.gdi, live.user);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::atexit(PrintHandlesAtExit);
    longrun::Counts counts{100000, 10000, 1000};
    if (argc > 1) counts.timerEvents = std::atoi(argv[1]);
    if (argc > 2) counts.pointerCycles = std::atoi(argv[2]);
    if (argc > 3) counts.openings = std::atoi(argv[3]);
    forms::InitializeForms();
    controls::InitializeControls();
    components::InitializeComponents();
    bars::InitializeBars();
    forms::Application().SetTitle("Quorva");
    const forms::HandleCount beforeWindows = forms::LiveHandles();
    longrun::Figures f;
    {
        longrun::Run run;
        f = run.Go(counts);
    }
    const forms::HandleCount afterWindows = forms::LiveHandles();
    std::printf("counts: %d timer events, %d pointer cycles, %d openings of each dialog\n", counts.timerEvents,
                counts.pointerCycles, counts.openings);
    std::printf("taken:  %d seconds shown, %d pauses toggled, %d tooltips, %d About, %d toolbars menus, %d Customize\n",
                f.secondsShown, f.pauseToggles, f.tooltipsShown, f.aboutShown, f.toolbarsMenuShown, f.customizeShown);
    std::printf("handles (GDI/USER): start %ld/%ld, after warm-up %ld/%ld, end %ld/%ld\n", f.atStart.gdi,
                f.atStart.user, f.afterWarmUp.gdi, f.afterWarmUp.user, f.atEnd.gdi, f.atEnd.user);
    std::printf("handles (GDI/USER) once the windows are gone: %ld/%ld, before they were made %ld/%ld\n",
                afterWindows.gdi, afterWindows.user, beforeWindows.gdi, beforeWindows.user);
    std::printf("private memory: after warm-up %llu KB, end %llu KB (%+lld KB)\n",
                static_cast<unsigned long long>(f.memoryAfterWarmUp / 1024),
                static_cast<unsigned long long>(f.memoryAtEnd / 1024),
                static_cast<long long>(f.memoryAtEnd / 1024) - static_cast<long long>(f.memoryAfterWarmUp / 1024));
    std::printf("time: %.1f s\n", f.seconds);
    std::fflush(stdout);
    controls::FinalizeControls();
    const bool sound = f.atEnd.gdi == f.afterWarmUp.gdi && f.atEnd.user == f.afterWarmUp.user &&
                       f.secondsShown == counts.timerEvents && f.pauseToggles == counts.pointerCycles &&
                       f.aboutShown == counts.openings && f.toolbarsMenuShown == counts.openings &&
                       f.customizeShown == counts.openings;
    return sound ? 0 : 1;
}
