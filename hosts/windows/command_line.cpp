// The command-line switches and their reading.
#include "hosts/windows/command_line.h"

#include <cstdint>
#include <cstring>

const SaverSwitch SwitchTable[SwitchCount] = {
    {"-c", SaverMode::Configure},
    {"-C", SaverMode::Configure},
    {"/c", SaverMode::Configure},
    {"/C", SaverMode::Configure},
    {"-p", SaverMode::Preview},
    {"-P", SaverMode::Preview},
    {"/p", SaverMode::Preview},
    {"/P", SaverMode::Preview},
    {"-s", SaverMode::Run},
    {"-S", SaverMode::Run},
    {"/s", SaverMode::Run},
    {"/S", SaverMode::Run},
    {"-a", SaverMode::ChangePassword},
    {"-A", SaverMode::ChangePassword},
    {"/a", SaverMode::ChangePassword},
    {"/A", SaverMode::ChangePassword},
};

namespace {

// The C locale's white space; bytes of a double-byte character never count as blanks.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t ReadSaturatedDecimal(const char* text) {
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    // Accumulate the magnitude in 64 bits and stop growing it once it is past the range; the
    // digits that follow are still consumed, as atol would.
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (magnitude <= limit) magnitude = magnitude * 10 + (*text - '0');
    }
    if (magnitude > limit) magnitude = limit;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int ParseCommandLine(const char* commandLine, ForegroundWindowQuery foregroundWindow,
                     intptr_t* parentWindow, SaverMode* saverMode) {
    *parentWindow = 0;
    if (commandLine == nullptr || commandLine[0] == '\0') {
        *saverMode = SaverMode::Configure;
        return 1;
    }
    // The first table entry found anywhere wins, even inside a longer word; this is not the
    // leftmost switch on the line.
    const char* found = nullptr;
    const SaverSwitch* chosen = nullptr;
    for (const SaverSwitch& entry : SwitchTable) {
        found = std::strstr(commandLine, entry.text);
        if (found != nullptr) {
            chosen = &entry;
            break;
        }
    }
    if (chosen == nullptr) return 0;
    *saverMode = chosen->mode;
    // A handle is a 32-bit number on the command line, after a blank or a colon (the display
    // settings write "/c:HWND"); widening keeps its sign, as the platform's handle conversion
    // does.
    const char* number = found + 2;
    if (*number == ':') ++number;
    *parentWindow = static_cast<intptr_t>(ReadSaturatedDecimal(number));
    // The dialog has an owner only when one is named; the other modes need a window.
    if (*parentWindow == 0 && chosen->mode != SaverMode::Configure && foregroundWindow != nullptr)
        *parentWindow = foregroundWindow();
    return 1;
}
