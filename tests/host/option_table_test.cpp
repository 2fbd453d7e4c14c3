// The option table both command-line programs read: what each program takes, in either
// spelling, and the one-line refusal of every bad value.
#include "host/option_table.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t R = RenderProgram;
constexpr uint32_t V = ViewerProgram;

// The options read as "word=value" pairs ("size=800x600 hash"), or "! " and the refusal.
std::string Read(uint32_t program, const std::string& line) {
    std::vector<std::string> words{"program"};
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    OptionReader reader{static_cast<int>(argv.size()), argv.data(), program};
    OptionCode code{};
    OptionValue value;
    std::string error;
    std::string read;
    int got = 0;
    while ((got = ReadOption(&reader, &code, &value, &error)) > 0) {
        read += read.empty() ? "" : " ";
        read += reader.entry->word;
        switch (reader.entry->kind) {
            case OptionKind::Flag:
                break;
            case OptionKind::Size:
                read += "=" + std::to_string(value.width) + "x" + std::to_string(value.height);
                break;
            case OptionKind::WindowId:
                read += "=" + std::to_string(value.windowId);
                break;
            case OptionKind::Text:
            case OptionKind::Name:
                read += std::string("=") + value.text;
                break;
            default:
                read += "=" + std::to_string(value.number);
        }
    }
    if (got < 0) return "! " + error;
    return read;
}

struct Row {
    uint32_t programs;
    const char* line;
    const char* read;  // "! " and the start of the refusal
};

const Row Rows[] = {
    {R | V, "", ""},
    {R | V, "--size 800x600 -count 200 --color=-3 -hash --help",
     "size=800x600 count=200 color=-3 hash help"},
    {R | V, "-delay 1 --delay 10000000 --delay=15625", "delay=1 delay=10000000 delay=15625"},
    // Scales in 256ths, rounded to the nearest.
    {R | V, "-scale 1 --scale 1.5 --scale 0.5 -scale 8 -scale 2.001 -scale 8.000",
     "scale=256 scale=384 scale=128 scale=2048 scale=512 scale=2048"},
    {R, "--frames 0 --clock-ms 4294967295 --out d --format png --every 3 --gif a.gif",
     "frames=0 clock-ms=4294967295 out=d format=png every=3 gif=a.gif"},
    {V, "-root -window -fullscreen -configure -fps -no-fps -install -visual default -display :1",
     "root window fullscreen configure fps no-fps install visual=default display=:1"},
    {V, "--background -wayland --x11", "background wayland x11"},
    {R, "--wayland", "! unknown option --wayland"},
    {V, "-window-id 0x2a00007 --window-id 44040199 -window-id 010 -geometry 10x10-5+5",
     "window-id=44040199 window-id=44040199 window-id=10 geometry=10x10-5+5"},
    {R | V, "--size 640", "! --size: expected WIDTHxHEIGHT"},
    {R | V, "--size -5x10", "! --size: expected"},
    {R | V, "--size 640x480x3", "! --size: expected"},
    {R | V, "--count -1", "! --count: expected a count 0 or more (got '-1')"},
    {R | V, "--count 4294967296", "! --count: expected"},
    {R | V, "--color 1.5", "! --color: expected a number"},
    {R | V, "--delay 0", "! --delay: expected 1 to 10000000 microseconds (got '0')"},
    {R | V, "-delay -5", "! --delay: expected"},
    {R | V, "-delay 10000001", "! --delay: expected"},
    {R | V, "--scale 0", "! --scale: expected a scale from 0.5 to 8 (got '0')"},
    {R | V, "--scale -2", "! --scale: expected"},
    {R | V, "--scale 8.01", "! --scale: expected"},
    {R | V, "--scale 1.", "! --scale: expected"},
    {R | V, "--scale .5", "! --scale: expected"},
    {R | V, "--frames", "! --frames needs a value"},
    {R | V, "--frames -3", "! --frames: expected a frame count"},
    {R | V, "--hash=1", "! --hash takes no value"},
    {R | V, "--bogus", "! unknown option --bogus"},
    {R | V, "stray", "! unexpected argument stray"},
    {R | V, "--hash -- stray", "! unexpected argument stray"},
    {V, "--frames 0", "! --frames: expected a frame count 1 or more"},
    {V, "--window-id 0", "! --window-id: expected an X window id"},
    {V, "--window-id 0x", "! --window-id: expected"},
    {V, "--window-id 0x20000000", "! --window-id: expected"},
    {V, "-visual", "! -visual needs a value"},
    {V, "--tick-ms 5", "! unknown option --tick-ms"},
    {R, "--clock-ms 4294967296", "! --clock-ms: expected"},
    {R, "--every 0", "! --every: expected a number 1 or more"},
    {R, "--out=", "! --out: expected a directory"},
    {R, "-root", "! unknown option -root"},
    {V, "--out d", "! unknown option --out"},
};

TEST(OptionTable, EachProgramReadsItsOptionsAndRefusesBadValuesInOneLine) {
    for (const Row& row : Rows) {
        for (const uint32_t program : {R, V}) {
            if ((row.programs & program) == 0) continue;
            const std::string read = Read(program, row.line);
            const std::string expected = row.read;
            const bool refused = expected.rfind("! ", 0) == 0;
            EXPECT_EQ(refused ? read.substr(0, expected.size()) : read, expected)
                << (program == R ? "tolva-render " : "tolva ") << row.line;
            EXPECT_EQ(read.find('\n'), std::string::npos) << row.line;
        }
    }
}

TEST(OptionTable, HelpListsEachProgramsOwnOptions) {
    const std::string render = OptionHelp(RenderProgram);
    const std::string viewer = OptionHelp(ViewerProgram);
    EXPECT_NE(render.find("  --delay US         microseconds of the scripted clock"),
              std::string::npos)
        << render;
    EXPECT_NE(viewer.find("(default 15625: 64 a second)"), std::string::npos) << viewer;
    EXPECT_EQ(render.find("--window-id"), std::string::npos);
    EXPECT_EQ(viewer.find("--clock-ms"), std::string::npos);
}

}  // namespace
