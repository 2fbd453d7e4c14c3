// Number reading shared by the tools' option parsers.
#include "host/option_numbers.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "trails/setting_limits.h"

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

bool ParseScale(const char* text, int32_t* units) {
    if (text == nullptr || !std::isdigit(static_cast<unsigned char>(*text))) return false;
    // Whole part and up to nine decimals, as a count of 10^-9; more decimals cannot move the
    // rounding of 256ths.
    uint64_t billionths = 0;
    const char* at = text;
    for (; std::isdigit(static_cast<unsigned char>(*at)); ++at) {
        billionths = billionths * 10 + static_cast<uint64_t>(*at - '0');
        if (billionths > 1000) return false;
    }
    uint64_t place = 1000000000;
    billionths *= place;
    if (*at == '.') {
        ++at;
        if (!std::isdigit(static_cast<unsigned char>(*at))) return false;
        for (; std::isdigit(static_cast<unsigned char>(*at)); ++at) {
            place /= 10;
            billionths += place * static_cast<uint64_t>(*at - '0');
        }
    }
    constexpr uint64_t Billion = 1000000000;
    if (*at != '\0' || billionths * ScaleUnit < MinScale * Billion ||
        billionths * ScaleUnit > MaxScale * Billion)
        return false;
    *units = static_cast<int32_t>((billionths * ScaleUnit + Billion / 2) / Billion);
    return true;
}

bool ParseWindowId(const char* text, unsigned long* id) {
    if (text == nullptr) return false;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(*digits))
              : std::isdigit(static_cast<unsigned char>(*digits))))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || end == text || *end != '\0' || parsed == 0 || parsed > 0x1FFFFFFFull)
        return false;
    *id = static_cast<unsigned long>(parsed);
    return true;
}
