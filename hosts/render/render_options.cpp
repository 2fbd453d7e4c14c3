// tolva-render's options, read with the option table every command-line program shares.
#include "hosts/render/render_options.h"

#include <cstdint>
#include <string>

#include "host/option_table.h"

std::string RenderUsage() {
    return "usage: tolva-render [--size WxH] [--count N] [--color M] [--delay US] [--scale K]\n"
           "                    [--frames F] [--clock-ms T0] [--hash]\n"
           "                    [--out DIR [--format bmp|png] [--every K]] [--gif FILE]\n" +
           OptionHelp(RenderProgram) + "Every option also takes one dash (-size, -hash).\n";
}

namespace {

// The options that only set a field, by the field they set.
struct NumberField {
    OptionCode code;
    uint32_t RenderOptions::*field;
};
const NumberField NumberFields[] = {
    {OptionCode::Count, &RenderOptions::trailCount},
    {OptionCode::Delay, &RenderOptions::stepMicroseconds},
    {OptionCode::Frames, &RenderOptions::frames},
    {OptionCode::ClockMs, &RenderOptions::clockStart},
    {OptionCode::Every, &RenderOptions::every},
};

}  // namespace

int ParseRenderOptions(int argc, char** argv, RenderOptions* options, std::string* error) {
    RenderOptions parsed;
    bool formatGiven = false;
    OptionReader reader{argc, argv, RenderProgram};
    OptionCode code{};
    OptionValue value;
    int read = 0;
    while ((read = ReadOption(&reader, &code, &value, error)) > 0) {
        for (const NumberField& number : NumberFields)
            if (number.code == code) parsed.*number.field = static_cast<uint32_t>(value.number);
        const std::string text = value.text;
        switch (code) {
            case OptionCode::Size:
                parsed.width = value.width;
                parsed.height = value.height;
                break;
            case OptionCode::Color:
            case OptionCode::Scale:
                (code == OptionCode::Color ? parsed.colorMode : parsed.scale) =
                    static_cast<int32_t>(value.number);
                break;
            case OptionCode::Hash:
            case OptionCode::Help:
                (code == OptionCode::Hash ? parsed.hash : parsed.help) = true;
                break;
            case OptionCode::Out:
            case OptionCode::Gif:
                (code == OptionCode::Out ? parsed.outDir : parsed.gifPath) = text;
                break;
            case OptionCode::Format:
                if (text != "bmp" && text != "png") {
                    *error = RefuseOption(reader, value.text);
                    return 0;
                }
                parsed.format = text == "png" ? ImageFormat::Png : ImageFormat::Bmp;
                formatGiven = true;
                break;
            default:  // a number field, set above
                break;
        }
    }
    if (read < 0) return 0;
    if (formatGiven && parsed.outDir.empty()) {
        *error = "--format needs --out";
        return 0;
    }
    *options = parsed;
    return 1;
}
