#include "GameStartup.h"

#include "GameConsoleCommands.h"

#include "app/Application.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "data/Globals.h"
#include "data/Objectives.h"
#include "data/Options.h"
#include "data/PlayerScreenHooks.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "io/File.h"
#include "io/Resources.h"
#include "menus/ContinueGame.h"
#include "menus/CreditsScreen.h"
#include "menus/GameMenu.h"
#include "menus/MovieScreen.h"
#include "menus/HelpMenu.h"
#include "menus/IntroScreen.h"
#include "menus/ItemPrompt.h"
#include "menus/JournalMenu.h"
#include "menus/OptionsMenu.h"
#include "menus/ProfilePrompt.h"
#include "menus/MapClasses.h"
#include "menus/ProfilesMenu.h"
#include "menus/StoryScreen.h"
#include "menus/SplashScreen.h"
#include "menus/TitleScreen.h"
#include "menus/WelcomePanel.h"
#include "play/Doodad.h"
#include "puzzles/Leapfrog.h"
#include "play/Flashlight.h"
#include "play/ItemDatabase.h"
#include "play/Entity.h"
#include "play/GameScreen.h"
#include "play/QuestScreen.h"
#include "play/Hotspot.h"
#include "play/LevelPlayerHooks.h"
#include "play/LevelScenes.h"
#include "play/LevelOptions.h"
#include "play/LightControl.h"
#include "play/LightHaze.h"
#include "play/Thing.h"
#include "script/DeferredCalls.h"
#include "platform/GameWindow.h"
#include "render/Image.h"
#include "render/TextStyles.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UI.h"

namespace {
constexpr const char* kGameStateCategory = "Game State";
constexpr const char* kGameObjectsCategory = "Game Objects";
/// The most picture memory one preload decodes before it leaves the rest
/// to be loaded on demand.
constexpr uint64_t kPreloadDecodeBudget = uint64_t(768) << 20;

/// The text styles of the text widgets, in their numbered order, each with
/// the font of the global setting beside it.
constexpr const char* kTextStyles[][2] = {
    {"Header Text", "Font_HeaderText"},
    {"Default Text", "Font_DefaultText"},
    {"Dialogue Text", "Font_DialogueText"},
    {"Console Text", "Font_ConsoleText"},
    {"Level Goals Text", "Font_LevelGoals"},
    {"Handwritten Text", "Font_Handwriting"},
    {"Level Goals Text Black", "Font_LevelGoalsBlack"},
    {"Item Text", "Font_ItemText"},
    {"Item Text Black", "Font_ItemTextBlack"},
};

} // namespace

void RegisterGameTextStyles() {
    for (const auto& style : kTextStyles) {
        RegisterTextStyle(style[0], Resources::FindFont(GetGlobals()->GetString(style[1]).CStr()));
    }
}

const char* GameTextStyleFontSetting(int32_t number) {
    constexpr int32_t count = int32_t(sizeof(kTextStyles) / sizeof(kTextStyles[0]));
    return number >= 0 && number < count ? kTextStyles[number][1] : nullptr;
}

bool GameStartup::CreateGlobalObjects() {
    globals = new Globals();
    options = new Options();
    options->Name.SetFirstString(Options::kInstanceName);
    return true;
}

void GameStartup::RegisterGameStateClasses() {
    RegisterClass("State", MakeObject<State>, kGameStateCategory);
    RegisterClass("Options", MakeObject<Options>, kGameStateCategory);
    RegisterClass("Globals", MakeObject<Globals>, kGameStateCategory);
    RegisterClass("LevelOptions", MakeObject<LevelOptions>, kGameStateCategory);
    RegisterClass("Objective", MakeObject<Objective>, kGameStateCategory);
    RegisterClass("Quest", MakeObject<Quest>, kGameStateCategory);
}

void GameStartup::RegisterGameClasses() {
    // The game's screens, map, level and puzzle classes register here.
    RegisterClass("IntroScreen", MakeObject<IntroScreen>, "Game UI");
    RegisterClass("WelcomePanel", MakeObject<WelcomePanel>, "Game UI");
    RegisterClass("ItemPrompt", MakeObject<ItemPrompt>, "Game UI");
    RegisterClass("ProfilePrompt", MakeObject<ProfilePrompt>, "Game UI");
    RegisterClass("StoryScreen", MakeObject<StoryScreen>, "Game UI");
    RegisterClass("SplashScreen", MakeObject<SplashScreen>, "Game UI");
    RegisterClass("TitleScreen", MakeObject<TitleScreen>, "Game UI");
    RegisterClass("CreditsScreen", MakeObject<CreditsScreen>, "Game UI");
    RegisterClass("GameMenu", MakeObject<GameMenu>, "Game UI");
    RegisterClass("GameScreen", MakeObject<GameScreen>, "Game UI");
    RegisterClass("MovieScreen", MakeObject<MovieScreen>, "Game UI");
    RegisterClass("JournalMenu", MakeObject<JournalMenu>, "Game UI");
    RegisterClass("OptionsMenu", MakeObject<OptionsMenu>, "Game UI");
    RegisterClass("HelpMenu", MakeObject<HelpMenu>, "Game UI");
    RegisterClass("ProfilesMenu", MakeObject<ProfilesMenu>, "Game UI");
    RegisterClass("QuestScreen", MakeObject<QuestScreen>, "Game UI");
    RegisterClass("Entity", MakeObject<Entity>, kGameObjectsCategory);
    RegisterClass("Thing", MakeObject<Thing>, kGameObjectsCategory);
    RegisterClass("Flashlight", MakeObject<Flashlight>, kGameObjectsCategory);
    RegisterClass("Doodad", MakeObject<Doodad>, kGameObjectsCategory);
    RegisterClass("Hotspot", MakeObject<Hotspot>, kGameObjectsCategory);
    RegisterClass("LightHaze", MakeObject<LightHaze>, kGameObjectsCategory);
    RegisterClass("LightControl", MakeObject<LightControl>, kGameObjectsCategory);
    RegisterMapClasses();
    RegisterPuzzleClasses();
}

