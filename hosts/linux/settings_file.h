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
// tolva --configure ever writes it.
#pragma once

#include <cstdint>
#include <string>

#include "host/pace.h"
#include "trails/setting_limits.h"

struct ViewerSettings {
    uint32_t count = DefaultTrailCount;
    int32_t color = DefaultColorMode;
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

// Creates the directory if needed and replaces the file as a whole (written aside, then
// renamed, so a failed write never leaves half a file). Returns 1, or 0 with *error.
int SaveSettingsFile(const std::string& path, const ViewerSettings& settings, std::string* error);
