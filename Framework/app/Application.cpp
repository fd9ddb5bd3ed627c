// The program's lifecycle. Each function follows its numbered steps in order;
// a step whose subsystem does not exist yet is a one-line comment at its place.
#include "app/Application.h"

#include "anim/AnimResources.h"
#include "anim/EffectsHold.h"
#include "anim/SceneAnims.h"
#include "app/Clock.h"
#include "app/EngineClasses.h"
#include "app/GameHooks.h"
#include "audio/Audio.h"
#include "audio/Sound.h"
#include "core/ClassRegistry.h"
#include "core/Element.h"
#include "core/EngineState.h"
#include "core/LoadStop.h"
#include "core/Log.h"
#include "core/Redraw.h"
#include "core/Random.h"
#include "core/Var.h"
#include "io/File.h"
#include "io/PackArchive.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "platform/CloseSignals.h"
#include "platform/Environment.h"
#include "platform/FreeMemory.h"
#include "platform/ExecutablePath.h"
#include "platform/GameWindow.h"
#include "platform/InputCallback.h"
#include "platform/Platform.h"
#include "platform/SingleInstanceLock.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenFrame.h"
#include "render/Sprite.h"
#include "render/TextStyles.h"
#include "render/WidgetRenderer.h"
#include "script/CommandTable.h"
#include "script/DeferredCalls.h"
#include "script/GlobalScriptFunctions.h"
#include "ui/Console.h"
#include "ui/ConsoleCommands.h"
#include "ui/Cursor.h"
#include "ui/InputManagerCallback.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <ctime>
#include <filesystem>
#include <string>

