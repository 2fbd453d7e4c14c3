// The accumulated way of drawing frames against the reference drawing with the surface's own
// operations: the table of disc rows, single discs and pixels of every kind on every drawing
// path the processor runs, in memory of every layout, crowds of discs that saturate, the edges of
// rows, frames written into one memory and into two in turn, and whole animation frames at
// several sizes. Equal means equal bytes, padding included.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "surface/disc_accumulator.h"
#include "surface/draw_paths.h"
#include "surface/raster_surface.h"
#include "tests/surface/test_memory.h"
#include "trails/animation.h"

namespace {

// A small generator of its own, so these tests never touch the animation's sequence.
class TestRandom {
  public:
    explicit TestRandom(uint64_t seed) : state(seed * 2862933555777941757ull + 3037000493ull) {}
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    // Uniform in lo..hi.
    int32_t Between(int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1));
    }

  private:
    uint64_t state;
};

// The accumulated paths this build and processor run.
std::vector<const DrawPath*> SupportedPaths() {
    std::vector<const DrawPath*> paths;
    for (const DrawPath& path : DrawPaths) {
        if (path.writeRows != nullptr && path.supported()) paths.push_back(&path);
    }
    return paths;
}

// Each of them, in memory of every shape.
std::vector<std::pair<const DrawPath*, const MemoryShape*>> PathsInEveryShape() {
    std::vector<std::pair<const DrawPath*, const MemoryShape*>> cases;
    for (const DrawPath* path : SupportedPaths())
        for (const MemoryShape& shape : MemoryShapes) cases.emplace_back(path, &shape);
    return cases;
}

std::vector<uint8_t> Bytes(const RasterSurface& surface) {
    return std::vector<uint8_t>(surface.GetBits(),
                                surface.GetBits() + static_cast<size_t>(surface.GetHeight()) *
                                                        static_cast<size_t>(surface.GetStride()));
}

// Scribbles over every pixel (not the row padding, which no drawing may touch): the
// accumulated path writes every pixel in place of the clear, so nothing stale may survive.
void Scribble(RasterSurface& surface, TestRandom& random) {
    for (int32_t y = 0; y < surface.GetHeight(); ++y) {
        uint8_t* row = surface.RowPointer(y);
        for (int32_t i = 0; i < 3 * surface.GetWidth(); ++i)
            row[i] = static_cast<uint8_t>(random.Next());
    }
}

struct Disc {
    int32_t x, y, radius, red, green, blue;
};

// Draws discs both ways on surfaces of width x height and expects the same pixels at every
// supported level, in memory of every shape.
void ExpectSameBytes(int32_t width, int32_t height, const std::vector<Disc>& discs, uint64_t seed) {
    RasterSurface reference;
    ASSERT_EQ(1, reference.Create(width, height, 24));
    reference.FillRectangle(0, 0, width - 1, height - 1, 0, 0, 0);
    for (const Disc& d : discs)
        reference.AddFilledCircle(d.x, d.y, d.radius, d.red, d.green, d.blue);
    const std::vector<uint8_t> expected = Bytes(reference);

    DiscAccumulator accumulator;
    ASSERT_EQ(1, accumulator.Create(width, height));
    TestRandom random(seed);
    for (const auto& [path, shape] : PathsInEveryShape()) {
        TestMemory fast(*shape, width, height);
        fast.Scribble(random.Next());
        accumulator.ForgetMemory();
        for (const Disc& d : discs) {
            ASSERT_EQ(1, accumulator.AddFilledCircle(d.x, d.y, d.radius, d.red, d.green, d.blue));
        }
        ASSERT_EQ(1, accumulator.WriteFrameWith(fast.Pixels(), path->writeRows));
        ASSERT_EQ(expected, fast.As24BitRows())
            << "path " << path->name << " in " << shape->name << ", " << width << "x" << height
            << ", " << discs.size() << " discs";
    }
}

