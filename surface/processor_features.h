// What the processor offers, asked once through the compiler's feature query (no platform call):
// the one place that the drawing paths ask. Each answer is 1 only on an x86 processor that has
// the instructions and whose system saves their registers.
#pragma once

int ProcessorHasSse2();
// AVX2 together with BMI2, which the AVX2 row writer also uses.
int ProcessorHasAvx2();
// AVX-512 F, BW and VBMI together with BMI2.
int ProcessorHasAvx512();
