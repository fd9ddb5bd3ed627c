#pragma once
// Platform: the engine's one door to the operating system for time and events.
//
// Engine code never calls the OS clock, sleeps or reads window events itself;
// it asks GetPlatform(). The default is the real system platform; tests
// install their own (a virtual clock and scripted events) with SetPlatform and
// must put the previous one back before it is destroyed.
//
// Units: the performance counter counts ticks at GetPerformanceFrequency()
// ticks per second from an arbitrary origin; only differences are
// meaningful. Sleep takes whole milliseconds.

#include <cstdint>

class InputCallback;

class Platform {
public:
    virtual ~Platform() = default;

    /// The current performance-counter reading in ticks.
    virtual uint64_t GetPerformanceCounter() = 0;
    /// Ticks per second of the performance counter; never 0.
    virtual uint64_t GetPerformanceFrequency() = 0;
    /// Suspends the calling thread for about `milliseconds` (0 yields the
    /// processor). May return early when a signal arrives.
    virtual void Sleep(uint32_t milliseconds) = 0;
    /// Delivers every pending window and process event to `callback`, in the
    /// order they arrived, and returns when none is left.
    virtual void PumpEvents(InputCallback& callback) = 0;
    /// True while the game window holds the keyboard focus; false without a
    /// window. The default asks the game window (platform/GameWindow.h).
    virtual bool WindowHasFocus();
    /// True while the mouse pointer lies inside the window's client area.
    /// The default asks the game window.
    virtual bool CursorInClient();
    /// Switches the game window into or out of full screen; the defaults ask
    /// the game window (SetFullscreen, IsFullscreen).
    virtual bool SetWindowFullscreen(bool on);
    virtual bool WindowIsFullscreen();
    /// True when a close request (the window's close button, a close signal,
    /// a lost display) waits for the next PumpEvents, which still delivers
    /// it; no other event is taken from the queue. Long loads ask it.
    virtual bool CloseRequestPending();
};

/// The platform in use: the one installed with SetPlatform, else the system's.
Platform& GetPlatform();
/// Installs `platform` (not owned) for all engine code; null restores the
/// system platform. Returns the previously installed one (null for the system's).
Platform* SetPlatform(Platform* platform);
