#include "Random.h"

#include <random>

namespace {

std::mt19937& Generator()
{
    static std::mt19937 generator;
    return generator;
}

}  // namespace

void SeedRandom(uint32_t seed)
{
    Generator().seed(seed);
}

uint32_t RandomUpTo(uint32_t maximum)
{
    return std::uniform_int_distribution<uint32_t>(0, maximum)(Generator());
}
