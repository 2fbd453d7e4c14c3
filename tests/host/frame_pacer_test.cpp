// Frame pacing: one frame per tick, late ticks merged rather than made up.
#include "host/frame_pacer.h"

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

}  // namespace
