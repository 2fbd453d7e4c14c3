// Parsing of tolva's options with the C library's getopt_long_only, which takes both the
// GNU spelling (--root) and XScreenSaver's single-dash one (-root).
#include "tools/viewer/viewer_options.h"

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/common/option_numbers.h"
#include "trails/setting_limits.h"

namespace {

// X window ids come in decimal or, as xwininfo and XScreenSaver print them, in hex with 0x.
bool ParseWindowId(const char* text, unsigned long* id) {
    if (text == nullptr || *text == '\0' || *text == '-' || *text == '+' || *text == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 0);
    // X resource ids are 29 bits wide; 0 is None.
    if (errno != 0 || end == text || *end != '\0' || parsed == 0 || parsed > 0x1FFFFFFFull)
        return false;
    *id = static_cast<unsigned long>(parsed);
    return true;
}

}  // namespace

const char* ViewerUsage() {
    return "usage: tolva [--fullscreen | --window-id XID | --root] [--size WxH] [--count N]\n"
           "             [--color M] [--tick-ms T] [--hash] [--frames F]\n"
           "       tolva --configure [--count N] [--color M]\n"
           "Settings: $XDG_CONFIG_HOME/tolva/settings (default ~/.config/tolva/settings).\n"
           "XScreenSaver's -root, -window-id and $XSCREENSAVER_WINDOW draw into its window.\n";
}

int ParseViewerOptions(int argc, char** argv, const char* environmentWindow, ViewerOptions* options,
                       std::string* error) {
    enum {
        FullScreen = 1,
        WindowId,
        Root,
        Size,
        Count,
        Color,
        TickMs,
        Configure,
        Hash,
        Frames,
        Help
    };
    static const option longOptions[] = {
        {"fullscreen", no_argument, nullptr, FullScreen},
        {"window-id", required_argument, nullptr, WindowId},
        {"root", no_argument, nullptr, Root},
        {"size", required_argument, nullptr, Size},
        {"count", required_argument, nullptr, Count},
        {"color", required_argument, nullptr, Color},
        {"tick-ms", required_argument, nullptr, TickMs},
        {"configure", no_argument, nullptr, Configure},
        {"hash", no_argument, nullptr, Hash},
        {"frames", required_argument, nullptr, Frames},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };
    ViewerOptions parsed;
    int modesGiven = 0;
    bool sizeGiven = false;
    opterr = 0;
    optind = 1;
    int code = 0;
    while ((code = getopt_long_only(argc, argv, ":", longOptions, nullptr)) != -1) {
        int64_t value = 0;
        const std::string name = code > 0 && code <= Help ? longOptions[code - 1].name : "";
        auto bad = [&](const char* what) {
            *error = "--" + name + ": " + what + " (got '" + (optarg ? optarg : "") + "')";
            return 0;
        };
        switch (code) {
            case FullScreen:
                parsed.mode = ViewerMode::FullScreen;
                ++modesGiven;
                break;
            case WindowId:
                if (!ParseWindowId(optarg, &parsed.windowId))
                    return bad("expected an X window id, decimal or 0x hex");
                parsed.mode = ViewerMode::ForeignWindow;
                ++modesGiven;
                break;
            case Root:
                parsed.mode = ViewerMode::ForeignWindow;
                parsed.windowId = 0;
                ++modesGiven;
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
                ++modesGiven;
                break;
            case Hash:
                parsed.hash = true;
                break;
            case Frames:
                if (!ParseWholeNumber(optarg, 1, UINT32_MAX, &value))
                    return bad("expected a frame count 1 or more");
                parsed.frames = static_cast<uint32_t>(value);
                break;
            case Help:
                parsed.help = true;
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
    if (modesGiven > 1) {
        *error = "choose one of --fullscreen, --window-id, --root and --configure";
        return 0;
    }
    if (modesGiven == 0 && environmentWindow != nullptr && *environmentWindow != '\0') {
        if (!ParseWindowId(environmentWindow, &parsed.windowId)) {
            *error = std::string("XSCREENSAVER_WINDOW: not an X window id (got '") +
                     environmentWindow + "')";
            return 0;
        }
        parsed.mode = ViewerMode::ForeignWindow;
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
        if (sizeGiven || parsed.hash || parsed.frames != 0) {
            *error = "--configure takes only --count and --color";
            return 0;
        }
    }
    *options = parsed;
    return 1;
}
