// tolva's options, read with the option table every command-line program shares, which takes
// both the GNU spelling (--root) and XScreenSaver's single-dash one (-root).
#include "hosts/linux/viewer_options.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None  // X's 0L, which would rename a Placement below

#include <cstdint>
#include <string>

#include "host/option_numbers.h"
#include "host/option_table.h"
#include "trails/setting_limits.h"

namespace {

// X's geometry, [=][WIDTH[xHEIGHT]][{+-}X[{+-}Y]], read as every X program reads it, by Xlib
// itself: a minus counts from the right or bottom edge, and "+-10" puts the window 10 pixels
// left of the left edge. Sides within a window size's 1..32767, places within X's 16 bits.
bool ParseGeometry(const char* text, ViewerOptions* options) {
    int x = 0;
    int y = 0;
    unsigned width = static_cast<unsigned>(options->width);
    unsigned height = static_cast<unsigned>(options->height);
    const int given = XParseGeometry(text, &x, &y, &width, &height);
    const auto inRange = [](long value, long low) { return value >= low && value <= INT16_MAX; };
    if (given == NoValue || !inRange(width, 1) || !inRange(height, 1) || !inRange(x, -INT16_MAX) ||
        !inRange(y, -INT16_MAX))
        return false;
    options->width = static_cast<int32_t>(width);
    options->height = static_cast<int32_t>(height);
    if ((given & (XValue | YValue)) != 0) {
        options->positionGiven = true;
        // Kept as the distance in from the edge it counts from.
        options->xFromRight = (given & XNegative) != 0;
        options->yFromBottom = (given & YNegative) != 0;
        options->x = options->xFromRight ? -x : x;
        options->y = options->yFromBottom ? -y : y;
    }
    return true;
}

// XScreenSaver's placements (-root, -window, -window-id) combine as its hacks' do; the viewer's
// own modes stand alone.
enum class Placement { None, Root, OwnWindow };

// What the command line said, before the mode is chosen from it.
struct GivenOptions {
    ViewerOptions options;
    Placement placement = Placement::None;  // the last of -root and -window counts
    bool windowIdGiven = false;
    int ownModesGiven = 0;  // --fullscreen, --background, --configure
    bool sizeGiven = false;
};

// The options that choose where and how tolva draws. Returns 1, or 0 with *error.
int TakeModeOption(OptionCode code, const OptionValue& value, GivenOptions* given,
                   std::string* error) {
    ViewerOptions& options = given->options;
    switch (code) {
        case OptionCode::FullScreen:
        case OptionCode::Background:
        case OptionCode::Configure:
            options.mode = code == OptionCode::FullScreen   ? ViewerMode::FullScreen
                           : code == OptionCode::Background ? ViewerMode::Background
                                                            : ViewerMode::Configure;
            ++given->ownModesGiven;
            return 1;
        case OptionCode::Wayland:
        case OptionCode::X11: {
            const WindowSystem chosen =
                code == OptionCode::Wayland ? WindowSystem::Wayland : WindowSystem::X11;
            if (options.windowSystem != WindowSystem::Any && options.windowSystem != chosen) {
                *error = "choose one of --wayland and --x11";
                return 0;
            }
            options.windowSystem = chosen;
            return 1;
        }
        case OptionCode::WindowId:
            options.windowId = value.windowId;
            given->windowIdGiven = true;
            return 1;
        case OptionCode::Root:
        case OptionCode::OwnWindow:
            given->placement = code == OptionCode::Root ? Placement::Root : Placement::OwnWindow;
            return 1;
        default:
            return 1;
    }
}

// The options that set what is drawn and how it is shown. Returns 1, or 0 with *error.
int TakeSettingOption(OptionCode code, const OptionValue& value, const OptionReader& reader,
                      GivenOptions* given, std::string* error) {
    ViewerOptions& options = given->options;
    switch (code) {
        case OptionCode::Size:
            options.width = value.width;
            options.height = value.height;
            given->sizeGiven = true;
            return 1;
        case OptionCode::Geometry:
            if (!ParseGeometry(value.text, &options)) {
                *error = RefuseOption(reader, value.text);
                return 0;
            }
            given->sizeGiven = true;
            return 1;
        case OptionCode::Count:
            options.trailCount = static_cast<uint32_t>(value.number);
            options.trailCountGiven = true;
            return 1;
        case OptionCode::Color:
            options.colorMode = static_cast<int32_t>(value.number);
            options.colorModeGiven = true;
            return 1;
        case OptionCode::Delay:
            options.stepMicroseconds = static_cast<uint32_t>(value.number);
            options.delayGiven = true;
            return 1;
        case OptionCode::Scale:
            options.scale = static_cast<int32_t>(value.number);
            return 1;
        case OptionCode::Frames:
            options.frames = static_cast<uint32_t>(value.number);
            return 1;
        case OptionCode::DisplayName:
            options.displayName = value.text;
            return 1;
        case OptionCode::Hash:
        case OptionCode::Help:
            (code == OptionCode::Hash ? options.hash : options.help) = true;
            return 1;
        case OptionCode::Fps:
        case OptionCode::NoFps:
            options.showFps = code == OptionCode::Fps;
            return 1;
        default:
            // -install and -visual choose colours for hacks with colour maps; the trails are
            // drawn with the window's own true-colour visual whatever is asked.
            return 1;
    }
}

// Reads every option of argv. Returns 1, or 0 with *error.
int ReadGivenOptions(int argc, char** argv, GivenOptions* given, std::string* error) {
    OptionReader reader{argc, argv, ViewerProgram};
    OptionCode code{};
    OptionValue value;
    int read = 0;
    while ((read = ReadOption(&reader, &code, &value, error)) > 0) {
        if (!TakeModeOption(code, value, given, error) ||
            !TakeSettingOption(code, value, reader, given, error))
            return 0;
    }
    return read == 0 ? 1 : 0;
}

// Whether the modes given go together. Returns 1, or 0 with *error.
int CheckModesCombine(const GivenOptions& given, std::string* error) {
    const bool placed = given.windowIdGiven || given.placement != Placement::None;
    const WindowSystem system = given.options.windowSystem;
    if (given.ownModesGiven + (placed ? 1 : 0) > 1) {
        *error =
            "choose one of --fullscreen, --background, --configure and --root, --window or "
            "--window-id";
        return 0;
    }
    // XScreenSaver's modes are X11's, and only Wayland's layer-shell puts a wallpaper behind
    // the windows.
    if (placed && system == WindowSystem::Wayland) {
        *error = "--root, --window and --window-id draw on X11 only";
        return 0;
    }
    if (given.options.mode == ViewerMode::Background && system == WindowSystem::X11) {
        *error = "--background needs Wayland (a compositor with layer-shell)";
        return 0;
    }
    return 1;
}

// The X window XScreenSaver's placements and $XSCREENSAVER_WINDOW choose, as options->mode and
// options->windowId; the mode given stays where they choose none. Returns 1, or 0 with *error
// when the variable names no window.
int ChooseXPlacement(const GivenOptions& given, const char* environmentWindow,
                     ViewerOptions* options, std::string* error) {
    const bool placed = given.windowIdGiven || given.placement != Placement::None;
    const bool environmentGiven = environmentWindow != nullptr && *environmentWindow != '\0';
    // --wayland asks for a window of its own, whatever window XScreenSaver names.
    const bool environmentNeeded =
        !given.windowIdGiven && (given.placement == Placement::Root ||
                                 (!placed && given.ownModesGiven == 0 &&
                                  given.options.windowSystem != WindowSystem::Wayland));
    unsigned long environmentId = 0;
    if (environmentNeeded && environmentGiven &&
        !ParseWindowId(environmentWindow, &environmentId)) {
        *error = std::string("XSCREENSAVER_WINDOW: not an X window id (got '") + environmentWindow +
                 "')";
        return 0;
    }
    if (given.windowIdGiven) {
        options->mode = ViewerMode::ForeignWindow;
    } else if (given.placement == Placement::OwnWindow) {
        options->mode = ViewerMode::OwnXWindow;
    } else if (given.placement == Placement::Root || (environmentNeeded && environmentGiven)) {
        options->mode = ViewerMode::ForeignWindow;
        options->windowId = environmentId;  // 0, the real root, when the variable is unset
    }
    return 1;
}

// --configure takes the settings alone, each within what the settings dialog offers; a one-run
// --count or --color is not checked, as a stored value is not. Returns 1, or 0 with *error.
int CheckConfigure(const GivenOptions& given, std::string* error) {
    const ViewerOptions& options = given.options;
    if (!options.trailCountGiven && !options.colorModeGiven && !options.delayGiven) {
        *error = "--configure needs --count, --color or --delay";
        return 0;
    }
    if (options.trailCountGiven &&
        (options.trailCount < MinTrailCount || options.trailCount > MaxTrailCount)) {
        *error = "--configure: --count must be " + std::to_string(MinTrailCount) + " to " +
                 std::to_string(MaxTrailCount);
        return 0;
    }
    if (options.colorModeGiven &&
        (options.colorMode < MinColorMode || options.colorMode > MaxColorMode)) {
        *error = "--configure: --color must be " + std::to_string(MinColorMode) + " to " +
                 std::to_string(MaxColorMode);
        return 0;
    }
    if (given.sizeGiven || options.hash || options.frames != 0 || options.showFps ||
        options.scale != 0 || options.windowSystem != WindowSystem::Any) {
        *error = "--configure takes only --count, --color and --delay";
        return 0;
    }
    return 1;
}

}  // namespace

std::string ViewerUsage() {
    return "usage: tolva [--fullscreen | --background] [--wayland | --x11] [--size WxH]\n"
           "             [--count N] [--color M] [--delay US] [--scale K] [--fps] [--hash]\n"
           "             [--frames F]\n"
           "       tolva --root | --window | --window-id XID [...]   (as an XScreenSaver hack)\n"
           "       tolva --configure [--count N] [--color M] [--delay US]\n" +
           OptionHelp(ViewerProgram) +
           "Every option also takes one dash (-root, -fps). Settings: $XDG_CONFIG_HOME/tolva/\n"
           "settings (default ~/.config/tolva/settings).\n";
}

int ParseViewerOptions(int argc, char** argv, const char* environmentWindow, ViewerOptions* options,
                       std::string* error) {
    GivenOptions given;
    if (!ReadGivenOptions(argc, argv, &given, error) || !CheckModesCombine(given, error) ||
        !ChooseXPlacement(given, environmentWindow, &given.options, error))
        return 0;
    if (given.options.mode == ViewerMode::Configure && !CheckConfigure(given, error)) return 0;
    *options = given.options;
    return 1;
}
