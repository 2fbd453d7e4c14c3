// The option table and its reader.
#include "host/option_table.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "host/option_numbers.h"
#include "host/pace.h"

namespace {

constexpr uint32_t Both = RenderProgram | ViewerProgram;
constexpr int64_t Whole32 = UINT32_MAX;
constexpr const char* SizeExpected = "expected WIDTHxHEIGHT, each 1 to 32767";

// An option two programs read alike is one entry; where its meaning or range differs, each
// program has its own.
const OptionEntry Entries[] = {
    {OptionCode::FullScreen, "fullscreen", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "full screen; a key, a click or moving the pointer ends it", ""},
    {OptionCode::Background, "background", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "a moving wallpaper behind the windows of every output (Wayland's layer-shell)", ""},
    {OptionCode::Wayland, "wayland", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "draw on Wayland (the default where WAYLAND_DISPLAY is reachable)", ""},
    {OptionCode::X11, "x11", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "draw on X11 (the default without Wayland)", ""},
    {OptionCode::Size, "size", RenderProgram, OptionKind::Size, 0, 0, "WxH",
     "the frames' size (default 640x480)", SizeExpected},
    {OptionCode::Size, "size", ViewerProgram, OptionKind::Size, 0, 0, "WxH",
     "a new window's first size (default 640x480)", SizeExpected},
    {OptionCode::Geometry, "geometry", ViewerProgram, OptionKind::Text, 0, 0, "WxH+X+Y",
     "--window's size and place (-X, -Y: from the right, bottom)",
     "expected an X geometry, WxH+X+Y or part of it (+100+100), sides 1 to 32767"},
    {OptionCode::DisplayName, "display", ViewerProgram, OptionKind::Text, 0, 0, "NAME",
     "the X display to draw on (default $DISPLAY)", ""},
    {OptionCode::Count, "count", Both, OptionKind::WholeNumber, 0, Whole32, "N",
     "trails (the settings offer 2..80, default 25)", "expected a count 0 or more"},
    {OptionCode::Color, "color", Both, OptionKind::WholeNumber, INT32_MIN, INT32_MAX, "M",
     "colour scheme (the settings offer 1..9, default 1)", "expected a number"},
    {OptionCode::Delay, "delay", RenderProgram, OptionKind::WholeNumber, MinStepMicroseconds,
     MaxStepMicroseconds, "US", "microseconds of the scripted clock per frame (default 5000)",
     "expected 1 to 10000000 microseconds"},
    {OptionCode::Delay, "delay", ViewerProgram, OptionKind::WholeNumber, MinStepMicroseconds,
     MaxStepMicroseconds, "US", "microseconds per animation step (default 15625: 64 a second)",
     "expected 1 to 10000000 microseconds"},
    {OptionCode::Scale, "scale", RenderProgram, OptionKind::Scale, 0, 0, "K",
     "draw K times as large, 0.5 to 8 (default 1)", "expected a scale from 0.5 to 8"},
    {OptionCode::Scale, "scale", ViewerProgram, OptionKind::Scale, 0, 0, "K",
     "draw K times as large, 0.5 to 8 (default: the display's)", "expected a scale from 0.5 to 8"},
    {OptionCode::Fps, "fps", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "show the frame rate and CPU load in the lower left corner", ""},
    {OptionCode::NoFps, "no-fps", ViewerProgram, OptionKind::Flag, 0, 0, "", "do not show them",
     ""},
    {OptionCode::Root, "root", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "draw into $XSCREENSAVER_WINDOW, else into the root window", ""},
    {OptionCode::OwnWindow, "window", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "draw into an X window of its own", ""},
    {OptionCode::WindowId, "window-id", ViewerProgram, OptionKind::WindowId, 0, 0, "XID",
     "draw into that X window (wins over --root and --window)",
     "expected an X window id, decimal or 0x hex"},
    {OptionCode::Install, "install", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "taken for XScreenSaver; the window's own visual is used", ""},
    {OptionCode::Visual, "visual", ViewerProgram, OptionKind::Text, 0, 0, "V",
     "taken for XScreenSaver; the window's own visual is used", ""},
    {OptionCode::Configure, "configure", ViewerProgram, OptionKind::Flag, 0, 0, "",
     "store --count, --color and --delay as the settings", ""},
    {OptionCode::Hash, "hash", Both, OptionKind::Flag, 0, 0, "",
     "print an INDEX HASH line for each frame", ""},
    {OptionCode::Frames, "frames", RenderProgram, OptionKind::WholeNumber, 0, Whole32, "F",
     "frames to draw (default 1)", "expected a frame count"},
    {OptionCode::Frames, "frames", ViewerProgram, OptionKind::WholeNumber, 1, Whole32, "F",
     "stop after F frames (default: never)", "expected a frame count 1 or more"},
    {OptionCode::ClockMs, "clock-ms", RenderProgram, OptionKind::WholeNumber, 0, Whole32, "T0",
     "milliseconds the first frame's clock reads (default 0)",
     "expected milliseconds 0 to 4294967295"},
    {OptionCode::Out, "out", RenderProgram, OptionKind::Name, 0, 0, "DIR",
     "save the frames as files in DIR", "expected a directory"},
    {OptionCode::Format, "format", RenderProgram, OptionKind::Text, 0, 0, "bmp|png",
     "--out's file format (default bmp)", "expected bmp or png"},
    {OptionCode::Every, "every", RenderProgram, OptionKind::WholeNumber, 1, Whole32, "K",
     "save every K-th frame only (default 1)", "expected a number 1 or more"},
    {OptionCode::Gif, "gif", RenderProgram, OptionKind::Name, 0, 0, "FILE",
     "save the frames as an animated GIF too", "expected a file name"},
    {OptionCode::Help, "help", Both, OptionKind::Flag, 0, 0, "", "this list", ""},
};

const OptionEntry* FindEntry(const std::string& word, uint32_t program) {
    for (const OptionEntry& entry : Entries)
        if ((entry.programs & program) != 0 && word == entry.word) return &entry;
    return nullptr;
}

bool ReadValue(const OptionEntry& entry, const char* text, OptionValue* value) {
    value->text = text;
    int32_t units = 0;
    switch (entry.kind) {
        case OptionKind::Flag:
        case OptionKind::Text:
            return true;
        case OptionKind::Name:
            return *text != '\0';
        case OptionKind::WholeNumber:
            return ParseWholeNumber(text, entry.low, entry.high, &value->number);
        case OptionKind::Size:
            return ParseWindowSize(text, &value->width, &value->height);
        case OptionKind::Scale:
            if (!ParseScale(text, &units)) return false;
            value->number = units;
            return true;
        case OptionKind::WindowId:
            return ParseWindowId(text, &value->windowId);
    }
    return false;
}

}  // namespace