TEST(DiscRowTable, HalfWidthsAreThoseOfTheOctantWalk) {
    const std::vector<std::vector<int32_t>> halfWidths = {
        {0, 1},
        {0, 2, 2},
        {0, 3, 3, 3},
        {0, 3, 4, 4, 4},
        {0, 3, 4, 5, 5, 5},
        {0, 4, 5, 6, 6, 6, 6},
        {0, 4, 5, 6, 7, 7, 7, 7},
        {0, 4, 6, 7, 7, 8, 8, 8, 8},
    };
    for (size_t i = 0; i < halfWidths.size(); ++i) {
        const auto radius = static_cast<int32_t>(i + 1);
        for (int32_t offset = -radius; offset <= radius; ++offset) {
            const int32_t fromTop = radius - (offset < 0 ? -offset : offset);
            EXPECT_EQ(halfWidths[i][static_cast<size_t>(fromTop)],
                      DiscAccumulator::HalfWidth(radius, offset))
                << "radius " << radius << " row offset " << offset;
        }
    }
    EXPECT_EQ(0, DiscAccumulator::HalfWidth(0, 0));
}

TEST(AccumulatedDiscs, EveryRadiusUpTo250MatchesTheSurfaceOnAndAcrossTheEdges) {
    TestRandom random(1);
    for (int32_t radius = 0; radius <= 250; ++radius) {
        std::vector<Disc> discs;
        // Inside, then centred near and beyond each edge and corner.
        discs.push_back({random.Between(0, 99), random.Between(0, 59), radius, 40, 20, 4});
        discs.push_back(
            {random.Between(-radius - 2, 2), random.Between(-5, 65), radius, 7, 80, 255});
        discs.push_back(
            {random.Between(97, 101 + radius), random.Between(-5, 65), radius, 300, 0, 9});
        discs.push_back({random.Between(-5, 105), random.Between(-radius - 2, 2), radius, 1, 2, 3});
        discs.push_back(
            {random.Between(-5, 105), random.Between(57, 61 + radius), radius, 90, 90, 90});
        discs.push_back({-radius / 2, -radius / 2, radius, 0, 0, 0});
        discs.push_back({100 + radius / 2, 60 + radius / 2, radius, 255, 255, 255});
        ExpectSameBytes(100, 60, discs, static_cast<uint64_t>(radius));
    }
}

TEST(AccumulatedDiscs, RandomCrowdsMatchTheSurfaceAtRandomSizes) {
    TestRandom random(2);
    for (int round = 0; round < 40; ++round) {
        const int32_t width = random.Between(1, 300);
        const int32_t height = random.Between(1, 200);
        std::vector<Disc> discs(static_cast<size_t>(random.Between(0, 400)));
        for (Disc& d : discs) {
            d.radius = random.Between(-3, 60);
            d.x = random.Between(-70, width + 70);
            d.y = random.Between(-70, height + 70);
            d.red = random.Between(0, 80);
            d.green = random.Between(0, 80);
            d.blue = random.Between(0, 80);
        }
        ExpectSameBytes(width, height, discs, static_cast<uint64_t>(round));
    }
}

TEST(AccumulatedDiscs, RandomPixelsMatchTheSurface) {
    TestRandom random(3);
    std::vector<Disc> pixels(2000);
    for (Disc& d : pixels)
        d = {random.Between(-2, 41), random.Between(-2, 31), 0,
             random.Between(0, 60),  random.Between(0, 60),  random.Between(0, 60)};
    ExpectSameBytes(40, 30, pixels, 3);
}

// Spans of every length ending at and near the end of the row, at every start: each run
// length across the vector widths, and the shortest runs right at the row's end.
TEST(AccumulatedDiscs, SpansOfEveryLengthAtTheRowsEndMatchTheSurface) {
    for (int32_t width = 1; width <= 70; ++width) {
        std::vector<Disc> discs;
        for (int32_t x = 0; x < width; ++x) {
            // One row each: a disc of radius r leaves half-width r on its centre row.
            const int32_t y = x % 8;
            const int32_t radius = (x * 5) % 24;
            discs.push_back({x, y * 50 + 24, radius, 10 + x, 200 - x, 3 * x});
            discs.push_back({width - 1 - x, y * 50 + 24, x % 5, 60, 0, 60});
        }
        ExpectSameBytes(width, 400, discs, static_cast<uint64_t>(width));
    }
}

