#pragma once
// WindowManager: whether the game window lives on a desktop, where a window
// manager frames, focuses and minimises windows. Only there can a full-screen
// game that loses the focus step aside (leave full screen and be minimised):
// on a bare display nothing minimises a window, and leaving full screen would
// only uncover an empty screen and move the pointer when full screen returns.

struct SDL_Window;

/// True when `window`'s display has a running window manager: on X11 one
/// that names itself on the root window (_NET_SUPPORTING_WM_CHECK), and on
/// Wayland always (the compositor manages every window). False for other
/// video drivers and when X11 cannot be asked.
bool DisplayHasWindowManager(SDL_Window* window);
