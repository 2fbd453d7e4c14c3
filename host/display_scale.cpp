// The scale a host draws at from dots per inch.
#include "host/display_scale.h"

int32_t ScaleFromDpi(double dpi) {
    if (!(dpi > 0)) return ScaleUnit;  // NaN too
    const double scale = dpi * ScaleUnit / 96 + 0.5;
    if (scale < MinScale) return MinScale;
    if (scale > MaxScale) return MaxScale;
    return static_cast<int32_t>(scale);
}