namespace {

// The archive name, window title and size come from the global settings. The
// archive and the window open before the settings file is read, so these are
// always the settings' built-in defaults. Without a settings element (an
// engine run without the game) there is no archive and no title, and the
// window has the render context's logical size.
// The window icon among the game data; the window keeps the system's icon
// when the file does not exist.
constexpr const char* kWindowIconPath = "icon.png";

// The frame loop's own clock, used by the limiter, and the global frame
// clock, whose accumulated time is totalTime and whose last step is frameTime.
Clock loopClock;
Clock frameClock;
// The loop clock's reading when the limiter last let a frame end.
double lastLimiterExit = 0.0;
uint64_t framesRun = 0;
// The archive named instead of data.pack (absolute); empty normally.
std::string dataArchive;
// The game's product name for the log lines before start-up has its hooks.
const char* productName = "Game";

// Receives the window events until the input manager does: a close request
// ends the loop after the current frame.
class CloseRequestCallback : public InputCallback {
public:
    void OnClose() override { running = false; }
};

CloseRequestCallback closeRequest;

// Receives the window events while start-up works: only a close request counts.
class StartupCloseCallback : public InputCallback {
public:
    void OnClose() override { requested = true; }
    bool requested = false;
};

StartupCloseCallback startupClose;

// A close request ends a long load (core/LoadStop.h), during start-up and in
// a frame alike; the request itself stays queued for the frame loop, which
// then ends the game as after any close request. The question reads the
// system's events, so while the answer is no it is asked at most every
// kLoadStopQuestionSeconds.
constexpr double kLoadStopQuestionSeconds = 0.02;
bool loadStopAsked = false;
uint64_t loadStopAskedAt = 0;

bool CloseRequestWaiting() {
    Platform& platform = GetPlatform();
    const uint64_t now = platform.GetPerformanceCounter();
    const auto interval = static_cast<uint64_t>(kLoadStopQuestionSeconds *
                                                static_cast<double>(platform.GetPerformanceFrequency()));
    if (loadStopAsked && now >= loadStopAskedAt && now - loadStopAskedAt < interval) {
        return false;
    }
    loadStopAsked = true;
    loadStopAskedAt = now;
    return startupClose.requested || platform.CloseRequestPending();
}

void InstallLoadStop() {
    loadStopAsked = false;
    SetLoadStopCheck(CloseRequestWaiting);
}

// Screens restart the global frame clock after a long load (core/EngineState.h).
void InstallFrameClockRestart() {
    SetFrameClockRestart([] { frameClock.lastCounter = GetPlatform().GetPerformanceCounter(); });
}

// Start-up step 7: without a display the game goes on windowless (servers,
// tests), and the frame loop runs all the same.
void OpenWindow(const char* windowClassName) {
    int width = GlobalInt(setting::kDisplayWidth.name, 0, DisplayWidth());
    int height = GlobalInt(setting::kDisplayHeight.name, 0, DisplayHeight());
    if (width <= 0 || height <= 0) {
        LogFormat("Display size %d x %d is no screen size; using %d x %d", width, height, DisplayWidth(),
                  DisplayHeight());
        width = DisplayWidth();
        height = DisplayHeight();
    }
    SetDisplaySize(width, height);
    if (!CreateGameWindow(width, height, windowClassName)) {
        return;
    }
    InitRenderContext(width, height);
    const String title = GlobalText(setting::kGameTitle.name, "");
    if (!title.Empty()) {
        SetWindowTitle(title.CStr());
    }
    if (!Exists(kWindowIconPath)) {
        LogFormat("No window icon %s: the window keeps the system's icon", kWindowIconPath);
        return;
    }
    Image icon;
    if (icon.Load(kWindowIconPath) && icon.BitsPerPixel() == 32) {
        SetWindowIcon(icon.Pixels(), static_cast<int>(icon.Width()), static_cast<int>(icon.Height()));
    }
}

// Sleeps until kMinimumFrameSeconds have passed since the previous frame
// ended, then measures the frame into frameTime and totalTime. The sleeps are
// whole milliseconds, truncated (possibly 0), so the cap is approximate.
void LimitFrameRate() {
    loopClock.Step();
    double elapsed = loopClock.accumulated - lastLimiterExit;
    while (elapsed < kMinimumFrameSeconds) {
        const auto milliseconds = static_cast<uint32_t>((kMinimumFrameSeconds - elapsed) * 1000.0);
        GetPlatform().Sleep(milliseconds);
        loopClock.Step();
        elapsed = loopClock.accumulated - lastLimiterExit;
    }
    lastLimiterExit = loopClock.accumulated;

    frameClock.Step();
    frameTime = static_cast<float>(frameClock.step);
    totalTime = frameClock.accumulated;
}

// Start-up step 16: the options element's "SoundVolume" scales every effect.
void ApplySoundVolumeOption() {
    if (!options) {
        return;
    }
    if (const Var* soundVolume = options->FindProperty("SoundVolume")) {
        Audio::SetSoundVolume(soundVolume->FirstFloat());
    }
}

// A yes/no option of the options element; false without one.
bool BoolOption(const char* name) {
    const Var* option = options ? options->FindProperty(name) : nullptr;
    return option && option->FirstBool();
}

// The option Editing: the scene editor keeps input while the window is in the background.
bool EditingOption() {
    return BoolOption("Editing");
}

// The option Fullscreen: the window goes full screen at start-up and whenever
// it has the focus back.
bool FullscreenOption() {
    return BoolOption("Fullscreen");
}

// Frame step 1, before the pump: with the focus the window is full screen
// when the option asks for it; without it input stops at once. On a desktop
// the window layer also leaves full screen and minimises the window when the
// focus goes (platform/GameWindow.cpp); on a bare display it stays.
void FollowWindowFocus(InputManagerCallback& input) {
    if (EditingOption()) {
        return;
    }
    Platform& platform = GetPlatform();
    if (platform.WindowHasFocus()) {
        if (FullscreenOption() && !platform.WindowIsFullscreen()) {
            platform.SetWindowFullscreen(true);
        }
        return;
    }
    input.inputEnabled = false;
}

// Step 18: play starts outside the scene editor.
void ClearEditingOption() {
    if (Var* editing = options ? options->FindProperty("Editing") : nullptr) {
        editing->SetFirstBool(false);
    }
}

void RunFrame(GameHooks& game) {
    // 1. Window and input pump, after following the window focus (not while
    //    the option Editing is set). Once installed, the input manager pumps the events, delivers its due
    //    deferred messages and measures its frame; before, close requests alone count.
    InputManagerCallback& input = GetInputManager();
    FollowWindowFocus(input);
    if (input.IsInstalled()) {
        input.Pump();
    } else {
        GetPlatform().PumpEvents(closeRequest);
    }
    //    When the window no longer exists, the rest of this step is skipped here.
    if (engineReady) {
        RunDeferredCalls();
        GetUI().Update();
    }
    GetCursor().Update();
    //    Input is enabled again while the window has the focus; it is cleared
    //    only before the pump, so no event of a frame without focus gets through.
    if (GetPlatform().WindowHasFocus()) {
        input.inputEnabled = input.IsInstalled();
    }

    // Only a frame in which something visible changed draws; the window keeps
    // the last picture otherwise (see core/Redraw.h).
    const bool changed = TakeRedrawRequest();
    const bool drawing = GameWindowExists() && (changed || BoolOption("DrawEveryFrame"));
    // 2. The screen projection and the camera matrix.
    if (drawing) {
        LoadScreenProjectionAndCamera();
    }
    // 3. The screen stack draws; then the game's own per-frame work.
    if (drawing) {
        GetUI().Draw();
    }
    game.OnFrame();
    // 4. The console.
    if (drawing) {
        GetConsole().Draw();
    }
    // 5. Present the frame; the next one starts cleared to black.
    if (drawing) {
        Present();
    }
    // 6. Release the GPU copies of textures not drawn since the previous frame;
    //    every push of the frame must have had its pop.
    if (drawing) {
        EvictUnusedTextures(true);
        RenderStack::CheckFrameEnd();
    }
    // 7. Frame limiter.
    LimitFrameRate();
}

// Makes a data folder, or the folder of a data archive, the current
// directory; an archive replaces data.pack. False, logged, when it cannot.
bool EnterDataLocation(const char* dataPath) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = fs::absolute(dataPath, error);
    const bool folder = !error && fs::is_directory(path, error);
    if (!error) {
        fs::current_path(folder ? path : path.parent_path(), error);
    }
    if (error) {
        LogFormat("Cannot use the data at %s: %s", dataPath, error.message().c_str());
        return false;
    }
    dataArchive = folder ? std::string() : path.string();
    LogFormat("%s starting in %s", productName, fs::current_path(error).c_str());
    return true;
}

