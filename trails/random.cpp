// The fixed linear congruential generator.
#include "trails/random.h"

#include <cstdint>

namespace {
uint32_t generatorState = 1;
}

int Rand15() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFF);
}

double Random01() {
    return Rand15() * (1.0 / 32768.0);
}

void ResetRandom() {
    generatorState = 1;
}
