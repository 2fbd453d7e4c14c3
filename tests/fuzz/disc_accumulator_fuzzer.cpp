// Fuzzer: the accumulated frame drawing, on every accumulated drawing path this processor
// runs, against the reference surface operations it stands in for. Each input is a few frames of
// discs with arbitrary centres, radii and amounts on a small surface whose width crosses the vector
// widths; every frame written on every path must equal, byte for byte with the row padding,
// clearing the reference surface and drawing the accepted discs one by one. Between frames the
// input may scribble on a path's surface (after ForgetMemory the next frame must still come out
// whole), flood an accumulator past its capacity, or write into a surface of another size
// (refused, nothing written). The documented refusals of AddFilledCircle are checked call by call.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "surface/disc_accumulator.h"
#include "surface/draw_paths.h"
#include "surface/raster_surface.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr int32_t MaxWidth = 96;
constexpr int32_t MaxHeight = 48;
constexpr int MaxFrames = 6;

void Check(bool condition, const char* what, const DrawPath* path) {
    if (condition) return;
    std::fprintf(stderr, "disc_accumulator_fuzzer: %s (path %s)\n", what, path->name);
    std::abort();
}

struct Disc {
    int32_t x, y, radius, red, green, blue;
};

struct Level {
    const DrawPath* path;
    DiscAccumulator accumulator;
    RasterSurface surface;
};

size_t StoreSize(const RasterSurface& s) {
    return static_cast<size_t>(s.GetHeight()) * static_cast<size_t>(s.GetStride());
}

int32_t Radius(FuzzInput& in, int32_t extent) {
    const uint8_t pick = in.Byte();
    if (pick < 160) return in.Byte() % 40;  // the frame's usual sizes
    if (pick < 200) return DiscAccumulator::MaxRadius - 4 + in.Byte() % 9;  // around the limit
    if (pick < 230) return -static_cast<int32_t>(in.Byte() % 4);
    return in.Argument(extent);
}

int32_t Amount(FuzzInput& in) {
    const uint8_t pick = in.Byte();
    if (pick < 200) return in.Byte();
    if (pick < 240) return 256 + in.Byte();
    return in.Argument(256);
}

// Offers a disc to every level's accumulator; all must answer alike and as documented: refused
// for a radius above MaxRadius or a negative amount, taken while there is room, and once full
// either refused or, for a disc wholly off the frame, taken as drawn. An accepted disc goes into
// the plain reference, where one that was not really kept would show.
void Offer(const std::vector<Level*>& levels, const Disc& d, std::vector<Disc>* frame) {
    if (levels.empty()) return;
    const bool badArguments =
        d.radius > DiscAccumulator::MaxRadius || d.red < 0 || d.green < 0 || d.blue < 0;
    const bool full = levels[0]->accumulator.GetDiscCount() >= DiscAccumulator::MaxDiscs;
    int first = -1;
    for (Level* level : levels) {
        const int result =
            level->accumulator.AddFilledCircle(d.x, d.y, d.radius, d.red, d.green, d.blue);
        if (badArguments)
            Check(result == 0, "a refused disc was taken", level->path);
        else if (!full)
            Check(result == 1, "a disc was refused with room left", level->path);
        if (first < 0) first = result;
        Check(result == first, "levels answer a disc differently", level->path);
        Check(level->accumulator.GetDiscCount() == levels[0]->accumulator.GetDiscCount(),
              "levels disagree on the discs kept", level->path);
        Check(level->accumulator.GetDiscCount() <= DiscAccumulator::MaxDiscs,
              "more discs kept than there is room for", level->path);
    }
    if (first == 1) frame->push_back(d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int32_t width = 1 + in.Byte() % MaxWidth;
    const int32_t height = 1 + in.Byte() % MaxHeight;

    std::vector<Level*> levels;
    for (const DrawPath& path : DrawPaths) {
        if (path.writeRows == nullptr || !path.supported()) continue;
        auto* level = new Level;
        level->path = &path;
        Check(level->accumulator.Create(width, height) == 1, "Create failed", level->path);
        Check(level->surface.Create(width, height, 24) == 1, "surface Create failed", level->path);
        levels.push_back(level);
    }
    RasterSurface reference;
    reference.Create(width, height, 24);
    RasterSurface other;
    other.Create(width + 1, height, 24);
    std::vector<Disc> frame;

    for (int frameIndex = 0; frameIndex < MaxFrames && !in.Empty(); ++frameIndex) {
        frame.clear();
        for (int call = 0; call < 48 && !in.Empty(); ++call) {
            const uint8_t op = in.Byte();
            if (op < 200) {
                Disc d;
                d.x = in.Argument(width);
                d.y = in.Argument(height);
                d.radius = Radius(in, width);
                d.red = Amount(in);
                d.green = Amount(in);
                d.blue = Amount(in);
                Offer(levels, d, &frame);
            } else if (op < 210) {
                // A crowd of pixels and small discs on one spot, up to past the capacity.
                const int32_t x = in.Argument(width);
                const int32_t y = in.Argument(height);
                const int32_t count = (in.Byte() + 1) * 16;
                for (int32_t i = 0; i < count; ++i)
                    Offer(levels, Disc{x, y, i % 3, 1, 2, 3}, &frame);
            } else if (op < 225 && !levels.empty()) {
                // Something else draws on one level's surface; it says so with ForgetMemory.
                Level* level = levels[in.Byte() % levels.size()];
                for (int32_t y = 0; y < height; ++y) {
                    uint8_t* row = level->surface.RowPointer(y);
                    for (int32_t i = 0; i < 3 * width; ++i)
                        row[i] = static_cast<uint8_t>(in.Byte() ^ (i * 37));
                }
                level->accumulator.ForgetMemory();
            } else if (op < 235) {
                // A surface of another size is refused untouched.
                const std::vector<uint8_t> before(other.GetBits(),
                                                  other.GetBits() + StoreSize(other));
                for (Level* level : levels) {
                    Check(level->accumulator.WriteFrameWith(other, level->path->writeRows) == 0,
                          "written into a surface of another size", level->path);
                    Check(std::memcmp(before.data(), other.GetBits(), before.size()) == 0,
                          "a refused WriteFrame wrote", level->path);
                }
            } else {
                break;  // end of this frame
            }
        }

        reference.FillRectangle(0, 0, width - 1, height - 1, 0, 0, 0);
        for (const Disc& d : frame)
            reference.AddFilledCircle(d.x, d.y, d.radius, d.red, d.green, d.blue);
        for (Level* level : levels) {
            Check(level->accumulator.WriteFrameWith(level->surface, level->path->writeRows) == 1,
                  "WriteFrame refused its own size", level->path);
            Check(std::memcmp(reference.GetBits(), level->surface.GetBits(),
                              StoreSize(reference)) == 0,
                  "accumulated frame differs from the reference surface", level->path);
            Check(level->accumulator.GetDiscCount() == 0, "WriteFrame kept discs", level->path);
        }
    }
    for (Level* level : levels) delete level;
    return 0;
}
