// BMP files: a 14-byte file header, the frame's own 40-byte info header, then the pixel store
// byte for byte. Written field by field so the file is little-endian on any host.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "hosts/render/image_files.h"

namespace {

void Put16(std::vector<uint8_t>* out, uint32_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

int WriteBmpFile(const std::string& path, const FrameView& frame, std::string* error) {
    const BitmapInfoHeader& h = frame.header;
    const uint32_t pixelBytes =
        static_cast<uint32_t>(FrameRowStride(frame.header)) * static_cast<uint32_t>(h.biHeight);
    const uint32_t offset = 14 + 40;
    std::vector<uint8_t> head;
    head.reserve(offset);
    Put16(&head, 0x4D42);  // "BM"
    Put32(&head, offset + pixelBytes);
    Put32(&head, 0);
    Put32(&head, offset);
    Put32(&head, h.biSize);
    Put32(&head, static_cast<uint32_t>(h.biWidth));
    Put32(&head, static_cast<uint32_t>(h.biHeight));
    Put16(&head, h.biPlanes);
    Put16(&head, h.biBitCount);
    Put32(&head, h.biCompression);
    Put32(&head, h.biSizeImage);
    Put32(&head, static_cast<uint32_t>(h.biXPelsPerMeter));
    Put32(&head, static_cast<uint32_t>(h.biYPelsPerMeter));
    Put32(&head, h.biClrUsed);
    Put32(&head, h.biClrImportant);

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        *error = "cannot create " + path;
        return 0;
    }
    const bool written = std::fwrite(head.data(), 1, head.size(), out) == head.size() &&
                         std::fwrite(frame.bits, 1, pixelBytes, out) == pixelBytes;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        *error = "cannot write " + path;
        return 0;
    }
    return 1;
}
