#include "VirtualDisplay.h"

#include "ChildProcess.h"
#include "render/Image.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/prctl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr double kServerStartSeconds = 15.0;
constexpr double kXdotoolSeconds = 10.0;

// Every error of a request to a window that went away in between is
// harmless to a test: the call reports failure by its result instead.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// The display number Xvfb writes to the descriptor once it accepts
// connections; empty after the timeout or when it exited.
std::string ReadDisplayNumber(int descriptor) {
    std::string number;
    const auto start = std::chrono::steady_clock::now();
    while (true) {
        const double left = kServerStartSeconds -
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        pollfd ready{descriptor, POLLIN, 0};
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left * 1000) + 1) <= 0) {
            return "";
        }
        char c = 0;
        if (read(descriptor, &c, 1) != 1) {
            return "";
        }
        if (c == '\n') {
            return number;
        }
        number += c;
    }
}

// The server's keyboard has no keys for accented letters: xdotool would
// remap a spare key for each one as it types, and the game can read that key
// before the new mapping reaches it, losing the letter. Giving the letters
// their own keys before the game starts makes typing them plain key presses.
void MapAccentedLetters(Display* display) {
    const KeySym letters[][2] = {{XK_eacute, XK_Eacute}, {XK_ntilde, XK_Ntilde}, {XK_udiaeresis, XK_Udiaeresis},
                                 {XK_agrave, XK_Agrave}, {XK_ccedilla, XK_Ccedilla}, {XK_odiaeresis, XK_Odiaeresis}};
    int lowest = 0, highest = 0;
    XDisplayKeycodes(display, &lowest, &highest);
    int perKey = 0;
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(lowest), highest - lowest + 1, &perKey);
    if (!map) {
        return;
    }
    size_t next = 0;
    for (int code = highest; code >= lowest && next < std::size(letters); --code) {
        const KeySym* syms = map + static_cast<size_t>(code - lowest) * static_cast<size_t>(perKey);
        bool unused = true;
        for (int i = 0; i < perKey; ++i) {
            unused = unused && syms[i] == NoSymbol;
        }
        if (unused) {
            KeySym pair[2] = {letters[next][0], letters[next][1]};
            XChangeKeyboardMapping(display, code, 2, pair, 1);
            ++next;
        }
    }
    XFree(map);
    XSync(display, False);
}

pid_t WindowProcess(Display* display, Window window) {
    // Atoms belong to one server: a test that runs several displays in turn
    // interns the name on each.
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    pid_t pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32 && count == 1) {
        pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) {
        XFree(data);
    }
    return pid;
}

bool Viewable(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The mapped window of `pid`: `top` itself, or, on a display with a window
// manager, the program's window inside the frame `top`.
Window ProcessWindowIn(Display* display, Window top, pid_t pid) {
    if (WindowProcess(display, top) == pid) {
        return Viewable(display, top) ? top : 0;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, top, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            if (WindowProcess(display, children[i]) == pid && Viewable(display, children[i])) {
                found = children[i];
            }
        }
        if (children) {
            XFree(children);
        }
    }
    return found;
}

// The 32-bit items of a window property, empty when it has none.
std::vector<unsigned long> PropertyItems(Display* display, Window window, const char* name, Atom type) {
    const Atom property = XInternAtom(display, name, False);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, property, 0, 64, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        data && format == 32) {
        const auto* values = reinterpret_cast<unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) {
        XFree(data);
    }
    return items;
}

// Byte position of a colour channel inside a 32-bit pixel of the image.
int ChannelShift(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

} // namespace

VirtualDisplay::VirtualDisplay() {
    if (!Start()) {
        if (server > 0) {
            kill(server, SIGKILL);
            waitpid(server, nullptr, 0);
            server = -1;
        }
    }
}

VirtualDisplay::~VirtualDisplay() {
    windowManager.reset();
    if (connection) {
        XCloseDisplay(connection);
    }
    if (server > 0) {
        kill(server, SIGTERM);
        if (WaitForChild(server, 5.0) == kStillRunning) {
            kill(server, SIGKILL);
            waitpid(server, nullptr, 0);
        }
    }
}

void VirtualDisplay::KillServer() {
    if (connection) {
        XCloseDisplay(connection);
        connection = nullptr;
    }
    if (server > 0) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
        server = -1;
    }
}

