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
    ViewerOptions parsed;
    // XScreenSaver's placements (-root, -window, -window-id) combine as its hacks' do; the
    // viewer's own modes stand alone.
    enum class Placement { None, Root, OwnWindow };
    Placement placement = Placement::None;
    bool windowIdGiven = false;
    int ownModesGiven = 0;
    bool sizeGiven = false;
    OptionReader reader{argc, argv, ViewerProgram};
    OptionCode code{};
    OptionValue value;
    int read = 0;
    while ((read = ReadOption(&reader, &code, &value, error)) > 0) {
        switch (code) {
            case OptionCode::FullScreen:
                parsed.mode = ViewerMode::FullScreen;
                ++ownModesGiven;
                break;
            case OptionCode::Background:
                parsed.mode = ViewerMode::Background;
                ++ownModesGiven;
                break;
            case OptionCode::Wayland:
            case OptionCode::X11: {
                const WindowSystem chosen =
                    code == OptionCode::Wayland ? WindowSystem::Wayland : WindowSystem::X11;
                if (parsed.windowSystem != WindowSystem::Any && parsed.windowSystem != chosen) {
                    *error = "choose one of --wayland and --x11";
                    return 0;
                }
                parsed.windowSystem = chosen;
                break;
            }
            case OptionCode::WindowId:
                parsed.windowId = value.windowId;
                windowIdGiven = true;
                break;
            case OptionCode::Root:
                placement = Placement::Root;  // the last of -root and -window counts
                break;
            case OptionCode::OwnWindow:
                placement = Placement::OwnWindow;
                break;
            case OptionCode::Size:
                parsed.width = value.width;
                parsed.height = value.height;
                sizeGiven = true;
                break;
            case OptionCode::Count:
                parsed.trailCount = static_cast<uint32_t>(value.number);
                parsed.trailCountGiven = true;
                break;
            case OptionCode::Color:
                parsed.colorMode = static_cast<int32_t>(value.number);
                parsed.colorModeGiven = true;
                break;
            case OptionCode::Delay:
                parsed.stepMicroseconds = static_cast<uint32_t>(value.number);
                parsed.delayGiven = true;
                break;
            case OptionCode::Scale:
                parsed.scale = static_cast<int32_t>(value.number);
                break;
            case OptionCode::Configure:
                parsed.mode = ViewerMode::Configure;
                ++ownModesGiven;
                break;
            case OptionCode::Hash:
                parsed.hash = true;
                break;
            case OptionCode::Frames:
                parsed.frames = static_cast<uint32_t>(value.number);
                break;
            case OptionCode::Fps:
            case OptionCode::NoFps:
                parsed.showFps = code == OptionCode::Fps;
                break;
            case OptionCode::Help:
                parsed.help = true;
                break;
            case OptionCode::Geometry:
                if (!ParseGeometry(value.text, &parsed)) {
                    *error = RefuseOption(reader, value.text);
                    return 0;
                }
                sizeGiven = true;
                break;
            case OptionCode::DisplayName:
                parsed.displayName = value.text;
                break;
            default:
                // -install and -visual choose colours for hacks with colour maps; the trails
                // are drawn with the window's own true-colour visual whatever is asked.
                break;
        }
    }
    if (read < 0) return 0;
    const bool placed = windowIdGiven || placement != Placement::None;
    if (ownModesGiven + (placed ? 1 : 0) > 1) {
        *error =
            "choose one of --fullscreen, --background, --configure and --root, --window or "
            "--window-id";
        return 0;
    }
    // XScreenSaver's modes are X11's, and only Wayland's layer-shell puts a wallpaper behind
    // the windows.
    if (placed && parsed.windowSystem == WindowSystem::Wayland) {
        *error = "--root, --window and --window-id draw on X11 only";
        return 0;
    }
    if (parsed.mode == ViewerMode::Background && parsed.windowSystem == WindowSystem::X11) {
        *error = "--background needs Wayland (a compositor with layer-shell)";
        return 0;
    }
    const bool environmentGiven = environmentWindow != nullptr && *environmentWindow != '\0';
    unsigned long environmentId = 0;
    // --wayland asks for a window of its own, whatever window XScreenSaver names.
    const bool environmentNeeded =
        !windowIdGiven &&
        (placement == Placement::Root ||
         (!placed && ownModesGiven == 0 && parsed.windowSystem != WindowSystem::Wayland));
    if (environmentNeeded && environmentGiven &&
        !ParseWindowId(environmentWindow, &environmentId)) {
        *error = std::string("XSCREENSAVER_WINDOW: not an X window id (got '") + environmentWindow +
                 "')";
        return 0;
    }
    if (windowIdGiven) {
        parsed.mode = ViewerMode::ForeignWindow;
    } else if (placement == Placement::OwnWindow) {
        parsed.mode = ViewerMode::OwnXWindow;
    } else if (placement == Placement::Root || (environmentNeeded && environmentGiven)) {
        parsed.mode = ViewerMode::ForeignWindow;
        parsed.windowId = environmentId;  // 0, the real root, when the variable is unset
    }
    if (parsed.mode == ViewerMode::Configure) {
        if (!parsed.trailCountGiven && !parsed.colorModeGiven && !parsed.delayGiven) {
            *error = "--configure needs --count, --color or --delay";
            return 0;
        }
        // The same choices the settings dialog offers; a one-run --count or --color is not
        // checked, as a stored value is not.
        if (parsed.trailCountGiven &&
            (parsed.trailCount < MinTrailCount || parsed.trailCount > MaxTrailCount)) {
            *error = "--configure: --count must be " + std::to_string(MinTrailCount) + " to " +
                     std::to_string(MaxTrailCount);
            return 0;
        }
        if (parsed.colorModeGiven &&
            (parsed.colorMode < MinColorMode || parsed.colorMode > MaxColorMode)) {
            *error = "--configure: --color must be " + std::to_string(MinColorMode) + " to " +
                     std::to_string(MaxColorMode);
            return 0;
        }
        if (sizeGiven || parsed.hash || parsed.frames != 0 || parsed.showFps || parsed.scale != 0 ||
            parsed.windowSystem != WindowSystem::Any) {
            *error = "--configure takes only --count, --color and --delay";
            return 0;
        }
    }
    *options = parsed;
    return 1;
}
