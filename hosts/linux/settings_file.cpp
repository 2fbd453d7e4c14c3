// Reading and writing the viewer's settings file with the C and C++ standard libraries.
#include "hosts/linux/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "trails/setting_limits.h"

namespace {

// Anything longer is not a settings file someone meant to write.
constexpr size_t MaxSettingsBytes = 4096;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t* value) {
    if (text.empty() || text[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || parsed < low || parsed > high)
        return false;
    *value = parsed;
    return true;
}

// The file that path names once its symbolic links are followed, also a link to a file not
// made yet; path itself when it is no link.
std::string FollowLinks(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {  // a loop of links ends somewhere
        char name[4096];
        const ssize_t length = readlink(target.c_str(), name, sizeof name);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof name) break;
        const std::string next(name, static_cast<size_t>(length));
        target = next[0] == '/' ? next : target.substr(0, target.rfind('/') + 1) + next;
    }
    return target;
}

// Replaces target's contents with text, keeping its mode: a new file beside it renamed over it
// where the folder allows, else the file itself rewritten.
int ReplaceFile(const std::string& target, const std::string& text, std::string* error) {
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    const std::string aside = target + ".new." + std::to_string(static_cast<long>(getpid()));
    int file = open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    const bool inPlace = file < 0 && exists;
    if (inPlace) file = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (file < 0) {
        *error = "cannot write " + (exists ? target : aside) + ": " + std::strerror(errno);
        return 0;
    }
    bool written = !exists || inPlace || fchmod(file, old.st_mode & 07777) == 0;
    for (size_t done = 0; written && done < text.size();) {
        const ssize_t count = write(file, text.data() + done, text.size() - done);
        written = count > 0;
        if (written) done += static_cast<size_t>(count);
    }
    const int writeError = errno;
    written = close(file) == 0 && written;
    if (written && (inPlace || std::rename(aside.c_str(), target.c_str()) == 0)) return 1;
    *error = "cannot write " + target + ": " + std::strerror(written ? errno : writeError);
    if (!inPlace) std::remove(aside.c_str());
    return 0;
}

}  // namespace

std::string SettingsFilePath(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/tolva/settings";
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/tolva/settings";
    return "";
}

int ParseSettingsText(const std::string& text, ViewerSettings* settings) {
    bool haveTrailCount = false;
    bool haveColorMode = false;
    bool haveDelay = false;
    int64_t newTrailCount = 0;
    int64_t newColorMode = 0;
    int64_t newDelay = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) return 0;
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (key == "count") {
            if (!ParseNumber(value, 0, UINT32_MAX, &newTrailCount)) return 0;
            haveTrailCount = true;
        } else if (key == "color") {
            if (!ParseNumber(value, INT32_MIN, INT32_MAX, &newColorMode)) return 0;
            haveColorMode = true;
        } else if (key == "delay") {
            if (!ParseNumber(value, INT64_MIN, INT64_MAX, &newDelay)) return 0;
            haveDelay = true;
        } else {
            return 0;
        }
    }
    if (haveTrailCount) settings->trailCount = static_cast<uint32_t>(newTrailCount);
    if (haveColorMode) settings->colorMode = static_cast<int32_t>(newColorMode);
    if (haveDelay)
        settings->stepMicroseconds =
            newDelay < MinStepMicroseconds || newDelay > MaxStepMicroseconds
                ? DefaultStepMicroseconds
                : static_cast<uint32_t>(newDelay);
    return 1;
}

std::string FormatSettingsText(const ViewerSettings& settings) {
    return "# TOLVA settings; written by tolva --configure.\ncount=" +
           std::to_string(settings.trailCount) + "\ncolor=" + std::to_string(settings.colorMode) +
           "\ndelay=" + std::to_string(settings.stepMicroseconds) + "\n";
}

int LoadSettingsFile(const std::string& path, ViewerSettings* settings, std::string* warning) {
    *settings = ViewerSettings{};
    if (path.empty()) {
        *warning = "neither XDG_CONFIG_HOME nor HOME is set; using the default settings";
        return 0;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT) return 1;
        *warning =
            "cannot read " + path + " (" + std::strerror(errno) + "); using the default settings";
        return 0;
    }
    std::string text(MaxSettingsBytes + 1, '\0');
    const size_t got = std::fread(&text[0], 1, text.size(), file);
    const int readError = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (readError != 0) {
        *warning = "cannot read " + path + " (" + std::strerror(readError) +
                   "); using the default settings";
        return 0;
    }
    text.resize(got);
    if (got > MaxSettingsBytes || text.find('\0') != std::string::npos ||
        !ParseSettingsText(text, settings)) {
        *warning =
            path + " is malformed; using the default settings (rewrite it with tolva --configure)";
        return 0;
    }
    return 1;
}

std::string ReviseSettingsText(const std::string& text, const SettingsChange& change,
                               std::vector<int>* unread) {
    const struct {
        const char* key;
        bool given;
        std::string value;
    } given[] = {{"count", change.trailCountGiven, std::to_string(change.values.trailCount)},
                 {"color", change.colorModeGiven, std::to_string(change.values.colorMode)},
                 {"delay", change.delayGiven, std::to_string(change.values.stepMicroseconds)}};
    bool written[3] = {};
    std::string revised;
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::string key = Trim(line.substr(0, line.find('=')));
        int index = 0;
        while (index < 3 && !(given[index].given && key == given[index].key)) ++index;
        ViewerSettings scratch;
        if (index < 3) {
            revised += key + "=" + given[index].value + "\n";
            written[index] = true;
        } else if (!ParseSettingsText(line, &scratch)) {
            revised += "# unreadable: " + line + "\n";
            unread->push_back(number);
        } else {
            revised += line + "\n";
        }
    }
    for (int index = 0; index < 3; ++index)
        if (given[index].given && !written[index])
            revised += std::string(given[index].key) + "=" + given[index].value + "\n";
    return revised;
}

int ConfigureSettingsFile(const std::string& path, const SettingsChange& change,
                          ViewerSettings* stored, std::vector<std::string>* warnings,
                          std::string* error) {
    if (path.empty()) {
        *error = "neither XDG_CONFIG_HOME nor HOME is set; nowhere to store the settings";
        return 0;
    }
    const std::string target = FollowLinks(path);
    std::string text = FormatSettingsText(ViewerSettings{});
    if (std::FILE* file = std::fopen(target.c_str(), "rb")) {
        text.assign(MaxSettingsBytes + 1, '\0');
        text.resize(std::fread(&text[0], 1, text.size(), file));
        const int readError = std::ferror(file) ? errno : 0;
        std::fclose(file);
        if (readError != 0) {
            *error =
                "cannot read " + target + " (" + std::strerror(readError) + "); nothing stored";
            return 0;
        }
        if (text.size() > MaxSettingsBytes || text.find('\0') != std::string::npos) {
            *error = target + " is no settings file (binary, or over " +
                     std::to_string(MaxSettingsBytes) + " bytes); nothing stored";
            return 0;
        }
    } else if (errno != ENOENT) {
        warnings->push_back("cannot read " + path + " (" + std::strerror(errno) +
                            "); the settings not given are stored as their defaults");
    }
    std::vector<int> unread;
    text = ReviseSettingsText(text, change, &unread);
    for (const int line : unread)
        warnings->push_back(path + " line " + std::to_string(line) +
                            " cannot be read; kept as a comment");
    *stored = ViewerSettings{};
    ParseSettingsText(text, stored);
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
        *error = "cannot create " + folder.string() + ": " + ec.message();
        return 0;
    }
    return ReplaceFile(target, text, error);
}
