// Fuzzer: a program of raster-surface calls with arbitrary arguments (int32 extremes,
// coordinates far off the surface, huge and negative radii, colours out of range) on small
// surfaces of every supported depth. A shadow model works out from the drawing rules which bytes
// each call may change and to what, and after every call the whole pixel store must equal it:
// nothing outside the clipped span, pixel or disc changes, the row padding stays zero, and each
// row of a disc receives its colour exactly once. Guard bytes around the surface object catch
// stray writes into its neighbours; AddressSanitizer catches any access outside the heap blocks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "surface/raster_surface.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr int32_t SupportedDepths[] = {1, 3, 4, 8, 16, 24, 48};
constexpr int32_t MaxSide = 40;
// A disc's octant walk is linear in how far it has to go before it can draw nothing more; discs
// that would walk further than this are left out so that each input stays fast.
constexpr int64_t WalkBudget = 1 << 17;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "surface_ops_fuzzer: %s\n", what);
    std::abort();
}

// What the surface must hold: its fields and a copy of every byte of its pixel store.
struct Shadow {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t depth = 0;
    std::vector<uint8_t> bytes;  // empty exactly when the surface is
};

int64_t WordsPerRow(int64_t width, int32_t depth) {
    if (depth == 1) return (width + 31) / 32;
    if (depth == 3) return 3 * ((width + 31) / 32);
    return (depth * width + 31) / 32;
}

bool IsSupported(int32_t depth) {
    for (int32_t d : SupportedDepths)
        if (d == depth) return true;
    return false;
}

class Model {
  public:
    explicit Model(Shadow* shadow) : s(*shadow) {}

    // Expected result of Create; the sizes this fuzzer passes are small, so allocation succeeds.
    int Create(int32_t width, int32_t height, int32_t depth) {
        if (!IsSupported(depth)) return 0;
        s = Shadow{};
        if (width < 1 || height < 1) return 0;
        const int64_t words = WordsPerRow(width, depth);
        s.width = width;
        s.height = height;
        s.depth = depth;
        s.stride = static_cast<int32_t>(4 * words);
        s.bytes.assign(static_cast<size_t>(s.stride) * static_cast<size_t>(height), 0);
        return 1;
    }

    void Destroy() { s = Shadow{}; }

    // actual: the real store after the call, consulted only for the bytes whose value the rules
    // leave open (colour components outside what the system passes).
    void Span(int64_t x0, int64_t x1, int64_t y, int32_t r, int32_t g, int32_t b, bool fill,
              const uint8_t* actual) {
        if (s.depth != 24 || s.bytes.empty()) return;
        if (y < 0 || y >= s.height) return;
        int64_t lo = x0 < x1 ? x0 : x1;
        int64_t hi = x0 < x1 ? x1 : x0;
        if (lo >= s.width || hi < 0) return;
        if (lo < 0) lo = 0;
        if (hi > s.width - 1) hi = s.width - 1;
        for (int64_t x = lo; x <= hi; ++x) TouchPixel(x, y, r, g, b, fill, actual);
    }

    int Pixel(int64_t x, int64_t y, int32_t r, int32_t g, int32_t b, const uint8_t* actual) {
        if (s.depth != 24 || s.bytes.empty()) return 0;
        if (y < 0 || y >= s.height || x < 0 || x >= s.width) return 0;
        TouchPixel(x, y, r, g, b, false, actual);
        return 1;
    }

