#include "tests/app/LongRun.h"

#include <gtest/gtest.h>

namespace {

// The long run, short: the same steps, fewer of each. Every step took
// (the input arrived, the dialogs opened), and what the warm-up left in
// place is all that is left at the end.
TEST(LongRun, LeavesNoHandleAndNoMemoryBehind) {
    const longrun::Counts counts{3000, 20, 20};
    longrun::Figures f;
    {
        longrun::Run run;
        f = run.Go(counts);
    }
    EXPECT_EQ(f.secondsShown, counts.timerEvents);
    EXPECT_EQ(f.pauseToggles, counts.pointerCycles);
    EXPECT_EQ(f.tooltipsShown, counts.pointerCycles);
    EXPECT_EQ(f.aboutShown, counts.openings);
    EXPECT_EQ(f.toolbarsMenuShown, counts.openings);
    EXPECT_EQ(f.customizeShown, counts.openings);
    EXPECT_EQ(f.atEnd.gdi, f.afterWarmUp.gdi);
    EXPECT_EQ(f.atEnd.user, f.afterWarmUp.user);
    ASSERT_GT(f.memoryAfterWarmUp, 0u);
    // The heap may keep a few pages more from one moment to the next;
    // a leak per step would show as far more.
    EXPECT_LE(f.memoryAtEnd, f.memoryAfterWarmUp + 512 * 1024)
        << "after the warm-up " << f.memoryAfterWarmUp << " bytes, at the end " << f.memoryAtEnd;
}

}  // namespace
