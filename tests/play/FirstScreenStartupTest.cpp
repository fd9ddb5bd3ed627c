// The game's start into its first screen, in-process: start-up with a small
// data folder whose intro page is a plain screen with one picture, frames
// through the input manager and the screen stack, and the picture read back
// from the frame buffer.
#include "GameStartup.h"
#include "core/Redraw.h"
#include "app/Application.h"
#include "core/EngineState.h"
#include "core/Scene.h"
#include "core/Widget.h"
#include "platform/GameWindow.h"
#include "platform/InputCallback.h"
#include "platform/WindowEvents.h"
#include "render/Image.h"
#include "render/ScreenDraw.h"
#include "render/TextStyles.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "support/VirtualPlatform.h"
#include "ui/InputManagerCallback.h"
#include "ui/Screen.h"
#include "ui/UI.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using testing_support::LogCapture;
using testing_support::ScopedPlatform;
using testing_support::VirtualPlatform;
using testing_support::WriteFile;

namespace {

constexpr const char* kIntroScene = "# The first page: a plain screen and one picture at the centre.\n"
                                    "Widget = intro;\n"
                                    "Widget = picture;\n"
                                    "intro.Type = Screen;\n"
                                    "picture.Type = Bitmap;\n"
                                    "picture.SpritePath = red.tga;\n"
                                    "picture.Scale = 4.000000;\n"
                                    "picture.Scale = 4.000000;\n";

void WriteRedPicture(const char* path) {
    Image image;
    ASSERT_TRUE(image.Create(8, 8));
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 8; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = 0;
            p[1] = 0;
            p[2] = 255;
            p[3] = 255;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

// The real game's hooks; the second frame after the push transition has
// ended reads the picture the screen stack drew and ends the loop.
struct CapturingGame : GameStartup {
    Image frame;
    bool captured = false;
    int frames = 0;
    int settled = 0;
    std::string topScreen;
    size_t handlers = 0;

    void OnFrame() override {
        // This frame work reads the picture each frame draws, so every frame draws.
        RequestRedraw();
        ++frames;
        // The frame that ends the transition still draws its last faint step.
        settled = GetUI().services.Transition().IsRunning() ? 0 : settled + 1;
        if (frames >= 2 && (settled >= 2 || frames == 500)) {
            captured = CaptureScreen(frame);
            Screen* top = GetUI().TopScreen();
            topScreen = top ? top->GetName() : "";
            handlers = GetInputManager().Handlers().size();
            running = false;
        }
    }
};

} // namespace

TEST(FirstScreen, StartupShowsTheIntroPageAndDrawsIt) {
    testing_support::EngineSandbox sandbox;
    if (!std::getenv("DISPLAY")) {
        GTEST_SKIP() << "needs a display for the game window; run under xvfb-run";
    }
    ASSERT_TRUE(WriteFile("gui/IntroScreen.scene", kIntroScene));
    WriteRedPicture("red.tga");
    VirtualPlatform platform;
    platform.cursorInClient = false; // the system pointer, no game cursor over the picture
    ScopedPlatform installed(platform);
    LogCapture log;
    CapturingGame game;

    ASSERT_TRUE(Startup(game));
    if (!GameWindowExists()) {
        Shutdown(game);
        GTEST_SKIP() << "no game window could be opened on this display";
    }
    // Without config/cursor.config the game goes on with the system pointer.
    EXPECT_TRUE(log.Contains("no game cursor"));
    EXPECT_TRUE(GetInputManager().IsInstalled());
    RunFrameLoop(game);
    Shutdown(game);

    EXPECT_EQ(game.topScreen, "intro");
    EXPECT_EQ(game.handlers, 1u); // the screen stack
    ASSERT_TRUE(game.captured);
    // The picture is 32 x 32 pixels from the centre of the 1024 x 768 screen.
    const uint8_t* inside = game.frame.PixelAt(512 + 16, 384 + 16);
    EXPECT_EQ(inside[2], 255) << "red";
    EXPECT_EQ(inside[1], 0);
    const uint8_t* outside = game.frame.PixelAt(512 - 4, 384 - 4);
    EXPECT_EQ(outside[2], 0);
    const uint8_t* beyond = game.frame.PixelAt(512 + 33, 384 + 33);
    EXPECT_EQ(beyond[2], 0);
    // Shut-down emptied the stack and gave the window's events back.
    EXPECT_TRUE(GetUI().Stack().empty());
    EXPECT_FALSE(GetInputManager().IsInstalled());
}

TEST(FirstScreen, APartnerPictureWithoutASplashSceneStartsTheGameNormally) {
    testing_support::EngineSandbox sandbox;
    ASSERT_TRUE(WriteFile("gui/IntroScreen.scene", kIntroScene));
    ASSERT_TRUE(WriteFile("splash/partner.jpg", "not shown: there is no splash scene"));
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    LogCapture log;
    CapturingGame game;
    ASSERT_TRUE(Startup(game));
    EXPECT_TRUE(log.Contains("splash screen could not be shown"));
    // The preload ran: the settings were read and the text styles registered.
    EXPECT_EQ(TextStyleCount(), 9);
    RunFrameLoop(game);
    Shutdown(game);
    EXPECT_EQ(game.topScreen, "intro");
}

TEST(FirstScreen, ACloseRequestDuringThePreloadEndsItAndTheGameAfterOneFrame) {
    testing_support::EngineSandbox sandbox;
    // The null sound device: this test hears nothing, and the sanitizer
    // build's leak checker crashed at exit in three runs of five after the
    // sound library had tried the machine's missing sound card.
    setenv("ALSOFT_DRIVERS", "null", 1);
    ASSERT_TRUE(WriteFile("gui/IntroScreen.scene", kIntroScene));
    for (int i = 0; i < 20; ++i) {
        WriteRedPicture(("gui/p" + std::to_string(i) + ".tga").c_str());
    }
    VirtualPlatform platform;
    // The first pump is the preload's first question.
    platform.Schedule(1, [](InputCallback& callback) { callback.OnClose(); });
    ScopedPlatform installed(platform);
    LogCapture log;
    CapturingGame game;
    ASSERT_TRUE(Startup(game));
    EXPECT_TRUE(log.Contains("a close request ends it"));
    EXPECT_TRUE(log.Contains("Preload ended after 0 of"));
    RunFrameLoop(game);
    Shutdown(game);
    EXPECT_EQ(game.frames, 1);
}

TEST(FirstScreen, WithoutAnIntroPageTheStackStaysEmptyAndFramesStillRun) {
    testing_support::EngineSandbox sandbox;
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    LogCapture log;
    CapturingGame game;
    ASSERT_TRUE(Startup(game));
    EXPECT_TRUE(GetUI().Stack().empty());
    EXPECT_TRUE(log.Contains("gui/IntroScreen.scene"));
    RunFrameLoop(game);
    Shutdown(game);
    EXPECT_EQ(game.frames, 2);
    EXPECT_EQ(game.topScreen, "");
}

namespace {

// Frame work that changes one thing at a time on the settled first screen
// and counts the pictures presented after each change.
struct ChangingGame : GameStartup {
    int frames = 0;
    int step = 0;
    int stepFrame = 0;
    int settledFrames = 0;
    uint64_t mark = 0;
    std::vector<uint64_t> drawn; // pictures presented after each step