TEST(AccumulatedDiscs, EveryDiscOnOnePixelSaturatesWithoutSpillingIntoAnotherChannel) {
    std::vector<Disc> discs(static_cast<size_t>(DiscAccumulator::MaxDiscs));
    for (size_t i = 0; i < discs.size(); ++i) {
        // Full amounts on red and green only: blue, between them in the packed sum, stays 0;
        // some amounts are above 255 and count as 255.
        discs[i] = {5, 3, static_cast<int32_t>(i % 3), i % 2 == 0 ? 255 : 400, 255, 0};
    }
    ExpectSameBytes(11, 7, discs, 4);

    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(11, 7, 24));
    DiscAccumulator accumulator;
    ASSERT_EQ(1, accumulator.Create(11, 7));
    for (const Disc& d : discs)
        accumulator.AddFilledCircle(d.x, d.y, d.radius, d.red, d.green, d.blue);
    ASSERT_EQ(1, accumulator.WriteFrame(surface));
    const uint8_t* centre = surface.RowPointer(3) + 3 * 5;
    EXPECT_EQ(0, centre[0]);
    EXPECT_EQ(255, centre[1]);
    EXPECT_EQ(255, centre[2]);
}

TEST(AccumulatedDiscs, RefusesWhatItCannotDrawExactly) {
    DiscAccumulator accumulator;
    EXPECT_EQ(0, accumulator.AddFilledCircle(1, 1, 1, 1, 1, 1));  // not created
    ASSERT_EQ(1, accumulator.Create(20, 10));
    EXPECT_EQ(0, accumulator.AddFilledCircle(5, 5, DiscAccumulator::MaxRadius + 1, 1, 1, 1));
    EXPECT_EQ(0, accumulator.AddFilledCircle(5, 5, 3, -1, 1, 1));
    EXPECT_EQ(0, accumulator.GetDiscCount());
    EXPECT_EQ(1, accumulator.AddFilledCircle(500, 5, 3, 1, 1, 1));  // off the frame: nothing to do
    EXPECT_EQ(0, accumulator.GetDiscCount());
    for (int32_t i = 0; i < DiscAccumulator::MaxDiscs; ++i) {
        ASSERT_EQ(1, accumulator.AddFilledCircle(i % 20, 5, 2, 1, 1, 1));
    }
    EXPECT_EQ(0, accumulator.AddFilledCircle(5, 5, 2, 1, 1, 1));
    EXPECT_EQ(DiscAccumulator::MaxDiscs, accumulator.GetDiscCount());

    RasterSurface wrongSize;
    ASSERT_EQ(1, wrongSize.Create(21, 10, 24));
    EXPECT_EQ(0, accumulator.WriteFrame(wrongSize));
    RasterSurface wrongDepth;
    ASSERT_EQ(1, wrongDepth.Create(20, 10, 8));
    EXPECT_EQ(0, accumulator.WriteFrame(wrongDepth));
}

TEST(AccumulatedDiscs, ClearForgetsTheDiscsAndAWrittenFrameIsBlack) {
    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(30, 20, 24));
    TestRandom random(5);
    Scribble(surface, random);
    DiscAccumulator accumulator;
    ASSERT_EQ(1, accumulator.Create(30, 20));
    accumulator.AddFilledCircle(10, 10, 6, 50, 50, 50);
    accumulator.AddFilledCircle(29, 0, 9, 50, 50, 50);
    accumulator.Clear();
    EXPECT_EQ(0, accumulator.GetDiscCount());
    ASSERT_EQ(1, accumulator.WriteFrame(surface));
    const std::vector<uint8_t> black(static_cast<size_t>(20 * surface.GetStride()), 0);
    EXPECT_EQ(black, Bytes(surface));
    // Writing the frame forgets the discs too: the next frame starts empty.
    accumulator.AddFilledCircle(10, 10, 6, 50, 50, 50);
    ASSERT_EQ(1, accumulator.WriteFrame(surface));
    EXPECT_EQ(0, accumulator.GetDiscCount());
    ASSERT_EQ(1, accumulator.WriteFrame(surface));
    EXPECT_EQ(black, Bytes(surface));
}

