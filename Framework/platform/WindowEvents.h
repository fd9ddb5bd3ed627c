#pragma once
// Window events: how SDL's events become the engine's InputCallback calls.
//
// Everything here is a pure translation, usable without a window:
//   VirtualKeyFromSdl   SDL key code and scan code -> Windows virtual-key code
//   AppendLatin1        UTF-8 text -> single Latin-1 bytes (other characters dropped)
//   ComputePictureArea  where the logical picture sits in a client area
//   MapToPicture        client pixel -> picture pixel
//   DispatchWindowEvent one SDL event -> InputCallback calls
//
// Client and picture coordinates are pixels, origin top left, y downwards.
// Game code and data keep the Windows virtual-key values (Escape 0x1B,
// Return 0x0D, 'A'..'Z', '0'..'9', F1 0x70, arrows 0x25..0x28, ...).

#include <cstddef>
#include <cstdint>
#include <string>

union SDL_Event;
class InputCallback;

/// The virtual-key code of a key, or 0 for a key the game has no code for.
/// The number row, the key left of 1 and the keypad are taken by position
/// (scan code), so they keep their codes on every keyboard layout; letters
/// follow the layout (key code), falling back to the position on layouts
/// whose letters are not Latin.
int VirtualKeyFromSdl(int32_t keycode, int32_t scancode);

/// The control character Windows sends with the key-down of `virtualKey`
/// (Backspace 8, Tab 9, Return 13, Escape 27), or 0 for any other key.
int ControlCharacterForKey(int virtualKey);

/// Decodes UTF-8 `text` and appends every printable character that Latin-1
/// holds (U+0020..U+007E, U+00A0..U+00FF) as one byte to `out`. Other
/// characters, control characters and malformed sequences are dropped.
void AppendLatin1(const char* text, std::string& out);

/// The rectangle the logical picture covers in a client area, top-left origin.
struct PictureArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// Unscaled: the logical size centred, x = clientWidth / 2 - logicalWidth / 2
/// (and y likewise), divisions truncating; a larger client shows a border.
/// Scaled: the largest picture of the logical aspect that fits, centred.
PictureArea ComputePictureArea(int clientWidth, int clientHeight, int logicalWidth, int logicalHeight,
                               bool scaleToFit);

/// The picture pixel under client pixel (x, y): minus the area's offset, then
/// divided by its scale (rounded down); outside the area the result lies
/// outside 0..logical size.
void MapToPicture(const PictureArea& area, int logicalWidth, int logicalHeight, int& x, int& y);

/// What translating a window event needs to know about the window.
struct WindowEventContext {
    uint32_t windowId = 0; ///< events of other windows are ignored; 0 takes every window's
    PictureArea mouseArea; ///< the picture in window coordinates
    int logicalWidth = 1024;
    int logicalHeight = 768;
};

/// What a dispatched event means for the window itself.
enum class WindowEventEffect { None, SizeChanged };

/// Calls the InputCallback operations `event` stands for: mouse motion in
/// picture pixels, buttons 0 left / 1 right / 2 middle, the wheel (120 per
/// notch, positive away from the user), keys as virtual-key codes with the
/// repeat flag and the control character of Backspace, Tab, Return and
/// Escape, typed text as Latin-1 characters, focus, size (kind 1 minimised
/// with size 0 x 0, 2 restored, 0 other changes) and close requests. An
/// exposed window asks for a redraw (core/Redraw.h).
/// Returns SizeChanged when the viewport must be centred again.
WindowEventEffect DispatchWindowEvent(const SDL_Event& event, const WindowEventContext& context,
                                      InputCallback& callback);

/// The GL viewport rectangle (origin bottom left) of `area` in a client area
/// `clientHeight` pixels high.
PictureArea ToBottomLeftOrigin(const PictureArea& area, int clientHeight);
