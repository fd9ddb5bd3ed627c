#include "platform/GameWindow.h"

#include "core/Log.h"
#include "core/String.h"
#include "platform/DisplayConnection.h"
#include "platform/InputCallback.h"
#include "platform/ScaledPicture.h"
#include "platform/WindowEvents.h"
#include "platform/WindowManager.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace {

// The first title of a new window, until the remembered title replaces it.

struct DisplayModeReport {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool operator==(const DisplayModeReport&) const = default;
};

struct WindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    int logicalWidth = 0;
    int logicalHeight = 0;
    bool isFullscreen = false;
    bool pictureScaled = false;
    bool swapControl = false;
    PictureArea mouseArea;
    /// Where a scaled picture lands in the drawable (GL's bottom-left origin).
    PictureArea presentArea;
    DisplayModeReport lastDisplayMode;
    bool lossReported = false;
    bool contextReleased = false;
    uint64_t presentedFrames = 0;
};

WindowState state;
String title;

DisplayModeReport CurrentDisplayMode() {
    DisplayModeReport report;
    SDL_DisplayMode mode{};
    const int display = state.window ? SDL_GetWindowDisplayIndex(state.window) : 0;
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0) {
        report.width = mode.w;
        report.height = mode.h;
        report.bitsPerPixel = static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8;
    }
    return report;
}

// The first mode of exactly width × height with 24 or 32 bits per pixel.
bool FindExactMode(int display, int width, int height, SDL_DisplayMode& found) {
    const int count = SDL_GetNumDisplayModes(display);
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(display, index, &mode) != 0) {
            continue;
        }
        if (mode.w == width && mode.h == height && SDL_BITSPERPIXEL(mode.format) >= 24) {
            found = mode;
            return true;
        }
    }
    return false;
}

void SetSwapIntervalZero() {
    state.swapControl = SDL_GL_SetSwapInterval(0) == 0;
}

void ClearFrame() {
    GLfloat previousColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previousColor);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    if (scissor) {
        glDisable(GL_SCISSOR_TEST);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(previousColor[0], previousColor[1], previousColor[2], previousColor[3]);
    if (scissor) {
        glEnable(GL_SCISSOR_TEST);
    }
}

// Once the display is gone, the GL driver would fail (and may crash) on
// its next look at the window, so the context is let go of at once: GL
// calls from then on do nothing. True when the display is lost.
bool LetGoOfLostDisplay() {
    if (!ProbeDisplayConnection()) {
        return false;
    }
    if (state.context && !state.contextReleased) {
        state.contextReleased = true;
        SDL_GL_MakeCurrent(state.window, nullptr);
    }
    return true;
}

void ReleaseWindow() {
    if (DisplayConnectionLost()) {
        // Nothing more is said to a display that is gone; the process ends
        // soon and takes the window's memory with it.
        StopWatchingDisplayConnection();
        state = WindowState{};
        return;
    }
    if (state.context) {
        SDL_GL_DeleteContext(state.context);
    }
    if (state.window) {
        SDL_DestroyWindow(state.window);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    StopWatchingDisplayConnection();
    state = WindowState{};
}

// On a desktop a full-screen window that loses the focus steps aside: it
// leaves full screen and is minimised, so the player's other programs are
// usable in the display's own mode, and it is full screen again when the
// player returns. On a bare display (no window manager) nothing could
// minimise it, and it keeps full screen. A player's own setting of the
// variable SDL_VIDEO_MINIMIZE_ON_FOCUS_LOSS still decides over this.
void ChooseFocusLossBehaviour(SDL_Window* window) {
    const bool desktop = DisplayHasWindowManager(window);
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, desktop ? "1" : "0");
    LogLine(desktop ? "The display has a window manager: full screen steps aside when the focus goes"
                    : "The display has no window manager: full screen stays when the focus goes");
}

} // namespace

void SetGameContextAttributes() {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}

// Under LeakSanitizer: the session-bus library SDL opens with the video
// subsystem and the GL driver keep process-wide allocations until exit that
// no call of ours can release. Their reports would hide real leaks, so they
// are suppressed in every program that opens the game window. Without the
// sanitizer nothing calls this.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:_dri.so\n"
           "leak:libX11.so\n"
           "leak:libxcb\n"
           "leak:libXrandr.so\n"
           "leak:libXi.so\n"
           "leak:libLLVM\n";
}

