// The AVX2 row writer: 32-byte stores of eight 32-bit pixels, or of 3-byte pixels spread by a
// byte shuffle. Built only where the wide paths are (64-bit x86, not MinGW) and run only on
// processors with AVX2.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "surface/row_writer_job.h"

#if TOLVA_WIDE_VECTORS
#include <immintrin.h>

#include "surface/disc_phase_table.h"
#include "surface/row_writer_loop.h"

namespace {

inline __m256i Phase(__m256i source, int phase) {
    return _mm256_shuffle_epi8(
        source, _mm256_load_si256(reinterpret_cast<const __m256i*>(PixelPhases.index[phase])));
}

struct Avx2Marks {
    static uint64_t TakeMarks(uint8_t* marks) {
        const __m256i zero = _mm256_setzero_si256();
        auto* low = reinterpret_cast<__m256i*>(marks);
        auto* high = reinterpret_cast<__m256i*>(marks + 32);
        const auto unsetLow = static_cast<uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(low), zero)));
        const auto unsetHigh = static_cast<uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(high), zero)));
        const uint64_t bits = ~(static_cast<uint64_t>(unsetHigh) << 32 | unsetLow);
        if (bits != 0) {
            _mm256_storeu_si256(low, zero);
            _mm256_storeu_si256(high, zero);
        }
        return bits;
    }
};

struct Avx2Runs24 : Avx2Marks {
    static constexpr int PixelBytes = 3;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* rowEnd) {
        const uint32_t pixel = SaturatedPixel(sum);
        const __m256i source = _mm256_set1_epi32(static_cast<int>(pixel));
        const __m256i p0 = Phase(source, 0);
        const ptrdiff_t count = end - first;
        if (count < 32) {
            if (rowEnd - first >= 32) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(first), p0);
                return;
            }
            if (count >= 16) {
                // Near the row's end: two overlapping 16-byte stores, the second at phase 2.
                _mm_storeu_si128(reinterpret_cast<__m128i*>(first), _mm256_castsi256_si128(p0));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16),
                                 _mm256_castsi256_si128(Phase(source, 2)));
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
        // Stores at offsets 0, 32 and 64 begin at phases 0, 2 and 1.
        const __m256i p2 = Phase(source, 2);
        const __m256i p1 = Phase(source, 1);
        uint8_t* p = first;
        for (; end - p >= 96; p += 96) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), p0);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), p2);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 64), p1);
        }
        if (end - p >= 32) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), p0);
            p += 32;
            if (end - p >= 32) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), p2);
                p += 32;
            }
        }
        // The last 32 bytes of a run of whole pixels start at phase 1 (-32 mod 3).
        if (p != end) _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 32), p1);
    }
};

template <PixelLayout Layout>
struct Avx2Runs32 : Avx2Marks {
    static constexpr int PixelBytes = 4;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* rowEnd) {
        const uint32_t pixel = OpaquePixel<Layout>(sum);
        const __m256i eight = _mm256_set1_epi32(static_cast<int>(pixel));
        const ptrdiff_t count = end - first;
        if (count < 32) {
            if (rowEnd - first >= 32) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(first), eight);
                return;
            }
            if (count >= 16) {
                // Near the row's end: two overlapping 16-byte stores.
                _mm_storeu_si128(reinterpret_cast<__m128i*>(first), _mm256_castsi256_si128(eight));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16),
                                 _mm256_castsi256_si128(eight));
                return;
            }
            for (uint8_t* p = first; p != end; p += 4) std::memcpy(p, &pixel, sizeof pixel);
            return;
        }
        uint8_t* p = first;
        for (; end - p >= 128; p += 128) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), eight);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), eight);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 64), eight);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 96), eight);
        }
        for (; end - p >= 32; p += 32) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), eight);
        if (p != end) _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 32), eight);
    }
};

}  // namespace

void WriteRowsAvx2(const RowWriterJob& job) {
    WriteDiscRowsInLayout<Avx2Runs24, Avx2Runs32>(job);
}
#endif
