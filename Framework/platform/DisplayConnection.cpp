#include "platform/DisplayConnection.h"

#include "core/Log.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cerrno>
#include <dlfcn.h>
#include <sys/socket.h>

namespace {

// Xlib is the one SDL opened; its functions are looked up there, so the game
// links no display library of its own and runs on systems without X11.
using IoErrorHandler = int (*)(Display*);
using IoErrorExitHandler = void (*)(Display*, void*);
using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
using SetIoErrorExitHandler = void (*)(Display*, IoErrorExitHandler, void*);
using ConnectionNumber = int (*)(Display*);

struct Watch {
    bool installed = false;
    bool lost = false;
    SetIoErrorHandler setHandler = nullptr;
    IoErrorHandler previousHandler = nullptr;
    int socket = -1;
};

Watch watch;

void MarkLost() {
    if (!watch.lost) {
        watch.lost = true;
        LogLine("The connection to the display was lost: the game ends");
    }
}

// Called by Xlib for every request on a broken connection. Returning (instead
// of the library's default, which ends the process) lets the call fail and
// the frame go on to its end.
int OnFatalIoError(Display*) {
    MarkLost();
    return 0;
}

void OnFatalIoErrorExit(Display*, void*) {
    MarkLost();
}

template <typename Function> Function LookUp(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

} // namespace

bool WatchDisplayConnection(SDL_Window* window) {
    if (watch.installed) {
        return true;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!library) {
        library = dlopen(nullptr, RTLD_NOW);
    }
    auto setHandler = library ? LookUp<SetIoErrorHandler>(library, "XSetIOErrorHandler") : nullptr;
    auto setExitHandler =
        library ? LookUp<SetIoErrorExitHandler>(library, "XSetIOErrorExitHandler") : nullptr;
    auto connectionNumber = library ? LookUp<ConnectionNumber>(library, "XConnectionNumber") : nullptr;
    if (!setHandler || !setExitHandler || !connectionNumber) {
        LogLine(
            "The display library cannot report a lost connection: losing the display ends the game at once");
        return false;
    }
    watch.setHandler = setHandler;
    watch.previousHandler = setHandler(&OnFatalIoError);
    setExitHandler(info.info.x11.display, &OnFatalIoErrorExit, nullptr);
    watch.socket = connectionNumber(info.info.x11.display);
    watch.installed = true;
    return true;
}

void StopWatchingDisplayConnection() {
    if (!watch.installed) {
        return;
    }
    // The exit handler belongs to the display connection, which closes with
    // the window; the process-wide handler is put back.
    watch.setHandler(watch.previousHandler);
    watch.installed = false;
    watch.socket = -1;
}

bool DisplayConnectionLost() {
    return watch.lost;
}

bool ProbeDisplayConnection() {
    if (watch.lost || watch.socket < 0) {
        return watch.lost;
    }
    // A peek reads nothing away from the display library: 0 bytes is the
    // server's end of the stream, EAGAIN a live connection with nothing to say.
    char byte = 0;
    const ssize_t got = recv(watch.socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        MarkLost();
    }
    return watch.lost;
}

void ResetDisplayConnectionLost() {
    watch.lost = false;
}
