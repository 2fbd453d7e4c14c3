// Fuzzer: RasterSurface::Create and PixelStore::Allocate with arbitrary sizes and depths.
// Whatever the numbers, the row length and the buffer size must come out exact (no 32-bit
// product wrapping to a small buffer), a refusal must leave the surface as the rules say
// (unsupported depth: untouched, pixels included; bad size or no memory: empty), and a created
// surface must be zeroed and as large as its height times its stride.
//
// Run with ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=N (scripts/fuzz does)
// so that a size too large for this machine is an allocation that fails, which Create must
// survive, rather than a fuzzer crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "surface/pixel_store.h"
#include "surface/raster_surface.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Surfaces up to this size are checked byte by byte; the fuzzer's allocation limit sits above.
constexpr uint64_t FullCheckBytes = 1u << 20;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "surface_create_fuzzer: %s\n", what);
    std::abort();
}

bool IsSupported(int32_t depth) {
    switch (depth) {
        case 1:
        case 3:
        case 4:
        case 8:
        case 16:
        case 24:
        case 48:
            return true;
        default:
            return false;
    }
}

// Words per row in exact arithmetic (no supported depth and int32 width can overflow 64 bits).
int64_t WordsPerRow(int64_t width, int32_t depth) {
    if (depth == 1) return (width + 31) / 32;
    if (depth == 3) return 3 * ((width + 31) / 32);
    return (depth * width + 31) / 32;
}

