// The game window under a virtual display: its size, the context, the
// full-screen switch, clearing and presenting, events through the system
// platform's pump, and start-up's window. Without a display the tests skip.
#include "platform/GameWindow.h"
#include "app/Application.h"
#include "app/GameHooks.h"
#include "core/EngineState.h"
#include "data/Globals.h"
#include "platform/CloseSignals.h"
#include "platform/InputCallback.h"
#include "platform/Platform.h"
#include "platform/ScaledPicture.h"
#include "platform/WindowEvents.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/ScreenDraw.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <GL/gl.h>
#include <SDL.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

using testing_support::LogCapture;

namespace {

struct Recorder : InputCallback {
    std::vector<std::string> calls;
    void OnMouseMove(int x, int y) override {
        calls.push_back("move " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnKey(int key, int down, int repeat) override {
        calls.push_back("key " + std::to_string(key) + " " + std::to_string(down) + " " +
                        std::to_string(repeat));
    }
    void OnChar(int code) override { calls.push_back("char " + std::to_string(code)); }
    void OnClose() override { calls.push_back("close"); }
    bool Saw(const std::string& call) const {
        for (const std::string& seen : calls) {
            if (seen == call) {
                return true;
            }
        }
        return false;
    }
};

// Opens the window for one test and closes it at the end, even on failure.
class WindowTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    bool Open(int width = 1024, int height = 768) {
        // Without a desktop display SDL may still open a window through
        // another video driver, one that does not behave like a desktop.
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
            skipReason = "no desktop display";
            return false;
        }
        LogCapture quiet;
        if (!CreateGameWindow(width, height)) {
            skipReason = quiet.Lines().empty() ? "no window" : quiet.Lines().back();
            return false;
        }
        return true;
    }
    std::string skipReason;
};

#define OPEN_WINDOW_OR_SKIP(...)                                                                             \
    if (!Open(__VA_ARGS__)) {                                                                                \
        GTEST_SKIP() << skipReason << "; run under xvfb-run -a -s \"-screen 0 1024x768x24\"";                \
    }

uint32_t ReadBackPixel(int x, int y) {
    uint8_t bgra[4] = {0, 0, 0, 0};
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    return uint32_t(bgra[2]) << 16 | uint32_t(bgra[1]) << 8 | bgra[0];
}

} // namespace

TEST_F(WindowTest, ClientAreaIsTheLogicalSizeAndTheContextAsAsked) {
    OPEN_WINDOW_OR_SKIP();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    ASSERT_NE(window, nullptr);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE, 0u);

    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);

    int doubleBuffer = 0;
    int depth = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    EXPECT_EQ(doubleBuffer, 1);
    EXPECT_GE(depth, 24);
    // The fixed-function pipeline is there: a compatibility context.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WindowTest, CreatingTwiceFailsAndKeepsTheFirstWindow) {
    OPEN_WINDOW_OR_SKIP();
    SDL_Window* first = SDL_GL_GetCurrentWindow();
    LogCapture log;
    EXPECT_FALSE(CreateGameWindow(800, 600));
    EXPECT_TRUE(log.Contains("exists already"));
    EXPECT_TRUE(GameWindowExists());
    EXPECT_EQ(SDL_GL_GetCurrentWindow(), first);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(first, &width, &height);
    EXPECT_EQ(width, 1024);

    // After closing, a new window can be made.
    DestroyGameWindow();
    EXPECT_FALSE(GameWindowExists());
    Present(); // nothing to present: no crash
    EXPECT_TRUE(CreateGameWindow(640, 480));
}

TEST_F(WindowTest, ClearedFrameReadsBackAndPresentClearsTheNextToBlack) {
    OPEN_WINDOW_OR_SKIP();
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(ReadBackPixel(0, 0), 0xFF8000u);
    EXPECT_EQ(ReadBackPixel(1023, 767), 0xFF8000u);

    Present();
    EXPECT_EQ(ReadBackPixel(512, 384), 0x000000u);
    // The caller's clear colour is left as it was.
    GLfloat color[4] = {0, 0, 0, 0};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, color);
    EXPECT_FLOAT_EQ(color[0], 1.0f);
    EXPECT_FLOAT_EQ(color[1], 0.5f);
}

