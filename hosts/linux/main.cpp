// tolva: the saver's animation on a Linux desktop, in a window, full screen or as a wallpaper
// (natively on Wayland where WAYLAND_DISPLAY names a compositor that answers, else SDL2), or as
// an XScreenSaver hack drawing into the window XScreenSaver gives it or one of its own (Xlib). The
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

#if TOLVA_WAYLAND
#include <wayland-client.h>
#endif

namespace {

int Configure(const ViewerOptions& options, const std::string& path) {
    SettingsChange change;
    change.trailCountGiven = options.trailCountGiven;
    change.colorModeGiven = options.colorModeGiven;
    change.delayGiven = options.delayGiven;
    change.values = ViewerSettings{options.trailCount, options.colorMode, options.stepMicroseconds};
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
                static_cast<unsigned long>(settings.trailCount),
                static_cast<long>(settings.colorMode),
                static_cast<unsigned long>(settings.stepMicroseconds), path.c_str());
    return 0;
}

// The compositor to draw on, or null for X11: WAYLAND_DISPLAY (or a socket handed over in
// WAYLAND_SOCKET) names it, --wayland insists on it, --x11 never asks. *error says why a
// compositor that was asked for cannot be had.
wl_display* ChooseWayland(const ViewerOptions& options, std::string* error) {
    if (options.windowSystem == WindowSystem::X11) return nullptr;
    const bool needed =
        options.windowSystem == WindowSystem::Wayland || options.mode == ViewerMode::Background;
#if TOLVA_WAYLAND
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    const bool handedOver = std::getenv("WAYLAND_SOCKET") != nullptr;
    if (!needed && (name == nullptr || *name == '\0') && !handedOver) return nullptr;
    // libwayland would say on its own line that it has no folder to look for a socket in.
    const bool absolute = name != nullptr && name[0] == '/';
    if (handedOver || absolute || (folder != nullptr && *folder != '\0')) {
        if (wl_display* display = wl_display_connect(nullptr)) return display;
    }
    if (needed)
        *error = std::string("cannot connect to a Wayland compositor (WAYLAND_DISPLAY ") +
                 (name != nullptr ? std::string("is ") + name : "is not set") +
                 (folder == nullptr && !absolute ? ", XDG_RUNTIME_DIR is not set)" : ")");
    return nullptr;
#else
    if (needed) *error = "this tolva was built without Wayland";
    return nullptr;
#endif
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

    // Read once, for every window's animation.
    std::string drawError;
    const DrawPath& drawPath = DrawPathFromEnvironment(&drawError);
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
    if (options.trailCountGiven) settings.trailCount = options.trailCount;
    if (options.colorModeGiven) settings.colorMode = options.colorMode;
    if (!options.delayGiven) options.stepMicroseconds = settings.stepMicroseconds;
    AnimationStart animation;
    animation.trailCount = settings.trailCount;
    animation.colorMode = settings.colorMode;
    animation.drawPath = &drawPath;
    const bool xlib =
        options.mode == ViewerMode::ForeignWindow || options.mode == ViewerMode::OwnXWindow;
    if (xlib) return RunX11Viewer(options, animation);
    std::string waylandError;
    wl_display* wayland = ChooseWayland(options, &waylandError);
    if (!waylandError.empty()) {
        std::fprintf(stderr, "tolva: %s\n", waylandError.c_str());
        return 1;
    }
#if TOLVA_WAYLAND
    if (wayland != nullptr) return RunWaylandViewer(options, animation, wayland);
#endif
    // SDL would take its Wayland backend where it is told to: --x11 means X11, unless
    // SDL_VIDEODRIVER itself says otherwise.
    if (options.windowSystem == WindowSystem::X11) setenv("SDL_VIDEODRIVER", "x11", 0);
    return RunSdlViewer(options, animation);
}
