// Reading and writing the viewer's settings file with the C and C++ standard libraries.
#include "hosts/linux/settings_file.h"

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

}  // namespace

std::string SettingsFilePath(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/tolva/settings";
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/tolva/settings";
    return "";
}

int ParseSettingsText(const std::string& text, ViewerSettings* settings) {
    bool haveCount = false;
    bool haveColor = false;
    bool haveDelay = false;
    int64_t newCount = 0;
    int64_t newColor = 0;
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
            if (!ParseNumber(value, 0, UINT32_MAX, &newCount)) return 0;
            haveCount = true;
        } else if (key == "color") {
            if (!ParseNumber(value, INT32_MIN, INT32_MAX, &newColor)) return 0;
            haveColor = true;
        } else if (key == "delay") {
            if (!ParseNumber(value, INT64_MIN, INT64_MAX, &newDelay)) return 0;
            haveDelay = true;
        } else {
            return 0;
        }
    }
    if (haveCount) settings->count = static_cast<uint32_t>(newCount);
    if (haveColor) settings->color = static_cast<int32_t>(newColor);
    if (haveDelay)
        settings->stepMicroseconds =
            newDelay < MinStepMicroseconds || newDelay > MaxStepMicroseconds
                ? DefaultStepMicroseconds
                : static_cast<uint32_t>(newDelay);
    return 1;
}

std::string FormatSettingsText(const ViewerSettings& settings) {
    return "# TOLVA settings; written by tolva --configure.\ncount=" +
           std::to_string(settings.count) + "\ncolor=" + std::to_string(settings.color) +
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

int SaveSettingsFile(const std::string& path, const ViewerSettings& settings, std::string* error) {
    if (path.empty()) {
        *error = "neither XDG_CONFIG_HOME nor HOME is set; nowhere to store the settings";
        return 0;
    }
    const std::filesystem::path target(path);
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) {
        *error = "cannot create " + target.parent_path().string() + ": " + ec.message();
        return 0;
    }
    const std::string aside = path + ".new." + std::to_string(static_cast<long>(getpid()));
    std::FILE* file = std::fopen(aside.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + aside + ": " + std::strerror(errno);
        return 0;
    }
    const std::string text = FormatSettingsText(settings);
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(aside.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(aside.c_str());
        return 0;
    }
    return 1;
}
