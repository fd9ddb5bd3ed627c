#include "play/Misclicks.h"

#include <algorithm>
#include <cstdlib>

bool Misclicks::Add(float threshold) {
    if (lockedOut) {
        return false;
    }
    counter += 1.0f;
    if (counter < threshold) {
        return false;
    }
    lockedOut = true;
    lockSeconds = counter;
    return true;
}

void Misclicks::Decay(float seconds, bool inputBlocked) {
    if (!inputBlocked && !lockedOut) {
        counter = std::max(0.0f, counter - seconds);
    }
}

void Misclicks::Reset() {
    counter = 0.0f;
    lockSeconds = 0.0f;
    lockedOut = false;
}

int32_t DrawGenericFailMessage(int32_t& previous) {
    int32_t n = std::rand() % 8;
    for (int draws = 1; n == previous && draws < 100; ++draws) {
        n = std::rand() % 8;
    }
    previous = n;
    return n + 1;
}
