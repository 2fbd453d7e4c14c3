// bench: how long TOLVA takes to draw, next to what the same drawing costs elsewhere.
//
// Whole frames of the deterministic animation (80 trails, scheme 8) over frames 500 to 1499,
// once the trails have spread, at 1920x1080 and 3840x2160, drawn by: the reference path (clear,
// then the surface's byte-at-a-time disc adds); the reference's span adds with the disc rows
// taken from the table instead of the octant walk; every accumulated drawing path the
// processor runs, into the animation's own 24-bit surface and (-bgra) into 32-bit memory as a
// window system's image hands it; pixman adding the same spans to an x8r8g8b8 image, one composite
// per span; and memset of the frame's bytes, the least that writing a frame can cost. Every variant
// runs the same trail steps, so the differences are the drawing.
//
// Then the parts on a 1920x1080 surface: clearing it, AddSpan of several lengths and
// AddFilledCircle of several radii, the reference against pixman (and memset for the clear).
//
// Frame times are the drawing thread's processor time per frame over the 1000 frames (wall
// time beside it); scripts/bench repeats each case and reports medians.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "host/draw_path_choice.h"
#include "surface/disc_accumulator.h"
#include "surface/draw_paths.h"
#include "surface/raster_surface.h"
#include "trails/animation.h"
#include "trails/color_scheme.h"
#include "trails/trail_discs.h"

namespace {

constexpr uint32_t FirstTimedFrame = 500;
constexpr uint32_t TimedFrames = 1000;

struct Size {
    int32_t width;
    int32_t height;
};

constexpr uint32_t BenchTrailCount = 80;
constexpr int32_t BenchColorMode = 8;

// The animation every frame case times, and the surface the stand-in drawers draw into.
Animation& BenchAnimation() {
    static Animation animation;
    return animation;
}
RasterSurface& StandInSurface() {
    static RasterSurface surface;
    return surface;
}

// 32-bit pixels as a window system's image holds them, for the frames drawn into one.
PixelMemory WindowImage(Size size) {
    static std::vector<uint8_t> bytes;
    bytes.assign(static_cast<size_t>(size.width) * static_cast<size_t>(size.height) * 4, 0);
    PixelMemory memory;
    memory.topRow = bytes.data();
    memory.pitch = static_cast<ptrdiff_t>(size.width) * 4;
    memory.layout = PixelLayout::Bgra32;
    memory.width = size.width;
    memory.height = size.height;
    return memory;
}

// The animation as a saver window of this size starts it, stepped to FirstTimedFrame, then
// set to draw with path, into its own surface or a window's 32-bit image. The frames before it
// are drawn the fast way (drawing never changes the motion).
void StartAnimation(Size size, const DrawPath& path = BestDrawPath(), bool intoImage = false) {
    AnimationStart start;
    start.width = size.width;
    start.height = size.height;
    start.trailCount = BenchTrailCount;
    start.colorMode = BenchColorMode;
    start.drawPath = &BestDrawPath();
    Animation& animation = BenchAnimation();
    animation.Start(start);
    if (intoImage) animation.DrawInto(WindowImage(size));
    for (uint32_t f = 0; f < FirstTimedFrame; ++f) animation.RenderFrame();
    animation.SetDrawPath(path);
    if (StandInSurface().GetWidth() != size.width || StandInSurface().GetHeight() != size.height)
        StandInSurface().Create(size.width, size.height, 24);
}

// The processor time of this thread, in seconds: on a machine shared with others' builds it
// leaves out the time the thread waited for a core.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Runs the timed frames through frame() and reports the processor time of one frame, with
// the wall-clock time beside it as the counter wall_ms.
template <typename Frame>
void TimeFrames(benchmark::State& state, Size size, Frame frame,
                const DrawPath& path = BestDrawPath(), bool intoImage = false) {
    double wallSeconds = 0;
    for (auto _ : state) {
        StartAnimation(size, path, intoImage);
        const auto wallStart = std::chrono::steady_clock::now();
        const double start = ThreadSeconds();
        for (uint32_t f = 0; f < TimedFrames; ++f) frame();
        const double elapsed = ThreadSeconds() - start;
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart;
        state.SetIterationTime(elapsed / TimedFrames);
        wallSeconds += wall.count() / TimedFrames;
        benchmark::DoNotOptimize(BenchAnimation().GetSurface().GetBits());
        benchmark::DoNotOptimize(StandInSurface().GetBits());
        benchmark::ClobberMemory();
    }
    state.counters["wall_ms"] = 1000 * wallSeconds / static_cast<double>(state.iterations());
}

// The frame loop of the animation's trails with the discs sent to destination.
template <typename DiscDestination>
void DrawAndMove(DiscDestination& destination, Size size) {
    Animation& animation = BenchAnimation();
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    for (uint32_t i = 0; i < BenchTrailCount; ++i) {
        SchemeColor(BenchColorMode, &red, &green, &blue, i, ClockSeam{});
        DrawTrailDiscs(destination, animation.TrailAt(i), red, green, blue, size.width,
                       size.height);
        MoveTrail(animation.TrailAt(i), size.width, size.height, animation.Random());
    }
}

// The reference's span adds, with each row's span looked up instead of walked.
struct TabulatedSpans {
    RasterSurface* surface;
    void AddFilledCircle(int32_t cx, int32_t cy, int32_t radius, int32_t red, int32_t green,
                         int32_t blue) {
        if (radius <= 0) {
            surface->AddPixel(cx, cy, red, green, blue);
            return;
        }
        const int32_t height = surface->GetHeight();
        const int32_t width = surface->GetWidth();
        if (cx - radius >= width || cx + radius < 0) return;
        const int32_t top = cy - radius < 0 ? 0 : cy - radius;
        const int32_t bottom = cy + radius > height - 1 ? height - 1 : cy + radius;
        for (int32_t y = top; y <= bottom; ++y) {
            const int32_t halfWidth = DiscAccumulator::HalfWidth(radius, y - cy);
            surface->AddSpan(cx - halfWidth, cx + halfWidth, y, red, green, blue);
        }
    }
};

// pixman doing the same saturating adds, span by span, on an x8r8g8b8 image.
class PixmanCanvas {
  public:
    explicit PixmanCanvas(Size size)
        : width(size.width),
          height(size.height),
          pixels(static_cast<size_t>(size.width) * static_cast<size_t>(size.height)) {
        image = pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, pixels.data(), width * 4);
    }
    ~PixmanCanvas() {
        ReleaseSolid();
        pixman_image_unref(image);
    }
    PixmanCanvas(const PixmanCanvas&) = delete;
    PixmanCanvas& operator=(const PixmanCanvas&) = delete;

