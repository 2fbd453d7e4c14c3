// Reading the numbers of the tools' command lines: whole decimal numbers in a range, and the
// WIDTHxHEIGHT window sizes that tolva-render and the viewer both take.
#pragma once

#include <cstdint>

// Whole decimal numbers only: no leading blank or plus, a minus only where the range allows
// one, no trailing text, nothing outside low..high.
bool ParseWholeNumber(const char* text, int64_t low, int64_t high, int64_t* value);

// WIDTHxHEIGHT, each 1 to 32767: the animation records its window size as signed 16-bit numbers.
bool ParseWindowSize(const char* text, int32_t* width, int32_t* height);
