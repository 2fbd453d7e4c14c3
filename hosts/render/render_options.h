// Command line of tolva-render, the headless renderer.
#pragma once

#include <cstdint>
#include <string>

#include "host/pace.h"
#include "trails/setting_limits.h"

enum class ImageFormat { Bmp, Png };

struct RenderOptions {
    int32_t width = 640;
    int32_t height = 480;
    uint32_t trailCount = DefaultTrailCount;  // the settings store's defaults
    int32_t colorMode = DefaultColorMode;
    uint32_t frames = 1;
    uint32_t clockStart = 0;                               // milliseconds read by the first frame
    uint32_t stepMicroseconds = ScriptedStepMicroseconds;  // the clock's step from frame to frame
    int32_t scale = ScaleUnit;
    bool hash = false;
    std::string outDir;
    ImageFormat format = ImageFormat::Bmp;
    uint32_t every = 1;
    std::string gifPath;
    bool help = false;
};

// Returns 1 with *options filled, or 0 with a one-line reason in *error.
int ParseRenderOptions(int argc, char** argv, RenderOptions* options, std::string* error);

std::string RenderUsage();
