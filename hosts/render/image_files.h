// Image files of finished frames: BMP (the pixel store as it is, behind the frame's own
// info header), PNG through libpng and animated GIF through giflib. PNG and GIF are present
// only where the libraries were found at build time (the Windows cross builds go without).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "trails/frame_seams.h"

// Frames are written as the animation hands them over: bottom-up 24-bit rows padded to 4 bytes.

// Each returns 1 on success, 0 with a message in *error.
int WriteBmpFile(const std::string& path, const FrameView& frame, std::string* error);

bool PngSupported();
int WritePngFile(const std::string& path, const FrameView& frame, std::string* error);

bool GifSupported();
class GifAnimation {
  public:
    GifAnimation() = default;
    ~GifAnimation() { Close(nullptr); }
    GifAnimation(const GifAnimation&) = delete;
    GifAnimation& operator=(const GifAnimation&) = delete;

    // delayCentiseconds is the time each frame stays on screen.
    int Open(const std::string& path, int32_t width, int32_t height, int delayCentiseconds,
             std::string* error);
    int AddFrame(const FrameView& frame, std::string* error);
    // Writes the trailer; returns 0 when the file could not be finished.
    int Close(std::string* error);

  private:
    void* file = nullptr;    // GifFileType*, kept opaque so this header needs no giflib
    void* stream = nullptr;  // the std::FILE* giflib writes through
    int delay = 0;
    int32_t width = 0;
    int32_t height = 0;
};