    void Next(int frame) {
        drawn.push_back(PresentedFrameCount() - mark);
        mark = PresentedFrameCount();
        stepFrame = frame;
        ++step;
    }
    Widget* Picture() {
        Screen* top = GetUI().TopScreen();
        return top && top->scene ? ObjectCast<Widget>(top->scene->FindElement("picture")) : nullptr;
    }
    void OnFrame() override {
        const int frame = ++frames;
        const bool settled = !GetUI().services.Transition().IsRunning();
        const int since = frame - stepFrame;
        if (frame == 800) {
            running = false; // a step that never completes fails below
        }
        switch (step) {
        case 0: // the push transition of the first screen, and three still frames
            settledFrames = settled ? settledFrames + 1 : 0;
            if (settledFrames == 3) {
                mark = PresentedFrameCount();
                stepFrame = frame;
                step = 1;
            }
            break;
        case 1: // five still frames
            if (since == 5) {
                Next(frame);
                Picture()->Position.SetFloat(0, 10.0f);
            }
            break;
        case 2: // a property written with a new value
            if (since == 3) {
                Next(frame);
                Picture()->Position.SetFloat(0, 10.0f);
            }
            break;
        case 3: // the same value written again
            if (since == 3) {
                Next(frame);
                GetInputManager().OnMouseMove(40, 50);
            }
            break;
        case 4: // the pointer moved
            if (since == 3) {
                Next(frame);
                GetUI().PushTestScreen("gui/IntroScreen.scene");
            }
            break;
        case 5: // a screen pushed: its transition draws until it ends
            if (settled && since >= 3) {
                Next(frame);
                running = false;
            }
            break;
        }
    }
};

} // namespace

TEST(IdleFrames, AStillScreenDrawsNothingAndEachChangeDrawsWhenItShould) {
    testing_support::EngineSandbox sandbox;
    if (!std::getenv("DISPLAY")) {
        GTEST_SKIP() << "needs a display for the game window; run under xvfb-run";
    }
    ASSERT_TRUE(WriteFile("gui/IntroScreen.scene", kIntroScene));
    WriteRedPicture("red.tga");
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    ChangingGame game;
    ASSERT_TRUE(Startup(game));
    if (!GameWindowExists()) {
        Shutdown(game);
        GTEST_SKIP() << "no game window could be opened on this display";
    }
    RunFrameLoop(game);
    Shutdown(game);
    ASSERT_EQ(game.drawn.size(), 5u) << "stopped at step " << game.step;
    EXPECT_EQ(game.drawn[0], 0u) << "a still screen";
    EXPECT_EQ(game.drawn[1], 1u) << "a property changed";
    EXPECT_EQ(game.drawn[2], 0u) << "a property written with the value it had";
    EXPECT_EQ(game.drawn[3], 1u) << "the pointer moved";
    // Half a second of transition at up to 65 frames a second, then the
    // frame after its last step; the settled frames after it draw nothing.
    EXPECT_GE(game.drawn[4], 20u) << "a pushed screen's transition";
    EXPECT_LE(game.drawn[4], 40u);
}

TEST(IdleFrames, AnExposedWindowAsksForARedraw) {
    testing_support::EngineSandbox sandbox;
    TakeRedrawRequest();
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_EXPOSED;
    InputCallback ignored;
    DispatchWindowEvent(event, WindowEventContext{}, ignored);
    EXPECT_TRUE(TakeRedrawRequest());
    EXPECT_FALSE(TakeRedrawRequest());
}
