// The frame loop, its limiter and the order of start-up and shut-down, on a
// virtual clock with scripted events, plus real-clock checks of idle CPU use
// and of a close signal sent to a running loop.
#include "app/Application.h"
#include "app/GameHooks.h"
#include "core/ClassRegistry.h"
#include "core/Element.h"
#include "core/EngineState.h"
#include "core/Object.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "platform/InputCallback.h"
#include "support/TestEnvironment.h"
#include "support/VirtualPlatform.h"
#include "ui/InputHandler.h"
#include "ui/InputManagerCallback.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using testing_support::LogCapture;
using testing_support::ScopedPlatform;
using testing_support::VirtualPlatform;

namespace {

class Probe : public Object {
    ENGINE_CLASS(Probe, Object)
};

// Records every hook in order, simulates work each frame and stops the loop
// after a given number of frames.
struct RecordingGame : GameHooks {
    const char* ProductName() const override { return "Recorder"; }
    std::vector<std::string> calls;
    VirtualPlatform* platform = nullptr;
    double workSeconds = 0.0;
    int stopAfterFrames = 0; // 0: never stops on its own
    bool createSucceeds = true;
    int frames = 0;
    std::vector<float> frameTimes; // frameTime as each frame sees it

    bool CreateGlobalObjects() override {
        calls.push_back("create");
        return createSucceeds;
    }
    void RegisterGameStateClasses() override {
        calls.push_back("register-state");
        RegisterClass("StateProbe", MakeObject<Probe>, "Game State");
    }
    void RegisterGameClasses() override {
        calls.push_back(engineReady ? "register-after-ready" : "register");
        RegisterClass("Probe", MakeObject<Probe>, "Test");
    }
    void ChooseFirstScreen() override {
        calls.push_back(engineReady ? "first-screen" : "first-screen-not-ready");
    }
    void OnFrame() override {
        ++frames;
        frameTimes.push_back(frameTime);
        if (platform) {
            platform->Advance(workSeconds);
        }
        if (stopAfterFrames > 0 && frames >= stopAfterFrames) {
            running = false;
        }
    }
    void SaveOptions() override { calls.push_back("save-options"); }
    void DeleteStateAndOptions() override {
        calls.push_back(FindClass("Probe") ? "delete-state-registry-alive" : "delete-state");
    }
    void DeleteGlobals() override { calls.push_back("delete-globals"); }
};

const std::vector<std::string> kFullShutdown = {"save-options", "delete-state", "delete-globals"};

std::vector<std::string> Tail(const std::vector<std::string>& calls, size_t count) {
    return calls.size() < count ? calls : std::vector<std::string>(calls.end() - count, calls.end());
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

TEST(FrameLimiter, ShortFrameSleepsTheRestOfOneSixtyFifth) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    RecordingGame game;
    game.platform = &platform;
    game.workSeconds = 0.005;
    game.stopAfterFrames = 6;

    RunFrameLoop(game);

    ASSERT_EQ(game.frames, 6);
    // (1/65 - 0.005) s is 10.38 ms, truncated to 10; what is left is below a
    // millisecond and sleeps 0 until the frame is long enough.
    int tenMillisecondSleeps = 0;
    for (uint32_t milliseconds : platform.sleeps) {
        EXPECT_TRUE(milliseconds == 10 || milliseconds == 0) << milliseconds;
        tenMillisecondSleeps += milliseconds == 10;
    }
    EXPECT_EQ(tenMillisecondSleeps, 6);
    for (size_t frame = 1; frame < game.frameTimes.size(); ++frame) {
        EXPECT_GE(game.frameTimes[frame], 1.0f / 65.0f - 1e-6f);
        EXPECT_NEAR(game.frameTimes[frame], 1.0 / 65.0, 1e-4);
    }
    EXPECT_NEAR(frameTime, 1.0 / 65.0, 1e-4);
    EXPECT_NEAR(totalTime, 6.0 / 65.0, 6e-4);
    EXPECT_EQ(FramesRun(), 6u);
}

TEST(FrameLimiter, LongFrameDoesNotSleepAndMeasuresItsLength) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    RecordingGame game;
    game.platform = &platform;
    game.workSeconds = 0.040;
    game.stopAfterFrames = 4;

    RunFrameLoop(game);

    EXPECT_TRUE(platform.sleeps.empty());
    EXPECT_NEAR(frameTime, 0.04, 1e-6);
    EXPECT_NEAR(totalTime, 0.16, 1e-9);
    // The first frame measures from the reset at the start of the loop.
    EXPECT_EQ(game.frameTimes.front(), 0.0f);
    EXPECT_NEAR(game.frameTimes[1], 0.04, 1e-7);
}

