// tolva-soak: runs the animation for a long stretch exactly as a saver window would (one frame
// per 5 ms tick from the design's start) and watches, in exact 64-bit
// arithmetic beside the 32-bit animation, for the moments its arithmetic wraps: a point in front
// of the viewer whose 3000 * x or 3000 * y leaves int32 (|x| above 715827), and a steering cross
// product that leaves int32. Built with the sanitizers, a long run without a report shows the
// wrapping paths are free of undefined behaviour; --require-wrap fails a run in which neither
// wrap happened, so that a run cannot pass without reaching them.
//
//   tolva-soak [--size WxH] [--count N] [--color M] [--frames F] [--require-wrap]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "surface/pixel_hash.h"
#include "trails/animation.h"

namespace {

constexpr int64_t FocalLength = 3000;
constexpr int64_t Int32Min = INT32_MIN;
constexpr int64_t Int32Max = INT32_MAX;

uint32_t clockNow = 0;
uint32_t ReadClock(void*) {
    return clockNow;
}

bool FitsInt32(int64_t value) {
    return value >= Int32Min && value <= Int32Max;
}

int32_t Wrap(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

struct WrapCounts {
    uint64_t projectedPoints = 0;  // points with z >= 1 whose projection product wrapped
    uint64_t projectionFrames = 0;
    uint64_t steeringProducts = 0;   // cross products whose exact value left int32
    uint64_t steeringSignFlips = 0;  // ... and whose wrapped sign turned the trail the other way
    int64_t largestAbsX = 0;
    uint64_t firstProjectionFrame = 0;
    uint64_t firstSteeringFrame = 0;
};

// The cross product (0, 0), (ax, ay), (bx, by) both exactly and as the trail computes it.
void CountCross(int64_t ax, int64_t ay, int64_t bx, int64_t by, uint64_t frame, WrapCounts* w) {
    const int64_t exact = ax * by - bx * ay;  // |each product| < 2^44: exact in 64 bits
    const int32_t wrapped = Wrap(Wrap(ax * Wrap(by)) - static_cast<int64_t>(Wrap(Wrap(bx) * ay)));
    if (FitsInt32(exact) && FitsInt32(by) && FitsInt32(bx)) return;
    if (w->steeringProducts++ == 0) w->firstSteeringFrame = frame;
    if ((exact < 0) != (wrapped < 0)) ++w->steeringSignFlips;
}

// What the next frame's Steer will compute for trail t: it advances first, then steers with the
// velocity of its unchanged heading from the new head, toward the target it has now.
void WatchSteering(const Trail& t, uint64_t frame, WrapCounts* w) {
    int32_t vx = 0, vy = 0, vz = 0, hx = 0, hy = 0, hz = 0, tx = 0, ty = 0, tz = 0;
    if (!t.Velocity(&vx, &vy, &vz) || !t.GetPoint(1, &hx, &hy, &hz)) return;
    t.GetTarget(&tx, &ty, &tz);
    const int64_t nx = Wrap(static_cast<int64_t>(hx) + vx);
    const int64_t ny = Wrap(static_cast<int64_t>(hy) + vy);
    const int64_t nz = Wrap(static_cast<int64_t>(hz) + vz);
    CountCross(vx, vy, tx - nx, ty - ny, frame, w);
    CountCross(vy, vz, ty - ny, tz - nz, frame, w);
}

// The points the next frame projects: the trail as it stands now.
void WatchProjection(const Trail& t, uint64_t frame, bool* wrappedThisFrame, WrapCounts* w) {
    for (int32_t k = 1; k <= t.GetPointCount(); ++k) {
        int32_t x = 0, y = 0, z = 0;
        if (!t.GetPoint(k, &x, &y, &z)) continue;
        const int64_t ax = x < 0 ? -static_cast<int64_t>(x) : x;
        if (ax > w->largestAbsX) w->largestAbsX = ax;
        if (z < 1) continue;
        if (FitsInt32(FocalLength * x) && FitsInt32(FocalLength * y) &&
            FitsInt32(FocalLength * x + FocalLength * 8192))
            continue;
        if (w->projectedPoints++ == 0) w->firstProjectionFrame = frame;
        *wrappedThisFrame = true;
    }
}

bool ParseNumber(const char* text, int64_t low, int64_t high, int64_t* value) {
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

int Usage() {
    std::fputs(
        "usage: tolva-soak [--size WxH] [--count N] [--color M] [--frames F] "
        "[--require-wrap]\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int64_t width = 320, height = 240, count = 80, color = 1, frames = 200000;
    bool requireWrap = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--require-wrap") == 0) {
            requireWrap = true;
        } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            char* x = std::strchr(argv[++i], 'x');
            if (x == nullptr) return Usage();
            *x = '\0';
            if (!ParseNumber(argv[i], 1, INT16_MAX, &width) ||
                !ParseNumber(x + 1, 1, INT16_MAX, &height))
                return Usage();
        } else if (std::strcmp(argv[i], "--count") == 0 && hasValue) {
            if (!ParseNumber(argv[++i], 0, UINT32_MAX, &count)) return Usage();
        } else if (std::strcmp(argv[i], "--color") == 0 && hasValue) {
            if (!ParseNumber(argv[++i], INT32_MIN, INT32_MAX, &color)) return Usage();
        } else if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            if (!ParseNumber(argv[++i], 0, INT64_MAX, &frames)) return Usage();
        } else {
            return Usage();
        }
    }

