// Parsing of tolva's options with the C library's getopt_long_only, which takes both the
// GNU spelling (--root) and XScreenSaver's single-dash one (-root).
#include "hosts/linux/viewer_options.h"

#include <getopt.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/option_numbers.h"
#include "trails/setting_limits.h"

namespace {

// X window ids come in decimal or, as xwininfo and XScreenSaver print them, in hex with 0x; a
// leading zero is no octal prefix.
bool ParseWindowId(const char* text, unsigned long* id) {
    if (text == nullptr) return false;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(*digits))
              : std::isdigit(static_cast<unsigned char>(*digits))))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(digits, &end, hex ? 16 : 10);
    // X resource ids are 29 bits wide; 0 is None.
    if (errno != 0 || end == text || *end != '\0' || parsed == 0 || parsed > 0x1FFFFFFFull)
        return false;
    *id = static_cast<unsigned long>(parsed);
    return true;
}

// X's WIDTHxHEIGHT with an optional {+-}X{+-}Y, a minus counting from the right or bottom edge.
bool ParseGeometry(const char* text, ViewerOptions* options) {
    const std::string geometry = text;
    const size_t sign = geometry.find_first_of("+-");
    if (!ParseWindowSize(geometry.substr(0, sign).c_str(), &options->width, &options->height))
        return false;
    if (sign == std::string::npos) return true;
    const size_t second = geometry.find_first_of("+-", sign + 1);
    if (second == std::string::npos) return false;
    int64_t x = 0;
    int64_t y = 0;
    if (!ParseWholeNumber(geometry.substr(sign + 1, second - sign - 1).c_str(), 0, INT16_MAX, &x) ||
        !ParseWholeNumber(geometry.substr(second + 1).c_str(), 0, INT16_MAX, &y))
        return false;
    options->positionGiven = true;
    options->x = static_cast<int32_t>(x);
    options->y = static_cast<int32_t>(y);
    options->xFromRight = geometry[sign] == '-';
    options->yFromBottom = geometry[second] == '-';
    return true;
}

}  // namespace

const char* ViewerUsage() {
    return "usage: tolva [--fullscreen] [--size WxH] [--count N] [--color M] [--fps]\n"
           "             [--tick-ms T] [--hash] [--frames F]\n"
           "       tolva --root | --window | --window-id XID [...]   (as an XScreenSaver hack)\n"
           "       tolva --configure [--count N] [--color M]\n"
           "  --fullscreen       full screen; a key, a click or moving the pointer ends it\n"
           "  --size WxH         a new window's first size (default 640x480)\n"
           "  --geometry WxH+X+Y --window's size and place (-X, -Y: from the right, bottom)\n"
           "  --display NAME     the X display to draw on (default $DISPLAY)\n"
           "  --count N          trails for this run (2..80 in the settings, default 25)\n"
           "  --color M          colour scheme for this run (1..9, default 1)\n"
           "  --fps, --no-fps    show the frame rate and CPU load in the lower left corner\n"
           "  --root             draw into $XSCREENSAVER_WINDOW, else into the root window\n"
           "  --window           draw into an X window of its own\n"
           "  --window-id XID    draw into that X window (wins over --root and --window)\n"
           "  --install, --visual V   taken for XScreenSaver; the window's own visual is used\n"
           "  --tick-ms T        milliseconds per animation step (default 5)\n"
           "  --hash, --frames F print each frame's hash as tolva-render does; stop after F\n"
           "  --configure        store --count and --color as the settings\n"
           "Every option also takes one dash (-root, -fps). Settings: $XDG_CONFIG_HOME/tolva/\n"
           "settings (default ~/.config/tolva/settings).\n";
}

