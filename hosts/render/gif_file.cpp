// Animated GIF through giflib: each frame gets its own 256-colour map from giflib's quantizer,
// and the file loops for ever.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "hosts/render/image_files.h"

#ifdef TOLVA_HAVE_GIF
#include <gif_lib.h>
#endif

#ifdef TOLVA_HAVE_GIF

bool GifSupported() {
    return true;
}

namespace {

GifFileType* AsGif(void* file) {
    return static_cast<GifFileType*>(file);
}

int WriteToFile(GifFileType* gif, const GifByteType* bytes, int count) {
    return static_cast<int>(
        std::fwrite(bytes, 1, static_cast<size_t>(count), static_cast<std::FILE*>(gif->UserData)));
}

}  // namespace

int GifAnimation::Open(const std::string& path, int32_t newWidth, int32_t newHeight,
                       int delayCentiseconds, std::string* error) {
    // The file is ours, written through giflib's output hook: giflib's own file opening would
    // make it readable by its owner only.
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        *error = "cannot create " + path;
        return 0;
    }
    int status = 0;
    GifFileType* gif = EGifOpen(out, WriteToFile, &status);
    if (gif == nullptr) {
        std::fclose(out);
        *error = "cannot create " + path + ": " + GifErrorString(status);
        return 0;
    }
    stream = out;
    file = gif;
    width = newWidth;
    height = newHeight;
    delay = delayCentiseconds;
    EGifSetGifVersion(gif, true);
    // The screen has no global map: every frame carries its own.
    if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_ERROR) {
        *error = "cannot write " + path;
        return 0;
    }
    const uint8_t application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const uint8_t loopForever[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof application, application) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof loopForever, loopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR) {
        *error = "cannot write " + path;
        return 0;
    }
    return 1;
}

int GifAnimation::AddFrame(const FrameView& frame, std::string* error) {
    GifFileType* gif = AsGif(file);
    if (gif == nullptr) return 0;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<GifByteType> red(pixels), green(pixels), blue(pixels), indices(pixels);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* source = FramePixel(frame, 0, y);
        for (int32_t x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            blue[i] = source[3 * x + 0];
            green[i] = source[3 * x + 1];
            red[i] = source[3 * x + 2];
        }
    }
    int colorCount = 256;
    std::vector<GifColorType> colors(256);
    if (GifQuantizeBuffer(width, height, &colorCount, red.data(), green.data(), blue.data(),
                          indices.data(), colors.data()) == GIF_ERROR) {
        *error = "cannot reduce a frame to 256 colours";
        return 0;
    }
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType controlBytes[4];
    EGifGCBToExtension(&control, controlBytes);
    bool ok = map != nullptr &&
              EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, controlBytes) != GIF_ERROR &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, map) != GIF_ERROR;
    for (int32_t y = 0; ok && y < height; ++y) {
        ok = EGifPutLine(gif, indices.data() + static_cast<size_t>(y) * width, width) != GIF_ERROR;
    }
    GifFreeMapObject(map);
    if (!ok) {
        *error = "cannot write a GIF frame";
        return 0;
    }
    return 1;
}

int GifAnimation::Close(std::string* error) {
    GifFileType* gif = AsGif(file);
    if (gif == nullptr) return 1;
    file = nullptr;
    auto* out = static_cast<std::FILE*>(stream);
    stream = nullptr;
    int status = 0;
    const bool finished = EGifCloseFile(gif, &status) != GIF_ERROR;
    const bool closed = std::fclose(out) == 0;
    if (!finished || !closed) {
        if (error != nullptr) *error = "cannot finish the GIF file";
        return 0;
    }
    return 1;
}

#else

bool GifSupported() {
    return false;
}

int GifAnimation::Open(const std::string&, int32_t, int32_t, int, std::string* error) {
    *error = "this build has no GIF support";
    return 0;
}
int GifAnimation::AddFrame(const FrameView&, std::string* error) {
    *error = "this build has no GIF support";
    return 0;
}
int GifAnimation::Close(std::string*) {
    return 1;
}

#endif
