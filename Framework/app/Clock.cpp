#include "app/Clock.h"

#include "platform/Platform.h"

void Clock::Reset() {
    Platform& platform = GetPlatform();
    const uint64_t frequency = platform.GetPerformanceFrequency();
    secondsPerTick = frequency ? 1.0 / static_cast<double>(frequency) : 0.0;
    accumulated = 0.0;
    step = 0.0;
    lastStep = 0.0;
    lastCounter = platform.GetPerformanceCounter();
}

double Clock::Step() {
    const uint64_t counter = GetPlatform().GetPerformanceCounter();
    const uint32_t ticks = static_cast<uint32_t>(counter) - static_cast<uint32_t>(lastCounter);
    lastCounter = counter;
    step = static_cast<double>(ticks) * secondsPerTick;
    lastStep = step;
    accumulated += step;
    return step;
}