// Step 14: the console commands, and what the engine's commands and the
// global script functions ask of the application.
void RegisterCommandsAndScriptHost(GameHooks& game) {
    ClearCommands();
    RegisterConsoleCommands();
    GetConsoleGameCommands().play = [&game] {
        game.ReloadPlayerState();
        ResetScreenCamera();
        GetUI().Clear();
        game.ChooseFirstScreen();
        ClearEditingOption();
        return true;
    };
    ScriptHost& host = GetScriptHost();
    host.showOnConsole = [](const char* text) { GetConsole().Show(text); };
    host.startTransition = [](int32_t type, float seconds) {
        GetUI().services.StartTransition(type, seconds, -1);
    };
}

} // namespace

bool CloseRequestedDuringStartup() {
    if (!startupClose.requested) {
        GetPlatform().PumpEvents(startupClose);
    }
    return startupClose.requested;
}

bool Startup(GameHooks& game) {
    InstallFrameClockRestart();
    InstallLoadStop();
    framesRun = 0;
    startupClose.requested = false;
    // 1. The global settings and the options, with their built-in defaults.
    if (!game.CreateGlobalObjects()) {
        LogLine("Start-up stopped: the global settings and options could not be created");
        return false;
    }
    // 2. Seed the C random generator with the time in seconds.
    // DUNHAVEN_HOLD_EFFECTS=1 holds particles and animators still, so that
    // screenshots of a screen settle (end-to-end runs); such a run also draws
    // the same random numbers every time (the same targets in a level), so
    // that its pictures can be compared.
    const bool held = EnvironmentFlag("DUNHAVEN_HOLD_EFFECTS");
    SeedRandom(held ? 1u : static_cast<unsigned int>(std::time(nullptr)));
    HoldEffects(held);
    // 3. The pack archive named by the setting PackfilePath; without one the
    //    game runs from loose files.
    const String packfilePath =
        dataArchive.empty() ? GlobalText(setting::kPackfilePath.name, "") : String(dataArchive.c_str());
    if (!OpenArchive(packfilePath.CStr())) {
        LogFormat("No pack archive %s: reading loose files only", packfilePath.CStr());
    }
    // 4. Every element class: the engine's, then the game's; then the engine is ready.
    RegisterEngineClasses([&game] { game.RegisterGameStateClasses(); });
    game.RegisterGameClasses();
    engineReady = true;
    //    The resource cache is switched on, for look-ups and storing; links and
    //    scenes find their media and their renderer through it.
    StartResourcesAndRenderer();
    InstallAudioResourceLoaders();
    InstallAnimResourceLoader();
    // 5. The string tables; a file that cannot be read is logged and start-up goes on.
    LoadStringTables();
    // 6. The per-user data folders, the options file and the player-state scene.
    game.LoadOptionsAndState();
    // 7. The window and rendering context of DisplayWidth x DisplayHeight, its title and icon.
    OpenWindow(game.WindowClassName());
    // 8. Full screen when the option Fullscreen is set.
    if (FullscreenOption()) {
        GetPlatform().SetWindowFullscreen(true);
    }
    // 9. The input manager receives the window's events from now on; then the
    //    audio device (without one the game runs silent); then the screen
    //    camera (the projection is loaded every frame) and the screen stack.
    GetInputManager().Install();
    if (!Audio::Startup()) {
        LogLine("No audio device: the game runs without sound");
    }
    ResetScreenCamera();
    GetUI().Start();
    GetUI().animationPlaying = AnimationPlayingOn;
    // 10. Show the window.
    ShowGameWindow();
    // 11. The preload, unless the partner splash picture exists.
    game.Preload();
    // Decoding the preloaded pictures freed its buffers between the textures it kept.
    ReturnFreeMemoryToSystem();
    // 12. The console configuration; without it (or its font) there is no console.
    GetConsole().Load(GlobalText("ConsoleConfigPath", "config/console.config").CStr(),
                      BoolOption("AllowConsole"));
    GetUI().consoleOpen = [] { return GetConsole().IsTakingKeys(); };
    // 13. The cursor configuration. Without it the game goes on with the
    //     system's pointer: a game that cannot be pointed at is worse.
    if (!GetCursor().LoadConfig()) {
        LogLine("Start-up: no game cursor; the system pointer stays in use");
    }
    // 14. The console commands; the global script functions are registered
    //     into each script state by its owner.
    RegisterCommandsAndScriptHost(game);
    // 15. The player-state scene reloads.
    game.ReloadPlayerState();
    // 16. The options: sound volume; the music channel reads the music volume
    //     at every update; the brightness the game's scene pictures get.
    ApplySoundVolumeOption();
    GetUI().services.SetPictureBrightness(OptionFloat("Brightness", ScreenServices::kPictureBrightnessStart));
    // 17. The console starts closed.
    GetConsole().open = false;
    // 18. The first screen. Before it: the player state reloads, the screen camera
    //     is reset; the screen stack is emptied, reset and made an input handler.
    game.ReloadPlayerState();
    ResetScreenCamera();
    GetUI().Clear();
    GetInputManager().AddHandler(&GetUI());
    game.ChooseFirstScreen();
    //     After it: the option Editing is cleared and the window takes the keyboard focus.
    ClearEditingOption();
    FocusGameWindow();
    // 19. Frames may run.
    return true;
}

