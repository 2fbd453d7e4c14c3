// The numeric toolkit: the fixed random sequence, rounding, direction tables, cross products
// and rotations, including the 32-bit wrap the animation depends on.
#include "trails/fixed_point.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "trails/direction_tables.h"
#include "trails/random.h"

TEST(Random, ProducesTheFixedSequenceFromTheStartState) {
    RandomGenerator random;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) EXPECT_EQ(value, random.Rand15());
    random.Reset();
    EXPECT_EQ(41.0 / 32768.0, random.Random01());
    EXPECT_EQ(18467.0 / 32768.0, random.Random01());
    // The largest value a draw can give stays below 1.
    EXPECT_LT(32767 * (1.0 / 32768.0), 1.0);
}

TEST(FixedPoint, RoundsHalfAwayFromZero) {
    EXPECT_EQ(3.0, RoundHalfAway(2.5));
    EXPECT_EQ(-3.0, RoundHalfAway(-2.5));
    EXPECT_EQ(2.0, RoundHalfAway(2.4999));
    EXPECT_EQ(0.0, RoundHalfAway(-0.4));
    EXPECT_EQ(0.0, RoundHalfAway(0.0));
    EXPECT_EQ(4096.0, RoundHalfAway(4095.5));
}

TEST(FixedPoint, CrossProductSignsAndWraps) {
    EXPECT_EQ(20480000, Cross2D(0, 0, 2048, 0, 0, 10000));
    EXPECT_EQ(-20480000, Cross2D(0, 0, 2048, 0, 0, -10000));
    EXPECT_EQ(0, Cross2D(5, 5, 10, 10, 20, 20));
    // 2048 * 2^20 = 2^31 wraps to INT32_MIN: the steering of far-strayed trails follows this sign.
    EXPECT_EQ(INT32_MIN, Cross2D(0, 0, 2048, 0, 0, 1 << 20));
    EXPECT_EQ(0, Cross2D(0, 0, 4096, 0, 0, 1 << 20));
}

TEST(FixedPoint, RotationTruncatesWrapsAndRefusesBadScales) {
    int32_t x = 0, y = 0;
    EXPECT_EQ(1, RotateFixed(0, 0, 2048, 0, 3547, 2048, 4096, &x, &y));
    EXPECT_EQ(1773, x);  // 1773.5 truncates
    EXPECT_EQ(1024, y);
    EXPECT_EQ(1, RotateFixed(0, 0, -2048, 0, 3547, 2048, 4096, &x, &y));
    EXPECT_EQ(-1773, x);  // toward zero, not down
    EXPECT_EQ(1, RotateFixed(100, 200, 100 + 4096, 200, 0, 4096, 4096, &x, &y));
    EXPECT_EQ(100, x);
    EXPECT_EQ(200 + 4096, y);
    // 2^20 * 4096 = 2^32 wraps to 0 before the division.
    EXPECT_EQ(1, RotateFixed(0, 0, 1 << 20, 0, 4096, 0, 4096, &x, &y));
    EXPECT_EQ(0, x);

    x = 11;
    y = 22;
    EXPECT_EQ(0, RotateFixed(0, 0, 5, 5, 1, 1, 0, &x, &y));
    EXPECT_EQ(0, RotateFixed(0, 0, 5, 5, 1, 1, -4096, &x, &y));
    EXPECT_EQ(11, x);
    EXPECT_EQ(22, y);
}

TEST(DirectionTables, HoldRoundedSinesAndCosinesPerDegree) {
    std::vector<int32_t> sines(360), cosines(360);
    ASSERT_EQ(1, BuildDirectionTables(sines.data(), cosines.data(), 360, 4096.0));
    const struct {
        int index, sine, cosine;
    } rows[] = {{0, 0, 4096},     {1, 71, 4095},      {30, 2048, 3547}, {45, 2896, 2896},
                {60, 3547, 2048}, {90, 4096, 0},      {91, 4095, -71},  {135, 2896, -2896},
                {180, 0, -4096},  {190, -711, -4034}, {270, -4096, 0},  {359, -71, 4095}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.sine, sines[row.index]) << row.index;
        EXPECT_EQ(row.cosine, cosines[row.index]) << row.index;
    }
    for (int j = 0; j < 360; ++j) EXPECT_EQ(sines[j], cosines[(j + 270) % 360]) << j;
}

TEST(DirectionTables, RefuseMissingOrEmptyTablesWithoutWriting) {
    std::vector<int32_t> sines(4, 7), cosines(4, 7);
    EXPECT_EQ(0, FillTrigTable(sines.data(), 0, 4096.0, TrigSine));
    EXPECT_EQ(0, FillTrigTable(nullptr, 4, 4096.0, TrigSine));
    EXPECT_EQ(0, FillCosineTable(cosines.data(), -1, 4096.0));
    EXPECT_EQ(std::vector<int32_t>(4, 7), sines);
    // When the sine table fails the cosine table is not filled.
    EXPECT_EQ(0, BuildDirectionTables(nullptr, cosines.data(), 4, 4096.0));
    EXPECT_EQ(std::vector<int32_t>(4, 7), cosines);
    // Four entries: the angle steps by 90 degrees.
    ASSERT_EQ(1, FillSineTable(sines.data(), 4, 100.0));
    EXPECT_EQ((std::vector<int32_t>{0, 100, 0, -100}), sines);
}
