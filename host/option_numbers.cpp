// Number reading shared by the tools' option parsers.
#include "host/option_numbers.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

bool ParseWholeNumber(const char* text, int64_t low, int64_t high, int64_t* value) {
    if (text == nullptr || *text == '\0' || *text == ' ' || *text == '+') return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool ParseWindowSize(const char* text, int32_t* width, int32_t* height) {
    const std::string size = text;
    const size_t x = size.find_first_of("xX");
    if (x == std::string::npos) return false;
    int64_t w = 0;
    int64_t h = 0;
    if (!ParseWholeNumber(size.substr(0, x).c_str(), 1, INT16_MAX, &w) ||
        !ParseWholeNumber(size.substr(x + 1).c_str(), 1, INT16_MAX, &h))
        return false;
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return true;
}
