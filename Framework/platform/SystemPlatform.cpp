#include "platform/SystemPlatform.h"

#include "platform/CloseSignals.h"
#include "platform/GameWindow.h"
#include "platform/InputCallback.h"

#include <time.h>

uint64_t SystemPlatform::GetPerformanceCounter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * kTicksPerSecond + static_cast<uint64_t>(now.tv_nsec) / 1000;
}

void SystemPlatform::Sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        // A zero sleep gives the processor away for a moment. Yielding alone
        // returns at once when no other thread waits, and the frame limiter's
        // last partial millisecond became a busy loop: a tenth of a
        // millisecond keeps the pacing exact and the processor idle.
        const timespec moment{0, 100000L};
        nanosleep(&moment, nullptr);
        return;
    }
    // Not resumed after a signal: the frame limiter measures again and sleeps
    // for what is left, and a close request is seen one sleep sooner.
    timespec duration{};
    duration.tv_sec = static_cast<time_t>(milliseconds / 1000);
    duration.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    nanosleep(&duration, nullptr);
}

void SystemPlatform::PumpEvents(InputCallback& callback) {
    if (TakeCloseSignal()) {
        callback.OnClose();
    }
    PumpWindowEvents(callback);
}
