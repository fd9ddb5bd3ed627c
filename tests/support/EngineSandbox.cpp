#include "support/EngineSandbox.h"

#include "anim/EffectsHold.h"
#include "audio/Audio.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "core/Link.h"
#include "core/LoadStop.h"
#include "core/Redraw.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "io/File.h"
#include "io/PackArchive.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "platform/GameWindow.h"
#include "platform/Platform.h"
#include "play/Doodad.h"
#include "play/ItemDatabase.h"
#include "play/LevelPlayerHooks.h"
#include "play/LevelScenes.h"
#include "render/RenderContext.h"
#include "render/ScreenCamera.h"
#include "render/TextStyles.h"
#include "script/CommandTable.h"
#include "script/DeferredCalls.h"
#include "script/GlobalScriptFunctions.h"
#include "script/ScriptState.h"
#include "ui/Console.h"
#include "ui/ConsoleCommands.h"
#include "ui/Cursor.h"
#include "ui/InputManagerCallback.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UI.h"

#include <cstdlib>

namespace testing_support {
namespace {

// Pointers into objects a test may own (its settings element, its hooks,
// functions capturing its fixture) go first: what is taken down next then
// falls back to the defaults instead of reaching a test object that is gone.
void DropBorrowedPointers() {
    globals = nullptr;
    options = nullptr;
    gameState = nullptr;
    ForgetCurrentPlayer();
    SetScreenGameHooks(nullptr);
    SetLevelPlayerHooks(nullptr);
    SetFoundFlightHooks(nullptr);
    SetScreenOpenQuery(nullptr);
    SetBackupMoveHook(nullptr);
    GetScriptHost() = ScriptHost();
    GetConsoleGameCommands() = ConsoleGameCommands();
    SetLoadStopCheck(nullptr);
    UI& ui = GetUI();
    ui.services.SetPoster(nullptr);
    ui.consoleOpen = nullptr;
    ui.animationPlaying = nullptr;
}

// What is still running: loaded levels, screens, the input manager's
// handlers, the console and the window. Taken down before the state they
// use (resources, registry, platform) is reset. The stack's release hook
// stays until the stack is empty: a test that owns a screen says so there.
void TakeDownRunningState() {
    EngineSandbox::EndScreens();
    LevelScenes& levels = GetLevelScenes();
    levels.Detach();
    levels.SetRootLevel("");
    levels.dropDeferredScriptCalls = nullptr;

    UI& ui = GetUI();
    ui.services.Shutdown();
    ui.services.SetPictureBrightness(ScreenServices::kPictureBrightnessStart);
    ui.screenFile = nullptr;
    ui.gameScreenPopped = nullptr;
    ui.deferredMessage = nullptr;
    ui.shuttingDown = nullptr;
    ui.inputLock = 0.0f;
    ui.active = true;
    ui.drawnLastFrame = false;

    Console& console = GetConsole();
    console.Shutdown();
    console.inset = 0;
    console.lastCounter = 0;
    console.frameSeconds = 0.0f;
    GetCursor() = Cursor();
    InputManagerCallback& input = GetInputManager();
    input.Uninstall();
    input.mouseX = 0;
    input.mouseY = 0;
    input.leftButtonDown = false;

    if (GameWindowExists()) {
        DestroyGameWindow();
    }
}

void ResetScriptLayer() {
    ClearDeferredCalls();
    SetScriptInstructionBudget(kDefaultInstructionBudget);
    SetScriptTimeBudget(kDefaultTimeBudgetSeconds);
    ClearCommands();
    SetCommandReportReceiver(nullptr);
}

void ResetFilesAndResources() {
    Resources::Shutdown(); // the cache and the string tables
    // The cached sounds went first: they hold the device's sources.
    if (Audio::IsStarted()) {
        Audio::Shutdown();
    }
    for (int row = 0; row < Resources::kRowCount; ++row) {
        Resources::SetLoader(static_cast<Resources::Row>(row), nullptr);
    }
    Resources::lookupEnabled = false;
    Resources::storeEnabled = false;
    Resources::ResetPreloadFlag();
    ClearStringTables();
    ClearTextStyles();
    CloseArchive();
    SetFileOpenHook(nullptr);
    SetFilePathHook(nullptr);
    SetResourceFinder(nullptr);
    SetSceneRenderer(nullptr);
}

void ResetEngineState() {
    SetDisplaySize(1024, 768);
    GetScreenCamera() = ScreenCamera();
    HoldEffects(false);
    SetPlatform(nullptr);
    ClearRegistry();
    running = false;
    engineReady = false;
    frameTime = 0.0f;
    totalTime = 0.0;
    SetFrameClockRestart({});
    redrawRequested = true;
    std::srand(1);
}

} // namespace

void EngineSandbox::EndScreens() {
    LevelScenes& levels = GetLevelScenes();
    if (!levels.Entries().empty()) {
        levels.UnloadLevels();
    }
    UI& ui = GetUI();
    // Clearing runs an update; on an empty stack that would only touch the cursor.
    if (!ui.Stack().empty() || !ui.Overlays().empty() || ui.ReleaseQueueLength() > 0) {
        ui.Clear();
    }
}

void EngineSandbox::Reset() {
    DropBorrowedPointers();
    TakeDownRunningState();
    ResetScriptLayer();
    GetItemDatabase().Clear();
    ResetFilesAndResources();
    ResetEngineState();
}

EngineSandbox::EngineSandbox() {
    Reset();
}

EngineSandbox::~EngineSandbox() {
    Reset();
}

} // namespace testing_support
