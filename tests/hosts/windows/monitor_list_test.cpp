// Reading the fake monitors a test lays out: good lists in order, anything else refused whole.
#include "hosts/windows/monitor_list.h"

#include <gtest/gtest.h>

namespace {

TEST(MonitorListTest, ReadsRectanglesInOrderWithSignsAndRefusesAnythingElseWhole) {
    MonitorRect monitors[4] = {};
    ASSERT_EQ(ParseMonitorList("0,0,800,600;-1280,+100,0,1124", monitors, 4), 2);
    EXPECT_EQ(monitors[0].right, 800);
    EXPECT_EQ(monitors[0].bottom, 600);
    EXPECT_EQ(monitors[1].left, -1280);
    EXPECT_EQ(monitors[1].top, 100);
    EXPECT_EQ(monitors[1].bottom, 1124);

    const MonitorRect untouched = {7, 7, 7, 7};
    for (const char* bad :
         {"", "0,0,800", "0,0,800,600;", "0,0,800,600;;1,1,2,2", "0,0,800,600 ", "0,0,0,600",
          "10,0,5,600", "0,0,800,2147483648", "0,0,800,x", "a", "0;0;800;600"}) {
        monitors[0] = untouched;
        EXPECT_EQ(ParseMonitorList(bad, monitors, 4), 0) << bad;
        EXPECT_EQ(monitors[0].left, 7) << bad;
    }
    EXPECT_EQ(ParseMonitorList(nullptr, monitors, 4), 0);
    // More rectangles than there is room for: none are taken.
    EXPECT_EQ(ParseMonitorList("0,0,1,1;1,0,2,1;2,0,3,1", monitors, 2), 0);
    EXPECT_EQ(monitors[0].left, 7);
}

}  // namespace
