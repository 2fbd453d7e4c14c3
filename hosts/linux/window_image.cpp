// The steps every presenter takes between a finished frame and its image.
#include "hosts/linux/window_image.h"

#include "trails/animation.h"

int32_t DrawableSide(int32_t side) {
    return side > Animation::MaxSide ? Animation::MaxSide : side;
}

PixelMemory ImageMemory(const WindowImage& image) {
    PixelMemory memory;
    if (image.pixels == nullptr || !LayoutOfFormat(image.format, &memory.layout)) return memory;
    memory.topRow = image.pixels;
    memory.pitch = static_cast<ptrdiff_t>(image.pitch);
    memory.width = image.width;
    memory.height = image.height;
    return memory;
}

int32_t PrepareBands(const FrameView& frame, const WindowImage& image, FpsOverlay* fps,
                     FrameBand bands[MaxSentBands]) {
    const bool inImage =
        FrameRow(frame, 0) == image.pixels && frame.pitch == static_cast<ptrdiff_t>(image.pitch);
    int32_t count = 0;
    const auto keep = [&](const FrameBand& band) {
        if (band.bottom > band.top && band.right > band.left) bands[count++] = band;
    };
    for (int32_t i = 0; i < frame.changedCount; ++i) {
        if (!inImage)
            ConvertFrameBand(frame, frame.changed[i], image.pixels, image.pitch, image.format);
        keep(frame.changed[i]);
    }
    if (fps != nullptr) {
        fps->DrawOnFrame(image.pixels, image.width, image.height, image.pitch,
                         image.format.bytesPerPixel, image.black);
        keep(CornerTextBand(image.width, image.height));
    }
    return count;
}

void FinishBands(const WindowImage& image, FpsOverlay* fps) {
    if (fps != nullptr) fps->RestoreFrame(image.pixels, image.pitch);
}
