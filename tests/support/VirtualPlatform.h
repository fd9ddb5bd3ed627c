#pragma once
// VirtualPlatform: a platform whose clock only moves when told to, and whose
// event pump plays a script, so the frame loop runs deterministically.
//
// The counter advances by Advance(seconds) (simulated work) and by Sleep
// (the requested milliseconds plus a small fixed cost per call, as a real
// sleep or yield always takes some time; without it a 0 ms sleep would never
// let the clock move). Every sleep request is recorded. Scripted events are
// delivered by the pump whose number (from 1) they were scheduled for.
//
// ScopedPlatform installs a platform for one scope and puts the previous one
// back, so a failing test cannot leave a dead platform installed.

#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class VirtualPlatform : public Platform {
public:
    using Event = std::function<void(InputCallback&)>;

    explicit VirtualPlatform(uint64_t ticksPerSecond = 10000000, uint64_t startCounter = 0);

    uint64_t GetPerformanceCounter() override { return counter; }
    uint64_t GetPerformanceFrequency() override { return frequency; }
    void Sleep(uint32_t milliseconds) override;
    void PumpEvents(InputCallback& callback) override;
    bool WindowHasFocus() override { return hasFocus; }
    bool CursorInClient() override { return cursorInClient; }
    bool SetWindowFullscreen(bool on) override;
    bool WindowIsFullscreen() override { return fullscreen; }
    bool CloseRequestPending() override { return closePending; }

    /// Moves the clock forward by `seconds` (rounded to whole ticks).
    void Advance(double seconds);
    /// Delivers `event` during pump number `pump` (the first pump is 1).
    void Schedule(int pump, Event event);

    /// Seconds each Sleep call costs on top of what it asks for.
    double sleepCost = 0.00002;
    uint64_t counter;
    /// Every Sleep request in order.
    std::vector<uint32_t> sleeps;
    int pumps = 0;
    /// What WindowHasFocus and CursorInClient answer.
    bool hasFocus = true;
    bool cursorInClient = true;
    /// The window's mode, and each switch in order ("fullscreen", "windowed").
    bool fullscreen = false;
    std::vector<std::string> windowCalls;
    /// A close request waiting in the queue: the next pump delivers it.
    bool closePending = false;

private:
    struct ScheduledEvent {
        int pump;
        Event event;
    };
    uint64_t frequency;
    std::vector<ScheduledEvent> script;
};

class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform) : previous(SetPlatform(&platform)) {}
    ~ScopedPlatform() { SetPlatform(previous); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous;
};

} // namespace testing_support