int ReadOption(OptionReader* reader, OptionCode* code, OptionValue* value, std::string* error) {
    if (reader->next >= reader->argc) return 0;
    const char* word = reader->argv[reader->next++];
    if (word[0] != '-' || word[1] == '\0') {
        *error = std::string("unexpected argument ") + word;
        return -1;
    }
    const char* name = word + (word[1] == '-' ? 2 : 1);
    if (*name == '\0') {  // "--" ends the options, and nothing may follow
        if (reader->next >= reader->argc) return 0;
        *error = std::string("unexpected argument ") + reader->argv[reader->next];
        return -1;
    }
    const char* equals = std::strchr(name, '=');
    const OptionEntry* entry =
        FindEntry(equals != nullptr ? std::string(name, static_cast<size_t>(equals - name)) : name,
                  reader->program);
    if (entry == nullptr) {
        *error = std::string("unknown option ") + word;
        return -1;
    }
    reader->entry = entry;
    const char* text = "";
    if (entry->kind == OptionKind::Flag) {
        if (equals != nullptr) {
            *error = std::string("--") + entry->word + " takes no value";
            return -1;
        }
    } else if (equals != nullptr) {
        text = equals + 1;
    } else if (reader->next < reader->argc) {
        text = reader->argv[reader->next++];
    } else {
        *error = std::string(word) + " needs a value";
        return -1;
    }
    *value = OptionValue{};
    if (!ReadValue(*entry, text, value)) {
        *error = RefuseOption(*reader, text);
        return -1;
    }
    *code = entry->code;
    return 1;
}

std::string RefuseOption(const OptionReader& reader, const char* got) {
    return std::string("--") + reader.entry->word + ": " + reader.entry->expected + " (got '" +
           got + "')";
}

std::string OptionHelp(uint32_t program) {
    std::string help;
    for (const OptionEntry& entry : Entries) {
        if ((entry.programs & program) == 0) continue;
        std::string line = std::string("  --") + entry.word;
        if (*entry.valueName != '\0') line += std::string(" ") + entry.valueName;
        line.resize(line.size() < 21 ? 21 : line.size() + 1, ' ');
        help += line + entry.help + "\n";
    }
    return help;
}
