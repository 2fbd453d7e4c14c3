// The animation: colours, projection, sizes, draw order of the random sequence, the two
// platform seams, golden hashes that pin the whole deterministic animation, and animations
// that run side by side.
#include "trails/animation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "surface/draw_paths.h"
#include "surface/frame.h"
#include "surface/pixel_hash.h"
#include "surface/raster_surface.h"
#include "tests/surface/test_memory.h"
#include "trails/color_scheme.h"
#include "trails/frame_seams.h"
#include "trails/trail_discs.h"
#include "trails/trail_pool.h"

namespace {

struct Rgb {
    int32_t red, green, blue;
    bool operator==(const Rgb& o) const {
        return red == o.red && green == o.green && blue == o.blue;
    }
};

uint32_t ReadFakeClock(void* now) {
    return *static_cast<uint32_t*>(now);
}
uint32_t ReadTickingClock(void* now) {
    return (*static_cast<uint32_t*>(now))++;
}

Rgb Scheme(int32_t mode, uint32_t trail = 0, uint32_t now = 0) {
    Rgb c{-1, -1, -1};
    SchemeColor(mode, &c.red, &c.green, &c.blue, trail, ClockSeam{ReadFakeClock, &now});
    return c;
}

struct CopiedFrame {
    int calls = 0;
    FrameView frame{};
    bool shown = true;  // what the copy answers: false as a minimised window would
};

bool RecordCopy(void* copied, const FrameView& frame) {
    ++static_cast<CopiedFrame*>(copied)->calls;
    static_cast<CopiedFrame*>(copied)->frame = frame;
    return static_cast<CopiedFrame*>(copied)->shown;
}

class FrameTest : public ::testing::Test {
  protected:
    void StartSaver(int16_t width, int16_t height, uint32_t count, int32_t color,
                    int32_t scale = ScaleUnit) {
        ASSERT_EQ(1, animation.Start({width, height, count, color, Animation::DesignSeed, scale}));
    }
    static std::vector<uint8_t> Pixels(const RasterSurface& s) {
        return std::vector<uint8_t>(
            s.GetBits(), s.GetBits() + static_cast<size_t>(s.GetHeight()) * s.GetStride());
    }
    Animation animation;
    const RasterSurface& surface = animation.GetSurface();
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
    EXPECT_EQ((Rgb{40, 40, 40}), Scheme(9, 0, 69999));  // scheme 7
    EXPECT_EQ((Rgb{80, 40, 8}), Scheme(9, 0, 70000));   // back to scheme 1
    EXPECT_EQ((Rgb{8, 80, 32}), Scheme(9, 0, 10000));
    // 429496 ten-second steps: 429496 mod 7 = 4, scheme 5
    EXPECT_EQ((Rgb{32, 60, 60}), Scheme(9, 0, UINT32_MAX));
    // A clock with no function stands at 0.
    Rgb c{-1, -1, -1};
    SchemeColor(9, &c.red, &c.green, &c.blue, 0, ClockSeam{});
    EXPECT_EQ((Rgb{80, 40, 8}), c);
}

TEST_F(FrameTest, FirstFrameDrawsEveryPointAtTheCentreWithItsSizeAndFade) {
    StartSaver(100, 80, 1, 1);
    animation.RenderFrame();

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
    EXPECT_EQ(Pixels(expected), Pixels(surface));
    // The head's halo reaches 28 pixels out and no further.
    const uint8_t* row = surface.RowPointer(40);
    EXPECT_NE(0, row[3 * 22 + 0]);
    EXPECT_EQ(0, row[3 * 21 + 0]);
}

TEST_F(FrameTest, FrameDrawsOneRetargetDrawAndThreeMoreWhenItPasses) {
    StartSaver(640, 480, 1, 1);  // InitTrails took values 1 and 2 of the sequence
    animation.RenderFrame();
    // Value 3 (6334 / 32768 < 0.3) passed, so values 4..6 made the new target.
    int32_t x = 0, y = 0, z = 0;
    animation.TrailAt(0).GetTarget(&x, &y, &z);
    EXPECT_EQ(8092, x);                             // (26500/32768 - 0.5) * 640 * 40.96
    EXPECT_EQ(1671, y);                             // (19169/32768 - 0.5) * 480 * 40.96
    EXPECT_EQ(434060, z);                           // (15724/32768 * 200 + 10) * 4096
    EXPECT_EQ(11478, animation.Random().Rand15());  // value 7 is next
}

TEST_F(FrameTest, PointsAreDrawnOnlyInFrontAndAtSizesTwoTo399) {
    struct Case {
        int32_t z;
        int litPixels;  // apparent size 24576000 / z - 3 for the head point
    } cases[] = {{4915200, 5}, {6144000, 0}, {61134, -1}, {60982, 0}, {0, 0}, {-409600, 0}};
    for (const Case& c : cases) {
        StartSaver(1000, 1000, 1, 1);
        Trail& trail = animation.TrailAt(0);
        trail.SetPoint(1, 0, 0, c.z);
        for (int k = 2; k <= 8; ++k) trail.SetPoint(k, 0, 0, 0);  // behind the viewer
        animation.RenderFrame();
        int lit = 0;
        for (int y = 0; y < 1000; ++y) {
            const uint8_t* row = surface.RowPointer(y);
            for (int x = 0; x < 3000; x += 3) lit += (row[x] | row[x + 1] | row[x + 2]) != 0;
        }
        if (c.litPixels >= 0)
            EXPECT_EQ(c.litPixels, lit) << "z " << c.z;
        else
            EXPECT_GT(lit, 100000) << "z " << c.z;  // size 399: a disc 199 pixels in radius
    }
    // Size 2: a five-pixel halo and four single-pixel cores, all at the centre.
    StartSaver(1000, 1000, 1, 1);
    animation.TrailAt(0).SetPoint(1, 0, 0, 4915200);
    for (int k = 2; k <= 8; ++k) animation.TrailAt(0).SetPoint(k, 0, 0, 0);
    animation.RenderFrame();
    const uint8_t* centre = surface.RowPointer(500) + 3 * 500;
    EXPECT_EQ(8, centre[0]);    // blue: halo 8
    EXPECT_EQ(60, centre[1]);   // green: 4 x 15
    EXPECT_EQ(143, centre[2]);  // red: halo 3 + 4 x 35
    const uint8_t* above = surface.RowPointer(499) + 3 * 500;
    EXPECT_EQ(8, above[0]);
    EXPECT_EQ(3, above[2]);
}

TEST_F(FrameTest, ProjectionUsesTheWrappedProducts) {
    // 3000 * 715828 passes 2^31: the point lands left of centre, where the wrapped product
    // puts it, not right of centre where exact arithmetic would.
    StartSaver(1000, 1000, 1, 1);
    animation.TrailAt(0).SetPoint(1, 715828, 0, 4915200);
    for (int k = 2; k <= 8; ++k) animation.TrailAt(0).SetPoint(k, 0, 0, 0);
    animation.RenderFrame();
    const uint8_t* row = surface.RowPointer(500);
    EXPECT_EQ(143, row[3 * (500 - 436) + 2]);
    EXPECT_EQ(0, row[3 * (500 + 436) + 2]);
}

TEST_F(FrameTest, FrameIsCopiedWithTheBitmapHeaderOfTheWindow) {
    StartSaver(33, 17, 0, 1);
    CopiedFrame copied;
    animation.SetFrameReceiver(RecordCopy, &copied);
    animation.RenderFrame();
    ASSERT_EQ(1, copied.calls);
    // The first byte of the store: the bottom row.
    EXPECT_EQ(surface.GetBits(), copied.frame.bits);
    EXPECT_EQ(40u, copied.frame.header.biSize);
    EXPECT_EQ(33, copied.frame.header.biWidth);
    EXPECT_EQ(17, copied.frame.header.biHeight);
    EXPECT_EQ(1, copied.frame.header.biPlanes);
    EXPECT_EQ(24, copied.frame.header.biBitCount);
    EXPECT_EQ(0u, copied.frame.header.biCompression);
    EXPECT_EQ(0u, copied.frame.header.biSizeImage);
    EXPECT_EQ(1, copied.frame.header.biXPelsPerMeter);
    EXPECT_EQ(1, copied.frame.header.biYPelsPerMeter);
    EXPECT_EQ(0u, copied.frame.header.biClrUsed);
    EXPECT_EQ(0u, copied.frame.header.biClrImportant);
    // No trails: the frame is cleared to black and copied all the same.
    for (uint8_t byte : Pixels(surface)) ASSERT_EQ(0, byte);

    // Without pixels nothing is drawn and nothing copied, but the trails still move.
    StartSaver(33, 17, 1, 1);
    animation.Stop();
    animation.RenderFrame();
    EXPECT_EQ(1, copied.calls);
    int32_t x = 0, y = 0, z = 0;
    animation.TrailAt(0).GetPoint(1, &x, &y, &z);
    EXPECT_EQ(2048, x);  // yaw 0, pitch 202: straight along +x
}

TEST_F(FrameTest, TimedSchemeReadsTheClockOncePerTrail) {
    StartSaver(64, 48, 3, 9);
    uint32_t now = 100;
    animation.SetMillisecondClock(ReadTickingClock, &now);
    animation.RenderFrame();
    EXPECT_EQ(103u, now);
}

// Golden hashes of whole frames: any change to the generator, the draw order, the projection,
// the discs, the scaling or the saturation changes them. Every build must print the same. The
// row at scale 1.5 is the animation of 426x320 with every disc's centre and radius multiplied
// by 1.5 and rounded down in floating point, drawn disc by disc; from frame 15 on, some centres
// are odd and below zero, where truncating would draw them a pixel off.
TEST_F(FrameTest, AnimationIsDeterministic) {
    const struct {
        int16_t width, height;
        uint32_t count;
        int32_t color;
        int32_t scale;
        uint32_t frame;
        uint64_t hash;
    } cases[] = {
        {640, 480, 25, 1, ScaleUnit, 0, 0x1474856982ec3a68ull},
        {640, 480, 25, 1, ScaleUnit, 4, 0xb6a7ca63f5571562ull},
        {640, 480, 25, 1, ScaleUnit * 3 / 2, 30, 0x89fa16be70de917eull},
    };
    for (const auto& c : cases) {
        StartSaver(c.width, c.height, c.count, c.color, c.scale);
        for (uint32_t f = 0; f <= c.frame; ++f) animation.RenderFrame();
        EXPECT_EQ(c.hash, HashPixelStore(surface))
            << c.width << "x" << c.height << " scale " << c.scale << " frame " << c.frame;
    }
}

// Some trails stray past |x| = 715827 within the first thousand frames, where 3000 * x no
// longer fits 32 bits. Run under UndefinedBehaviorSanitizer this proves those frames wrap
// without undefined behaviour; the check proves the wrap really happened.
TEST_F(FrameTest, TrailsReachTheWrapOfTheProjection) {
    StartSaver(64, 48, 80, 8);
    bool wrapped = false;
    for (int frame = 0; frame < 1000 && !wrapped; ++frame) {
        animation.RenderFrame();
        for (uint32_t i = 0; i < MaxTrails; ++i) {
            int32_t x = 0, y = 0, z = 0;
            ASSERT_EQ(1, animation.TrailAt(i).GetPoint(1, &x, &y, &z));
            const int64_t projected = 3000 * static_cast<int64_t>(x);
            wrapped = wrapped || projected > INT32_MAX || projected < INT32_MIN;
        }
    }
    EXPECT_TRUE(wrapped);
}

// Animations share nothing: frames drawn alternately in one thread, each with its own size,
// count, scheme, seed and drawing path, are exactly the frames each draws alone.
TEST(Animations, InterleavedAnimationsDrawTheirOwnFrames) {
    struct Setup {
        int32_t width, height;
        uint32_t count;
        int32_t color;
        uint32_t seed;
        bool reference;
    } setups[] = {{160, 120, 25, 9, Animation::DesignSeed, false},
                  {97, 203, 80, 8, 12345, true},
                  {64, 48, 3, 2, Animation::DesignSeed, false}};
    std::vector<std::vector<uint64_t>> alone;
    for (const Setup& s : setups) {
        Animation animation;
        if (s.reference) animation.SetDrawPath(ReferenceDrawPath());
        ASSERT_EQ(1, animation.Start({s.width, s.height, s.count, s.color, s.seed}));
        std::vector<uint64_t> hashes;
        uint32_t now = 0;
        animation.SetMillisecondClock(ReadTickingClock, &now);
        for (int f = 0; f < 60; ++f) {
            animation.RenderFrame();
            hashes.push_back(HashPixelStore(animation.GetSurface()));
        }
        alone.push_back(hashes);
    }
    // Another seed gives another animation.
    EXPECT_NE(alone[0], alone[2]);

    Animation animations[3];
    uint32_t clocks[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (setups[i].reference) animations[i].SetDrawPath(ReferenceDrawPath());
        ASSERT_EQ(1, animations[i].Start({setups[i].width, setups[i].height, setups[i].count,
                                          setups[i].color, setups[i].seed}));
        animations[i].SetMillisecondClock(ReadTickingClock, &clocks[i]);
    }
    for (int f = 0; f < 60; ++f) {
        for (int i = 0; i < 3; ++i) {
            animations[i].RenderFrame();
            ASSERT_EQ(alone[i][f], HashPixelStore(animations[i].GetSurface()))
                << "animation " << i << " frame " << f;
        }
    }
}

// A scaled disc's centre and radius are the logical ones times the scale, rounded down (also
// below zero) and held in 32 bits. At scale 2 a frame twice the size moves exactly as the
// animation of the logical size, and each of its discs is that animation's disc with centre
// and radius doubled, on every path.
TEST(Animations, ScaledDiscsAreTheLogicalDiscsScaledAndRoundedDown) {
    // Worked by hand: -3 x 1.5 = -4.5 gives -5, -3 x 0.75 = -2.25 gives -3.
    const struct {
        int32_t value, atOneAndAHalf, atThreeQuarters;
    } rule[] = {{-3, -5, -3},
                {-1, -2, -1},
                {-4, -6, -3},
                {3, 4, 2},
                {5, 7, 3},
                {1, 1, 0},
                {199, 298, 149},
                {INT32_MIN, INT32_MIN, -1610612736},
                {INT32_MAX, INT32_MAX, 1610612735}};
    for (const auto& row : rule) {
        EXPECT_EQ(row.atOneAndAHalf, ScaledPixels(row.value, ScaleUnit * 3 / 2)) << row.value;
        EXPECT_EQ(row.atThreeQuarters, ScaledPixels(row.value, ScaleUnit * 3 / 4)) << row.value;
    }
    EXPECT_EQ(-3, ScaledPixels(-3, ScaleUnit));
    struct Disc {
        int32_t x, y, radius, red, green, blue;
    };
    struct Recorder {
        int AddFilledCircle(int32_t x, int32_t y, int32_t r, int32_t red, int32_t green,
                            int32_t blue) {
            discs.push_back(Disc{x, y, r, red, green, blue});
            return 1;
        }
        std::vector<Disc> discs;
    };
    for (const DrawPath* path : {&BestDrawPath(), &ReferenceDrawPath()}) {
        Animation logical;
        Animation scaled;
        ASSERT_EQ(1, logical.Start({161, 120, 25, 8}));
        scaled.SetDrawPath(*path);
        ASSERT_EQ(1, scaled.Start({323, 240, 25, 8, Animation::DesignSeed, 2 * ScaleUnit}));
        ASSERT_EQ(161, scaled.GetLogicalWidth());
        RasterSurface expected;
        ASSERT_EQ(1, expected.Create(323, 240, 24));
        for (int f = 0; f < 40; ++f) {
            Recorder recorder;
            int32_t red = 0, green = 0, blue = 0;
            for (uint32_t i = 0; i < 25; ++i) {
                SchemeColor(8, &red, &green, &blue, i, ClockSeam{});
                DrawTrailDiscs(recorder, logical.TrailAt(i), red, green, blue, 161, 120);
            }
            expected.FillRectangle(0, 0, 322, 239, 0, 0, 0);
            for (const Disc& d : recorder.discs)
                expected.AddFilledCircle(2 * d.x, 2 * d.y, 2 * d.radius, d.red, d.green, d.blue);
            logical.RenderFrame();
            scaled.RenderFrame();
            ASSERT_EQ(HashPixelStore(expected), HashPixelStore(scaled.GetSurface()))
                << path->name << " frame " << f;
        }
    }
}

// A window that is sent only the changed bands of each frame shows exactly the frame, on every
// drawing path, drawn into the animation's own surface, into memory of the host's, or into two
// memories in turn (a pixel lit in the frame before, black in the one before that and in this
// one, is in the bands), also after a new size, after it lost what it showed and after a frame
// it did not show; and the bands are much smaller than the frame wherever the accumulator knows
// which rows changed.
TEST(ChangedBands, AWindowSentOnlyTheBandsShowsEveryFrame) {
    const MemoryShape* const drawnInto[] = {nullptr, &MemoryShapes[3], &MemoryShapes[4]};
    for (int run = 0; run < 3 * DrawPathCount; ++run) {
        const DrawPath& path = DrawPaths[run / 3];
        const MemoryShape* shape = drawnInto[run % 3];  // the last one, two memories in turn
        Animation animation;
        if (!animation.SetDrawPath(path)) continue;
        CopiedFrame copied;
        animation.SetFrameReceiver(RecordCopy, &copied);
        int64_t bandPixels = 0;
        int64_t framePixels = 0;
        for (const int32_t width : {641, 320}) {
            const int32_t height = width == 641 ? 479 : 200;
            ASSERT_EQ(1, animation.Start({width, height, 20, 8}));
            const MemoryShape& in = shape ? *shape : MemoryShapes[0];
            TestMemory memories[2] = {{in, width, height}, {in, width, height}};
            // The window, in the frame's layout: stride bytes a row, the top row first.
            const size_t bytes = BytesOf(in.layout).size;
            const size_t stride = bytes * static_cast<size_t>(width);
            std::vector<uint8_t> window(stride * static_cast<size_t>(height), 0x55);
            for (int f = 0; f < 200; ++f) {
                if (shape != nullptr) {
                    ASSERT_EQ(1, animation.DrawInto(
                                     memories[shape == drawnInto[2] ? f % 2 : 0].Pixels()));
                }
                if (f == 120) {
                    std::fill(window.begin(), window.end(), 0x55);  // contents lost
                    animation.ShowWholeNextFrame();
                }
                if (f == 60) {
                    // Frames that no window is handed: the next one handed brings everything.
                    animation.SetFrameReceiver(nullptr, nullptr);
                    for (int skipped = 0; skipped < 3; ++skipped) animation.RenderFrame();
                    animation.SetFrameReceiver(RecordCopy, &copied);
                }
                if (f == 150) {
                    copied.shown = false;  // a frame that never reached the window
                    animation.RenderFrame();
                    copied.shown = true;
                }
                animation.RenderFrame();
                const FrameView& frame = copied.frame;
                ASSERT_GE(frame.changedCount, 1);
                ASSERT_LE(frame.changedCount, MaxChangedBands);
                int32_t below = 0;
                for (int32_t i = 0; i < frame.changedCount; ++i) {
                    const FrameBand& band = frame.changed[i];
                    ASSERT_TRUE(below <= band.top && band.top < band.bottom &&
                                band.bottom <= height && 0 <= band.left && band.left < band.right &&
                                band.right <= width)
                        << path.name << " frame " << f << " band " << i;
                    below = band.bottom;
                    for (int32_t y = band.top; y < band.bottom; ++y) {
                        const size_t offset = y * stride + band.left * bytes;
                        std::copy(FramePixel(frame, band.left, y), FramePixel(frame, band.right, y),
                                  window.begin() + static_cast<ptrdiff_t>(offset));
                    }
                    if (f > 0 && f != 120 && f != 150)
                        bandPixels += int64_t{band.bottom - band.top} * (band.right - band.left);
                }
                if (f > 0 && f != 120 && f != 150) framePixels += int64_t{width} * height;
                for (int32_t y = 0; y < height; ++y) {
                    ASSERT_TRUE(std::equal(FrameRow(frame, y), FrameRow(frame, y) + stride,
                                           window.begin() + static_cast<ptrdiff_t>(y * stride)))
                        << path.name << " " << (shape ? shape->name : "") << " " << width << "x"
                        << height << " frame " << f << " row " << y << " differs";
                }
            }
        }
        if (IsReferencePath(path))
            EXPECT_EQ(framePixels, bandPixels) << "the reference path knows of no changed rows";
        else
            EXPECT_LT(bandPixels * 2, framePixels) << path.name;
    }
}

// Handed memory holds the frames drawn alone (also after the host said it lost its pixels), and
// is never written once taken back (another surface, a new start, a stop); another size is not.
TEST(Animations, HandedMemoryHoldsTheFramesUntilTheHostTakesItBack) {
    for (const DrawPath* path : {&BestDrawPath(), &ReferenceDrawPath()}) {
        Animation animation, alone;
        ASSERT_EQ(1, animation.SetDrawPath(*path));
        CopiedFrame copied;
        animation.SetFrameReceiver(RecordCopy, &copied);
        ASSERT_EQ(1, animation.Start({320, 240, 25, 8}));
        ASSERT_EQ(1, alone.Start({320, 240, 25, 8}));
        TestMemory memory(MemoryShapes[4], 320, 240);
        EXPECT_EQ(0, animation.DrawInto(TestMemory(MemoryShapes[4], 321, 240).Pixels()));
        ASSERT_EQ(1, animation.DrawInto(memory.Pixels()));
        for (int f = 0; f < 30; ++f) {
            if (f == 20) {
                memory.Scribble(9);
                animation.ShowWholeNextFrame();
            }
            animation.RenderFrame();
            alone.RenderFrame();
            const std::vector<uint8_t> drawn = memory.As24BitRows();
            ASSERT_EQ(HashPixelStore(alone.GetSurface()), HashBytes(drawn.data(), drawn.size()))
                << path->name << " frame " << f;
        }
        EXPECT_EQ(PixelLayout::Rgba32, copied.frame.layout);
        EXPECT_EQ(memory.Pixels().topRow, FrameRow(copied.frame, 0));
        for (int step = 0; step < 3; ++step) {
            memory.Scribble(9);
            const std::vector<uint8_t> scribbled = memory.Raw();
            if (step == 0) animation.UseOwnSurface();
            if (step == 1) animation.Start({320, 240, 25, 8});
            if (step == 2) animation.Stop();
            animation.RenderFrame();
            EXPECT_EQ(scribbled, memory.Raw()) << path->name << " step " << step;
            EXPECT_EQ(step < 2 ? 1 : 0, animation.DrawInto(memory.Pixels()));
        }
    }
}
