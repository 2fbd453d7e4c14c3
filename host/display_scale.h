// The scale a host draws at from a display's dots per inch: 96 is the scale the saver was made
// for, so a display of 192 draws every disc twice as large and the picture keeps its physical
// size.
#pragma once

#include <cstdint>

#include "trails/setting_limits.h"

// dpi / 96 in ScaleUnits, held within MinScale..MaxScale; ScaleUnit where the dpi is unknown
// (0, negative or not a number).
int32_t ScaleFromDpi(double dpi);
