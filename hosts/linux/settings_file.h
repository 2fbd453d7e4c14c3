// The viewer's settings store: the saver's two settings, the trail count and the colour scheme,
// and the pace, kept per user in a small text file ($XDG_CONFIG_HOME/tolva/settings, else
// ~/.config/tolva/settings) instead of the registry:
//
//     count=25
//     color=1
//     delay=15625
//
// Count and colour are kept exactly as stored (a count of 200 or a scheme of 12 loads as such
// and is bounded only where it is used); a delay outside 1 to 10000000 microseconds loads as the
// default, as the pace has no bound where it is used; a missing key keeps its default. A file that
// cannot be read or parsed gives both defaults and a one-line warning, and is left alone: only
// tolva --configure ever writes it, and it changes only the settings it was given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/pace.h"
#include "trails/setting_limits.h"

struct ViewerSettings {
    uint32_t trailCount = DefaultTrailCount;
    int32_t colorMode = DefaultColorMode;
    uint32_t stepMicroseconds = DefaultStepMicroseconds;
};

// The settings file for these two environment values (either may be null); "" when neither
// names a usable directory. A relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
std::string SettingsFilePath(const char* xdgConfigHome, const char* home);

// Parses the file's text. Returns 1 and updates *settings for the keys present, or 0 and
// changes nothing when any line is not a blank line, a # comment, count=N (N 0 to 4294967295),
// color=M (M a signed 32-bit number) or delay=US (US a whole number).
int ParseSettingsText(const std::string& text, ViewerSettings* settings);

std::string FormatSettingsText(const ViewerSettings& settings);

// Writes the defaults to the outputs first. Returns 1 when the file was read or does not exist
// (a first run), 0 with a one-line reason in *warning when it could not be read or parsed.
int LoadSettingsFile(const std::string& path, ViewerSettings* settings, std::string* warning);

// The settings tolva --configure was given; only these change in the file.
struct SettingsChange {
    bool trailCountGiven = false;
    bool colorModeGiven = false;
    bool delayGiven = false;
    ViewerSettings values;
};

// The file's text with the change made: every line of a given setting takes its new value, a
// line that cannot be read is kept as a "# unreadable: " comment (its number, from 1, goes into
// *unread) and the rest stays as it was; a given setting with no line gets one at the end.
std::string ReviseSettingsText(const std::string& text, const SettingsChange& change,
                               std::vector<int>* unread);

// Makes the change in the file named by path, or by the symbolic link path is: written aside
// and renamed over it, so that a failed write never leaves half a file (where its folder cannot
// take a new file, written in place), with the mode it had. A file that does not exist yet is
// created, its folder too, with every setting. What could not be read goes into *warnings, a
// line each; a file that cannot be read at all is written with the defaults for what was not
// given. Returns 1 with what the file now holds in *stored, or 0 with *error and the file as it
// was (also for a file too long or binary to be a settings file).
int ConfigureSettingsFile(const std::string& path, const SettingsChange& change,
                          ViewerSettings* stored, std::vector<std::string>* warnings,
                          std::string* error);