    static Animation animation;
    if (!animation.Start({static_cast<int32_t>(width), static_cast<int32_t>(height),
                          static_cast<uint32_t>(count), static_cast<int32_t>(color)})) {
        std::fputs("tolva-soak: cannot create the surface\n", stderr);
        return 2;
    }
    animation.SetMillisecondClock(ReadClock, nullptr);

    WrapCounts wraps;
    const uint32_t used = UsableTrailCount(static_cast<uint32_t>(count));
    for (int64_t frame = 0; frame < frames; ++frame) {
        bool projectionWrapped = false;
        for (uint32_t i = 0; i < used; ++i) {
            WatchProjection(animation.TrailAt(i), static_cast<uint64_t>(frame), &projectionWrapped,
                            &wraps);
            WatchSteering(animation.TrailAt(i), static_cast<uint64_t>(frame), &wraps);
        }
        if (projectionWrapped) ++wraps.projectionFrames;
        clockNow = static_cast<uint32_t>(5 * frame);  // the saver's 5 ms tick, wrapping as it does
        animation.RenderFrame();
    }

    std::printf(
        "tolva-soak: %lld frames at %lldx%lld, %lld trails, scheme %lld; last frame %016llx\n",
        static_cast<long long>(frames), static_cast<long long>(width),
        static_cast<long long>(height), static_cast<long long>(count),
        static_cast<long long>(color),
        static_cast<unsigned long long>(HashPixelStore(animation.GetSurface())));
    std::printf(
        "tolva-soak: largest |x| %lld; projection wrapped for %llu points in %llu frames "
        "(first in frame %llu); steering products wrapped %llu times (first in frame %llu), "
        "%llu of them with the sign turned\n",
        static_cast<long long>(wraps.largestAbsX),
        static_cast<unsigned long long>(wraps.projectedPoints),
        static_cast<unsigned long long>(wraps.projectionFrames),
        static_cast<unsigned long long>(wraps.firstProjectionFrame),
        static_cast<unsigned long long>(wraps.steeringProducts),
        static_cast<unsigned long long>(wraps.firstSteeringFrame),
        static_cast<unsigned long long>(wraps.steeringSignFlips));
    if (requireWrap && (wraps.projectedPoints == 0 || wraps.steeringProducts == 0)) {
        std::fputs(
            "tolva-soak: the animation never reached the 32-bit wrap; this run proves "
            "nothing about it\n",
            stderr);
        return 1;
    }
    return 0;
}
