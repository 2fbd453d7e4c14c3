// tolva: the saver's animation on a Linux desktop, in a window or full screen (SDL2), or as an
// XScreenSaver hack drawing into the window XScreenSaver gives it or one of its own (Xlib). The
// settings come from the viewer's settings file (except in the hack's -root, -window-id and
// $XSCREENSAVER_WINDOW modes, where XScreenSaver's own settings are all there is); --count,
// --color and --delay override them for one run, and tolva --configure stores them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/draw_path_choice.h"
#include "hosts/linux/presenters.h"
#include "hosts/linux/settings_file.h"
#include "hosts/linux/viewer_options.h"
#include "trails/setting_limits.h"

namespace {

int Configure(const ViewerOptions& options, const std::string& path) {
    SettingsChange change;
    change.countGiven = options.countGiven;
    change.colorGiven = options.colorGiven;
    change.delayGiven = options.delayGiven;
    change.values = ViewerSettings{options.count, options.color, options.stepMicroseconds};
    ViewerSettings settings;
    std::vector<std::string> warnings;
    std::string message;
    const int saved = ConfigureSettingsFile(path, change, &settings, &warnings, &message);
    for (const std::string& warning : warnings)
        std::fprintf(stderr, "tolva: warning: %s\n", warning.c_str());
    if (!saved) {
        std::fprintf(stderr, "tolva: %s\n", message.c_str());
        return 1;
    }
    std::printf("tolva: saved count %lu, color %ld and delay %lu to %s\n",
                static_cast<unsigned long>(settings.count), static_cast<long>(settings.color),
                static_cast<unsigned long>(settings.stepMicroseconds), path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ViewerOptions options;
    std::string error;
    if (!ParseViewerOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), &options, &error)) {
        std::fprintf(stderr, "tolva: %s (tolva --help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(ViewerUsage().c_str(), stdout);
        return 0;
    }
    const std::string path = SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (options.mode == ViewerMode::Configure) return Configure(options, path);

    std::string drawError;
    DrawPathFromEnvironment(&drawError);
    if (!drawError.empty()) {
        std::fprintf(stderr, "tolva: %s\n", drawError.c_str());
        return 2;
    }
    ViewerSettings settings;
    std::string warning;
    // As an XScreenSaver hack the daemon's settings are the whole story: it passes no option
    // for its own defaults, which then must be the built-in ones, not the viewer's file.
    if (options.mode != ViewerMode::ForeignWindow && !LoadSettingsFile(path, &settings, &warning))
        std::fprintf(stderr, "tolva: warning: %s\n", warning.c_str());
    if (options.countGiven) settings.count = options.count;
    if (options.colorGiven) settings.color = options.color;
    if (!options.delayGiven) options.stepMicroseconds = settings.stepMicroseconds;
    const bool xlib =
        options.mode == ViewerMode::ForeignWindow || options.mode == ViewerMode::OwnXWindow;
    return xlib ? RunX11Viewer(options, settings.count, settings.color)
                : RunSdlViewer(options, settings.count, settings.color);
}
