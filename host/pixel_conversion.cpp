// The pixel conversions: a plain loop, and SSSE3 byte shuffles that spread 16 pixels (48 bytes,
// three loads) into four stores of four, compiled for SSSE3 in this file alone and run only
// after the processor has been asked.
#include "host/pixel_conversion.h"

#include <cstddef>
#include <cstdint>

#include "surface/frame.h"
#include "surface/processor_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define TOLVA_SSSE3_CONVERSION 1
#else
#define TOLVA_SSSE3_CONVERSION 0
#endif

namespace {

int Always() {
    return 1;
}

// The top byte is alpha in a 32-bit (ARGB) visual and ignored in a 24-bit one: opaque, or a
// compositor shows the picture through.
constexpr uint32_t Opaque = 0xFF000000u;

void ConvertScalar(const uint8_t* in, uint32_t* out, int32_t count) {
    for (int32_t x = 0; x < count; ++x, in += 3)
        out[x] =
            Opaque | static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[1]) << 8 | in[0];
}

#if TOLVA_SSSE3_CONVERSION
// Reads exactly the 3 * count bytes of the pixels: a band may end at the end of the frame.
__attribute__((target("ssse3"))) void ConvertSsse3(const uint8_t* in, uint32_t* out,
                                                   int32_t count) {
    // Four pixels of a 16-byte block, each followed by a zero byte (-1 selects zero) that
    // becomes the opaque alpha.
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(Opaque));
    int32_t x = 0;
    for (; x + 16 <= count; x += 16, in += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
        // Pixels 4, 8 and 12 begin at bytes 12, 24 and 36.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_or_si128(_mm_shuffle_epi8(a, spread), opaque));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4),
                         _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread), opaque));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 8),
                         _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread), opaque));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 12),
                         _mm_or_si128(_mm_shuffle_epi8(_mm_srli_si128(c, 4), spread), opaque));
    }
    ConvertScalar(in, out + x, count - x);
}
#endif

}  // namespace

const PixelConversion PixelConversions[PixelConversionCount] = {
#if TOLVA_SSSE3_CONVERSION
    {"ssse3", ProcessorHasSsse3, ConvertSsse3},
#else
    {"ssse3", [] { return 0; }, nullptr},
#endif
    {"scalar", Always, ConvertScalar},
};

const PixelConversion& BestPixelConversion() {
    static const PixelConversion* best = [] {
        for (const PixelConversion& conversion : PixelConversions) {
            if (conversion.convert != nullptr && conversion.supported()) return &conversion;
        }
        return &PixelConversions[PixelConversionCount - 1];
    }();
    return *best;
}

void ConvertFrameBand(const FrameView& frame, const FrameBand& band, uint8_t* out, size_t pitch,
                      PixelRowConversion convert) {
    for (int32_t y = band.top; y < band.bottom; ++y, out += pitch)
        convert(FramePixel(frame, band.left, y), reinterpret_cast<uint32_t*>(out),
                band.right - band.left);
}
