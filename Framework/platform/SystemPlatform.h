#pragma once
// SystemPlatform: the real clock, sleep and event pump of this machine.
//
// The counter is the monotonic clock in microseconds. The frame clocks use
// only the low 32 bits of counter differences, so a microsecond tick keeps
// spans of up to 71 minutes exact, where a nanosecond tick would wrap after
// 4.3 seconds and turn a long loading pause into a short frame.
//
// The pump delivers a SIGINT or SIGTERM caught by the close-signal handlers
// as OnClose, then the game window's events (platform/GameWindow.h) while
// the window exists.

#include "platform/Platform.h"

class SystemPlatform : public Platform {
public:
    static constexpr uint64_t kTicksPerSecond = 1000000;

    uint64_t GetPerformanceCounter() override;
    uint64_t GetPerformanceFrequency() override { return kTicksPerSecond; }
    void Sleep(uint32_t milliseconds) override;
    void PumpEvents(InputCallback& callback) override;
};
