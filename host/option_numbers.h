// Reading the numbers of the tools' command lines: whole decimal numbers in a range, the
// WIDTHxHEIGHT window sizes and the scales that tolva-render and the viewer both take, and X
// window ids.
#pragma once

#include <cstdint>

// Whole decimal numbers only: no leading blank or plus, a minus only where the range allows
// one, no trailing text, nothing outside low..high.
bool ParseWholeNumber(const char* text, int64_t low, int64_t high, int64_t* value);

// WIDTHxHEIGHT, each 1 to 32767: the animation records its window size as signed 16-bit numbers.
bool ParseWindowSize(const char* text, int32_t* width, int32_t* height);

// A decimal scale from 0.5 to 8 ("1", "1.5", "2.25"), in ScaleUnit 256ths of a pixel per
// logical pixel, rounded to the nearest; no sign, exponent or trailing text.
bool ParseScale(const char* text, int32_t* units);

// X window ids come in decimal or, as xwininfo and XScreenSaver print them, in hex with 0x; a
// leading zero is no octal prefix. X resource ids are 29 bits wide; 0 is None.
bool ParseWindowId(const char* text, unsigned long* id);