    void Clear() { pixman_fill(pixels.data(), width, 32, 0, 0, width, height, 0); }

    // One composite per span, clipped first as the surface clips.
    void AddSpan(int32_t x0, int32_t x1, int32_t y, int32_t red, int32_t green, int32_t blue) {
        UseColour(red, green, blue);
        AddClippedSpan(x0, x1, y);
    }

    void AddFilledCircle(int32_t cx, int32_t cy, int32_t radius, int32_t red, int32_t green,
                         int32_t blue) {
        if (radius < 0) radius = 0;
        if (cx - radius >= width || cx + radius < 0) return;
        UseColour(red, green, blue);
        const int32_t top = cy - radius < 0 ? 0 : cy - radius;
        const int32_t bottom = cy + radius > height - 1 ? height - 1 : cy + radius;
        for (int32_t y = top; y <= bottom; ++y) {
            const int32_t halfWidth = DiscAccumulator::HalfWidth(radius, y - cy);
            AddClippedSpan(cx - halfWidth, cx + halfWidth, y);
        }
    }

    // 1 when every pixel matches the surface's bytes.
    int Matches(const RasterSurface& surface) const {
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = surface.RowPointer(y);
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
                if (row[3 * x] != (p & 0xFF) || row[3 * x + 1] != ((p >> 8) & 0xFF) ||
                    row[3 * x + 2] != ((p >> 16) & 0xFF))
                    return 0;
            }
        }
        return 1;
    }

  private:
    void AddClippedSpan(int32_t x0, int32_t x1, int32_t y) {
        if (y < 0 || y >= height) return;
        int32_t lo = x0 < x1 ? x0 : x1;
        int32_t hi = x0 < x1 ? x1 : x0;
        if (lo >= width || hi < 0) return;
        if (lo < 0) lo = 0;
        if (hi > width - 1) hi = width - 1;
        pixman_image_composite32(PIXMAN_OP_ADD, solid, nullptr, image, 0, 0, 0, 0, lo, y,
                                 hi - lo + 1, 1);
    }

    // The source of the adds: remade only when the colour changes (four discs in five keep
    // the colour of the one before).
    void UseColour(int32_t red, int32_t green, int32_t blue) {
        if (solid != nullptr && red == solidRed && green == solidGreen && blue == solidBlue) return;
        ReleaseSolid();
        const pixman_color_t colour = {static_cast<uint16_t>(red * 257),
                                       static_cast<uint16_t>(green * 257),
                                       static_cast<uint16_t>(blue * 257), 0xFFFF};
        solid = pixman_image_create_solid_fill(&colour);
        solidRed = red;
        solidGreen = green;
        solidBlue = blue;
    }

    void ReleaseSolid() {
        if (solid != nullptr) pixman_image_unref(solid);
        solid = nullptr;
    }

    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    pixman_image_t* image = nullptr;
    pixman_image_t* solid = nullptr;
    int32_t solidRed = -1;
    int32_t solidGreen = -1;
    int32_t solidBlue = -1;
};