#if defined(__SANITIZE_ADDRESS__)
namespace {

int KeepDriverModule(dl_phdr_info* info, size_t, void*) {
    // Every module loaded so far: the display and GL libraries that SDL and
    // the driver open on their own are closed again at shut-down too.
    const char* name = info->dlpi_name;
    if (name && name[0] == '/') {
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

} // namespace

// The GL driver and display modules are unloaded with the context and the
// video subsystem; their leaks would then be reported from an unknown
// module, which no suppression can name. Called when the window opens and
// again before it closes, so modules loaded in between stay too.
void KeepGraphicsDriverLoaded() {
    dl_iterate_phdr(KeepDriverModule, nullptr);
}
#else
void KeepGraphicsDriverLoaded() {}
#endif

bool CreateGameWindow(int width, int height, const char* className) {
    if (state.window) {
        LogLine("CreateGameWindow: the game window exists already; the first one is kept");
        return false;
    }
    if (width <= 0 || height <= 0) {
        LogFormat("CreateGameWindow: no window of %d x %d pixels", width, height);
        return false;
    }
    // The process keeps its own SIGINT/SIGTERM handling (they arrive as
    // close requests), and the last window closing is a close request, not a
    // quit. What a full-screen window does when the focus goes is decided
    // once the window shows on its display (ChooseFocusLossBehaviour).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        LogFormat("No display for the game window (%s): running without a window", SDL_GetError());
        return false;
    }
    SetGameContextAttributes();
    state.window = SDL_CreateWindow(className && *className ? className : "GameWindow", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                    height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!state.window) {
        LogFormat("No game window (%s): running without a window", SDL_GetError());
        ReleaseWindow();
        return false;
    }
    state.context = SDL_GL_CreateContext(state.window);
    if (!state.context || SDL_GL_MakeCurrent(state.window, state.context) != 0) {
        LogFormat("No OpenGL context for the game window (%s): running without a window", SDL_GetError());
        ReleaseWindow();
        return false;
    }
    KeepGraphicsDriverLoaded();
    ResetDisplayConnectionLost();
    WatchDisplayConnection(state.window);
    ChooseFocusLossBehaviour(state.window);
    state.logicalWidth = width;
    state.logicalHeight = height;
    SetSwapIntervalZero();
    if (!state.swapControl) {
        LogLine("No swap control: the frame limiter alone paces the frames");
    }
    if (title.Length() > 0) {
        SDL_SetWindowTitle(state.window, title.CStr());
    }
    SDL_StartTextInput();
    state.lastDisplayMode = CurrentDisplayMode();
    UpdateViewport();
    ClearFrame();
    return true;
}

void DestroyGameWindow() {
    if (!state.window) {
        return;
    }
    KeepGraphicsDriverLoaded();
    if (!DisplayConnectionLost()) {
        if (state.isFullscreen) {
            SDL_SetWindowFullscreen(state.window, 0);
        }
        SDL_StopTextInput();
    }
    // Without a current context (a lost display) its GL calls do nothing.
    EndScaledPicture();
    ReleaseWindow();
}

bool GameWindowExists() {
    return state.window != nullptr;
}

void ShowGameWindow() {
    if (state.window) {
        SDL_ShowWindow(state.window);
    }
}

void SetWindowTitle(const char* text) {
    title = text ? text : "";
    if (state.window) {
        SDL_SetWindowTitle(state.window, title.CStr());
    }
}

const char* WindowTitle() {
    return title.CStr();
}

bool SetWindowIcon(const uint8_t* bgraPixels, int width, int height) {
    if (!state.window || !bgraPixels || width <= 0 || height <= 0) {
        return false;
    }
    // Blue, green, red, alpha bytes are one little-endian 32-bit ARGB word.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(bgraPixels), width, height,
                                                              32, width * 4, SDL_PIXELFORMAT_BGRA32);
    if (!surface) {
        LogFormat("The window icon could not be set (%s)", SDL_GetError());
        return false;
    }
    SDL_SetWindowIcon(state.window, surface);
    SDL_FreeSurface(surface);
    return true;
}

