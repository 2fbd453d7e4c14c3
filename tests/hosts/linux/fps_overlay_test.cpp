// The -fps corner: the once-a-second text, glyphs that stay inside pictures smaller than the
// text, and the frame's own pixels back under it once it was sent.
#include "hosts/linux/fps_overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint64_t Millisecond = 1000000;

TEST(FpsCounter, ReportsFramesAndCpuShareOfEachSecond) {
    FpsCounter counter;
    for (uint64_t i = 0; i < 200; ++i) counter.FrameShown((7 + 5 * i) * Millisecond, 0);
    EXPECT_STREQ(counter.Text(), "");  // the first second is not over
    counter.FrameShown(1007 * Millisecond, 250 * Millisecond);
    EXPECT_STREQ(counter.Text(), "200.0 fps / CPU 25%");
    counter.FrameShown(1507 * Millisecond, 750 * Millisecond);
    counter.FrameShown(2007 * Millisecond, 1250 * Millisecond);
    EXPECT_STREQ(counter.Text(), "2.0 fps / CPU 100%");
}

// Pictures with 2 bytes of padding after each row and a guard row below, filled with 0x55.
struct Picture {
    int width, height, bytesPerPixel;
    size_t pitch;
    std::vector<uint8_t> bytes;
    Picture(int w, int h, int b)
        : width(w),
          height(h),
          bytesPerPixel(b),
          pitch(static_cast<size_t>(w) * b + 2),
          bytes(pitch * (h + 1), 0x55) {}
    void Draw(const char* text) {
        const uint8_t black[4] = {};
        DrawCornerText(text, bytes.data(), width, height, pitch, bytesPerPixel, black);
    }
    // The pixel's bytes when they all hold one value, else -1.
    int At(int x, int y) const {
        const uint8_t* pixel = &bytes[y * pitch + x * bytesPerPixel];
        for (int i = 1; i < bytesPerPixel; ++i)
            if (pixel[i] != pixel[0]) return -1;
        return pixel[0];
    }
};

TEST(DrawCornerText, ClipsToThePicture) {
    for (int bytesPerPixel : {1, 2, 4}) {
        // The first '8' covers x 4 to 8 and y -5 to 1; the second falls off the right edge.
        Picture picture(9, 6, bytesPerPixel);
        picture.Draw("88");
        EXPECT_EQ(picture.At(4, 0), 0xFF);
        EXPECT_EQ(picture.At(8, 0), 0xFF);
        EXPECT_EQ(picture.At(8, 2), 0x00);
        for (size_t at = 0; at < picture.bytes.size(); ++at) {
            const bool outside =
                at % picture.pitch >= picture.width * static_cast<size_t>(bytesPerPixel) ||
                at >= picture.height * picture.pitch;
            if (outside) {
                ASSERT_EQ(picture.bytes[at], 0x55) << "outside the picture at " << at;
            }
        }
    }
}

// A presenter that sends only what changed sends the corner band too: all the text is in it.
TEST(DrawCornerText, StaysInTheCornerBand) {
    const std::string longest(FpsTextCapacity - 1, '8');
    for (const auto& size : {std::pair<int, int>{1920, 1080}, {200, 100}, {9, 6}}) {
        Picture picture(size.first, size.second, 1);
        picture.Draw(longest.c_str());
        const FrameBand band = CornerTextBand(size.first, size.second);
        for (int y = 0; y < size.second; ++y)
            for (int x = 0; x < size.first; ++x)
                if (picture.At(x, y) != 0x55) {
                    ASSERT_TRUE(x >= band.left && x < band.right && y >= band.top &&
                                y < band.bottom)
                        << size.first << "x" << size.second << ": text at " << x << ", " << y;
                }
    }
}

// The next frame is drawn over the picture, writing only what changes: what went over the corner
// must come out again, every byte, and nothing else move.
TEST(FpsOverlay, PutsBackThePixelsUnderTheCorner) {
    for (int bytesPerPixel : {3, 4}) {
        Picture picture(700, 300, bytesPerPixel);
        for (size_t i = 0; i < picture.bytes.size(); ++i)
            picture.bytes[i] = uint8_t(i * 7 + i / 11);
        const std::vector<uint8_t> frame = picture.bytes;
        FpsOverlay overlay;
        const uint8_t black[4] = {};
        overlay.DrawOnFrame(picture.bytes.data(), 700, 300, picture.pitch, bytesPerPixel, black);
        const FrameBand band = CornerTextBand(700, 300);
        for (int y = band.top; y < band.bottom; ++y)
            std::fill_n(&picture.bytes[y * picture.pitch + band.left * bytesPerPixel],
                        (band.right - band.left) * bytesPerPixel, 0xFF);
        overlay.RestoreFrame(picture.bytes.data(), picture.pitch);
        EXPECT_EQ(frame, picture.bytes) << bytesPerPixel << " bytes a pixel";
    }
}

}  // namespace
