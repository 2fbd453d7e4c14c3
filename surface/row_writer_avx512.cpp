// The AVX-512 row writer: the running sum saturated and spread into 64-byte rows of pixels in
// vector registers (for 3-byte pixels a byte permute, AVX-512 VBMI), the last store of each run
// masked to end exactly where the run ends. Built only where the wide paths are (64-bit x86, not
// MinGW) and run only on processors with AVX-512 BW and VBMI.
#include <cstddef>
#include <cstdint>

#include "surface/row_writer_job.h"

#if TOLVA_WIDE_VECTORS
#include <immintrin.h>

#include "surface/disc_phase_table.h"
#include "surface/row_writer_loop.h"

namespace {

inline __m512i Phase(__m512i channels, int phase) {
    return _mm512_maskz_permutexvar_epi8(~0ull, _mm512_load_si512(PixelPhases.laneIndex[phase]),
                                         channels);
}

// Blue, green and red of a packed running sum, each saturated at 255, in the low bytes of
// 64-bit lanes 0, 1 and 2: no scalar unpacking between the sum and the stores.
inline __m512i SaturatedChannels(uint64_t sum) {
    const __m512i shifts =
        _mm512_set_epi64(0, 0, 0, 0, 0, 2 * PackedChannelBits, PackedChannelBits, 0);
    // The zero-masked forms: GCC 12 warns that the plain ones read an undefined register.
    const __m512i fields = _mm512_and_si512(
        _mm512_maskz_srlv_epi64(0x07, _mm512_set1_epi64(static_cast<long long>(sum)), shifts),
        _mm512_set1_epi64(static_cast<long long>(PackedChannelMask)));
    return _mm512_maskz_min_epu64(0x07, fields, _mm512_set1_epi64(255));
}

inline void StoreFirst(uint8_t* p, ptrdiff_t count, __m512i pattern) {
    _mm512_mask_storeu_epi8(p, _bzhi_u64(~0ull, static_cast<unsigned>(count)), pattern);
}

struct Avx512Marks {
    static uint64_t TakeMarks(uint8_t* marks) {
        const __m512i block = _mm512_loadu_si512(marks);
        const uint64_t bits = _mm512_test_epi8_mask(block, block);
        if (bits != 0) _mm512_storeu_si512(marks, _mm512_setzero_si512());
        return bits;
    }
};

struct Avx512Runs24 : Avx512Marks {
    static constexpr int PixelBytes = 3;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* /*rowEnd*/) {
        const __m512i source = SaturatedChannels(sum);
        // Stores at offsets 0, 64 and 128 begin at phases 0, 1 and 2.
        const __m512i p0 = Phase(source, 0);
        // Most runs fit one store.
        if (end - first <= 64) {
            StoreFirst(first, end - first, p0);
            return;
        }
        const __m512i p1 = Phase(source, 1);
        const __m512i p2 = Phase(source, 2);
        ptrdiff_t count = end - first;
        uint8_t* p = first;
        for (; count > 192; p += 192, count -= 192) {
            _mm512_storeu_si512(p, p0);
            _mm512_storeu_si512(p + 64, p1);
            _mm512_storeu_si512(p + 128, p2);
        }
        // The rest, 1 to 192 bytes, masked to end exactly at the run's end.
        if (count <= 64) {
            StoreFirst(p, count, p0);
            return;
        }
        _mm512_storeu_si512(p, p0);
        if (count <= 128) {
            StoreFirst(p + 64, count - 64, p1);
            return;
        }
        _mm512_storeu_si512(p + 64, p1);
        StoreFirst(p + 128, count - 128, p2);
    }
};

template <PixelLayout Layout>
struct Avx512Runs32 : Avx512Marks {
    static constexpr int PixelBytes = 4;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* /*rowEnd*/) {
        const __m512i sixteen = _mm512_set1_epi32(static_cast<int>(OpaquePixel<Layout>(sum)));
        ptrdiff_t count = end - first;
        uint8_t* p = first;
        for (; count > 256; p += 256, count -= 256) {
            _mm512_storeu_si512(p, sixteen);
            _mm512_storeu_si512(p + 64, sixteen);
            _mm512_storeu_si512(p + 128, sixteen);
            _mm512_storeu_si512(p + 192, sixteen);
        }
        for (; count > 64; p += 64, count -= 64) _mm512_storeu_si512(p, sixteen);
        StoreFirst(p, count, sixteen);
    }
};

}  // namespace

void WriteRowsAvx512(const RowWriterJob& job) {
    WriteDiscRowsInLayout<Avx512Runs24, Avx512Runs32>(job);
}
#endif
