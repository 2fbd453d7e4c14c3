// The identifiers of the configuration dialog, the icon and the saver's name, shared by the
// resource script and the code (the resource compiler reads this file too, so it holds plain
// defines only).
#pragma once

#define IDD_SETUP 106
#define IDI_TOLVA 102
#define IDC_COUNT_SLIDER 1001
// Colour scheme m (1..9) is the radio button IDC_COLOR_FIRST - 1 + m.
#define IDC_COLOR_FIRST 1002
#define IDC_COLOR_LAST 1010
// String 1 is where Windows' screen-saver list looks for a saver's name.
#define IDS_SAVER_NAME 1
