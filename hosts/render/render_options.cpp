// Parsing of tolva-render's options with the C library's getopt_long.
#include "hosts/render/render_options.h"

#include <getopt.h>

#include <cstdint>
#include <string>

#include "host/option_numbers.h"

const char* RenderUsage() {
    return "usage: tolva-render [--size WxH] [--count N] [--color M] [--frames F] [--clock-ms T0]\n"
           "                    [--hash] [--out DIR [--format bmp|png] [--every K]] [--gif FILE]\n";
}

int ParseRenderOptions(int argc, char** argv, RenderOptions* options, std::string* error) {
    enum { Size = 1, Count, Color, Frames, ClockMs, Hash, Out, Format, Every, Gif, Help };
    static const option longOptions[] = {
        {"size", required_argument, nullptr, Size},
        {"count", required_argument, nullptr, Count},
        {"color", required_argument, nullptr, Color},
        {"frames", required_argument, nullptr, Frames},
        {"clock-ms", required_argument, nullptr, ClockMs},
        {"hash", no_argument, nullptr, Hash},
        {"out", required_argument, nullptr, Out},
        {"format", required_argument, nullptr, Format},
        {"every", required_argument, nullptr, Every},
        {"gif", required_argument, nullptr, Gif},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };
    RenderOptions parsed;
    bool formatGiven = false;
    opterr = 0;
    optind = 1;
    int code = 0;
    while ((code = getopt_long(argc, argv, ":", longOptions, nullptr)) != -1) {
        int64_t value = 0;
        const std::string name = code > 0 && code <= Help ? longOptions[code - 1].name : "";
        auto bad = [&](const char* what) {
            *error = "--" + name + ": " + what + " (got '" + (optarg ? optarg : "") + "')";
            return 0;
        };
        switch (code) {
            case Size:
                if (!ParseWindowSize(optarg, &parsed.width, &parsed.height))
                    return bad("expected WIDTHxHEIGHT, each 1 to 32767");
                break;
            case Count:
                if (!ParseWholeNumber(optarg, 0, UINT32_MAX, &value))
                    return bad("expected a count 0 or more");
                parsed.count = static_cast<uint32_t>(value);
                break;
            case Color:
                if (!ParseWholeNumber(optarg, INT32_MIN, INT32_MAX, &value))
                    return bad("expected a number");
                parsed.color = static_cast<int32_t>(value);
                break;
            case Frames:
                if (!ParseWholeNumber(optarg, 0, UINT32_MAX, &value))
                    return bad("expected a frame count");
                parsed.frames = static_cast<uint32_t>(value);
                break;
            case ClockMs:
                if (!ParseWholeNumber(optarg, 0, UINT32_MAX, &value))
                    return bad("expected milliseconds 0 to 4294967295");
                parsed.clockStart = static_cast<uint32_t>(value);
                break;
            case Hash:
                parsed.hash = true;
                break;
            case Out:
                if (*optarg == '\0') return bad("expected a directory");
                parsed.outDir = optarg;
                break;
            case Format:
                if (std::string(optarg) == "bmp")
                    parsed.format = ImageFormat::Bmp;
                else if (std::string(optarg) == "png")
                    parsed.format = ImageFormat::Png;
                else
                    return bad("expected bmp or png");
                formatGiven = true;
                break;
            case Every:
                if (!ParseWholeNumber(optarg, 1, UINT32_MAX, &value))
                    return bad("expected a number 1 or more");
                parsed.every = static_cast<uint32_t>(value);
                break;
            case Gif:
                if (*optarg == '\0') return bad("expected a file name");
                parsed.gifPath = optarg;
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
    if (formatGiven && parsed.outDir.empty()) {
        *error = "--format needs --out";
        return 0;
    }
    *options = parsed;
    return 1;
}
