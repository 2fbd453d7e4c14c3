// The SSE2 row writer: runs are stored 16 bytes at a time, four 32-bit pixels or, for 3-byte
// pixels, from three phase-shifted copies of the pixel, since 16 bytes never hold whole 3-byte
// pixels. The same file is the SIMD128 row writer of the WebAssembly build, through emscripten's
// SSE2 header.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "surface/row_writer_job.h"

#if TOLVA_X86_VECTORS || TOLVA_SIMD128_VECTORS
#include <emmintrin.h>

#include "surface/row_writer_loop.h"

namespace {

// Three copies of a 24-bit value at bytes 0, 3 and 6 of a 64-bit word (the third cut short).
constexpr uint64_t ThreeCopies = 0x0001000001000001ull;

struct Sse2Marks {
    static uint64_t TakeMarks(uint8_t* marks) {
        uint64_t bits = 0;
        const __m128i zero = _mm_setzero_si128();
        for (int i = 0; i < 4; ++i) {
            auto* block = reinterpret_cast<__m128i*>(marks + 16 * i);
            const auto unset = static_cast<uint32_t>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(block), zero)));
            bits |= static_cast<uint64_t>(unset ^ 0xFFFFu) << (16 * i);
        }
        if (bits != 0) {
            for (int i = 0; i < 4; ++i)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(marks + 16 * i), zero);
        }
        return bits;
    }
};

struct Sse2Runs24 : Sse2Marks {
    static constexpr int PixelBytes = 3;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* rowEnd) {
        const uint32_t pixel = SaturatedPixel(sum);
        // Phase k: the bytes of the pattern begin with channel k (0 blue, 1 green, 2 red).
        const uint32_t v1 = (pixel >> 8) | (pixel & 0xFF) << 16;
        const uint32_t v2 = (pixel >> 16) | (pixel & 0xFFFF) << 8;
        const auto q0 = static_cast<long long>(pixel * ThreeCopies);
        const auto q1 = static_cast<long long>(v1 * ThreeCopies);
        const auto q2 = static_cast<long long>(v2 * ThreeCopies);
        // 16 bytes starting at phase k continue at phase k + 8 (mod 3) in their upper half.
        const __m128i p0 = _mm_set_epi64x(q2, q0);
        const ptrdiff_t count = end - first;
        if (count < 16) {
            if (rowEnd - first >= 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(first), p0);
                return;
            }
            const auto blue = static_cast<uint8_t>(pixel);
            const auto green = static_cast<uint8_t>(pixel >> 8);
            const auto red = static_cast<uint8_t>(pixel >> 16);
            for (uint8_t* p = first; p != end; p += 3) {
                p[0] = blue;
                p[1] = green;
                p[2] = red;
            }
            return;
        }
        const __m128i p1 = _mm_set_epi64x(q0, q1);
        const __m128i p2 = _mm_set_epi64x(q1, q2);
        uint8_t* p = first;
        for (; end - p >= 48; p += 48) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), p0);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), p1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), p2);
        }
        if (end - p >= 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), p0);
            p += 16;
            if (end - p >= 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p), p1);
                p += 16;
            }
        }
        // The last 16 bytes of a run of whole pixels start at phase 2 (-16 mod 3).
        if (p != end) _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16), p2);
    }
};

template <PixelLayout Layout>
struct Sse2Runs32 : Sse2Marks {
    static constexpr int PixelBytes = 4;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* rowEnd) {
        const uint32_t pixel = OpaquePixel<Layout>(sum);
        const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
        if (end - first < 16) {
            if (rowEnd - first >= 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(first), four);
                return;
            }
            for (uint8_t* p = first; p != end; p += 4) std::memcpy(p, &pixel, sizeof pixel);
            return;
        }
        uint8_t* p = first;
        for (; end - p >= 64; p += 64) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), four);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), four);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), four);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 48), four);
        }
        for (; end - p >= 16; p += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), four);
        // Whole pixels: the last 16 bytes of the run end where it ends.
        if (p != end) _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16), four);
    }
};

}  // namespace

#if TOLVA_X86_VECTORS
// 32-bit Windows hands callbacks a stack aligned to 4 bytes only; realign before any vector
// register can be spilled.
#if defined(__i386__) && defined(_WIN32)
__attribute__((force_align_arg_pointer))
#endif
void WriteRowsSse2(const RowWriterJob& job) {
    WriteDiscRowsInLayout<Sse2Runs24, Sse2Runs32>(job);
}
#endif
#if TOLVA_SIMD128_VECTORS
void WriteRowsSimd128(const RowWriterJob& job) {
    WriteDiscRowsInLayout<Sse2Runs24, Sse2Runs32>(job);
}
#endif
#endif
