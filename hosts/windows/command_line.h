// Reading the host's command line: which of the four saver modes to run and the window handle
// that follows the switch. Kept free of the platform so it builds and can be tested anywhere:
// the handle travels as a pointer-sized integer and the foreground-window fallback is a function
// the caller hands in (the saver hands GetForegroundWindow).
#pragma once

#include <cstdint>

enum class SaverMode : int16_t {
    Configure = 0,
    Preview = 1,
    Run = 2,
    ChangePassword = 3,
};

struct SaverSwitch {
    char text[3];
    SaverMode mode;
};

constexpr int SwitchCount = 16;

// Searched in this order, so configure beats preview, preview beats full screen and full
// screen beats the password change when a line holds several switches.
extern const SaverSwitch SwitchTable[SwitchCount];

// The window that stands in when no handle follows the switch.
using ForegroundWindowQuery = intptr_t (*)();

// The decimal number at the start of text, as atol reads it (leading white space, an optional
// sign, digits up to the first non-digit), except that a number beyond the 32-bit range gives
// the nearer end of that range instead of undefined behaviour.
int32_t ReadSaturatedDecimal(const char* text);

// Fills parentWindow (0, the number after the switch or after "switch:", or what
// foregroundWindow answers when that is 0, except for configure; a null query answers 0) and,
// when a switch is found, saverMode. An empty or null line means configure with no parent.
// Returns 1 when a mode was chosen and 0 when the line holds no known switch.
int ParseCommandLine(const char* commandLine, ForegroundWindowQuery foregroundWindow,
                     intptr_t* parentWindow, SaverMode* saverMode);