int ParseViewerOptions(int argc, char** argv, const char* environmentWindow, ViewerOptions* options,
                       std::string* error) {
    enum {
        FullScreen = 1,
        WindowId,
        Root,
        OwnWindow,
        Size,
        Count,
        Color,
        TickMs,
        Configure,
        Hash,
        Frames,
        Fps,
        NoFps,
        Install,
        Visual,
        Help,
        Geometry,
        DisplayName
    };
    static const option longOptions[] = {
        {"fullscreen", no_argument, nullptr, FullScreen},
        {"window-id", required_argument, nullptr, WindowId},
        {"root", no_argument, nullptr, Root},
        {"window", no_argument, nullptr, OwnWindow},
        {"size", required_argument, nullptr, Size},
        {"count", required_argument, nullptr, Count},
        {"color", required_argument, nullptr, Color},
        {"tick-ms", required_argument, nullptr, TickMs},
        {"configure", no_argument, nullptr, Configure},
        {"hash", no_argument, nullptr, Hash},
        {"frames", required_argument, nullptr, Frames},
        {"fps", no_argument, nullptr, Fps},
        {"no-fps", no_argument, nullptr, NoFps},
        {"install", no_argument, nullptr, Install},
        {"visual", required_argument, nullptr, Visual},
        {"help", no_argument, nullptr, Help},
        {"geometry", required_argument, nullptr, Geometry},
        {"display", required_argument, nullptr, DisplayName},
        {nullptr, 0, nullptr, 0},
    };
    ViewerOptions parsed;
    // XScreenSaver's placements (-root, -window, -window-id) combine as its hacks' do; the
    // viewer's own modes stand alone.
    enum class Placement { None, Root, OwnWindow };
    Placement placement = Placement::None;
    bool windowIdGiven = false;
    int ownModesGiven = 0;
    bool sizeGiven = false;
    opterr = 0;
    optind = 1;
    int code = 0;
    while ((code = getopt_long_only(argc, argv, ":", longOptions, nullptr)) != -1) {
        int64_t value = 0;
        const std::string name = code > 0 && code <= DisplayName ? longOptions[code - 1].name : "";
        auto bad = [&](const char* what) {
            *error = "--" + name + ": " + what + " (got '" + (optarg ? optarg : "") + "')";
            return 0;
        };
        switch (code) {
            case FullScreen:
                parsed.mode = ViewerMode::FullScreen;
                ++ownModesGiven;
                break;
            case WindowId:
                if (!ParseWindowId(optarg, &parsed.windowId))
                    return bad("expected an X window id, decimal or 0x hex");
                windowIdGiven = true;
                break;
            case Root:
                placement = Placement::Root;  // the last of -root and -window counts
                break;
            case OwnWindow:
                placement = Placement::OwnWindow;
                break;
            case Size:
                if (!ParseWindowSize(optarg, &parsed.width, &parsed.height))
                    return bad("expected WIDTHxHEIGHT, each 1 to 32767");
                sizeGiven = true;
                break;
            case Count:
                if (!ParseWholeNumber(optarg, 0, UINT32_MAX, &value))
                    return bad("expected a count 0 or more");
                parsed.count = static_cast<uint32_t>(value);
                parsed.countGiven = true;
                break;
            case Color:
                if (!ParseWholeNumber(optarg, INT32_MIN, INT32_MAX, &value))
                    return bad("expected a number");
                parsed.color = static_cast<int32_t>(value);
                parsed.colorGiven = true;
                break;
            case TickMs:
                if (!ParseWholeNumber(optarg, 1, 1000, &value))
                    return bad("expected 1 to 1000 milliseconds");
                parsed.tickMilliseconds = static_cast<uint32_t>(value);
                break;
            case Configure:
                parsed.mode = ViewerMode::Configure;
                ++ownModesGiven;
                break;
            case Hash:
                parsed.hash = true;
                break;
            case Frames:
                if (!ParseWholeNumber(optarg, 1, UINT32_MAX, &value))
                    return bad("expected a frame count 1 or more");
                parsed.frames = static_cast<uint32_t>(value);
                break;
            case Fps:
                parsed.showFps = true;
                break;
            case NoFps:
                parsed.showFps = false;
                break;
            case Install:
            case Visual:
                // Both choose colours for hacks with colour maps; the trails are drawn with
                // the window's own true-colour visual whatever is asked.
                break;
            case Help:
                parsed.help = true;
                break;
            case Geometry:
                if (!ParseGeometry(optarg, &parsed))
                    return bad("expected WIDTHxHEIGHT, each 1 to 32767, then maybe +X+Y");
                sizeGiven = true;
                break;
            case DisplayName:
                parsed.displayName = optarg;
                break;
            case ':':
                *error = std::string(argv[optind - 1]) + " needs a value";
                return 0;
            default:
                *error = std::string("unknown option ") + argv[optind - 1];
                return 0;
        }
    }
    if (optind < argc) {
        *error = std::string("unexpected argument ") + argv[optind];
        return 0;
    }
    const bool placed = windowIdGiven || placement != Placement::None;
    if (ownModesGiven + (placed ? 1 : 0) > 1) {
        *error = "choose one of --fullscreen, --configure and --root, --window or --window-id";
        return 0;
    }
    const bool environmentGiven = environmentWindow != nullptr && *environmentWindow != '\0';
    unsigned long environmentId = 0;
    const bool environmentNeeded =
        !windowIdGiven && (placement == Placement::Root || (!placed && ownModesGiven == 0));
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
        if (!parsed.countGiven && !parsed.colorGiven) {
            *error = "--configure needs --count and/or --color";
            return 0;
        }
        // The same choices the settings dialog offers; a one-run --count or --color is not
        // checked, as a stored value is not.
        if (parsed.countGiven && (parsed.count < MinTrailCount || parsed.count > MaxTrailCount)) {
            *error = "--configure: --count must be " + std::to_string(MinTrailCount) + " to " +
                     std::to_string(MaxTrailCount);
            return 0;
        }
        if (parsed.colorGiven && (parsed.color < MinColorMode || parsed.color > MaxColorMode)) {
            *error = "--configure: --color must be " + std::to_string(MinColorMode) + " to " +
                     std::to_string(MaxColorMode);
            return 0;
        }
        if (sizeGiven || parsed.hash || parsed.frames != 0 || parsed.showFps) {
            *error = "--configure takes only --count and --color";
            return 0;
        }
    }
    *options = parsed;
    return 1;
}
