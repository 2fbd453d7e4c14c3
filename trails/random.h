// The animation's one random source: a 32-bit linear congruential generator that starts from
// the same state in every run. Together with the fixed order of the draws it decides every
// frame, so no other generator (the C library's included) may stand in for it.
#pragma once

#include <cstdint>

// Next value 0..32767: state = state * 214013 + 2531011, result bits 16..30.
int Rand15();
// Rand15() / 32768: exact, in [0, 1).
double Random01();
// Puts the generator back to its start state, as a new process has it.
void ResetRandom();