bool VirtualDisplay::Start() {
    int ends[2];
    if (pipe(ends) != 0) {
        problem = "no pipe for the X server";
        return false;
    }
    const std::string descriptor = std::to_string(ends[1]);
    server = fork();
    if (server == 0) {
        // The server goes when the test process goes, even when that one crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ends[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        dup2(quiet, STDOUT_FILENO);
        execlp("Xvfb", "Xvfb", "-displayfd", descriptor.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    const std::string number = server > 0 ? ReadDisplayNumber(ends[0]) : "";
    close(ends[0]);
    if (number.empty()) {
        problem = "Xvfb did not start (is the xvfb package installed?)";
        return false;
    }
    name = ":" + number;
    connection = XOpenDisplay(name.c_str());
    if (!connection) {
        problem = "no connection to the X server on " + name;
        return false;
    }
    XSetErrorHandler(IgnoreXError);
    MapAccentedLetters(connection);
    return true;
}

unsigned long VirtualDisplay::WaitForWindow(pid_t pid, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && !found; ++i) {
                found = ProcessWindowIn(connection, children[i], pid);
            }
            if (children) {
                XFree(children);
            }
        }
        if (found) {
            return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

std::string VirtualDisplay::WindowTitle(unsigned long window) {
    char* title = nullptr;
    std::string result;
    if (XFetchName(connection, window, &title) && title) {
        result = title;
        XFree(title);
    }
    return result;
}

bool VirtualDisplay::IsMapped(unsigned long window) {
    return Viewable(connection, window);
}

WindowSize VirtualDisplay::SizeOf(unsigned long window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection, window, &attributes)) {
        return {};
    }
    return {attributes.width, attributes.height};
}

bool VirtualDisplay::Capture(unsigned long window, Image& out) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection, window, &attributes) || attributes.map_state != IsViewable) {
        return false;
    }
    XImage* shot = XGetImage(connection, window, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!shot) {
        return false;
    }
    const bool made = out.Create(static_cast<uint32_t>(shot->width), static_cast<uint32_t>(shot->height));
    const int red = ChannelShift(shot->red_mask), green = ChannelShift(shot->green_mask),
              blue = ChannelShift(shot->blue_mask);
    for (int y = 0; made && y < shot->height; ++y) {
        for (int x = 0; x < shot->width; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            uint8_t* target = out.PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
            target[0] = static_cast<uint8_t>(pixel >> blue);
            target[1] = static_cast<uint8_t>(pixel >> green);
            target[2] = static_cast<uint8_t>(pixel >> red);
            target[3] = 255;
        }
    }
    XDestroyImage(shot);
    return made;
}

bool VirtualDisplay::RequestClose(unsigned long window) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(connection, window, False, NoEventMask, &event) != 0;
    XSync(connection, False);
    return sent;
}

bool VirtualDisplay::Focus(unsigned long window) {
    XSetInputFocus(connection, window, RevertToParent, CurrentTime);
    XSync(connection, False);
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(connection, &focused, &revert);
    return focused == window;
}

bool VirtualDisplay::Unfocus() {
    XSetInputFocus(connection, None, RevertToNone, CurrentTime);
    XSync(connection, False);
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(connection, &focused, &revert);
    return focused == None;
}

bool VirtualDisplay::Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess tool(command, {{"DISPLAY", name}}, "/dev/null");
    return tool.WaitForExit(kXdotoolSeconds) == 0;
}

bool VirtualDisplay::StartWindowManager() {
    windowManager = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox"},
                                                   std::map<std::string, std::string>{{"DISPLAY", name}},
                                                   "/dev/null");
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < 10.0) {
        // A running manager names its check window on the root window.
        if (!PropertyItems(connection, DefaultRootWindow(connection), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW)
                 .empty()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    problem = "no window manager started (is the openbox package installed?)";
    return false;
}

unsigned long VirtualDisplay::OpenOtherWindow() {
    const int screen = DefaultScreen(connection);
    const Window other = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 10, 10, 300, 100, 0,
                                             BlackPixel(connection, screen), WhitePixel(connection, screen));
    if (!other) {
        return 0;
    }
    XStoreName(connection, other, "another program");
    XMapWindow(connection, other);
    XSync(connection, False);
    return other;
}

bool VirtualDisplay::IsIconic(unsigned long window) {
    constexpr unsigned long kIconicState = 3;
    const std::vector<unsigned long> state =
        PropertyItems(connection, window, "WM_STATE", XInternAtom(connection, "WM_STATE", False));
    return !state.empty() && state[0] == kIconicState;
}

bool VirtualDisplay::IsFullScreenState(unsigned long window) {
    const Atom fullScreen = XInternAtom(connection, "_NET_WM_STATE_FULLSCREEN", False);
    for (unsigned long atom : PropertyItems(connection, window, "_NET_WM_STATE", XA_ATOM)) {
        if (atom == fullScreen) {
            return true;
        }
    }
    return false;
}
