#include "platform/WindowManager.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <dlfcn.h>

namespace {

// Xlib is the one SDL opened; the game links no display library of its own.
using InternAtom = Atom (*)(Display*, const char*, Bool);
using DefaultRoot = Window (*)(Display*);
using GetWindowProperty = int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                                  unsigned long*, unsigned char**);
using Free = int (*)(void*);

template <typename Function> Function LookUp(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

// A manager that follows the desktop conventions puts the id of a window of
// its own into this root property while it runs.
bool RootNamesAWindowManager(Display* display) {
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!library) {
        library = dlopen(nullptr, RTLD_NOW);
    }
    auto internAtom = library ? LookUp<InternAtom>(library, "XInternAtom") : nullptr;
    auto defaultRoot = library ? LookUp<DefaultRoot>(library, "XDefaultRootWindow") : nullptr;
    auto getProperty = library ? LookUp<GetWindowProperty>(library, "XGetWindowProperty") : nullptr;
    auto free = library ? LookUp<Free>(library, "XFree") : nullptr;
    if (!internAtom || !defaultRoot || !getProperty || !free) {
        return false;
    }
    const Atom check = internAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) {
        return false;
    }
    constexpr Atom kWindowType = 33; // XA_WINDOW
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool named = getProperty(display, defaultRoot(display), check, 0, 1, False, kWindowType, &type, &format,
                                   &count, &after, &data) == Success &&
                       data && format == 32 && count == 1 && *reinterpret_cast<unsigned long*>(data) != 0;
    if (data) {
        free(data);
    }
    return named;
}

} // namespace

bool DisplayHasWindowManager(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info)) {
        return false;
    }
    switch (info.subsystem) {
    case SDL_SYSWM_X11:
        return RootNamesAWindowManager(info.info.x11.display);
    case SDL_SYSWM_WAYLAND:
        return true;
    default:
        return false;
    }
}
