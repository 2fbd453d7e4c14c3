// PNG files through libpng: the bottom-up BGR rows turned into top-down RGB rows.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "hosts/render/image_files.h"

#ifdef TOLVA_HAVE_PNG
#include <png.h>
#endif

#ifdef TOLVA_HAVE_PNG

bool PngSupported() {
    return true;
}

namespace {

// All of libpng's work happens here, where its longjmp on error can skip no destructor.
bool EncodePng(std::FILE* out, const FrameView& frame, uint8_t* row) {
    const int32_t width = frame.header.biWidth;
    const int32_t height = frame.header.biHeight;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* source = FramePixel(frame, 0, y);
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x + 0] = source[3 * x + 2];
            row[3 * x + 1] = source[3 * x + 1];
            row[3 * x + 2] = source[3 * x + 0];
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

int WritePngFile(const std::string& path, const FrameView& frame, std::string* error) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        *error = "cannot create " + path;
        return 0;
    }
    std::vector<uint8_t> row(static_cast<size_t>(frame.header.biWidth) * 3);
    const bool encoded = EncodePng(out, frame, row.data());
    if (std::fclose(out) != 0 || !encoded) {
        *error = "cannot write " + path;
        return 0;
    }
    return 1;
}

#else

bool PngSupported() {
    return false;
}

int WritePngFile(const std::string&, const FrameView&, std::string* error) {
    *error = "this build has no PNG support";
    return 0;
}

#endif
