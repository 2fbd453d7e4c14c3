// Storage of the process-wide settings and window size; zero until first loaded.
#include "trails/saver_settings.h"

#include <cstdint>

uint32_t TrailCount = 0;
int32_t ColorMode = 0;
int16_t WindowWidth = 0;
int16_t WindowHeight = 0;
