// Trails: headings, stepping, steering toward targets, refusals and the pool's set-up.
#include "trails/trail.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "trails/random.h"
#include "trails/trail_pool.h"

namespace {

// A trail as the pool sets one up, with the heading given.
void SetUpTrail(Trail* t, int32_t yaw, int32_t pitch, int32_t points = 8) {
    ASSERT_EQ(1, t->AllocPoints(points));
    ASSERT_EQ(1, t->SetUnit(4096));
    ASSERT_EQ(1, t->BuildTables(360));
    t->SetActive(1);
    t->SetYaw(yaw);
    t->SetPitch(pitch);
    t->SetSpeed(2048);
    for (int k = 1; k <= points; ++k) t->SetPoint(k, 0, 0, 409600);
    t->SetTarget(0, 0, 1228800);
}

struct Vec {
    int32_t x, y, z;
    bool operator==(const Vec& o) const { return x == o.x && y == o.y && z == o.z; }
};

Vec VelocityOf(const Trail& t) {
    Vec v{-1, -1, -1};
    EXPECT_EQ(1, t.Velocity(&v.x, &v.y, &v.z));
    return v;
}

Vec PointOf(const Trail& t, int k) {
    Vec p{-1, -1, -1};
    EXPECT_EQ(1, t.GetPoint(k, &p.x, &p.y, &p.z));
    return p;
}

}  // namespace

TEST(Trail, HeadingComesFromYawAndPitch) {
    Trail t;
    SetUpTrail(&t, 0, 0);
    EXPECT_EQ((Vec{2048, 0, 0}), VelocityOf(t));
    t.SetYaw(90);
    EXPECT_EQ((Vec{0, 2048, 0}), VelocityOf(t));
    t.SetPitch(90);
    EXPECT_EQ((Vec{0, 0, 2048}), VelocityOf(t));
    t.SetYaw(30);
    t.SetPitch(45);
    EXPECT_EQ((Vec{1773, 724, 724}), VelocityOf(t));  // the pitch turn starts from truncated w
}

TEST(Trail, AdvanceMovesTheHeadAndShiftsTheChain) {
    Trail t;
    SetUpTrail(&t, 0, 0);
    ASSERT_EQ(1, t.Advance());
    EXPECT_EQ((Vec{2048, 0, 409600}), PointOf(t, 1));
    for (int k = 2; k <= 8; ++k) EXPECT_EQ((Vec{0, 0, 409600}), PointOf(t, k));
    ASSERT_EQ(1, t.Advance());
    EXPECT_EQ((Vec{4096, 0, 409600}), PointOf(t, 1));
    EXPECT_EQ((Vec{2048, 0, 409600}), PointOf(t, 2));
    EXPECT_EQ((Vec{0, 0, 409600}), PointOf(t, 3));

    Trail single;  // a one-point trail moves only its head
    SetUpTrail(&single, 90, 0, 1);
    ASSERT_EQ(1, single.Advance());
    EXPECT_EQ((Vec{0, 2048, 409600}), PointOf(single, 1));
}

TEST(Trail, SteerTurnsBothAnglesTowardTheTarget) {
    Trail t;
    SetUpTrail(&t, 0, 0);
    ASSERT_EQ(1, t.Steer(10));  // target dead ahead: both cross products are 0, both grow
    EXPECT_EQ(10, t.GetYaw());
    EXPECT_EQ(10, t.GetPitch());

    SetUpTrail(&t, 0, 0);
    t.SetTarget(0, 10000, 409600);  // left of the heading in the x-y plane
    ASSERT_EQ(1, t.Steer(10));
    EXPECT_EQ(10, t.GetYaw());
    SetUpTrail(&t, 0, 0);
    t.SetTarget(0, -10000, 409600);
    ASSERT_EQ(1, t.Steer(10));
    EXPECT_EQ(350, t.GetYaw());  // shrinks, wrapping below 0

    SetUpTrail(&t, 355, 0);
    ASSERT_EQ(1, t.Steer(10));
    EXPECT_EQ(5, t.GetYaw());  // grows past the end of the table
    // yaw 3 heads slightly up; a target far below makes the x-y cross product negative.
    SetUpTrail(&t, 3, 0);
    t.SetTarget(100000, -1000000, 409600);
    ASSERT_EQ(1, t.Steer(10));
    EXPECT_EQ(353, t.GetYaw());
}

