#pragma once
// VirtualDisplay: a private X server (Xvfb) for one end-to-end test.
//
// Each test gets a display of its own, 1024 x 768 at 24 bits and without a
// window manager, so that its screenshots and input never meet the windows
// of tests running beside it. Pictures are read straight from the server;
// input goes through xdotool (the XTEST extension), as a player's devices
// would send it. Coordinates are pixels of the window, x to the right, y
// downwards. Window handles are X window ids, 0 for none.

#include "ChildProcess.h"

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

class Image;
struct _XDisplay;

struct WindowSize {
    int width = 0;
    int height = 0;
};

class VirtualDisplay {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    /// Starts the server and connects to it; see Ready().
    VirtualDisplay();
    /// Disconnects and stops the server.
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    /// False when the server could not be started; Problem() says why.
    bool Ready() const { return connection != nullptr; }
    const std::string& Problem() const { return problem; }
    /// The DISPLAY value for programs on this server, e.g. ":3".
    const std::string& Name() const { return name; }

    /// The mapped top-level window of process `pid`, waiting up to `seconds`; 0 when none appeared.
    unsigned long WaitForWindow(pid_t pid, double seconds);
    /// The window's title, "" when it has none.
    std::string WindowTitle(unsigned long window);
    /// True while the window exists and is mapped.
    bool IsMapped(unsigned long window);
    /// The window's size in pixels; 0 x 0 when it does not exist.
    WindowSize SizeOf(unsigned long window);

    /// The window's picture as the screen shows it (blue, green, red, alpha;
    /// alpha 255). False when it cannot be read.
    bool Capture(unsigned long window, Image& out);

    /// The close request a window manager sends when the player closes the window.
    bool RequestClose(unsigned long window);
    /// Gives the window the keyboard focus, as a window manager does on a click.
    bool Focus(unsigned long window);
    /// Takes the keyboard focus from every window, as switching to another program does.
    bool Unfocus();

    /// Ends the server at once, as a display that crashes or vanishes does;
    /// this side's connection is closed first. Nothing else may be asked of
    /// the display afterwards.
    void KillServer();

    /// Runs xdotool with these arguments on this display; true when it exited with 0 within 10 s.
    bool Xdotool(const std::vector<std::string>& arguments);

    /// Starts a window manager (openbox) on this display, as on a player's
    /// desktop: windows are framed, focused on activation and minimised on
    /// request. False (Problem() says why) when none is running within 10 s.
    bool StartWindowManager();
    /// A plain window of another program (this harness), mapped at the top
    /// left; 0 when it cannot be made. It lives as long as the display.
    unsigned long OpenOtherWindow();
    /// Whether the window manager keeps the window minimised (iconic).
    bool IsIconic(unsigned long window);
    /// Whether the window is in the window manager's full-screen state.
    bool IsFullScreenState(unsigned long window);

private:
    bool Start();

    pid_t server = -1;
    std::unique_ptr<ChildProcess> windowManager;
    _XDisplay* connection = nullptr;
    std::string name;
    std::string problem;
};
