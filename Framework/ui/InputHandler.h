#pragma once
// InputHandler: a receiver of the input manager's fan-out.
//
// The input manager (ui/InputManagerCallback.h) calls these on every
// registered handler in registration order. Mouse moves carry no position:
// a handler reads it from the input manager's mouse state. Keys are Windows
// virtual-key codes, characters single Latin-1 bytes (platform/InputCallback.h).
// There is no wheel operation. Every operation has an empty default.

#include <cstdint>

class InputHandler {
public:
    virtual ~InputHandler() = default;

    virtual void OnMouseMove() {}
    /// button: 0 left, 1 right, 2 middle; down: 1 pressed, 0 released.
    virtual void OnMouseButton(int /*button*/, int /*down*/) {}
    virtual void OnKey(int /*key*/, int /*down*/, int /*repeat*/) {}
    virtual void OnChar(int /*code*/) {}
    /// A message posted with InputManagerCallback::PostDeferred, now due.
    virtual void OnDeferredMessage(int /*code*/, void* /*data*/) {}
    virtual void OnFocus(int /*gained*/) {}
    /// kind: 1 minimised, 2 restored, 0 any other change.
    virtual void OnSize(int /*width*/, int /*height*/, int /*kind*/) {}
    virtual void OnDisplayChange(int /*width*/, int /*height*/, int /*bitsPerPixel*/) {}
    virtual void OnClose() {}
};
