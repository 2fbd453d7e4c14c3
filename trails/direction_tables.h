// Integer sine and cosine tables through which trails look up their headings. Entry j holds
// the sine (or cosine) of 360 * j / count degrees times scale, rounded half away from zero.
// With 360 entries and scale 4096 an index is a whole degree. Sines are computed only here,
// once per trail at set-up; per-frame work uses the tables.
#pragma once

#include <cstdint>

enum TrigKind { TrigSine = 0, TrigCosine = 1 };

int FillTrigTable(int32_t* values, int32_t count, double scale, int kind);
int FillSineTable(int32_t* values, int32_t count, double scale);
int FillCosineTable(int32_t* values, int32_t count, double scale);
// Sine table, then cosine table; the cosine table is left alone when the sine table fails.
int BuildDirectionTables(int32_t* sineValues, int32_t* cosineValues, int32_t count, double scale);
