// The options of TOLVA's two command-line programs, tolva (the Linux program) and tolva-render
// (the headless renderer), in one table: each option's word, the programs that take it, the
// kind of value it takes and its line of --help. Both programs read their command line and
// write their --help from it; what an option then does is each program's own business.
// As XScreenSaver's hacks do, every option takes one dash or two (-delay, --delay), and a
// value follows as the next word or after '=' (--delay=20000).
#pragma once

#include <cstdint>
#include <string>

// The programs, as a mask in each entry.
constexpr uint32_t RenderProgram = 1;
constexpr uint32_t ViewerProgram = 2;

enum class OptionCode {
    FullScreen,
    Background,
    Wayland,
    X11,
    Size,
    Geometry,
    DisplayName,
    Count,
    Color,
    Delay,
    Scale,
    Fps,
    NoFps,
    Root,
    OwnWindow,
    WindowId,
    Install,
    Visual,
    Configure,
    Hash,
    Frames,
    ClockMs,
    Out,
    Format,
    Every,
    Gif,
    Help,
};

enum class OptionKind {
    Flag,
    WholeNumber,  // low..high
    Size,         // WIDTHxHEIGHT, each 1 to 32767
    Scale,        // a decimal 0.5 to 8, read in ScaleUnit 256ths
    WindowId,     // an X window id, decimal or 0x hex
    Text,         // any text; the program reads it further
    Name,         // a file or directory name: not empty
};

struct OptionEntry {
    OptionCode code;
    const char* word;
    uint32_t programs;
    OptionKind kind;
    int64_t low;
    int64_t high;
    const char* valueName;  // in --help
    const char* help;
    const char* expected;  // the refusal of a bad value
};

struct OptionValue {
    int64_t number = 0;  // WholeNumber, and Scale in ScaleUnit 256ths
    int32_t width = 0;
    int32_t height = 0;
    unsigned long windowId = 0;
    const char* text = "";
};

// Walks one program's command line, an option a call.
struct OptionReader {
    int argc = 0;
    char** argv = nullptr;
    uint32_t program = 0;
    int next = 1;
    const OptionEntry* entry = nullptr;  // the option read last
};

// Returns 1 with the next option in *code and *value, 0 at the end of the line, or -1 with a
// one-line reason in *error: an unknown option, a value missing or not of the option's kind,
// a word that is no option.
int ReadOption(OptionReader* reader, OptionCode* code, OptionValue* value, std::string* error);

// The refusal of the last option's value when the program's own reading of it fails:
// "--format: expected bmp or png (got 'gif')".
std::string RefuseOption(const OptionReader& reader, const char* got);

// The --help lines of a program's options, in the table's order.
std::string OptionHelp(uint32_t program);