TEST_F(WindowTest, FullscreenSwitchReturnsFalseWhenAlreadyInThatMode) {
    OPEN_WINDOW_OR_SKIP();
    EXPECT_FALSE(SetFullscreen(false)); // already windowed
    EXPECT_TRUE(SetFullscreen(true));
    EXPECT_TRUE(IsFullscreen());
    // The virtual display's one mode has the logical size: an exact mode.
    EXPECT_FALSE(IsPictureScaled());
    EXPECT_FALSE(SetFullscreen(true));
    EXPECT_TRUE(SetFullscreen(false));
    EXPECT_FALSE(IsFullscreen());
    EXPECT_FALSE(SetFullscreen(false));
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(SDL_GL_GetCurrentWindow(), &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
}

TEST_F(WindowTest, WindowedNeedsNoModeAndFullscreenWithoutOneScalesThePicture) {
    // No display mode of 800 x 600 exists on a 1024 x 768 virtual display.
    OPEN_WINDOW_OR_SKIP(800, 600);
    EXPECT_TRUE(SetFullscreen(true));
    EXPECT_TRUE(IsPictureScaled());
    EXPECT_TRUE(SetFullscreen(false));
    EXPECT_FALSE(IsPictureScaled());
    const PictureArea area = CurrentPictureArea();
    EXPECT_EQ(area.width, 800);
    EXPECT_EQ(area.height, 600);
}

TEST_F(WindowTest, ScaledFullscreenLetterboxesThePictureAndMapsTheMouseIntoIt) {
    // 1024 x 600 on the 1024 x 768 desktop: no such mode, so the picture keeps
    // its size (the largest factor that fits is 1) with 84-pixel bars.
    OPEN_WINDOW_OR_SKIP(1024, 600);
    ASSERT_TRUE(SetFullscreen(true));
    ASSERT_TRUE(IsPictureScaled());
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    Recorder recorder;
    int width = 0;
    int height = 0;
    // The X server resizes the window a moment later (or, when other tests
    // share the virtual display, not at all); the picture follows the size the
    // window has, whatever it is.
    for (int attempt = 0; attempt < 300; ++attempt) {
        GetPlatform().PumpEvents(recorder);
        SDL_GetWindowSize(window, &width, &height);
        if (height == 768) {
            break;
        }
        SDL_Delay(10);
    }
    GetPlatform().PumpEvents(recorder);
    SDL_GetWindowSize(window, &width, &height);
    const PictureArea expected = ComputePictureArea(width, height, 1024, 600, true);
    const PictureArea area = CurrentPictureArea();
    EXPECT_EQ(area.x, expected.x);
    EXPECT_EQ(area.y, expected.y);
    EXPECT_EQ(area.width, expected.width);
    EXPECT_EQ(area.height, expected.height);
    // The game draws into the picture of its own size; presenting puts it there.
    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (ScaledPictureActive()) {
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[3], 600);
    } else {
        EXPECT_EQ(viewport[1], height - expected.y - expected.height);
        EXPECT_EQ(viewport[3], expected.height);
    }
    if (height == 768) {
        EXPECT_EQ(area.y, 84);
        EXPECT_EQ(area.height, 600);
    }

    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(window);
    motion.motion.x = area.x + area.width / 2;
    motion.motion.y = area.y + area.height / 2;
    SDL_PushEvent(&motion);
    recorder.calls.clear();
    GetPlatform().PumpEvents(recorder);
    EXPECT_TRUE(recorder.Saw("move 512 300"));

    // The bars stay black after a present.
    Present();
    EXPECT_EQ(ReadBackPixel(10, 10), 0x000000u);
}

TEST_F(WindowTest, CapturesInAScaledFullScreenReadThePictureAtItsLogicalSize) {
    // 800 x 600 on the 1024 x 768 desktop: no such mode, so the picture is
    // drawn 1.28 times larger, centred.
    OPEN_WINDOW_OR_SKIP(800, 600);
    SetDisplaySize(800, 600);
    ASSERT_TRUE(SetFullscreen(true));
    ASSERT_TRUE(IsPictureScaled());
    // Drawn as the game draws, through the viewport: blue everywhere, red on
    // the picture's bottom 40 rows and its left 100 columns (GL rows count
    // from the bottom).
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    auto fill = [](float x0, float y0, float x1, float y1, float r, float b) {
        glColor4f(r, 0, b, 1);
        glRectf(x0, y0, x1, y1);
    };
    fill(0, 0, 800, 600, 0, 1);
    fill(0, 0, 800, 40, 1, 0);
    fill(0, 0, 100, 600, 1, 0);

    Image picture;
    ASSERT_TRUE(CaptureScreen(picture));
    ASSERT_EQ(picture.Width(), 800u);
    ASSERT_EQ(picture.Height(), 600u);
    auto red = [&](uint32_t x, uint32_t y) { return picture.PixelAt(x, y)[2]; };
    auto blue = [&](uint32_t x, uint32_t y) { return picture.PixelAt(x, y)[0]; };
    EXPECT_EQ(red(400, 599), 255) << "the bottom row is the picture's";
    EXPECT_EQ(red(400, 560), 255);
    EXPECT_EQ(blue(400, 559), 255);
    EXPECT_EQ(blue(799, 0), 255) << "the top right corner is the picture's";
    EXPECT_EQ(red(99, 0), 255);
    EXPECT_EQ(blue(100, 0), 255);

    // Presenting draws it scaled into the window, black around it.
    ASSERT_TRUE(ScaledPictureActive());
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &width, &height);
    const PictureArea area = ToBottomLeftOrigin(CurrentPictureArea(), height);
    DrawScaledPictureIntoWindow(area, width, height);
    EXPECT_EQ(ReadBackPixel(area.x + area.width / 2, area.y + 3), 0xFF0000u);
    EXPECT_EQ(ReadBackPixel(area.x + area.width / 2, area.y + area.height / 2), 0x0000FFu);
    if (area.x > 0) {
        EXPECT_EQ(ReadBackPixel(area.x / 2, height / 2), 0x000000u);
    }
    BindScaledPicture();
    SetDisplaySize(1024, 768);
}

