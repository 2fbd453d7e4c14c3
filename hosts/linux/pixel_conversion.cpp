// Pixel formats by their masks: the layout a format is, and the fallback conversion.
#include "hosts/linux/pixel_conversion.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace {

struct ChannelShift {
    int shift = 0;  // of the channel's lowest bit
    int bits = 0;
};

ChannelShift ShiftOf(uint32_t mask) {
    ChannelShift channel;
    if (mask == 0) return channel;
    while (((mask >> channel.shift) & 1) == 0) ++channel.shift;
    while (channel.shift + channel.bits < 32 && ((mask >> (channel.shift + channel.bits)) & 1) != 0)
        ++channel.bits;
    return channel;
}

uint32_t Place(uint8_t value, ChannelShift channel) {
    const uint32_t scaled = channel.bits >= 8 ? static_cast<uint32_t>(value) << (channel.bits - 8)
                                              : static_cast<uint32_t>(value) >> (8 - channel.bits);
    return scaled << channel.shift;
}

// Where in memory the byte that a mask of 8 bits on a byte boundary picks out lies; -1 for any
// other mask.
int ByteOf(uint32_t mask, const MaskedFormat& format) {
    for (int k = 0; k < format.bytesPerPixel; ++k)
        if (mask == 0xFFu << (8 * k)) return format.lsbFirst ? k : format.bytesPerPixel - 1 - k;
    return -1;
}

void Store(uint32_t value, uint8_t* out, const MaskedFormat& format) {
    for (int i = 0; i < format.bytesPerPixel; ++i) {
        const int shift = 8 * (format.lsbFirst ? i : format.bytesPerPixel - 1 - i);
        out[i] = static_cast<uint8_t>(value >> shift);
    }
}

}  // namespace

bool LayoutOfFormat(const MaskedFormat& format, PixelLayout* layout) {
    const int red = ByteOf(format.red, format);
    const int green = ByteOf(format.green, format);
    const int blue = ByteOf(format.blue, format);
    for (const PixelLayout candidate :
         {PixelLayout::Bgr24, PixelLayout::Bgra32, PixelLayout::Rgba32}) {
        const PixelBytes bytes = BytesOf(candidate);
        if (bytes.size == format.bytesPerPixel && bytes.red == red && bytes.green == green &&
            bytes.blue == blue) {
            *layout = candidate;
            return true;
        }
    }
    return false;
}

void OpaqueBlack(const MaskedFormat& format, uint8_t black[4]) {
    for (int i = 0; i < 4; ++i) black[i] = 0;
    Store(format.alpha, black, format);
}

void ConvertFrameBand(const FrameView& frame, const FrameBand& band, uint8_t* image, size_t pitch,
                      const MaskedFormat& format) {
    const ChannelShift red = ShiftOf(format.red);
    const ChannelShift green = ShiftOf(format.green);
    const ChannelShift blue = ShiftOf(format.blue);
    const PixelBytes in = BytesOf(frame.layout);
    for (int32_t y = band.top; y < band.bottom; ++y) {
        const uint8_t* pixel = FramePixel(frame, band.left, y);
        uint8_t* out = image + static_cast<size_t>(y) * pitch +
                       static_cast<size_t>(band.left) * static_cast<size_t>(format.bytesPerPixel);
        for (int32_t x = band.left; x < band.right;
             ++x, pixel += in.size, out += format.bytesPerPixel) {
            Store(format.alpha | Place(pixel[in.red], red) | Place(pixel[in.green], green) |
                      Place(pixel[in.blue], blue),
                  out, format);
        }
    }
}
