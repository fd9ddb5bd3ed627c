#include "core/Random.h"

#include <cstdlib>
#include <utility>

void SeedRandom(unsigned int seed) {
    std::srand(seed);
}

float Random(float a, float b) {
    if (b < a) {
        std::swap(a, b);
    }
    return static_cast<float>(a + (std::rand() % 10000) * 0.0001 * (b - a));
}
