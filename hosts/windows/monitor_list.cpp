// Reading a list of monitor rectangles.
#include "hosts/windows/monitor_list.h"

#include <cstdint>

namespace {

// One decimal number, optionally signed, within 32 bits; advances text past it.
bool ReadNumber(const char*& text, int32_t* number) {
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    if (*text < '0' || *text > '9') return false;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > INT32_MAX) return false;
    }
    *number = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

int ParseMonitorList(const char* text, MonitorRect* monitors, int capacity) {
    if (text == nullptr || *text == '\0') return 0;
    MonitorRect read[MaxMonitors];
    int count = 0;
    while (true) {
        if (count == capacity || count == MaxMonitors) return 0;
        int32_t sides[4];
        for (int i = 0; i < 4; ++i) {
            if (i > 0 && *text++ != ',') return 0;
            if (!ReadNumber(text, &sides[i])) return 0;
        }
        if (sides[2] <= sides[0] || sides[3] <= sides[1]) return 0;
        read[count++] = {sides[0], sides[1], sides[2], sides[3]};
        if (*text == '\0') break;
        if (*text++ != ';') return 0;
    }
    for (int i = 0; i < count; ++i) monitors[i] = read[i];
    return count;
}