TEST(Trail, SteeringFollowsWrappedCrossProducts) {
    // Heading +x at 2048 per step and a target 2^20 above: 2048 * 2^20 wraps to INT32_MIN, so
    // the trail turns away from the target, as the animation does once trails stray far.
    Trail t;
    SetUpTrail(&t, 0, 0);
    t.SetTarget(0, 1 << 20, 409600);
    ASSERT_EQ(1, t.Steer(10));
    EXPECT_EQ(350, t.GetYaw());
}

TEST(Trail, RefusalsChangeNothing) {
    Trail t;
    int32_t x = 5, y = 6, z = 7;
    EXPECT_EQ(0, t.GetPoint(1, &x, &y, &z));  // a new trail holds no points
    EXPECT_EQ(0, t.Advance());
    EXPECT_EQ(0, t.AllocPoints(0));

    SetUpTrail(&t, 0, 0);
    EXPECT_EQ(0, t.GetPoint(0, &x, &y, &z));
    EXPECT_EQ(0, t.GetPoint(9, &x, &y, &z));
    EXPECT_EQ(0, t.SetPoint(9, 1, 1, 1));
    EXPECT_EQ(5, x);
    EXPECT_EQ(6, y);
    EXPECT_EQ(7, z);

    // An angle index past the table stops the trail where it is.
    t.SetYaw(360);
    EXPECT_EQ(0, t.Velocity(&x, &y, &z));
    EXPECT_EQ(0, t.Advance());
    EXPECT_EQ(0, t.Steer(10));
    EXPECT_EQ(360, t.GetYaw());
    EXPECT_EQ((Vec{0, 0, 409600}), PointOf(t, 1));
    t.SetYaw(0);
    t.SetPitch(-1);
    EXPECT_EQ(0, t.Advance());

    // An inactive trail does not move.
    SetUpTrail(&t, 0, 0);
    t.SetActive(0);
    EXPECT_EQ(0, t.Advance());
    EXPECT_EQ(0, t.Steer(10));

    // New points free the tables: no movement until they are built again.
    SetUpTrail(&t, 0, 0);
    ASSERT_EQ(1, t.AllocPoints(8));
    EXPECT_EQ(0, t.GetTableSize());
    for (int k = 1; k <= 8; ++k) t.SetPoint(k, 0, 0, 0);
    EXPECT_EQ(0, t.Advance());
    ASSERT_EQ(1, t.BuildTables(360));
    EXPECT_EQ(1, t.Advance());
    EXPECT_EQ(0, t.BuildTables(0));
    EXPECT_EQ(360, t.GetTableSize());

    // A unit below 1 makes the rotation, and so every step, refuse.
    SetUpTrail(&t, 0, 0);
    t.SetUnit(0);
    EXPECT_EQ(0, t.Velocity(&x, &y, &z));
}

TEST(TrailPool, InitTrailsDrawsYawThenPitchPerTrail) {
    RandomGenerator random;
    static Trail pool[MaxTrails];
    InitTrails(pool, 2, random);
    EXPECT_EQ(0, pool[0].GetYaw());
    EXPECT_EQ(202, pool[0].GetPitch());
    EXPECT_EQ(69, pool[1].GetYaw());
    EXPECT_EQ(291, pool[1].GetPitch());
    EXPECT_EQ(8, pool[1].GetPointCount());
    for (int k = 1; k <= 8; ++k) EXPECT_EQ((Vec{0, 0, 409600}), PointOf(pool[1], k));
    Vec target{};
    pool[1].GetTarget(&target.x, &target.y, &target.z);
    EXPECT_EQ((Vec{0, 0, 1228800}), target);
}

TEST(TrailPool, CountsBeyondThePoolSetUpOnlyThePool) {
    RandomGenerator random;
    static Trail pool[MaxTrails];
    InitTrails(pool, 200, random);
    const int afterOversized = random.Rand15();
    random.Reset();
    InitTrails(pool, MaxTrails, random);
    EXPECT_EQ(afterOversized, random.Rand15());  // two draws per pool slot, none more
    EXPECT_EQ(360, pool[MaxTrails - 1].GetTableSize());
    EXPECT_EQ(80u, UsableTrailCount(UINT32_MAX));
    EXPECT_EQ(0u, UsableTrailCount(0));
}
