#pragma once
// Clock: measures time in seconds from the platform's performance counter.
//
// Reset takes a fresh reading; each Step adds the time since the previous
// reading to the accumulated seconds and keeps it as the last step. Only the
// low 32 bits of two readings enter a difference, taken unsigned, so a
// counter that wraps its low half between two steps still gives the right
// (short) step. Spans longer than 2^32 ticks cannot be measured.
//
// Two clocks exist: the frame loop's own (for the frame limiter) and the
// global frame clock, whose accumulated time is totalTime and whose last step
// is frameTime.

#include "core/Object.h"

#include <cstdint>

class Clock : public Object {
    ENGINE_CLASS(Clock, Object)

public:
    /// Reads the counter frequency, zeroes the times and takes a fresh reading.
    void Reset();
    /// Adds the seconds since the previous reading; returns them.
    double Step();

    /// Last counter reading; only its low 32 bits are used.
    uint64_t lastCounter = 0;
    /// Seconds accumulated since Reset.
    double accumulated = 0.0;
    /// Seconds of the last step.
    double step = 0.0;
    /// 1 / counter frequency.
    double secondsPerTick = 0.0;
    /// A second copy of the last step.
    double lastStep = 0.0;
};
