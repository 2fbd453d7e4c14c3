// Pixel formats by their masks: which images the animation draws into, in which layout, and the
// fallback conversion of the others, byte for byte and only inside the band.
#include "hosts/linux/pixel_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "surface/raster_surface.h"

namespace {

TEST(PixelFormats, UsualMasksAreLayoutsOthersAreConverted) {
    // Red 0xFE, green 0x81, blue 0x07 in the middle of a 3x2 frame, converted as the band around
    // it into an image with a guard byte after each row.
    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(3, 2, 24));
    surface.FillSpan(1, 1, 1, 0xFE, 0x81, 0x07);
    FrameView frame{MakeFrameHeader(3, 2), surface.GetBits()};
    frame.pitch = -static_cast<ptrdiff_t>(surface.GetStride());
    const struct {
        MaskedFormat format;
        int layout;  // PixelLayout, or -1 for none
        std::vector<uint8_t> pixel;
    } rows[] = {
        {{0xFF0000, 0xFF00, 0xFF, 0, 4, true}, 1, {0x07, 0x81, 0xFE, 0x00}},  // XRGB8888
        {{0xFF, 0xFF00, 0xFF0000, 0xFF000000, 4, true}, 2, {0xFE, 0x81, 0x07, 0xFF}},
        {{0xFF00, 0xFF0000, 0xFF000000, 0, 4, false}, 1, {0x07, 0x81, 0xFE, 0x00}},
        {{0xFF0000, 0xFF00, 0xFF, 0, 3, true}, 0, {0x07, 0x81, 0xFE}},
        {{0xFF0000, 0xFF00, 0xFF, 0, 4, false}, -1, {0x00, 0xFE, 0x81, 0x07}},
        {{0xF800, 0x7E0, 0x1F, 0, 2, true}, -1, {0x00, 0xFC}},  // depth 16
        {{0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 4, true}, -1, {0x1C, 0x10, 0x88, 0xFF}},
    };
    for (const auto& row : rows) {
        const int size = row.format.bytesPerPixel;
        PixelLayout layout = PixelLayout::Bgr24;
        EXPECT_EQ(row.layout >= 0, LayoutOfFormat(row.format, &layout)) << "row " << &row - rows;
        EXPECT_EQ(row.layout >= 0 ? static_cast<PixelLayout>(row.layout) : PixelLayout::Bgr24,
                  layout);
        const size_t pitch = 3 * static_cast<size_t>(size) + 1;
        std::vector<uint8_t> image(2 * pitch, 0x55);
        ConvertFrameBand(frame, FrameBand{1, 2, 1, 2}, image.data(), pitch, row.format);
        std::vector<uint8_t> expected(2 * pitch, 0x55);
        std::copy(row.pixel.begin(), row.pixel.end(), expected.begin() + pitch + size);
        EXPECT_EQ(expected, image) << "row " << &row - rows;
    }
}

}  // namespace