// The yardstick must draw what the saver draws: frame FirstTimedFrame both ways.
int PixmanDrawsTheSameFrame(Size size) {
    StartAnimation(size);
    PixmanCanvas canvas(size);
    canvas.Clear();
    RasterSurface& surface = StandInSurface();
    surface.FillRectangle(0, 0, size.width - 1, size.height - 1, 0, 0, 0);
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    for (uint32_t i = 0; i < BenchTrailCount; ++i) {
        const Trail& trail = BenchAnimation().TrailAt(i);
        SchemeColor(BenchColorMode, &red, &green, &blue, i, ClockSeam{});
        DrawTrailDiscs(canvas, trail, red, green, blue, size.width, size.height);
        DrawTrailDiscs(surface, trail, red, green, blue, size.width, size.height);
    }
    return canvas.Matches(surface);
}

std::string SizeName(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void RegisterFrames(Size size) {
    const std::string prefix = "frame/" + SizeName(size) + "/";
    auto finish = [](benchmark::internal::Benchmark* b) {
        b->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    };
    finish(benchmark::RegisterBenchmark(
        (prefix + "reference").c_str(), [size](benchmark::State& state) {
            TimeFrames(
                state, size, [] { BenchAnimation().RenderFrame(); }, ReferenceDrawPath());
        }));
    finish(benchmark::RegisterBenchmark(
        (prefix + "table-spans").c_str(), [size](benchmark::State& state) {
            TimeFrames(state, size, [size] {
                TabulatedSpans spans{&StandInSurface()};
                StandInSurface().FillRectangle(0, 0, size.width - 1, size.height - 1, 0, 0, 0);
                DrawAndMove(spans, size);
            });
        }));
    for (const DrawPath& path : DrawPaths) {
        if (path.writeRows == nullptr || !path.supported()) continue;
        const DrawPath* chosen = &path;
        for (const bool intoImage : {false, true}) {
            const std::string name =
                prefix + "accumulated-" + path.name + (intoImage ? "-bgra" : "");
            finish(benchmark::RegisterBenchmark(
                name.c_str(), [size, chosen, intoImage](benchmark::State& state) {
                    TimeFrames(
                        state, size, [] { BenchAnimation().RenderFrame(); }, *chosen, intoImage);
                }));
        }
    }
    finish(
        benchmark::RegisterBenchmark((prefix + "pixman").c_str(), [size](benchmark::State& state) {
            PixmanCanvas canvas(size);
            TimeFrames(state, size, [&canvas, size] {
                canvas.Clear();
                DrawAndMove(canvas, size);
            });
        }));
    finish(
        benchmark::RegisterBenchmark((prefix + "memset").c_str(), [size](benchmark::State& state) {
            TimeFrames(state, size, [] {
                RasterSurface& surface = StandInSurface();
                std::memset(surface.GetBits(), 0,
                            static_cast<size_t>(surface.GetHeight()) *
                                static_cast<size_t>(surface.GetStride()));
                benchmark::ClobberMemory();
            });
        }));
}

// The parts, on a surface of their own; spans and discs move over it from call to call.
constexpr Size PartSize = {1920, 1080};
constexpr int32_t SpanLengths[] = {1, 8, 24, 64, 1024};
constexpr int32_t DiscRadii[] = {1, 4, 16, 64, 199};

RasterSurface& PartSurface() {
    static RasterSurface surface;
    if (surface.GetBits() == nullptr) surface.Create(PartSize.width, PartSize.height, 24);
    return surface;
}

void RegisterParts(Size size) {
    const std::string prefix = "fill/" + SizeName(size) + "/";
    benchmark::RegisterBenchmark((prefix + "reference").c_str(), [size](benchmark::State& state) {
        RasterSurface surface;
        surface.Create(size.width, size.height, 24);
        for (auto _ : state) {
            surface.FillRectangle(0, 0, size.width - 1, size.height - 1, 0, 0, 0);
            benchmark::ClobberMemory();
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((prefix + "accumulated").c_str(), [size](benchmark::State& state) {
        // An accumulated frame without discs over a surface of unknown content: what the fast
        // path pays to clear every pixel (frame after frame it only blackens what was lit).
        RasterSurface surface;
        surface.Create(size.width, size.height, 24);
        DiscAccumulator discs;
        discs.Create(size.width, size.height);
        for (auto _ : state) {
            discs.ForgetMemory();
            discs.WriteFrame(surface);
            benchmark::ClobberMemory();
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((prefix + "pixman").c_str(), [size](benchmark::State& state) {
        PixmanCanvas canvas(size);
        for (auto _ : state) {
            canvas.Clear();
            benchmark::ClobberMemory();
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((prefix + "memset").c_str(), [size](benchmark::State& state) {
        RasterSurface surface;
        surface.Create(size.width, size.height, 24);
        const size_t bytes =
            static_cast<size_t>(surface.GetHeight()) * static_cast<size_t>(surface.GetStride());
        for (auto _ : state) {
            std::memset(surface.GetBits(), 0, bytes);
            benchmark::ClobberMemory();
        }
    })->Unit(benchmark::kMillisecond);
}

void RegisterSpansAndDiscs() {
    for (const int32_t length : SpanLengths) {
        const std::string prefix = "span/" + std::to_string(length) + "/";
        benchmark::RegisterBenchmark((prefix + "reference").c_str(),
                                     [length](benchmark::State& state) {
                                         RasterSurface& surface = PartSurface();
                                         int32_t y = 0;
                                         for (auto _ : state) {
                                             const int32_t x = (y * 37) % (PartSize.width - length);
                                             surface.AddSpan(x, x + length - 1, y, 30, 20, 10);
                                             y = y + 1 < PartSize.height ? y + 1 : 0;
                                         }
                                         benchmark::ClobberMemory();
                                     });
        benchmark::RegisterBenchmark((prefix + "pixman").c_str(),
                                     [length](benchmark::State& state) {
                                         PixmanCanvas canvas(PartSize);
                                         int32_t y = 0;
                                         for (auto _ : state) {
                                             const int32_t x = (y * 37) % (PartSize.width - length);
                                             canvas.AddSpan(x, x + length - 1, y, 30, 20, 10);
                                             y = y + 1 < PartSize.height ? y + 1 : 0;
                                         }
                                         benchmark::ClobberMemory();
                                     });
    }
    for (const int32_t radius : DiscRadii) {
        const std::string prefix = "disc/" + std::to_string(radius) + "/";
        auto centre = [](int32_t i, int32_t* cx, int32_t* cy) {
            *cx = 200 + (i * 97) % (PartSize.width - 400);
            *cy = 200 + (i * 53) % (PartSize.height - 400);
        };
        benchmark::RegisterBenchmark((prefix + "reference").c_str(),
                                     [radius, centre](benchmark::State& state) {
                                         RasterSurface& surface = PartSurface();
                                         int32_t i = 0;
                                         for (auto _ : state) {
                                             int32_t cx = 0;
                                             int32_t cy = 0;
                                             centre(i++, &cx, &cy);
                                             surface.AddFilledCircle(cx, cy, radius, 30, 20, 10);
                                         }
                                         benchmark::ClobberMemory();
                                     });
        benchmark::RegisterBenchmark((prefix + "pixman").c_str(),
                                     [radius, centre](benchmark::State& state) {
                                         PixmanCanvas canvas(PartSize);
                                         int32_t i = 0;
                                         for (auto _ : state) {
                                             int32_t cx = 0;
                                             int32_t cy = 0;
                                             centre(i++, &cx, &cy);
                                             canvas.AddFilledCircle(cx, cy, radius, 30, 20, 10);
                                         }
                                         benchmark::ClobberMemory();
                                     });
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Size sizes[] = {{1920, 1080}, {3840, 2160}};
    for (const Size size : sizes) {
        if (!PixmanDrawsTheSameFrame(size)) {
            std::fprintf(stderr, "bench: pixman's frame differs from the reference at %s\n",
                         SizeName(size).c_str());
            return 1;
        }
    }
    for (const Size size : sizes) RegisterFrames(size);
    for (const Size size : sizes) RegisterParts(size);
    RegisterSpansAndDiscs();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string drawError;
    std::fprintf(stderr, "bench: drawing path %s\n", DrawPathFromEnvironment(&drawError).name);
    if (!drawError.empty()) {
        std::fprintf(stderr, "bench: %s\n", drawError.c_str());
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
