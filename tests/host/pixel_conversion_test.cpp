// The 24- to 32-bit pixel conversions: each one this processor runs gives the scalar loop's
// pixels for every length and every start, and writes nothing past the pixels it was given.
#include "host/pixel_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(PixelConversion, EveryConversionEqualsTheScalarLoop) {
    const PixelConversion& scalar = PixelConversions[PixelConversionCount - 1];
    const uint8_t bgr[3] = {0x01, 0x02, 0xFE};
    uint32_t pixel = 0;
    scalar.convert(bgr, &pixel, 1);
    EXPECT_EQ(0xFFFE0201u, pixel);  // opaque, for a window with an alpha channel

    std::vector<uint8_t> in(3 * 80);
    uint32_t seed = 12345;
    for (uint8_t& byte : in)
        byte = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    int tried = 0;
    for (const PixelConversion& conversion : PixelConversions) {
        if (conversion.convert == nullptr || !conversion.supported()) continue;
        ++tried;
        for (int32_t start = 0; start < 4; ++start) {
            for (int32_t count = 0; count + start <= 80; ++count) {
                std::vector<uint32_t> expected(count + 1, 0xDEADBEEF);
                std::vector<uint32_t> got(count + 1, 0xDEADBEEF);
                scalar.convert(in.data() + 3 * start, expected.data(), count);
                conversion.convert(in.data() + 3 * start, got.data(), count);
                ASSERT_EQ(expected, got)
                    << conversion.name << " start " << start << " count " << count;
            }
        }
    }
#if defined(__x86_64__)
    EXPECT_EQ(2, tried) << "every x86-64 processor we meet has SSSE3";
#endif
}
