// Frame pacing: one frame per tick, late ticks merged rather than made up.
#include "hosts/linux/frame_pacer.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t Ms = 1000000;

TEST(FramePacer, FirstFrameIsDueOneTickAfterStart) {
    FramePacer pacer;
    pacer.Start(100 * Ms, 5 * Ms);
    EXPECT_EQ(pacer.WaitTime(100 * Ms), 5 * Ms);
    EXPECT_EQ(pacer.WaitTime(103 * Ms), 2 * Ms);
    EXPECT_EQ(pacer.WaitTime(105 * Ms), 0u);
    EXPECT_EQ(pacer.WaitTime(200 * Ms), 0u);
}

TEST(FramePacer, OnTimeFramesKeepTheTickGrid) {
    FramePacer pacer;
    pacer.Start(0, 5 * Ms);
    pacer.FrameDrawn(6 * Ms);  // a little late: the next is still due at 10 ms
    EXPECT_EQ(pacer.WaitTime(6 * Ms), 4 * Ms);
    pacer.FrameDrawn(10 * Ms);
    EXPECT_EQ(pacer.WaitTime(10 * Ms), 5 * Ms);
}

TEST(FramePacer, ALateFrameGivesOneImmediateFrameNotABurst) {
    FramePacer pacer;
    pacer.Start(0, 5 * Ms);
    pacer.FrameDrawn(50 * Ms);  // nine ticks missed
    EXPECT_EQ(pacer.WaitTime(50 * Ms), 0u);
    pacer.FrameDrawn(51 * Ms);
    EXPECT_EQ(pacer.WaitTime(51 * Ms), 4 * Ms);  // back to one frame per tick
}

// A window that draws only when its window system asks takes the steps due meanwhile, at most
// a few, and then keeps the tick grid.
TEST(FramePacer, TakesTheStepsDueUpToTheMostAndDropsTheRest) {
    struct Row {
        uint64_t now;
        uint32_t most;
        uint32_t steps;
        uint64_t wait;  // afterwards
    };
    const Row rows[] = {
        {4 * Ms, 4, 0, 1 * Ms},   // not yet due
        {5 * Ms, 4, 1, 5 * Ms},   // one, on time
        {22 * Ms, 4, 3, 3 * Ms},  // three fell due at 10, 15 and 20: the grid holds
        {25 * Ms, 0, 0, 0},       // a caller that takes none leaves them due
        {60 * Ms, 4, 4, 0},       // eight were due: four, then one more at once
        {61 * Ms, 4, 1, 4 * Ms},  // and the grid again
        {100 * Ms, 1, 1, 0},      // one at most: a late step is merged, as FrameDrawn does
        {101 * Ms, 1, 1, 4 * Ms},
    };
    FramePacer pacer;
    pacer.Start(0, 5 * Ms);
    for (const Row& row : rows) {
        EXPECT_EQ(pacer.TakeSteps(row.now, row.most), row.steps) << row.now / Ms;
        EXPECT_EQ(pacer.WaitTime(row.now), row.wait) << row.now / Ms;
    }
}

}  // namespace