// Frame after frame into one memory, then into two in turn, only what was lit before in that
// memory is blackened again: every frame must still equal a freshly cleared and drawn one,
// however the discs jump about.
TEST(AccumulatedDiscs, FramesWrittenOneAfterAnotherEqualFreshlyDrawnOnes) {
    TestRandom random(7);
    const int32_t width = 150;
    const int32_t height = 90;
    for (const auto& [path, shape] : PathsInEveryShape()) {
        TestMemory memories[2] = {{*shape, width, height}, {*shape, width, height}};
        memories[1].Scribble(1);
        DiscAccumulator accumulator;
        ASSERT_EQ(1, accumulator.Create(width, height));
        for (int frame = 0; frame < 60; ++frame) {
            RasterSurface reference;
            ASSERT_EQ(1, reference.Create(width, height, 24));
            // Some frames empty, some crowded, some with everything at one side or one row.
            const int32_t count = frame % 7 == 0 ? 0 : random.Between(1, 120);
            const int32_t side = random.Between(0, 3);
            for (int32_t i = 0; i < count; ++i) {
                const int32_t radius = random.Between(0, frame % 5 == 0 ? 2 : 40);
                int32_t x = random.Between(-30, width + 30);
                int32_t y = random.Between(-30, height + 30);
                if (side == 1) x = random.Between(-5, 10);
                if (side == 2) x = random.Between(width - 10, width + 5);
                if (side == 3) y = frame % height;
                const int32_t red = random.Between(0, 90);
                const int32_t green = random.Between(0, 90);
                const int32_t blue = random.Between(0, 90);
                reference.AddFilledCircle(x, y, radius, red, green, blue);
                ASSERT_EQ(1, accumulator.AddFilledCircle(x, y, radius, red, green, blue));
            }
            TestMemory& fast = memories[frame < 30 ? 0 : frame % 2];
            ASSERT_EQ(1, accumulator.WriteFrameWith(fast.Pixels(), path->writeRows));
            ASSERT_EQ(Bytes(reference), fast.As24BitRows())
                << "frame " << frame << " on path " << path->name << " in " << shape->name;
        }
    }
}

TEST(AccumulatedDiscs, AnotherSurfaceOrAForgottenOneIsWrittenWhole) {
    TestRandom random(8);
    DiscAccumulator accumulator;
    ASSERT_EQ(1, accumulator.Create(40, 30));
    RasterSurface first;
    ASSERT_EQ(1, first.Create(40, 30, 24));
    accumulator.AddFilledCircle(20, 15, 5, 10, 20, 30);
    ASSERT_EQ(1, accumulator.WriteFrame(first));
    const std::vector<uint8_t> expected = Bytes(first);

    RasterSurface second;
    ASSERT_EQ(1, second.Create(40, 30, 24));
    Scribble(second, random);
    accumulator.AddFilledCircle(20, 15, 5, 10, 20, 30);
    ASSERT_EQ(1, accumulator.WriteFrame(second));
    EXPECT_EQ(expected, Bytes(second));

    Scribble(second, random);
    accumulator.ForgetMemory();
    accumulator.AddFilledCircle(20, 15, 5, 10, 20, 30);
    ASSERT_EQ(1, accumulator.WriteFrame(second));
    EXPECT_EQ(expected, Bytes(second));
}

TEST(DrawPaths, ScalarAndReferenceAreAlwaysThereAndTheBestIsTheDefault) {
    EXPECT_EQ(1, ScalarDrawPath().supported());
    EXPECT_EQ(1, ReferenceDrawPath().supported());
    EXPECT_EQ(1, BestDrawPath().supported());
    EXPECT_FALSE(IsReferencePath(BestDrawPath()));
    EXPECT_EQ(&BestDrawPath(), &Animation().GetDrawPath());
#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
    EXPECT_EQ(1, FindDrawPath("sse2")->supported());
    EXPECT_NE(&ScalarDrawPath(), &BestDrawPath());
#endif
    EXPECT_EQ(nullptr, FindDrawPath("plain"));
}

