#pragma once
// DisplayConnection: notices when the display server goes away under the
// running game, so that the game ends like after a close request (options
// saved, everything shut down in order) instead of the display library
// ending the process from inside a drawing call.
//
// On X11 the library's fatal-error handlers are replaced while the game
// window exists: a broken connection only raises the lost flag. The GL
// driver must not be the first to meet the broken connection (it can
// corrupt memory when its look at the window fails), so the window layer
// also probes the connection itself before each frame and each swap, and
// lets go of the GL context as soon as the display is gone. From then on it
// makes no further calls on that display, and the event pump turns the flag
// into one close request. Displays other than X11 are not watched. Main
// thread only.

struct SDL_Window;

/// Installs the handlers for the display `window` lives on; false (logged)
/// when that display cannot be watched. Calling it again replaces nothing.
bool WatchDisplayConnection(SDL_Window* window);
/// Puts back the handlers that were in place before; the lost flag stays.
void StopWatchingDisplayConnection();
/// True once the connection to the display broke.
bool DisplayConnectionLost();
/// Looks at the connection without waiting (one system call): true, and
/// the lost flag raised, when the server has closed it.
bool ProbeDisplayConnection();
/// Clears the lost flag (a new window on a new connection).
void ResetDisplayConnectionLost();
