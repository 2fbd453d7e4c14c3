// Fuzzer: ParseCommandLine on arbitrary bytes, the host's command line being anything a
// caller of the program can type or pass: non-ASCII and double-byte text, control characters,
// numbers of any length and sign, many switches. The result is checked against the rules worked
// out here on their own: the first switch of the table found anywhere wins, the number right
// after it (white space, a sign, digits) is the parent window, held to the 32-bit range, and only
// when that number is 0 is the foreground window asked for, once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hosts/windows/command_line.h"

namespace {

constexpr intptr_t ForegroundWindow = 0x5A5A1234;
// No mode: what the parser must leave alone when it chooses none.
constexpr SaverMode Unset = static_cast<SaverMode>(-7);
int foregroundQueries = 0;

intptr_t CountedForegroundWindow() {
    ++foregroundQueries;
    return ForegroundWindow;
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "command_line_fuzzer: %s\n", what);
    std::abort();
}

// The switches in the order they are searched, with their modes.
struct Expected {
    const char* text;
    int16_t mode;
};
constexpr Expected Switches[] = {
    {"-c", 0}, {"-C", 0}, {"/c", 0}, {"/C", 0}, {"-p", 1}, {"-P", 1}, {"/p", 1}, {"/P", 1},
    {"-s", 2}, {"-S", 2}, {"/s", 2}, {"/S", 2}, {"-a", 3}, {"-A", 3}, {"/a", 3}, {"/A", 3},
};

// The first occurrence of a two-byte text in a NUL-terminated line, or null.
const char* Find(const char* line, const char* text) {
    for (const char* p = line; p[0] != '\0'; ++p)
        if (p[0] == text[0] && p[1] == text[1]) return p;
    return nullptr;
}

int64_t ReadNumber(const char* p) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (magnitude < (int64_t{1} << 40)) magnitude = magnitude * 10 + (*p - '0');
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly as long as the line and its terminator, so any read past the end is caught.
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char* text = line.data();

    intptr_t parent = -77;
    SaverMode mode = Unset;
    foregroundQueries = 0;
    const int result = ParseCommandLine(text, CountedForegroundWindow, &parent, &mode);

    if (text[0] == '\0') {
        Check(result == 1 && mode == SaverMode::Configure && parent == 0,
              "an empty line does not mean configure");
        Check(foregroundQueries == 0, "an empty line asked for the foreground window");
        return 0;
    }
    const Expected* winner = nullptr;
    const char* at = nullptr;
    for (const Expected& entry : Switches) {
        at = Find(text, entry.text);
        if (at != nullptr) {
            winner = &entry;
            break;
        }
    }
    if (winner == nullptr) {
        Check(result == 0, "a line without a switch chose a mode");
        Check(mode == Unset, "a line without a switch changed the mode");
        Check(parent == 0, "a line without a switch left a parent window");
        Check(foregroundQueries == 0, "a line without a switch asked for the foreground window");
        return 0;
    }
    Check(result == 1, "a line with a switch was refused");
    Check(static_cast<int16_t>(mode) == winner->mode, "the wrong switch won");
    // The number follows the switch, or a colon after it ("/c:HWND").
    const int64_t number = ReadNumber(at + 2 + (at[2] == ':' ? 1 : 0));
    if (number == 0 && winner->mode == 0) {
        Check(parent == 0 && foregroundQueries == 0,
              "the dialog without a number took an owner window");
    } else if (number == 0) {
        Check(parent == ForegroundWindow && foregroundQueries == 1,
              "no number after the switch, but the foreground window was not taken once");
    } else {
        Check(parent == static_cast<intptr_t>(number), "the parent window differs");
        Check(foregroundQueries == 0, "a number was given, yet the foreground window was asked");
    }
    // Nothing is kept between calls: the same line gives the same answer.
    intptr_t again = 0;
    SaverMode modeAgain = Unset;
    Check(ParseCommandLine(text, CountedForegroundWindow, &again, &modeAgain) == result &&
              again == parent && modeAgain == mode,
          "the same line parsed twice differs");
    return 0;
}
