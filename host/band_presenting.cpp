// The steps every presenter takes between a finished frame and its image.
#include "host/band_presenting.h"

#include "trails/animation.h"

int32_t DrawableSide(int32_t side) {
    return side > Animation::MaxSide ? Animation::MaxSide : side;
}

int32_t PrepareBands(const FrameView& frame, const PresentedImage& image, FpsOverlay* fps,
                     BandConversion convert, void* presenter, FrameBand bands[MaxPresentedBands]) {
    int32_t count = 0;
    const auto keep = [&](const FrameBand& band) {
        if (band.bottom > band.top && band.right > band.left) bands[count++] = band;
    };
    for (int32_t i = 0; i < frame.changedCount; ++i) {
        convert(presenter, frame, frame.changed[i]);
        keep(frame.changed[i]);
    }
    if (fps != nullptr) {
        const FrameBand corner = CornerTextBand(image.width, image.height);
        convert(presenter, frame, corner);
        fps->DrawOnFrame(image.pixels, image.width, image.height, image.pitch, image.bytesPerPixel,
                         image.black);
        keep(corner);
    }
    return count;
}
