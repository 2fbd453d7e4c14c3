// The viewer's settings store: the saver's two settings, the trail count and the colour scheme,
// kept per user in a small text file ($XDG_CONFIG_HOME/tolva/settings, else
// ~/.config/tolva/settings) instead of the registry:
//
//     count=25
//     color=1
//
// Values are kept exactly as stored (a count of 200 or a scheme of 12 loads as such and is
// bounded only where it is used); a missing key keeps its default. A file that cannot be read
// or parsed gives both defaults and a one-line warning, and is left alone: only
// tolva --configure ever writes it.
#pragma once

#include <cstdint>
#include <string>

// The settings file for these two environment values (either may be null); "" when neither
// names a usable directory. A relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
std::string SettingsFilePath(const char* xdgConfigHome, const char* home);

// Parses the file's text. Returns 1 and updates *count and *color for the keys present, or 0
// and changes nothing when any line is not a blank line, a # comment, count=N (N 0 to
// 4294967295) or color=M (M a signed 32-bit number).
int ParseSettingsText(const std::string& text, uint32_t* count, int32_t* color);

std::string FormatSettingsText(uint32_t count, int32_t color);

// Writes the defaults to the outputs first. Returns 1 when the file was read or does not exist
// (a first run), 0 with a one-line reason in *warning when it could not be read or parsed.
int LoadSettingsFile(const std::string& path, uint32_t* count, int32_t* color,
                     std::string* warning);

// Creates the directory if needed and replaces the file as a whole (written aside, then
// renamed, so a failed write never leaves half a file). Returns 1, or 0 with *error.
int SaveSettingsFile(const std::string& path, uint32_t count, int32_t color, std::string* error);
