// Which vector code draws the accumulated frames. Chosen once from what the processor offers:
// SSE2 on every x86 build, AVX2 or AVX-512 where the processor and the build have them, a plain
// loop everywhere else. Tests and benchmarks may pin a lower level to compare the others with.
#pragma once

enum class DrawLevel : int { Plain = 0, Sse2 = 1, Avx2 = 2, Avx512 = 3 };

constexpr int DrawLevelCount = 4;

// 1 when this build carries the level's code and the processor can run it.
int DrawLevelSupported(DrawLevel level);
DrawLevel BestDrawLevel();

// The level in use; the best supported one until SetDrawLevel picks another.
DrawLevel CurrentDrawLevel();
// Returns 0 and keeps the current level when level is not supported.
int SetDrawLevel(DrawLevel level);

const char* DrawLevelName(DrawLevel level);
