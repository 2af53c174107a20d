// The helper's uniform random number generator, seeded once at start.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed);
// A uniformly drawn number in 0..maximum (inclusive).
uint32_t RandomUpTo(uint32_t maximum);
