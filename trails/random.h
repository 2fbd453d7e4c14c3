// The animation's random source: a 32-bit linear congruential generator. Each animation owns
// one; from the same start state and with the fixed order of the draws it decides every frame,
// so no other generator (the C library's included) may stand in for it.
#pragma once

#include <cstdint>

class RandomGenerator {
  public:
    // The state a new saver process starts from; every frame of the original animation
    // follows from it.
    static constexpr uint32_t StartState = 1;

    explicit RandomGenerator(uint32_t seed = StartState) : state(seed) {}

    // Next value 0..32767: state = state * 214013 + 2531011, result bits 16..30.
    int Rand15() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
    // Rand15() / 32768: exact, in [0, 1).
    double Random01() { return Rand15() * (1.0 / 32768.0); }
    void Reset(uint32_t seed = StartState) { state = seed; }

  private:
    uint32_t state;
};