TEST(FrameLimiter, FrameTimeFollowsChangingWork) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    RecordingGame game;
    game.platform = &platform;
    game.stopAfterFrames = 3;
    game.workSeconds = 0.1;

    RunFrameLoop(game);
    ASSERT_NEAR(frameTime, 0.1, 1e-6);
    game.frames = 0;
    game.workSeconds = 0.0;
    RunFrameLoop(game);
    // A new loop starts its clocks afresh: idle frames are capped, not 0.1 s.
    EXPECT_NEAR(frameTime, 1.0 / 65.0, 1e-4);
    EXPECT_NEAR(totalTime, 3.0 / 65.0, 3e-4);
}

TEST(FrameLoop, CloseRequestEndsTheLoopAfterTheCurrentFrame) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    RecordingGame game;
    game.platform = &platform;
    int framesBeforeClose = -1;
    platform.Schedule(3, [&](InputCallback& callback) {
        framesBeforeClose = game.frames;
        callback.OnClose();
    });

    RunFrameLoop(game);

    EXPECT_EQ(framesBeforeClose, 2);
    EXPECT_EQ(game.frames, 3); // the frame of the request is finished
    EXPECT_FALSE(running);
}

namespace {
// The options element as far as the frame loop reads it.
class FullscreenOptions : public Element {
    ENGINE_CLASS(FullscreenOptions, Element)
public:
    FullscreenOptions() {
        DeclareBool("Fullscreen", Fullscreen, 1, this, false);
        Fullscreen.SetFirstBool(true);
    }
    Var Fullscreen;
};

struct KeyRecorder : InputHandler {
    std::vector<int> keys;
    void OnKey(int key, int, int) override { keys.push_back(key); }
};
} // namespace

TEST(FrameLoop, TheWindowGoesFullScreenWithTheFocusAndAFrameWithoutItDeliversNoInput) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    FullscreenOptions fullscreenOptions;
    Element* previousOptions = options;
    options = &fullscreenOptions;
    InputManagerCallback& input = GetInputManager();
    input.Install();
    KeyRecorder recorder;
    input.AddHandler(&recorder);
    RecordingGame game;
    game.stopAfterFrames = 5;
    // Pump 2 delivers a key and the focus goes with it; pump 3 brings a key
    // while the window has no focus; pump 4 gives the focus back.
    platform.Schedule(2, [&](InputCallback& callback) {
        callback.OnKey(2, 1, 0);
        platform.hasFocus = false;
    });
    platform.Schedule(3, [](InputCallback& callback) { callback.OnKey(3, 1, 0); });
    platform.Schedule(4, [&](InputCallback&) { platform.hasFocus = true; });
    platform.Schedule(5, [](InputCallback& callback) { callback.OnKey(5, 1, 0); });

    RunFrameLoop(game);

    EXPECT_EQ(recorder.keys, (std::vector<int>{2, 5}));
    EXPECT_EQ(platform.windowCalls, (std::vector<std::string>{"fullscreen"}));
    input.Uninstall();
    options = previousOptions;
}

TEST(FrameLoop, ACloseRequestArrivingWhileALargeSceneLoadsStopsTheLoadAndEndsTheGameAfterThatFrame) {
    RegisterClass("Element", MakeObject<Element>, "Test");
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "Widget = e" + std::to_string(i) + ";\n";
    }
    for (int i = 0; i < 5000; ++i) {
        text += "e" + std::to_string(i) + ".Type = Element;\n";
    }
    ASSERT_TRUE(testing_support::WriteFile("large.scene", text));

    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    struct LoadingGame : RecordingGame {
        bool loadReturned = false;
        bool loaded = false;
        void OnFrame() override {
            RecordingGame::OnFrame();
            if (frames == 2) {
                // The player closes the window while the level's scene is built.
                platform->closePending = true;
                loaded = LoadScene("large.scene") != nullptr;
                loadReturned = true;
            }
        }
    } game;
    game.platform = &platform;
    game.workSeconds = 0.016;
    LogCapture log;

    RunFrameLoop(game);

    EXPECT_TRUE(game.loadReturned);
    EXPECT_FALSE(game.loaded);
    EXPECT_TRUE(log.Contains("large.scene: the load stops after 255 of its 5000 elements"));
    EXPECT_EQ(game.frames, 3); // the next frame's pump delivers the request
    EXPECT_FALSE(running);
    ClearRegistry();
}

