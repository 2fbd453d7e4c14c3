// Pixel formats by their masks: which images the animation draws into (their channels where
// the layout puts them), and the fallback conversion of the others, byte for byte, only inside
// the band.
#include "host/pixel_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "surface/raster_surface.h"

namespace {

TEST(PixelFormats, UsualMasksAreLayoutsOthersAreConverted) {
    // One pixel of red 0xFE, green 0x81, blue 0x07 in the middle of a 3x2 frame, converted as the
    // band around it into an image with a guard byte after each row.
    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(3, 2, 24));
    surface.FillSpan(1, 1, 1, 0xFE, 0x81, 0x07);
    FrameView frame{MakeFrameHeader(3, 2), surface.GetBits()};
    frame.pitch = -static_cast<ptrdiff_t>(surface.GetStride());
    const FrameBand band{1, 2, 1, 2};
    const bool layout = true;
    const struct {
        const char* what;
        MaskedFormat format;
        bool drawnInto;
        PixelLayout drawnAs;
        std::vector<uint8_t> bytes;  // the pixel, converted
    } rows[] = {
        {"X11 depth 24, SDL XRGB8888",
         {0xFF0000, 0xFF00, 0xFF, 0, 4, true},
         layout,
         PixelLayout::Bgra32,
         {0x07, 0x81, 0xFE, 0x00}},
        {"ARGB visual",
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000, 4, true},
         layout,
         PixelLayout::Bgra32,
         {0x07, 0x81, 0xFE, 0xFF}},
        {"ABGR8888",
         {0xFF, 0xFF00, 0xFF0000, 0xFF000000, 4, true},
         layout,
         PixelLayout::Rgba32,
         {0xFE, 0x81, 0x07, 0xFF}},
        {"BGRX, high byte first",
         {0xFF00, 0xFF0000, 0xFF000000, 0, 4, false},
         layout,
         PixelLayout::Bgra32,
         {0x07, 0x81, 0xFE, 0x00}},
        {"24-bit pixels",
         {0xFF0000, 0xFF00, 0xFF, 0, 3, true},
         layout,
         PixelLayout::Bgr24,
         {0x07, 0x81, 0xFE}},
        {"XRGB, high byte first",
         {0xFF0000, 0xFF00, 0xFF, 0, 4, false},
         !layout,
         PixelLayout::Bgr24,
         {0x00, 0xFE, 0x81, 0x07}},
        {"depth 16", {0xF800, 0x7E0, 0x1F, 0, 2, true}, !layout, PixelLayout::Bgr24, {0x00, 0xFC}},
        {"depth 30",
         {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 4, true},
         !layout,
         PixelLayout::Bgr24,
         {0x1C, 0x10, 0x88, 0xFF}},
    };
    for (const auto& row : rows) {
        PixelLayout drawnAs = PixelLayout::Bgr24;
        EXPECT_EQ(row.drawnInto, LayoutOfFormat(row.format, &drawnAs)) << row.what;
        if (row.drawnInto) {
            EXPECT_EQ(row.drawnAs, drawnAs) << row.what;
            const PixelBytes at = BytesOf(drawnAs);
            EXPECT_EQ(0xFE, row.bytes[at.red]) << row.what;
            EXPECT_EQ(0x81, row.bytes[at.green]) << row.what;
            EXPECT_EQ(0x07, row.bytes[at.blue]) << row.what;
        }
        const int size = row.format.bytesPerPixel;
        const size_t pitch = 3 * static_cast<size_t>(size) + 1;
        std::vector<uint8_t> image(2 * pitch, 0x55);
        ConvertFrameBand(frame, band, image.data(), pitch, row.format);
        std::vector<uint8_t> expected(2 * pitch, 0x55);
        std::copy(row.bytes.begin(), row.bytes.end(), expected.begin() + pitch + size);
        EXPECT_EQ(expected, image) << row.what;
        // The -fps shadow's black is a black pixel of the frame, converted.
        uint8_t black[4] = {1, 1, 1, 1};
        OpaqueBlack(row.format, black);
        ConvertFrameBand(frame, FrameBand{0, 1, 0, 1}, image.data(), pitch, row.format);
        EXPECT_TRUE(std::equal(black, black + size, image.begin())) << row.what;
    }
}

}  // namespace