void GameStartup::LoadOptionsAndState() {
    CreateSaveFolders();
    ::LoadOptions();
    LoadStateFile();
    InstallPlayerScreenHooks();
    GetLevelScenes().Attach();
    // The levels' scripts go with them: calls they deferred must not outlive them.
    GetLevelScenes().dropDeferredScriptCalls = [] { ClearDeferredCalls(); };
    InstallGameConsoleCommands();
}

void GameStartup::ReloadPlayerState() {
    LoadStateFile();
}

void GameStartup::Preload() {
    // With a partner picture the splash screen preloads while it shows it;
    // a game without a splash screen starts as if there were no picture.
    const bool partnerPicture = LooseExists(GetGlobals()->GetString("PartnerSplashFile").CStr());
    splashTakesOver = partnerPicture && FindClass("SplashScreen");
    if (splashTakesOver) {
        DeferredStartupLoading() = [this] { PreloadNow(); };
        return;
    }
    if (partnerPicture) {
        LogLine("A partner picture is present but the game has no splash screen: starting without it");
    }
    PreloadNow();
}

void GameStartup::PreloadNow() {
    LoadGlobals();
    ResolveGlobals();
    LoadItemDatabase();
    Resources::PreloadSettings settings;
    settings.directories = GetGlobals()->GetString("PreLoadDirectories");
    settings.fileTypes = GetGlobals()->GetString("PreLoadFileTypes");
    // The loading picture shows over the player's saved background when there is one.
    GetUI().services.LoadSavedBackground();
    settings.onProgress = [](float progress) {
        if (!GameWindowExists()) {
            return;
        }
        ScreenServices& services = GetUI().services;
        services.DrawLoadingPicture(progress, services.Background().HasPicture());
    };
    // A close request ends the preload at once, and so does a folder whose
    // pictures would take more memory than a whole game's media should:
    // what is not preloaded loads when it is first needed.
    const uint64_t decodedBefore = Image::DecodedBytesTotal();
    settings.keepGoing = [decodedBefore] {
        if (CloseRequestedDuringStartup()) {
            LogLine("Preload: a close request ends it");
            return false;
        }
        const uint64_t decoded = Image::DecodedBytesTotal() - decodedBefore;
        if (decoded > kPreloadDecodeBudget) {
            LogFormat("Preload: its pictures take %llu MiB, more than the %llu MiB one preload may decode; "
                      "the rest loads when first needed",
                      (unsigned long long)(decoded >> 20), (unsigned long long)(kPreloadDecodeBudget >> 20));
            return false;
        }
        return true;
    };
    std::vector<String> loaded;
    Resources::Preload(settings, &loaded);
    LogFormat("Preloaded %zu files", loaded.size());
    RegisterGameTextStyles();
}

void GameStartup::ChooseFirstScreen() {
    UI& ui = GetUI();
    if (splashTakesOver) {
        if (ui.SetScreen("SplashScreen", 1)) {
            return;
        }
        // The splash would have preloaded; without it the normal start does.
        LogLine("The splash screen could not be shown: starting without it");
        splashTakesOver = false;
        PreloadNow();
    }
    const State* player = CurrentPlayer();
    if (player && player->PlayerId.FirstInt() >= 0 && ContinueGame()) {
        return;
    }
    ui.SetScreen("IntroScreen", 1);
}

bool GameStartup::ContinueGame() {
    return ::ContinueGame();
}

void GameStartup::SaveOptions() {
    ::SaveOptions();
}

void GameStartup::DeleteStateAndOptions() {
    SetScreenGameHooks(nullptr);
    SetLevelPlayerHooks(nullptr);
    GetLevelScenes().Detach();
    ForgetCurrentPlayer();
    delete gameState;
    gameState = nullptr;
    delete options;
    options = nullptr;
}

void GameStartup::DeleteGlobals() {
    delete globals;
    globals = nullptr;
}
