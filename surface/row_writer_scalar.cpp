// The row writer with no vector code: the accumulated path every build has.
#include <cstdint>
#include <cstring>

#include "surface/row_writer_job.h"
#include "surface/row_writer_loop.h"

namespace {

struct ScalarMarks {
    static uint64_t TakeMarks(uint8_t* marks) {
        uint64_t bits = 0;
        for (int i = 0; i < 64; i += 8) {
            uint64_t word = 0;
            std::memcpy(&word, marks + i, sizeof word);
            if (word == 0) continue;
            for (int k = i; k < i + 8; ++k) {
                if (marks[k] != 0) bits |= uint64_t{1} << k;
                marks[k] = 0;
            }
        }
        return bits;
    }
};

struct ScalarRuns24 : ScalarMarks {
    static constexpr int PixelBytes = 3;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* /*rowEnd*/) {
        const uint32_t pixel = SaturatedPixel(sum);
        const auto blue = static_cast<uint8_t>(pixel);
        const auto green = static_cast<uint8_t>(pixel >> 8);
        const auto red = static_cast<uint8_t>(pixel >> 16);
        for (uint8_t* p = first; p != end; p += 3) {
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
};

template <PixelLayout Layout>
struct ScalarRuns32 : ScalarMarks {
    static constexpr int PixelBytes = 4;

    static void Run(uint8_t* first, uint8_t* end, uint64_t sum, uint8_t* /*rowEnd*/) {
        const uint32_t pixel = OpaquePixel<Layout>(sum);
        for (uint8_t* p = first; p != end; p += 4) std::memcpy(p, &pixel, sizeof pixel);
    }
};

}  // namespace

void WriteRowsScalar(const RowWriterJob& job) {
    WriteDiscRowsInLayout<ScalarRuns24, ScalarRuns32>(job);
}