bool SetFullscreen(bool on) {
    if (!state.window || on == state.isFullscreen) {
        return false;
    }
    // Recorded first: a failed switch counts as full screen, so that the
    // frame loop's focus handling does not try again every frame.
    state.isFullscreen = on;
    if (on) {
        const int display = SDL_GetWindowDisplayIndex(state.window);
        SDL_DisplayMode mode{};
        const bool exact =
            FindExactMode(display < 0 ? 0 : display, state.logicalWidth, state.logicalHeight, mode);
        if (exact && SDL_SetWindowDisplayMode(state.window, &mode) != 0) {
            LogFormat("Full screen: the display mode could not be chosen (%s)", SDL_GetError());
            return false;
        }
        if (SDL_SetWindowFullscreen(state.window,
                                    exact ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            LogFormat("Full screen: the display could not be switched (%s)", SDL_GetError());
            return false;
        }
        state.pictureScaled = !exact;
        if (state.pictureScaled) {
            BeginScaledPicture(state.logicalWidth, state.logicalHeight);
        }
        SDL_ShowWindow(state.window);
        UpdateViewport();
        int clientWidth = 0;
        int clientHeight = 0;
        SDL_GetWindowSize(state.window, &clientWidth, &clientHeight);
        SDL_WarpMouseInWindow(state.window, clientWidth / 2, clientHeight / 2);
    } else {
        SDL_SetWindowFullscreen(state.window, 0);
        state.pictureScaled = false;
        EndScaledPicture();
        SDL_SetWindowSize(state.window, state.logicalWidth, state.logicalHeight);
        SDL_SetWindowPosition(state.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_ShowWindow(state.window);
        UpdateViewport();
    }
    SetSwapIntervalZero();
    return true;
}

bool IsFullscreen() {
    return state.isFullscreen;
}

bool IsPictureScaled() {
    return state.pictureScaled;
}

void UpdateViewport() {
    if (!state.window) {
        return;
    }
    int clientWidth = 0;
    int clientHeight = 0;
    SDL_GetWindowSize(state.window, &clientWidth, &clientHeight);
    state.mouseArea = ComputePictureArea(clientWidth, clientHeight, state.logicalWidth, state.logicalHeight,
                                         state.pictureScaled);
    // The drawable may have more pixels than the window has coordinates
    // (high-density displays): the same rectangle, in drawable pixels.
    int drawableWidth = clientWidth;
    int drawableHeight = clientHeight;
    SDL_GL_GetDrawableSize(state.window, &drawableWidth, &drawableHeight);
    PictureArea drawn = state.mouseArea;
    if (clientWidth > 0 && clientHeight > 0 &&
        (drawableWidth != clientWidth || drawableHeight != clientHeight)) {
        drawn.x = drawn.x * drawableWidth / clientWidth;
        drawn.width = drawn.width * drawableWidth / clientWidth;
        drawn.y = drawn.y * drawableHeight / clientHeight;
        drawn.height = drawn.height * drawableHeight / clientHeight;
    }
    const PictureArea viewport = ToBottomLeftOrigin(drawn, drawableHeight);
    state.presentArea = viewport;
    if (ScaledPictureActive()) {
        BindScaledPicture();
        return;
    }
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

PictureArea CurrentPictureArea() {
    return state.mouseArea;
}

bool IsCursorInClient() {
    if (!state.window || SDL_GetMouseFocus() != state.window) {
        return false;
    }
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    int clientWidth = 0;
    int clientHeight = 0;
    SDL_GetWindowSize(state.window, &clientWidth, &clientHeight);
    return x >= 0 && x < clientWidth && y >= 0 && y < clientHeight;
}

bool GameWindowHasFocus() {
    return state.window && SDL_GetKeyboardFocus() == state.window;
}

void FocusGameWindow() {
    if (!state.window) {
        return;
    }
    SDL_RaiseWindow(state.window);
    // Without a window manager raising alone does not move the focus.
    SDL_SetWindowInputFocus(state.window);
}

void ShowSystemCursor(bool visible) {
    if (!state.window) {
        return;
    }
    // SDL keeps one shown/hidden state instead of a display count, so one
    // call reaches the state the count loop of other systems reaches.
    if ((SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE) != visible) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

uint64_t PresentedFrameCount() {
    return state.presentedFrames;
}

void Present() {
    if (!state.window || LetGoOfLostDisplay()) {
        return;
    }
    const bool scaled = ScaledPictureActive();
    if (scaled) {
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(state.window, &drawableWidth, &drawableHeight);
        DrawScaledPictureIntoWindow(state.presentArea, drawableWidth, drawableHeight);
    }
    SDL_GL_SwapWindow(state.window);
    ++state.presentedFrames;
    if (DisplayConnectionLost()) {
        LetGoOfLostDisplay();
        return;
    }
    ClearFrame();
    if (scaled) {
        // The window's next frame is drawn whole by the next present; the
        // game draws into the off-screen picture again, cleared.
        BindScaledPicture();
        ClearFrame();
    }
}

bool WindowCloseRequestPending() {
    if (!state.window) {
        return false;
    }
    if (DisplayConnectionLost() || ProbeDisplayConnection()) {
        return true;
    }
    SDL_PumpEvents();
    SDL_Event events[64];
    if (SDL_PeepEvents(events, 1, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0) {
        return true;
    }
    const int count = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    const Uint32 id = SDL_GetWindowID(state.window);
    for (int i = 0; i < count; ++i) {
        if (events[i].window.event == SDL_WINDOWEVENT_CLOSE && events[i].window.windowID == id) {
            return true;
        }
    }
    return false;
}

void PumpWindowEvents(InputCallback& callback) {
    if (!state.window) {
        return;
    }
    // A lost display is a close request, made once; its events are gone.
    if (LetGoOfLostDisplay()) {
        if (!state.lossReported) {
            state.lossReported = true;
            callback.OnClose();
        }
        return;
    }
    WindowEventContext context;
    context.windowId = SDL_GetWindowID(state.window);
    context.logicalWidth = state.logicalWidth;
    context.logicalHeight = state.logicalHeight;
    SDL_Event event;
    while (state.window && SDL_PollEvent(&event)) {
        context.mouseArea = state.mouseArea;
        if (DispatchWindowEvent(event, context, callback) == WindowEventEffect::SizeChanged) {
            UpdateViewport();
        }
    }
    if (!state.window) {
        return;
    }
    const DisplayModeReport mode = CurrentDisplayMode();
    if (!(mode == state.lastDisplayMode)) {
        state.lastDisplayMode = mode;
        callback.OnDisplayChange(mode.width, mode.height, mode.bitsPerPixel);
    }
}