bool AllZero(const uint8_t* bytes, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

int32_t Size(FuzzInput& in) {
    const uint8_t pick = in.Byte();
    if (pick < 96) return static_cast<int8_t>(in.Byte());  // small, zero and negative
    if (pick < 160) return static_cast<int32_t>(in.Byte()) << (in.Byte() % 24);
    if (pick < 208) return FuzzInput::Special(in.Byte());
    return in.Raw32();
}

int32_t Depth(FuzzInput& in) {
    static const int32_t depths[] = {1, 3, 4, 8, 16, 24, 48, 0, 2, 32, 64, -24, 25, 47};
    const uint8_t pick = in.Byte();
    if (pick < 224) return depths[pick % (sizeof depths / sizeof depths[0])];
    return in.Raw32();
}

void CheckEmpty(RasterSurface& s) {
    Check(s.GetBits() == nullptr && s.GetWidth() == 0 && s.GetHeight() == 0 && s.GetStride() == 0 &&
              s.GetBitDepth() == 0,
          "a failed Create did not leave the surface empty");
    Check(s.RowPointer(0) == nullptr, "an empty surface gives a row");
    Check(s.AddPixel(0, 0, 1, 1, 1) == 0, "an empty surface drew a pixel");
}

// Marks a created 24-bit surface so that a later refusal can be seen to keep its pixels.
void Mark(RasterSurface& s) {
    if (s.GetBitDepth() == 24) s.AddPixel(0, 0, 7, 8, 9);
}

// Fields and buffer of a surface that Create has just made.
void CheckCreated(const RasterSurface& s, int32_t width, int32_t height, int32_t depth) {
    const int64_t stride = 4 * WordsPerRow(width, depth);
    Check(s.GetWidth() == width && s.GetHeight() == height && s.GetBitDepth() == depth,
          "created with other sizes than asked for");
    Check(s.GetStride() == stride, "stride differs from the row-length rule");
    Check(s.GetBits() != nullptr, "created without a buffer");
    Check(s.RowPointer(height - 1) == s.GetBits(), "the last row is not the buffer's start");
    Check(s.RowPointer(0) == s.GetBits() + static_cast<ptrdiff_t>(height - 1) * stride,
          "the top row is not the buffer's last row");
    const uint64_t total = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
    uint8_t* bits = s.GetBits();
    if (total <= FullCheckBytes) {
        Check(AllZero(bits, total), "a new surface is not all zero");
    } else {
        // Touching both ends makes AddressSanitizer prove the block is as large as claimed.
        Check(bits[0] == 0 && bits[total - 1] == 0, "a new surface is not zero at its ends");
    }
}

struct Snapshot {
    int32_t width, height, stride, depth;
    uint8_t* bits;
    uint8_t firstBytes[3];
};

Snapshot Take(const RasterSurface& s) {
    Snapshot shot{s.GetWidth(), s.GetHeight(), s.GetStride(), s.GetBitDepth(), s.GetBits(), {}};
    if (shot.bits != nullptr && shot.depth == 24)
        std::memcpy(shot.firstBytes, s.RowPointer(0), sizeof shot.firstBytes);
    return shot;
}

void CheckUnchanged(const RasterSurface& s, const Snapshot& shot) {
    Check(s.GetWidth() == shot.width && s.GetHeight() == shot.height &&
              s.GetStride() == shot.stride && s.GetBitDepth() == shot.depth &&
              s.GetBits() == shot.bits,
          "an unsupported depth changed the surface");
    if (shot.bits != nullptr && shot.depth == 24)
        Check(std::memcmp(shot.firstBytes, s.RowPointer(0), sizeof shot.firstBytes) == 0,
              "an unsupported depth changed the pixels");
}

// A pixel store on its own: sizes below 1 change nothing, others give exactly the bytes asked.
class ProbeStore : public PixelStore {
  public:
    int32_t RowBytes() const { return bytesPerRow; }
};

void FuzzAllocate(FuzzInput& in) {
    ProbeStore store;
    const int32_t firstBits = 1 + in.Byte();
    const int32_t firstRows = 1 + in.Byte() % 16;
    Check(store.Allocate(firstBits, firstRows) == 1, "a small Allocate failed");
    uint8_t* before = store.GetBits();
    before[0] = 0x5A;
    const int32_t widthBits = Size(in);
    const int32_t rows = Size(in);
    const int result = store.Allocate(widthBits, rows);
    if (widthBits < 1 || rows < 1) {
        Check(result == 0 && store.GetBits() == before && before[0] == 0x5A,
              "an Allocate below 1 changed the store");
        return;
    }
    const uint64_t rowBytes = (static_cast<uint64_t>(widthBits) + 7) / 8;
    if (result == 0) {
        Check(rowBytes * static_cast<uint64_t>(rows) > FullCheckBytes, "a small Allocate failed");
        Check(store.GetBits() == nullptr, "a failed Allocate kept a buffer");
        return;
    }
    Check(static_cast<uint64_t>(store.RowBytes()) == rowBytes, "bytes per row differ");
    const uint64_t total = rowBytes * static_cast<uint64_t>(rows);
    uint8_t* bits = store.GetBits();
    if (total <= FullCheckBytes)
        Check(AllZero(bits, total), "an allocated store is not zero");
    else
        Check(bits[0] == 0 && bits[total - 1] == 0, "an allocated store is not zero at its ends");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    if (in.Byte() & 1) {
        FuzzAllocate(in);
        return 0;
    }
    RasterSurface surface;
    for (int call = 0; call < 4 && !in.Empty(); ++call) {
        const int32_t width = Size(in);
        const int32_t height = Size(in);
        const int32_t depth = Depth(in);
        const Snapshot shot = Take(surface);
        const int result = surface.Create(width, height, depth);
        if (!IsSupported(depth)) {
            Check(result == 0, "an unsupported depth was accepted");
            CheckUnchanged(surface, shot);
            continue;
        }
        if (width < 1 || height < 1) {
            Check(result == 0, "a size below 1 was accepted");
            CheckEmpty(surface);
            continue;
        }
        if (result == 0) {
            // Too large for this process: refused, but never by wrapping to a small image, and
            // never for a surface that fits easily.
            const uint64_t total = 4 * static_cast<uint64_t>(WordsPerRow(width, depth)) *
                                   static_cast<uint64_t>(height);
            Check(total > FullCheckBytes, "a small surface was refused");
            CheckEmpty(surface);
            continue;
        }
        Check(result == 1, "Create returned neither 0 nor 1");
        CheckCreated(surface, width, height, depth);
        Mark(surface);
    }
    return 0;
}