    void Rectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t r, int32_t g, int32_t b,
                   const uint8_t* actual) {
        int64_t top = y0 < y1 ? y0 : y1;
        int64_t bottom = y0 < y1 ? y1 : y0;
        if (top >= s.height || bottom < 0) return;
        if (top < 0) top = 0;
        if (bottom > s.height - 1) bottom = s.height - 1;
        for (int64_t y = top; y <= bottom; ++y) Span(x0, x1, y, r, g, b, true, actual);
    }

    // The disc as the octant walk defines it, in exact arithmetic: each row keeps the first
    // span that reaches it, rows off the surface are neither drawn nor flagged.
    void Disc(int64_t cx, int64_t cy, int64_t radius, int32_t r, int32_t g, int32_t b,
              const uint8_t* actual) {
        if (radius <= 0) {
            Pixel(cx, cy, r, g, b, actual);
            return;
        }
        if (cx - radius >= s.width || cx + radius < 0 || cy + radius < 0 || cy - radius >= s.height)
            return;
        std::vector<uint8_t> reached(static_cast<size_t>(s.height), 0);
        auto offer = [&](int64_t row, int64_t halfWidth) {
            if (row < 0 || row >= s.height || reached[static_cast<size_t>(row)]) return;
            Span(cx - halfWidth, cx + halfWidth, row, r, g, b, false, actual);
            reached[static_cast<size_t>(row)] = 1;
        };
        int64_t m = 0;
        int64_t rowOffset = radius;
        int64_t decision = 2 * radius - 1;
        int64_t increment = 1;
        int64_t correction = 2 * radius - 3;
        for (;;) {
            offer(cy + rowOffset, m);
            offer(cy - rowOffset, m);
            offer(cy + m, rowOffset);
            offer(cy - m, rowOffset);
            // Rows cy +- m are both off the surface, and rows cy +- rowOffset lie further out:
            // the rest of the walk cannot reach the surface.
            if (cy - m < 0 && cy + m >= s.height) break;
            decision -= increment;
            if (decision <= 0) {
                decision += correction;
                correction -= 2;
                --rowOffset;
                if (m >= rowOffset) break;
            }
            increment += 2;
            ++m;
        }
        // Every row of the disc that is on the surface got its one span.
        const int64_t first = cy - radius > 0 ? cy - radius : 0;
        const int64_t last = cy + radius < s.height - 1 ? cy + radius : s.height - 1;
        for (int64_t row = 0; row < s.height; ++row)
            Check((reached[static_cast<size_t>(row)] != 0) == (row >= first && row <= last),
                  "the disc model missed a row or reached one outside the disc");
    }

  private:
    void TouchPixel(int64_t x, int64_t y, int32_t r, int32_t g, int32_t b, bool fill,
                    const uint8_t* actual) {
        const size_t at = static_cast<size_t>(s.height - 1 - y) * static_cast<size_t>(s.stride) +
                          3 * static_cast<size_t>(x);
        TouchByte(at + 0, b, fill, actual);
        TouchByte(at + 1, g, fill, actual);
        TouchByte(at + 2, r, fill, actual);
    }

    void TouchByte(size_t at, int32_t amount, bool fill, const uint8_t* actual) {
        uint8_t& byte = s.bytes[at];
        if (fill) {
            byte = amount >= 0 && amount <= 255 ? static_cast<uint8_t>(amount) : actual[at];
        } else if (amount >= 0) {
            const int64_t sum = static_cast<int64_t>(byte) + amount;
            byte = static_cast<uint8_t>(sum > 255 ? 255 : sum);
        } else {
            byte = actual[at];
        }
    }

    Shadow& s;
};

// Steps the walk takes before it ends or can reach the surface no more.
int64_t DiscWalkLength(int64_t cy, int64_t radius, int32_t height) {
    const int64_t full = radius - radius / 4;  // the walk ends near radius / sqrt(2)
    int64_t offSurface;
    if (cy < 0)
        offSurface = height - cy;
    else if (cy >= height)
        offSurface = cy + 1;
    else
        offSurface = cy + 1 > height - cy ? cy + 1 : height - cy;
    return full < offSurface ? full : offSurface;
}

struct GuardedSurface {
    uint8_t before[64];
    RasterSurface surface;
    uint8_t after[64];
};
constexpr uint8_t GuardPattern = 0xA5;

void CheckAgainst(const GuardedSurface& g, const Shadow& s) {
    for (uint8_t byte : g.before) Check(byte == GuardPattern, "write before the surface object");
    for (uint8_t byte : g.after) Check(byte == GuardPattern, "write after the surface object");
    const RasterSurface& surface = g.surface;
    Check(surface.GetWidth() == s.width, "width differs");
    Check(surface.GetHeight() == s.height, "height differs");
    Check(surface.GetStride() == s.stride, "stride differs");
    Check(surface.GetBitDepth() == s.depth, "bit depth differs");
    Check((surface.GetBits() == nullptr) == s.bytes.empty(), "buffer presence differs");
    if (!s.bytes.empty())
        Check(std::memcmp(surface.GetBits(), s.bytes.data(), s.bytes.size()) == 0,
              "pixel store differs from the drawing rules");
}

