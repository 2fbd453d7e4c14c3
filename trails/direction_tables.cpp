// Sine and cosine tables. The angle accumulates by repeated addition of the step, as the
// saved animation was made; with 360 entries every angle is a whole degree either way.
#include "trails/direction_tables.h"

#include <cmath>
#include <cstdint>

#include "trails/fixed_point.h"

int FillTrigTable(int32_t* values, int32_t count, double scale, int kind) {
    if (values == nullptr || count < 1) return 0;
    const double step = 360.0 / count;
    double angle = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const double radians = DegToRad(angle);
        const double ratio = kind == TrigSine ? std::sin(radians) : std::cos(radians);
        values[i] = static_cast<int32_t>(RoundHalfAway(scale * ratio));
        angle = step + angle;
    }
    return 1;
}

int FillSineTable(int32_t* values, int32_t count, double scale) {
    return FillTrigTable(values, count, scale, TrigSine);
}

int FillCosineTable(int32_t* values, int32_t count, double scale) {
    return FillTrigTable(values, count, scale, TrigCosine);
}

int BuildDirectionTables(int32_t* sineValues, int32_t* cosineValues, int32_t count, double scale) {
    if (!FillSineTable(sineValues, count, scale)) return 0;
    return FillCosineTable(cosineValues, count, scale);
}