TEST_F(WindowTest, CursorIsInTheClientOnlyWhileThePointerIsOverIt) {
    OPEN_WINDOW_OR_SKIP();
    ShowGameWindow();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    Recorder recorder;
    bool inside = false;
    for (int attempt = 0; attempt < 1000 && !inside; ++attempt) {
        SDL_WarpMouseInWindow(window, 100, 50);
        GetPlatform().PumpEvents(recorder);
        inside = IsCursorInClient();
        SDL_Delay(10);
    }
    EXPECT_TRUE(inside);
    DestroyGameWindow();
    EXPECT_FALSE(IsCursorInClient());
}

TEST_F(WindowTest, TitleIsRememberedAndSet) {
    SetWindowTitle("Before the window");
    OPEN_WINDOW_OR_SKIP();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Before the window");
    SetWindowTitle("Caf\xC3\xA9");
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Caf\xC3\xA9");
    EXPECT_STREQ(WindowTitle(), "Caf\xC3\xA9");
    const uint8_t pixels[4 * 4] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 0};
    EXPECT_TRUE(SetWindowIcon(pixels, 2, 2));
    EXPECT_FALSE(SetWindowIcon(nullptr, 2, 2));
    SetWindowTitle(nullptr);
}

TEST_F(WindowTest, PumpDeliversInjectedEventsAndCloseSignals) {
    OPEN_WINDOW_OR_SKIP();
    const uint32_t id = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = id;
    motion.motion.x = 300;
    motion.motion.y = 200;
    SDL_PushEvent(&motion);
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = id;
    key.key.keysym.sym = SDLK_ESCAPE;
    key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&key);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    std::strcpy(text.text.text, "\xC3\xA9");
    SDL_PushEvent(&text);

    InstallCloseSignalHandlers();
    std::raise(SIGTERM);
    Recorder recorder;
    GetPlatform().PumpEvents(recorder);
    RestoreCloseSignalHandlers();

    EXPECT_TRUE(recorder.Saw("move 300 200"));
    EXPECT_TRUE(recorder.Saw("key 27 1 0"));
    EXPECT_TRUE(recorder.Saw("char 27"));
    EXPECT_TRUE(recorder.Saw("char 233"));
    EXPECT_TRUE(recorder.Saw("close"));
}

// The game's settings with their built-in defaults, which name the window.
class DefaultSettingsGame : public GameHooks {
public:
    bool CreateGlobalObjects() override {
        globals = new Globals();
        return true;
    }
    void DeleteGlobals() override {
        delete globals;
        globals = nullptr;
    }
};

TEST(GameWindowStartup, StartupOpensTheTitledWindowAndShutdownClosesIt) {
    DefaultSettingsGame game;
    LogCapture log;
    ASSERT_TRUE(Startup(game));
    if (!GameWindowExists()) {
        Shutdown(game);
        EXPECT_TRUE(log.Contains("running without a window"));
        GTEST_SKIP() << "no display: start-up went on without a window, as it should";
    }
    EXPECT_STREQ(WindowTitle(), "Dunhaven - Tessaroon");
    EXPECT_TRUE(log.Contains("No window icon icon.png"));
    EXPECT_TRUE(SDL_GetWindowFlags(SDL_GL_GetCurrentWindow()) & SDL_WINDOW_SHOWN);
    Shutdown(game);
    EXPECT_FALSE(GameWindowExists());
}

TEST(GameWindowStartup, WithoutDisplayStartupGoesOnAndFramesRun) {
    // An unreachable display stands for a machine without one.
    ASSERT_EQ(setenv("DISPLAY", ":99999", 1), 0);
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "x11", 1), 0);
    GameHooks game;
    LogCapture log;
    ASSERT_TRUE(Startup(game));
    EXPECT_FALSE(GameWindowExists());
    EXPECT_TRUE(log.Contains("running without a window"));
    Present();
    Recorder recorder;
    GetPlatform().PumpEvents(recorder); // no window: nothing, no crash
    EXPECT_TRUE(recorder.calls.empty());
    Shutdown(game);
}