int32_t SmallSide(int32_t value) {
    // Keep zero and negative sizes (refusals) but no big surface: this fuzzer is about drawing.
    return value > MaxSide ? 1 + value % MaxSide : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    auto* guarded = new GuardedSurface;
    std::memset(guarded->before, GuardPattern, sizeof guarded->before);
    std::memset(guarded->after, GuardPattern, sizeof guarded->after);
    RasterSurface& surface = guarded->surface;
    Shadow shadow;
    Model model(&shadow);

    const int32_t width = 1 + in.Byte() % MaxSide;
    const int32_t height = 1 + in.Byte() % MaxSide;
    const int32_t depth = SupportedDepths[in.Byte() % 7];
    Check(surface.Create(width, height, depth) == model.Create(width, height, depth),
          "Create result differs");
    CheckAgainst(*guarded, shadow);

    for (int call = 0; call < 64 && !in.Empty(); ++call) {
        const int32_t w = shadow.width > 0 ? shadow.width : MaxSide;
        const int32_t h = shadow.height > 0 ? shadow.height : MaxSide;
        const uint8_t op = in.Byte() % 10;
        switch (op) {
            case 0:
            case 1: {
                const int32_t x0 = in.Argument(w), x1 = in.Argument(w), y = in.Argument(h);
                const int32_t r = in.Argument(256), g = in.Argument(256), b = in.Argument(256);
                if (op == 0)
                    surface.FillSpan(x0, x1, y, r, g, b);
                else
                    surface.AddSpan(x0, x1, y, r, g, b);
                model.Span(x0, x1, y, r, g, b, op == 0, surface.GetBits());
                break;
            }
            case 2: {
                const int32_t x = in.Argument(w), y = in.Argument(h);
                const int32_t r = in.Argument(256), g = in.Argument(256), b = in.Argument(256);
                const int result = surface.AddPixel(x, y, r, g, b);
                Check(result == model.Pixel(x, y, r, g, b, surface.GetBits()),
                      "AddPixel result differs");
                break;
            }
            case 3:
            case 4:
            case 5: {
                const int32_t cx = in.Argument(w), cy = in.Argument(h), radius = in.Argument(w);
                const int32_t r = in.Argument(256), g = in.Argument(256), b = in.Argument(256);
                if (radius > 0 && DiscWalkLength(cy, radius, h) > WalkBudget) break;
                surface.AddFilledCircle(cx, cy, radius, r, g, b);
                model.Disc(cx, cy, radius, r, g, b, surface.GetBits());
                break;
            }
            case 6: {
                const int32_t x0 = in.Argument(w), y0 = in.Argument(h);
                const int32_t x1 = in.Argument(w), y1 = in.Argument(h);
                const int32_t r = in.Argument(256), g = in.Argument(256), b = in.Argument(256);
                surface.FillRectangle(x0, y0, x1, y1, r, g, b);
                model.Rectangle(x0, y0, x1, y1, r, g, b, surface.GetBits());
                break;
            }
            case 7: {
                const int32_t y = in.Argument(h);
                uint8_t* expected = nullptr;
                if (!shadow.bytes.empty() && y >= 0 && y < shadow.height)
                    expected = surface.GetBits() +
                               static_cast<ptrdiff_t>(shadow.height - 1 - y) * shadow.stride;
                Check(surface.RowPointer(y) == expected, "RowPointer differs");
                break;
            }
            case 8: {
                const int32_t newWidth = SmallSide(in.Argument(w));
                const int32_t newHeight = SmallSide(in.Argument(h));
                // Mostly supported depths, sometimes anything: a refusal must keep the pixels.
                const uint8_t pick = in.Byte();
                const int32_t newDepth = pick < 200 ? SupportedDepths[pick % 7] : in.Argument(64);
                const int expected = model.Create(newWidth, newHeight, newDepth);
                Check(surface.Create(newWidth, newHeight, newDepth) == expected,
                      "Create result differs");
                break;
            }
            case 9:
                surface.Destroy();
                model.Destroy();
                break;
        }
        CheckAgainst(*guarded, shadow);
    }
    surface.Destroy();
    Check(surface.GetBits() == nullptr && surface.RowPointer(0) == nullptr,
          "Destroy left pixels behind");
    surface.Destroy();
    delete guarded;
    return 0;
}
