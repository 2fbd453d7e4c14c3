// The one rule by which every host turns dots per inch into the scale it draws at: the Windows
// saver each monitor's DPI, the Linux program Xft.dpi. 96 is the DPI the saver was made for, so
// a display of 192 draws every disc twice as large and the picture keeps its physical size.
#pragma once

#include <cstdint>

#include "trails/setting_limits.h"

// dpi / 96 in ScaleUnits, rounded to the nearest and held within MinScale..MaxScale; ScaleUnit
// where the DPI is unknown (0, negative or not a number).
int32_t ScaleFromDpi(double dpi);
