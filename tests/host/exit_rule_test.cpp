// The full-screen exit rule: which keys, buttons and pointer motions end the saver.
#include "host/exit_rule.h"

#include <gtest/gtest.h>

namespace {

// Six motion events that cannot end the saver, whatever their positions.
void SpendIgnoredMotions(FullScreenExitRule* rule) {
    for (int i = 0; i < 6; ++i) ASSERT_EQ(rule->OnMotion(1000 + 97 * i, 900 - 71 * i), 0);
}

TEST(FullScreenExitRule, AnyKeyEnds) {
    FullScreenExitRule rule;
    rule.Start(10, 10);
    EXPECT_EQ(rule.OnKeyDown(), 1);
}

TEST(FullScreenExitRule, LeftAndRightButtonsEndMiddleAndOthersDoNot) {
    FullScreenExitRule rule;
    rule.Start(10, 10);
    EXPECT_EQ(rule.OnButtonDown(PointerButton::Left), 1);
    EXPECT_EQ(rule.OnButtonDown(PointerButton::Right), 1);
    EXPECT_EQ(rule.OnButtonDown(PointerButton::Middle), 0);
    EXPECT_EQ(rule.OnButtonDown(PointerButton::Other), 0);
}

TEST(FullScreenExitRule, FirstSixMotionsNeverEnd) {
    FullScreenExitRule rule;
    rule.Start(500, 400);
    SpendIgnoredMotions(&rule);
    EXPECT_EQ(rule.GetMotionCount(), 6);
    EXPECT_EQ(rule.OnMotion(504, 404), 1);  // the seventh does
}

TEST(FullScreenExitRule, ThreePixelsCountAsStillFourAsMoved) {
    FullScreenExitRule rule;
    rule.Start(500, 400);
    SpendIgnoredMotions(&rule);
    EXPECT_EQ(rule.OnMotion(503, 403), 0);
    EXPECT_EQ(rule.OnMotion(497, 397), 0);
    EXPECT_EQ(rule.OnMotion(504, 403), 0);
    EXPECT_EQ(rule.OnMotion(503, 404), 0);
    EXPECT_EQ(rule.OnMotion(496, 396), 1);
}

TEST(FullScreenExitRule, MovementAlongOneAxisNeverEnds) {
    FullScreenExitRule rule;
    rule.Start(500, 400);
    SpendIgnoredMotions(&rule);
    for (int x = 0; x < 4000; x += 7) ASSERT_EQ(rule.OnMotion(x, 400), 0) << x;
    for (int y = 0; y < 3000; y += 5) ASSERT_EQ(rule.OnMotion(502, y), 0) << y;
}

TEST(FullScreenExitRule, StartRestartsTheCountAndTheSavedPosition) {
    FullScreenExitRule rule;
    rule.Start(500, 400);
    SpendIgnoredMotions(&rule);
    rule.Start(100, 100);
    EXPECT_EQ(rule.GetMotionCount(), 0);
    SpendIgnoredMotions(&rule);
    EXPECT_EQ(rule.OnMotion(500, 400), 1);  // far from the new position
    EXPECT_EQ(rule.OnMotion(102, 98), 0);   // near it
}

TEST(FullScreenExitRule, MotionCountWrapsAfter65535) {
    FullScreenExitRule rule;
    rule.Start(0, 0);
    for (int i = 0; i < 65535; ++i) rule.OnMotion(0, 0);
    EXPECT_EQ(rule.GetMotionCount(), 65535);
    // The 65536th event takes the counter to 0, so six events are ignored again.
    EXPECT_EQ(rule.OnMotion(50, 50), 0);
    EXPECT_EQ(rule.GetMotionCount(), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rule.OnMotion(50, 50), 0);
    EXPECT_EQ(rule.OnMotion(50, 50), 1);
}

TEST(FullScreenExitRule, SignedPositionsCompareAsTheyAreDistancesAsSigned16Bit) {
    struct Case {
        int32_t startX, startY, x, y;
        int ends;
    };
    // Left of and above the primary monitor positions are negative; moving there from a start on
    // either side of 0 ends the saver whichever way it goes.
    const Case cases[] = {
        {-300, 200, -400, 100, 1},  // up-left on the left monitor
        {-300, 200, -200, 300, 1},  // down-right on it
        {100, 200, -200, 100, 1},   // from the primary onto the left monitor
        {300, -200, 200, -300, 1},  // up-left on the upper monitor
        {-300, -200, -303, -197, 0},
        {-300, 200, -900, 200, 0},  // one axis only
        // A distance's low 16 bits count: 65538 reads as 2, 40000 as -25536, both not more than 3.
        {0, 0, 65538, 100, 0},
        {0, 0, 40000, 100, 0},
        {0, 0, 30000, 100, 1},
    };
    for (const Case& c : cases) {
        FullScreenExitRule rule;
        rule.Start(c.startX, c.startY);
        SpendIgnoredMotions(&rule);
        EXPECT_EQ(rule.OnMotion(c.x, c.y), c.ends)
            << c.startX << "," << c.startY << " to " << c.x << "," << c.y;
    }
}

}  // namespace
