// tolva-render: plays the deterministic animation headless, exactly as a saver window of the
// given size would, and prints frame hashes or saves the frames as BMP, PNG or an animated GIF.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "host/draw_path_choice.h"
#include "host/hash_line.h"
#include "host/pace.h"
#include "hosts/render/image_files.h"
#include "hosts/render/render_options.h"
#include "trails/animation.h"

namespace {

constexpr uint32_t ProgressEvery = 10000;

// The frame receiver: keeps what the window would have been handed.
bool KeepFrame(void* kept, const FrameView& frame) {
    *static_cast<FrameView*>(kept) = frame;
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tolva-render: %s\n", message.c_str());
    return 2;
}

std::string FramePath(const std::string& dir, uint32_t index, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lu.%s", static_cast<unsigned long>(index),
                  extension);
    return (std::filesystem::path(dir) / name).string();
}

// Refuses a file format this build cannot write and makes --out's folder. Returns 1, or 0 with
// *error.
int PrepareOutputs(const RenderOptions& options, std::string* error) {
    if (!options.outDir.empty() && options.format == ImageFormat::Png && !PngSupported()) {
        *error = "this build cannot write PNG files";
        return 0;
    }
    if (!options.gifPath.empty() && !GifSupported()) {
        *error = "this build cannot write GIF files";
        return 0;
    }
    if (options.outDir.empty()) return 1;
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (!ec) return 1;
    *error = "cannot create " + options.outDir + ": " + ec.message();
    return 0;
}

// Saves frame index where --out and --gif ask. Returns 1, or 0 with *error.
int SaveFrame(const RenderOptions& options, uint32_t index, const FrameView& frame,
              GifAnimation* gif, std::string* error) {
    if (!options.outDir.empty()) {
        const bool png = options.format == ImageFormat::Png;
        const std::string path = FramePath(options.outDir, index, png ? "png" : "bmp");
        if (!(png ? WritePngFile(path, frame, error) : WriteBmpFile(path, frame, error))) return 0;
    }
    return options.gifPath.empty() || gif->AddFrame(frame, error) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, &options, &error))
        return Fail(error + " (tolva-render --help lists the options)");
    if (options.help) {
        std::fputs(RenderUsage().c_str(), stdout);
        return 0;
    }
    if (!PrepareOutputs(options, &error)) return Fail(error);

    std::string drawError;
    const DrawPath& drawPath = DrawPathFromEnvironment(&drawError);
    if (!drawError.empty()) return Fail(drawError);
    AnimationStart start;
    start.width = options.width;
    start.height = options.height;
    start.trailCount = options.trailCount;
    start.colorMode = options.colorMode;
    start.scale = options.scale;
    start.drawPath = &drawPath;
    Animation animation;
    if (!animation.Start(start))
        return Fail("cannot allocate a " + std::to_string(options.width) + "x" +
                    std::to_string(options.height) + " surface");
    ScriptedClock clock;
    clock.start = options.clockStart;
    clock.stepMicroseconds = options.stepMicroseconds;
    animation.SetMillisecondClock(ScriptedClock::Read, &clock);
    FrameView frame{};
    animation.SetFrameReceiver(KeepFrame, &frame);

    GifAnimation gif;
    // A frame lasts the clock's step; a GIF shows a frame for 2 to 65535 centiseconds.
    const uint64_t delay = uint64_t{options.every} * options.stepMicroseconds / 10000;
    const int centiseconds = delay < 2 ? 2 : delay > 65535 ? 65535 : static_cast<int>(delay);
    if (!options.gifPath.empty() &&
        !gif.Open(options.gifPath, options.width, options.height, centiseconds, &error))
        return Fail(error);

    for (uint32_t index = 0; index < options.frames; ++index) {
        clock.frameIndex = index;
        frame.bits = nullptr;
        animation.RenderFrame();
        if (frame.bits == nullptr) return Fail("the frame was not drawn");
        if (options.hash) PrintHashLine(stdout, index, frame);
        if (index % options.every == 0 && !SaveFrame(options, index, frame, &gif, &error))
            return Fail(error);
        if (options.frames > ProgressEvery && (index + 1) % ProgressEvery == 0)
            std::fprintf(stderr, "tolva-render: %lu of %lu frames\n",
                         static_cast<unsigned long>(index + 1),
                         static_cast<unsigned long>(options.frames));
    }
    if (!gif.Close(&error)) return Fail(error);
    if (std::fflush(stdout) != 0) return Fail("cannot write the output");
    return 0;
}
