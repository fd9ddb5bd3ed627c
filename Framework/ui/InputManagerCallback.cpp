#include "ui/InputManagerCallback.h"

#include "core/Redraw.h"

#include "platform/Platform.h"
#include "ui/InputHandler.h"

#include <algorithm>

// Index
//   fan-out of window events
//   handlers
//   deferred messages and the frame timer
//   install / uninstall

// Calls `call` on every handler, in registration order. A handler may add or
// remove handlers from inside its call: the walk's cursor lives on the stack
// where RemoveHandler can see it, so a removal before the cursor moves it
// back and the handler after a removed one is still reached. Handlers added
// during the walk are reached too; removed ones are not.
template <typename Call> void InputManagerCallback::FanOut(Call call) {
    // What a handler does with an event may show anywhere.
    RequestRedraw();
    Walk walk{0, walks};
    walks = &walk;
    while (walk.next < handlers.size()) {
        InputHandler* handler = handlers[walk.next++];
        call(*handler);
    }
    walks = walk.outer;
}

// ---- fan-out of window events ------------------------------------------------

void InputManagerCallback::OnMouseMove(int x, int y) {
    mouseX = x;
    mouseY = y;
    if (!inputEnabled) {
        return;
    }
    FanOut([](InputHandler& h) { h.OnMouseMove(); });
}

void InputManagerCallback::OnMouseButton(int button, int down) {
    if (button == 0) {
        leftButtonDown = down != 0;
    }
    if (!inputEnabled) {
        return;
    }
    FanOut([&](InputHandler& h) { h.OnMouseButton(button, down); });
}

void InputManagerCallback::OnMouseWheel(int /*delta*/) {
    // The wheel ends here: no handler has a wheel operation.
}

void InputManagerCallback::OnKey(int key, int down, int repeat) {
    if (!inputEnabled) {
        return;
    }
    FanOut([&](InputHandler& h) { h.OnKey(key, down, repeat); });
}

void InputManagerCallback::OnChar(int code) {
    if (!inputEnabled) {
        return;
    }
    FanOut([&](InputHandler& h) { h.OnChar(code); });
}

void InputManagerCallback::OnFocus(int gained) {
    FanOut([&](InputHandler& h) { h.OnFocus(gained); });
}

void InputManagerCallback::OnSize(int width, int height, int kind) {
    FanOut([&](InputHandler& h) { h.OnSize(width, height, kind); });
}

void InputManagerCallback::OnDisplayChange(int width, int height, int bitsPerPixel) {
    FanOut([&](InputHandler& h) { h.OnDisplayChange(width, height, bitsPerPixel); });
}

void InputManagerCallback::OnClose() {
    FanOut([](InputHandler& h) { h.OnClose(); });
}

// ---- handlers ---------------------------------------------------------------

bool InputManagerCallback::AddHandler(InputHandler* handler) {
    if (!handler || FindHandler(handler) >= 0) {
        return false;
    }
    handlers.push_back(handler);
    return true;
}

bool InputManagerCallback::RemoveHandler(int index) {
    if (index < 0 || index >= static_cast<int>(handlers.size())) {
        return false;
    }
    handlers.erase(handlers.begin() + index);
    for (Walk* walk = walks; walk; walk = walk->outer) {
        if (static_cast<size_t>(index) < walk->next) {
            --walk->next;
        }
    }
    return true;
}

int InputManagerCallback::FindHandler(const InputHandler* handler) const {
    auto found = std::find(handlers.begin(), handlers.end(), handler);
    return found == handlers.end() ? -1 : static_cast<int>(found - handlers.begin());
}

// ---- deferred messages and the frame timer ----------------------------------------

bool InputManagerCallback::PostDeferred(InputHandler* handler, int code, void* data, float delay) {
    if (deferred.size() >= deferred.max_size()) {
        return false;
    }
    deferred.push_back(DeferredMessage{handler, code, data, delay});
    return true;
}

void InputManagerCallback::Pump() {
    // 1. The window's events, handled synchronously.
    GetPlatform().PumpEvents(*this);
    // 2. Deferred messages, counted down with the previous pump's frame time.
    DeliverDueMessages();
    // 3. The frame timer.
    MeasureFrame();
}

void InputManagerCallback::DeliverDueMessages() {
    const float dt = lastFrameSeconds;
    // Only the entries queued before this walk take part: one posted from a
    // delivery, even with delay 0, waits for the next pump.
    size_t end = deferred.size();
    size_t i = 0;
    while (i < end && i < deferred.size()) {
        if (deferred[i].delay > 0.0f) {
            deferred[i].delay -= dt;
            ++i;
            continue;
        }
        const DeferredMessage due = deferred[i];
        deferred.erase(deferred.begin() + static_cast<std::ptrdiff_t>(i));
        --end;
        // A handler removed since posting gets nothing.
        if (FindHandler(due.handler) >= 0) {
            RequestRedraw();
            due.handler->OnDeferredMessage(due.code, due.data);
        }
    }
}

void InputManagerCallback::MeasureFrame() {
    const uint64_t now = GetPlatform().GetPerformanceCounter();
    lastFrameSeconds = static_cast<float>(static_cast<double>(now - lastCounter) * secondsPerTick);
    totalSeconds += lastFrameSeconds;
    lastCounter = now;
}

// ---- install / uninstall -------------------------------------------------------

void InputManagerCallback::Install() {
    mouseX = 0;
    mouseY = 0;
    leftButtonDown = false;
    handlers.clear();
    handlers.shrink_to_fit();
    deferred.clear();
    deferred.shrink_to_fit();
    Platform& platform = GetPlatform();
    secondsPerTick = 1.0 / static_cast<double>(platform.GetPerformanceFrequency());
    lastCounter = platform.GetPerformanceCounter();
    lastFrameSeconds = 0.0f;
    totalSeconds = 0.0;
    inputEnabled = true;
    installed = true;
}

void InputManagerCallback::Uninstall() {
    handlers.clear();
    handlers.shrink_to_fit();
    deferred.clear();
    deferred.shrink_to_fit();
    inputEnabled = false;
    installed = false;
}

InputManagerCallback& GetInputManager() {
    static InputManagerCallback manager;
    return manager;
}
