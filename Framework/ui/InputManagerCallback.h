#pragma once
// InputManagerCallback: the one receiver of window events once installed.
//
// It fans every window event out to the registered InputHandler objects in
// registration order, keeps the mouse state the rest of the program reads,
// delivers deferred handler messages and measures the frame time they count
// down with. Pointer, button, key and character events go out only while
// `inputEnabled` is set (the frame loop keeps it equal to "the window has the
// keyboard focus"); focus, size, display and close events always go out. The
// wheel goes no further than here.
//
// Handlers are not owned. A handler must be removed before it is destroyed;
// deferred messages of a removed handler are dropped when they fall due.
// Main thread only: events arrive synchronously inside Pump.

#include "platform/InputCallback.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class InputHandler;

class InputManagerCallback : public InputCallback {
public:
    /// One deferred message: delivered to `handler` once `delay` seconds of
    /// frame time have passed, at the earliest on the next Pump.
    struct DeferredMessage {
        InputHandler* handler = nullptr;
        int code = 0;
        void* data = nullptr; ///< not owned; whoever posts decides what it points at
        float delay = 0.0f;
    };

    // InputCallback: the window events.
    void OnMouseMove(int x, int y) override;
    void OnMouseButton(int button, int down) override;
    void OnMouseWheel(int delta) override;
    void OnKey(int key, int down, int repeat) override;
    void OnChar(int code) override;
    void OnFocus(int gained) override;
    void OnSize(int width, int height, int kind) override;
    void OnDisplayChange(int width, int height, int bitsPerPixel) override;
    void OnClose() override;

    /// Appends the handler; false (nothing changed) when it is null or
    /// registered already.
    bool AddHandler(InputHandler* handler);
    /// Removes the handler at `index`, the later ones moving down; false for
    /// an index out of range.
    bool RemoveHandler(int index);
    /// The handler's position, or -1 when it is not registered.
    int FindHandler(const InputHandler* handler) const;
    const std::vector<InputHandler*>& Handlers() const { return handlers; }

    /// Queues a message for `handler` after `delay` seconds (0: the next
    /// Pump). False only when the queue cannot grow.
    bool PostDeferred(InputHandler* handler, int code, void* data, float delay);
    const std::vector<DeferredMessage>& Deferred() const { return deferred; }

    /// Once per frame, before the update: delivers the pending window events
    /// to this receiver, then the due deferred messages, then measures the
    /// frame time.
    void Pump();

    /// Makes this the receiver of the window's events: clears the mouse
    /// state, empties the handlers and the queue, restarts the frame timer
    /// and sets inputEnabled.
    void Install();
    /// Empties the handlers and the queue and clears inputEnabled; the
    /// window's events go to the default receiver again.
    void Uninstall();
    bool IsInstalled() const { return installed; }

    /// Seconds between the last two pumps.
    float FrameSeconds() const { return lastFrameSeconds; }
    /// Sum of every measured frame since Install.
    double TotalSeconds() const { return totalSeconds; }

    bool inputEnabled = false;
    /// Picture pixels (client pixels minus the offset of the centred picture).
    int mouseX = 0;
    int mouseY = 0;
    /// True between a left-button press and its release.
    bool leftButtonDown = false;

private:
    /// One fan-out in progress: the position of the next handler to call.
    /// Walks nest when a handler's call raises another event.
    struct Walk {
        size_t next = 0;
        Walk* outer = nullptr;
    };
    template <typename Call> void FanOut(Call call);
    void DeliverDueMessages();
    void MeasureFrame();

    std::vector<InputHandler*> handlers;
    std::vector<DeferredMessage> deferred;
    Walk* walks = nullptr;
    bool installed = false;
    uint64_t lastCounter = 0;
    double secondsPerTick = 0.0;
    float lastFrameSeconds = 0.0f;
    double totalSeconds = 0.0;
};

/// The one input manager.
InputManagerCallback& GetInputManager();
