// How the stand-in host libraries talk to the tests that load them: they share the process
// environment. A test writes how a stand-in should answer, the stand-in writes down every call
// it receives, and the test reads that back.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>

inline long ReadStandinNumber(const char* name, long fallback) {
    char text[64] = {};
    if (GetEnvironmentVariableA(name, text, sizeof text) == 0) return fallback;
    return std::strtol(text, nullptr, 0);
}

inline void WriteStandinNumber(const char* name, long long value) {
    char text[64];
    std::snprintf(text, sizeof text, "%lld", value);
    SetEnvironmentVariableA(name, text);
}