// A word-at-a-time hash: the frames compared here are large and many.
uint64_t FrameHash(const RasterSurface& surface) {
    const size_t count =
        static_cast<size_t>(surface.GetHeight()) * static_cast<size_t>(surface.GetStride());
    uint64_t hash = 0x9E3779B97F4A7C15ull;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, surface.GetBits() + i, 8);
        hash = (hash ^ word) * 0x100000001B3ull;
        hash ^= hash >> 29;
    }
    for (; i < count; ++i) hash = (hash ^ surface.GetBits()[i]) * 0x100000001B3ull;
    return hash;
}

uint32_t ReadScriptedClock(void* now) {
    return *static_cast<uint32_t*>(now);
}

// The hashes of frames 0..frames-1 of the animation in a window of this size, drawn with path.
std::vector<uint64_t> AnimationHashes(int16_t width, int16_t height, uint32_t count, int32_t color,
                                      uint32_t frames, const DrawPath& path) {
    Animation animation;
    if (animation.SetDrawPath(path) != 1) return {};
    uint32_t now = 0;
    animation.SetMillisecondClock(ReadScriptedClock, &now);
    if (animation.Start({width, height, count, color}) != 1) return {};
    std::vector<uint64_t> hashes;
    for (uint32_t f = 0; f < frames; ++f) {
        now = 2500 * f;  // scheme 9 changes every fourth frame
        animation.RenderFrame();
        hashes.push_back(FrameHash(animation.GetSurface()));
    }
    return hashes;
}

// The whole run drawn the reference way, then on each accumulated path (or only the best one,
// the default), frame for frame.
void ExpectSameFrames(int16_t width, int16_t height, uint32_t count, int32_t color, uint32_t frames,
                      bool everyPath) {
    const std::vector<uint64_t> expected =
        AnimationHashes(width, height, count, color, frames, ReferenceDrawPath());
    ASSERT_EQ(frames, expected.size());
    const std::vector<const DrawPath*> paths =
        everyPath ? SupportedPaths() : std::vector<const DrawPath*>{&BestDrawPath()};
    for (const DrawPath* path : paths) {
        const std::vector<uint64_t> actual =
            AnimationHashes(width, height, count, color, frames, *path);
        ASSERT_EQ(frames, actual.size());
        for (uint32_t f = 0; f < frames; ++f) {
            ASSERT_EQ(expected[f], actual[f])
                << "frame " << f << " on path " << path->name << ", " << width << "x" << height;
        }
    }
}

TEST(AccumulatedFrames, ThousandsOfFramesEqualTheReferenceOnes) {
    ExpectSameFrames(160, 120, 80, 8, 1500, false);
    ExpectSameFrames(333, 217, 80, 9, 250, false);
}

TEST(AccumulatedFrames, FramesOnEveryPathEqualTheReferenceOnes) {
    ExpectSameFrames(333, 217, 80, 9, 100, true);
    ExpectSameFrames(7, 3, 25, 1, 200, true);
    ExpectSameFrames(1, 1, 80, 5, 100, true);
    ExpectSameFrames(1280, 720, 80, 8, 30, true);
}

TEST(AccumulatedFrames, SwitchingBetweenReferenceAndAccumulatedFramesKeepsThemEqual) {
    const std::vector<uint64_t> expected =
        AnimationHashes(240, 160, 80, 8, 200, ReferenceDrawPath());
    Animation animation;
    ASSERT_EQ(1, animation.Start({240, 160, 80, 8}));
    for (uint32_t f = 0; f < 200; ++f) {
        // Runs of either kind, of varying length.
        animation.SetDrawPath((f / 7 + f / 3) % 2 == 0 ? BestDrawPath() : ReferenceDrawPath());
        animation.RenderFrame();
        ASSERT_EQ(expected[f], FrameHash(animation.GetSurface())) << "frame " << f;
    }
}

}  // namespace
