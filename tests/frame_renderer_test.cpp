// The frame renderer: colours, projection, sizes, draw order of the random sequence, the two
// platform seams, and golden hashes that pin the whole deterministic animation.
#include "trails/frame_renderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "surface/pixel_hash.h"
#include "surface/raster_surface.h"
#include "trails/color_scheme.h"
#include "trails/frame_seams.h"
#include "trails/random.h"
#include "trails/saver_settings.h"
#include "trails/trail_pool.h"

namespace {

struct Rgb {
    int32_t red, green, blue;
    bool operator==(const Rgb& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};

Rgb Scheme(int32_t mode, uint32_t trail = 0) {
    Rgb c{-1, -1, -1};
    SchemeColor(mode, &c.red, &c.green, &c.blue, trail);
    return c;
}

uint32_t fakeNow = 0;
uint32_t FakeClock() {
    return fakeNow;
}
uint32_t TickingClock() {
    return fakeNow++;
}

struct CopiedFrame {
    int calls = 0;
    BitmapInfoHeader header{};
    const uint8_t* bits = nullptr;
};

void RecordCopy(void* target, const BitmapInfoHeader& header, const uint8_t* bits) {
    auto* copied = static_cast<CopiedFrame*>(target);
    ++copied->calls;
    copied->header = header;
    copied->bits = bits;
}

// A fresh process, as far as the animation can tell, with a window of the given size.
class FrameTest : public ::testing::Test {
  protected:
    void StartSaver(int16_t width, int16_t height, uint32_t count, int32_t color) {
        ResetRandom();
        WindowWidth = width;
        WindowHeight = height;
        TrailCount = count;
        ColorMode = color;
        ASSERT_EQ(1, FrameSurface.Create(width, height, 24));
        InitTrails(count);
    }
    void TearDown() override {
        FrameSurface.Destroy();
        SetMillisecondClock(nullptr);
        SetFrameCopy(nullptr);
        ResetRandom();
    }
    static std::vector<uint8_t> Pixels(const RasterSurface& s) {
        return std::vector<uint8_t>(
            s.GetBits(), s.GetBits() + static_cast<size_t>(s.GetHeight()) * s.GetStride());
    }
};

}  // namespace

TEST(ColorScheme, FixedSchemesAreTheirBaseColourDoubled) {
    EXPECT_EQ((Rgb{40, 20, 4}), Scheme(1));
    EXPECT_EQ((Rgb{4, 40, 16}), Scheme(2));
    EXPECT_EQ((Rgb{4, 16, 40}), Scheme(3));
    EXPECT_EQ((Rgb{30, 16, 30}), Scheme(4));
    EXPECT_EQ((Rgb{16, 30, 30}), Scheme(5));
    EXPECT_EQ((Rgb{30, 30, 16}), Scheme(6));
    EXPECT_EQ((Rgb{20, 20, 20}), Scheme(7));
    // Stored values outside the nine draw as the first, whatever the outputs held.
    EXPECT_EQ((Rgb{40, 20, 4}), Scheme(0));
    EXPECT_EQ((Rgb{40, 20, 4}), Scheme(12));
    EXPECT_EQ((Rgb{40, 20, 4}), Scheme(INT32_MIN));
}

TEST(ColorScheme, PerTrailSchemeCyclesThroughSevenAtFourTimesBase) {
    EXPECT_EQ((Rgb{80, 40, 8}), Scheme(8, 0));
    EXPECT_EQ((Rgb{8, 80, 32}), Scheme(8, 1));
    EXPECT_EQ((Rgb{40, 40, 40}), Scheme(8, 6));
    EXPECT_EQ((Rgb{80, 40, 8}), Scheme(8, 7));
    EXPECT_EQ((Rgb{8, 80, 32}), Scheme(8, 78));
}

TEST(ColorScheme, TimedSchemeStepsEveryTenSecondsOfTheClock) {
    SetMillisecondClock(FakeClock);
    fakeNow = 69999;
    EXPECT_EQ((Rgb{40, 40, 40}), Scheme(9));  // scheme 7
    fakeNow = 70000;
    EXPECT_EQ((Rgb{80, 40, 8}), Scheme(9));  // back to scheme 1
    fakeNow = 10000;
    EXPECT_EQ((Rgb{8, 80, 32}), Scheme(9));
    fakeNow = UINT32_MAX;  // 429496 ten-second steps: 429496 mod 7 = 4, scheme 5
    EXPECT_EQ((Rgb{32, 60, 60}), Scheme(9));
    SetMillisecondClock(nullptr);
    EXPECT_EQ((Rgb{80, 40, 8}), Scheme(9));  // the default clock stands at 0
}

TEST_F(FrameTest, FirstFrameDrawsEveryPointAtTheCentreWithItsSizeAndFade) {
    StartSaver(100, 80, 1, 1);
    RenderFrame(nullptr);

    // Eight points at (0, 0, 100 units): sizes 60 - 3k, cores faded by 5k, halos rotated.
    RasterSurface expected;
    ASSERT_EQ(1, expected.Create(100, 80, 24));
    const Rgb cores[8] = {{35, 15, 0}, {30, 10, 0}, {25, 5, 0}, {20, 0, 0},
                          {15, 0, 0},  {10, 0, 0},  {5, 0, 0},  {0, 0, 0}};
    const Rgb halos[8] = {{3, 0, 8}, {2, 0, 7}, {1, 0, 6}, {0, 0, 5},
                          {0, 0, 3}, {0, 0, 2}, {0, 0, 1}, {0, 0, 0}};
    for (int k = 1; k <= 8; ++k) {
        const int size = 60 - 3 * k;
        const Rgb& c = cores[k - 1];
        const Rgb& h = halos[k - 1];
        expected.AddFilledCircle(50, 40, size / 2, h.red, h.green, h.blue);
        for (int divisor = 3; divisor <= 6; ++divisor)
            expected.AddFilledCircle(50, 40, size / divisor, c.red, c.green, c.blue);
    }
    EXPECT_EQ(Pixels(expected), Pixels(FrameSurface));
    // The head's halo reaches 28 pixels out and no further.
    const uint8_t* row = FrameSurface.RowPointer(40);
    EXPECT_NE(0, row[3 * 22 + 0]);
    EXPECT_EQ(0, row[3 * 21 + 0]);
}

TEST_F(FrameTest, FrameDrawsOneRetargetDrawAndThreeMoreWhenItPasses) {
    StartSaver(640, 480, 1, 1);  // InitTrails took values 1 and 2 of the sequence
    RenderFrame(nullptr);
    // Value 3 (6334 / 32768 < 0.3) passed, so values 4..6 made the new target.
    int32_t x = 0, y = 0, z = 0;
    TrailPool[0].GetTarget(&x, &y, &z);
    EXPECT_EQ(8092, x);          // (26500/32768 - 0.5) * 640 * 40.96
    EXPECT_EQ(1671, y);          // (19169/32768 - 0.5) * 480 * 40.96
    EXPECT_EQ(434060, z);        // (15724/32768 * 200 + 10) * 4096
    EXPECT_EQ(11478, Rand15());  // value 7 is next
}

TEST_F(FrameTest, PointsAreDrawnOnlyInFrontAndAtSizesTwoTo399) {
    struct Case {
        int32_t z;
        int litPixels;  // apparent size 24576000 / z - 3 for the head point
    } cases[] = {{4915200, 5}, {6144000, 0}, {61134, -1}, {60982, 0}, {0, 0}, {-409600, 0}};
    for (const Case& c : cases) {
        StartSaver(1000, 1000, 1, 1);
        Trail& trail = TrailPool[0];
        trail.SetPoint(1, 0, 0, c.z);
        for (int k = 2; k <= 8; ++k) trail.SetPoint(k, 0, 0, 0);  // behind the viewer
        RenderFrame(nullptr);
        int lit = 0;
        for (int y = 0; y < 1000; ++y) {
            const uint8_t* row = FrameSurface.RowPointer(y);
            for (int x = 0; x < 3000; x += 3) lit += (row[x] | row[x + 1] | row[x + 2]) != 0;
        }
        if (c.litPixels >= 0)
            EXPECT_EQ(c.litPixels, lit) << "z " << c.z;
        else
            EXPECT_GT(lit, 100000) << "z " << c.z;  // size 399: a disc 199 pixels in radius
    }
    // Size 2: a five-pixel halo and four single-pixel cores, all at the centre.
    StartSaver(1000, 1000, 1, 1);
    TrailPool[0].SetPoint(1, 0, 0, 4915200);
    for (int k = 2; k <= 8; ++k) TrailPool[0].SetPoint(k, 0, 0, 0);
    RenderFrame(nullptr);
    const uint8_t* centre = FrameSurface.RowPointer(500) + 3 * 500;
    EXPECT_EQ(8, centre[0]);    // blue: halo 8
    EXPECT_EQ(60, centre[1]);   // green: 4 x 15
    EXPECT_EQ(143, centre[2]);  // red: halo 3 + 4 x 35
    const uint8_t* above = FrameSurface.RowPointer(499) + 3 * 500;
    EXPECT_EQ(8, above[0]);
    EXPECT_EQ(3, above[2]);
}

TEST_F(FrameTest, ProjectionUsesTheWrappedProducts) {
    // 3000 * 715828 passes 2^31: the point lands left of centre, where the wrapped product
    // puts it, not right of centre where exact arithmetic would.
    StartSaver(1000, 1000, 1, 1);
    TrailPool[0].SetPoint(1, 715828, 0, 4915200);
    for (int k = 2; k <= 8; ++k) TrailPool[0].SetPoint(k, 0, 0, 0);
    RenderFrame(nullptr);
    const uint8_t* row = FrameSurface.RowPointer(500);
    EXPECT_EQ(143, row[3 * (500 - 436) + 2]);
    EXPECT_EQ(0, row[3 * (500 + 436) + 2]);
}

TEST_F(FrameTest, FrameIsCopiedWithTheBitmapHeaderOfTheWindow) {
    StartSaver(33, 17, 0, 1);
    SetFrameCopy(RecordCopy);
    CopiedFrame copied;
    FrameSurface.FillRectangle(0, 0, 32, 16, 9, 9, 9);
    RenderFrame(&copied);
    ASSERT_EQ(1, copied.calls);
    EXPECT_EQ(FrameSurface.GetBits(), copied.bits);  // the first byte of the store: the bottom row
    EXPECT_EQ(40u, copied.header.biSize);
    EXPECT_EQ(33, copied.header.biWidth);
    EXPECT_EQ(17, copied.header.biHeight);
    EXPECT_EQ(1, copied.header.biPlanes);
    EXPECT_EQ(24, copied.header.biBitCount);
    EXPECT_EQ(0u, copied.header.biCompression);
    EXPECT_EQ(0u, copied.header.biSizeImage);
    EXPECT_EQ(1, copied.header.biXPelsPerMeter);
    EXPECT_EQ(1, copied.header.biYPelsPerMeter);
    EXPECT_EQ(0u, copied.header.biClrUsed);
    EXPECT_EQ(0u, copied.header.biClrImportant);
    // No trails: the frame is cleared to black and copied all the same.
    for (uint8_t byte : Pixels(FrameSurface)) ASSERT_EQ(0, byte);

    // Without pixels nothing is drawn and nothing copied, but the trails still move.
    StartSaver(33, 17, 1, 1);
    FrameSurface.Destroy();
    RenderFrame(&copied);
    EXPECT_EQ(1, copied.calls);
    int32_t x = 0, y = 0, z = 0;
    TrailPool[0].GetPoint(1, &x, &y, &z);
    EXPECT_EQ(2048, x);  // yaw 0, pitch 202: straight along +x
}

TEST_F(FrameTest, TimedSchemeReadsTheClockOncePerTrail) {
    StartSaver(64, 48, 3, 9);
    SetMillisecondClock(TickingClock);
    fakeNow = 100;
    RenderFrame(nullptr);
    EXPECT_EQ(103u, fakeNow);
}

// Golden hashes of whole frames: any change to the generator, the draw order, the projection,
// the discs or the saturation changes them. Every build must print the same.
TEST_F(FrameTest, AnimationIsDeterministic) {
    const struct {
        int16_t width, height;
        uint32_t count;
        int32_t color;
        uint32_t frame;
        uint64_t hash;
    } cases[] = {
        {640, 480, 25, 1, 0, 0x1474856982ec3a68ull},
        {640, 480, 25, 1, 4, 0xb6a7ca63f5571562ull},
    };
    for (const auto& c : cases) {
        StartSaver(c.width, c.height, c.count, c.color);
        for (uint32_t f = 0; f <= c.frame; ++f) RenderFrame(nullptr);
        EXPECT_EQ(c.hash, HashPixelStore(FrameSurface))
            << c.width << "x" << c.height << " frame " << c.frame;
    }
}

// Some trails stray past |x| = 715827 within the first thousand frames, where 3000 * x no
// longer fits 32 bits. Run under UndefinedBehaviorSanitizer this proves those frames wrap
// without undefined behaviour; the check proves the wrap really happened.
TEST_F(FrameTest, TrailsReachTheWrapOfTheProjection) {
    StartSaver(64, 48, 80, 8);
    bool wrapped = false;
    for (int frame = 0; frame < 1000 && !wrapped; ++frame) {
        RenderFrame(nullptr);
        for (uint32_t i = 0; i < MaxTrails; ++i) {
            int32_t x = 0, y = 0, z = 0;
            ASSERT_EQ(1, TrailPool[i].GetPoint(1, &x, &y, &z));
            const int64_t projected = 3000 * static_cast<int64_t>(x);
            wrapped = wrapped || projected > INT32_MAX || projected < INT32_MIN;
        }
    }
    EXPECT_TRUE(wrapped);
}