TEST(FrameLoop, RunsOneFrameEvenWhenStoppedAtOnce) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    RecordingGame game;
    game.stopAfterFrames = 1;
    RunFrameLoop(game);
    EXPECT_EQ(game.frames, 1);
    EXPECT_EQ(platform.pumps, 1);
}

TEST(Lifecycle, StartupAndShutdownRunTheGameStepsInOrder) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    LogCapture log;
    RecordingGame game;
    game.stopAfterFrames = 2;

    ASSERT_TRUE(Startup(game));
    EXPECT_TRUE(engineReady);
    EXPECT_NE(FindClass("Probe"), nullptr);
    // The game's state classes stand between the engine's effects and its screens.
    std::vector<std::string> categories;
    for (const String& category : ClassCategories()) {
        categories.emplace_back(category.CStr());
    }
    EXPECT_EQ(categories, (std::vector<std::string>{"Base", "Effects", "Widgets", "Game State", "Game UI", "Test"}));
    RunFrameLoop(game);
    Shutdown(game);

    const std::vector<std::string> expected = {"create",       "register-state", "register",     "first-screen",
                                               "save-options", "delete-state",   "delete-globals"};
    EXPECT_EQ(game.calls, expected);
    EXPECT_FALSE(engineReady);
    EXPECT_EQ(FindClass("Probe"), nullptr);
    EXPECT_TRUE(log.Contains("after 2 frames")) << (log.Lines().empty() ? "" : log.Lines().back());
}

TEST(Lifecycle, FailedStartupRunsNoFrameButShutsDownInFull) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    LogCapture log;
    RecordingGame game;
    game.createSucceeds = false;

    EXPECT_EQ(RunApplication(game), 0);

    EXPECT_EQ(game.frames, 0);
    EXPECT_EQ(platform.pumps, 0);
    const std::vector<std::string> expected = {"create", "save-options", "delete-state", "delete-globals"};
    EXPECT_EQ(game.calls, expected);
    EXPECT_TRUE(log.Contains("could not be created"));
    EXPECT_TRUE(log.Contains("after 0 frames"));
}

TEST(Lifecycle, CloseRequestGoesThroughShutdownAndReturnsZero) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    LogCapture log;
    RecordingGame game;
    game.platform = &platform;
    game.workSeconds = 0.001;
    platform.sleepCost = 1e-7;
    platform.Schedule(4, [](InputCallback& callback) { callback.OnClose(); });

    EXPECT_EQ(RunApplication(game), 0);

    EXPECT_EQ(game.frames, 4);
    EXPECT_EQ(Tail(game.calls, 3), kFullShutdown);
    EXPECT_TRUE(log.Contains("Recorder starting in /"));
    EXPECT_TRUE(log.Contains("Recorder shut down after 4 frames"));
    EXPECT_TRUE(log.Contains("after 4 frames (65.0 frames per second)")) << log.Lines().back();
}

TEST(Lifecycle, TerminateSignalEndsARunningLoopThroughShutdown) {
    LogCapture log;
    struct FrameSignal : RecordingGame {
        void OnFrame() override {
            RecordingGame::OnFrame();
            if (frames == 3) {
                kill(getpid(), SIGTERM);
            }
        }
    } signalling;
    signalling.stopAfterFrames = 300; // a safety net: the signal ends it long before

    EXPECT_EQ(RunApplication(signalling), 0);

    // The signal lands during frame 3; the pump of frame 4 turns it into the
    // close request, and frame 4 is the last.
    EXPECT_EQ(signalling.frames, 4);
    EXPECT_EQ(Tail(signalling.calls, 3), kFullShutdown);
    // The process's own handling of the signal is back afterwards.
    struct sigaction current {};
    sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

TEST(FrameLimiterRealClock, IdleLoopLeavesTheProcessorMostlyFree) {
    LogCapture log;
    struct TimedGame : GameHooks {
        int frames = 0;
        float shortestFrame = 1.0f;
        void OnFrame() override {
            if (++frames > 1 && frameTime < shortestFrame) {
                shortestFrame = frameTime;
            }
            if (totalTime >= 2.0) {
                running = false;
            }
        }
    } game;

    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    RunFrameLoop(game);
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    EXPECT_GE(wall, 2.0);
    EXPECT_LT(cpu, 0.25 * wall) << "cpu " << cpu << " s over " << wall << " s";
    // Never more than 65 frames a second; a busy machine may give fewer.
    EXPECT_LE(game.frames, 2 * 65 + 2);
    EXPECT_GE(game.frames, 60);
    EXPECT_GE(game.shortestFrame, 1.0f / 65.0f - 1e-4f);
}
