#pragma once
// InputCallback: the window events the platform layer delivers.
//
// Platform::PumpEvents calls one operation per pending event, on the thread
// that runs the frame loop, from inside the frame. Every operation has an
// empty default, so a receiver overrides only what it cares about.
// Coordinates are pixels of the logical picture, x to the right and y
// downwards: client pixels minus the offset of the centred picture, and in a
// scaled full screen divided by its scale as well (platform/WindowEvents.h).

class InputCallback {
public:
    virtual ~InputCallback() = default;

    /// The pointer moved to (x, y).
    virtual void OnMouseMove(int /*x*/, int /*y*/) {}
    /// button: 0 left, 1 right, 2 middle; down: 1 pressed, 0 released.
    virtual void OnMouseButton(int /*button*/, int /*down*/) {}
    /// Signed wheel movement, 120 per notch, positive away from the user.
    virtual void OnMouseWheel(int /*delta*/) {}
    /// key: the virtual-key code (Escape 0x1B, Return 0x0D, 'A'..'Z', F1 0x70, ...);
    /// down: 1 pressed, 0 released; repeat: 1 when the key is auto-repeating.
    virtual void OnKey(int /*key*/, int /*down*/, int /*repeat*/) {}
    /// A typed character as a single Latin-1 byte value, or a control
    /// character: Backspace 8, Tab 9, Return 13, Escape 27.
    virtual void OnChar(int /*code*/) {}
    /// gained: 1 when the window gets the keyboard focus, 0 when it loses it.
    virtual void OnFocus(int /*gained*/) {}
    /// New client size; kind: 1 minimised, 2 restored, 0 any other change.
    virtual void OnSize(int /*width*/, int /*height*/, int /*kind*/) {}
    /// The display mode changed to width x height at bitsPerPixel.
    virtual void OnDisplayChange(int /*width*/, int /*height*/, int /*bitsPerPixel*/) {}
    /// The window, the desktop or the process was asked to close (window
    /// close button, SIGINT, SIGTERM).
    virtual void OnClose() {}
};
