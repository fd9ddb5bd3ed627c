#pragma once
// GameWindow: the one game window and its OpenGL context.
//
// The window shows the logical picture of width × height pixels (the
// DisplayWidth × DisplayHeight settings, 1024 × 768 by default). Windowed,
// the client area has exactly that size and cannot be resized; it opens
// whatever display modes the screen offers. Full screen switches the
// display to a mode of exactly the logical size (24 or 32 bits) when there
// is one; otherwise it covers the desktop and the picture is drawn scaled by
// the largest factor that fits, aspect kept, centred with black borders.
// Mouse positions are mapped back into picture pixels either way.
//
// The context is a compatibility-profile OpenGL context with a double buffer
// and a 24-bit depth buffer, current on the calling thread until the window
// is destroyed. Swapping does not wait for the vertical retrace where the
// driver lets us choose (the frame limiter paces the game); where it does
// not (Xvfb), that is not an error. Render state, texture size and the
// texture scratch buffer are set up by the render layer once the window
// exists.
//
// Process-wide state, main thread only. The window is created hidden;
// ShowGameWindow shows it.

#include <cstdint>

class InputCallback;
struct PictureArea;

/// Opens the window and its context for a logical picture of width × height
/// (both > 0). False, with one log line, when a window exists already (the
/// first one is kept), when there is no display, or when the context cannot
/// be made; nothing is left half-created then. The window carries
/// `className` as its title until the game sets one.
bool CreateGameWindow(int width, int height, const char* className = "GameWindow");
/// The context the game asks for (compatibility 2.1, double buffer, 24-bit
/// depth, 8-bit colour), for any code that makes a GL context of its own.
void SetGameContextAttributes();
/// Closes the window and the context and leaves full screen; nothing without a window.
void DestroyGameWindow();
bool GameWindowExists();
/// Maps the window on screen.
void ShowGameWindow();

/// Sets the window's title (when there is one) and remembers it for a window
/// created later. Null counts as empty.
void SetWindowTitle(const char* text);
/// The remembered title.
const char* WindowTitle();
/// Sets the window's icon from a picture in the engine's pixel layout (8-bit
/// blue, green, red, alpha, rows top first). False without a window or for
/// an empty picture.
bool SetWindowIcon(const uint8_t* bgraPixels, int width, int height);

/// False when `on` is the current mode, without a window, or when the display
/// cannot be switched; in that last case full screen stays recorded (so that
/// the caller does not retry every frame) and the window stays as it was.
/// True otherwise.
bool SetFullscreen(bool on);
bool IsFullscreen();
/// True while full screen covers the desktop with a scaled picture.
bool IsPictureScaled();

/// Centres the picture in the client area again (scaled when IsPictureScaled)
/// and sets the GL viewport to it; called on every size change.
void UpdateViewport();
/// Where the picture lies in the window, in window pixels, origin top left.
PictureArea CurrentPictureArea();
/// True when the mouse cursor lies in the client area (0 <= x < client width,
/// 0 <= y < client height). False without a window.
bool IsCursorInClient();

/// True while the game window holds the keyboard focus. False without a window.
bool GameWindowHasFocus();
/// Raises the window and asks for the keyboard focus; nothing without a window.
void FocusGameWindow();
/// Shows or hides the system's mouse pointer over the window (the game
/// draws its own cursor inside the picture).
void ShowSystemCursor(bool visible);

/// Shows the frame just drawn, then clears the next one to black (colour and
/// depth, the whole client area) so that borders and undrawn parts never show
/// stale pixels. Nothing without a window.
void Present();
/// How many pictures Present has shown since the window opened.
uint64_t PresentedFrameCount();

/// Delivers the window's pending events to `callback` (see WindowEvents.h),
/// re-centres the viewport after size changes and reports a changed display
/// mode as OnDisplayChange. Nothing without a window.
void PumpWindowEvents(InputCallback& callback);
/// True when the window's events hold a close request (its close button, a
/// quit request) or its display is gone; reads the system's new events into
/// the queue but leaves them all for PumpWindowEvents. False without a window.
bool WindowCloseRequestPending();

/// Sanitizer builds: keeps the loaded GL driver modules resident until exit,
/// so that leak reports inside them can be named and suppressed; nothing in
/// other builds. CreateGameWindow calls it; code that makes its own context
/// (test contexts) calls it once that context exists.
void KeepGraphicsDriverLoaded();