void RunFrameLoop(GameHooks& game) {
    InstallFrameClockRestart();
    InstallLoadStop();
    // 1. Both clocks start now; the first frame is measured from here.
    loopClock.Reset();
    frameClock.Reset();
    lastLimiterExit = 0.0;
    frameTime = 0.0f;
    totalTime = 0.0;
    framesRun = 0;
    running = !startupClose.requested;
    // 2. One frame after another; 3. stop when running is false after a frame.
    do {
        RunFrame(game);
        ++framesRun;
    } while (running);
}

void Shutdown(GameHooks& game) {
    // 1. Save the options.
    game.SaveOptions();
    // 2. The screen stack shuts down: the game lets go of its screens, the music stops, pop
    //    every screen, free the capture sprites.
    GetUI().Shutdown();
    // 3. The deferred script calls and the command table are freed (the
    //    render-state script state closes with its module).
    ClearDeferredCalls();
    ClearCommands();
    GetConsoleGameCommands() = ConsoleGameCommands();
    GetScriptHost() = ScriptHost();
    // 4. The console shuts down; then the class registry is cleared
    //    (nothing can be created any more, so the engine is no longer ready).
    GetConsole().Shutdown();
    GetUI().consoleOpen = nullptr;
    ClearRegistry();
    engineReady = false;
    //    All resources are freed, the string tables with them (while the
    //    context lives, so textures go with their sprites); then the input
    //    manager and the audio device shut down; then the rendering
    //    context and the window.
    ClearTextStyles(); // the styles point at fonts the cache is about to free
    Resources::Shutdown();
    GetInputManager().Uninstall();
    Audio::Shutdown();
    if (GameWindowExists()) {
        ShutdownRenderContext();
    }
    DestroyGameWindow();
    // 5. Close the pack archive and free its directory.
    CloseArchive();
    // 6. Delete the player state and the options.
    game.DeleteStateAndOptions();
    // 7. Delete the global settings.
    game.DeleteGlobals();
    running = false;
    SetLoadStopCheck(nullptr);

    const double averageRate = totalTime > 0.0 ? static_cast<double>(framesRun) / totalTime : 0.0;
    LogFormat("%s shut down after %llu frames (%.1f frames per second)", game.ProductName(),
              static_cast<unsigned long long>(framesRun), averageRate);
}

int RunApplication(GameHooks& game, const char* dataPath) {
    // 1. Only one copy runs: a second one leaves at once, silently.
    productName = game.ProductName();
    SingleInstanceLock instance;
    if (!instance.Acquire(game.WindowClassName())) {
        return 0;
    }
    // A close signal from here on ends the game through Shutdown.
    InstallCloseSignalHandlers();
    // 2. Every relative data path resolves from the program's directory, or
    //    from the data folder named instead.
    if (dataPath && *dataPath) {
        if (!EnterDataLocation(dataPath)) {
            RestoreCloseSignalHandlers();
            return 0;
        }
    } else {
        EnterExecutableDirectory();
        LogFormat("%s starting in %s", productName, GetExecutableDirectory().CStr());
    }
    // 3. Start up, run the frames, shut down in any case.
    if (Startup(game)) {
        RunFrameLoop(game);
    }
    Shutdown(game);
    //    What is left of the process-wide lists is freed here.
    RestoreCloseSignalHandlers();
    dataArchive.clear();
    return 0;
}

uint64_t FramesRun() {
    return framesRun;
}
