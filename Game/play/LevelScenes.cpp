#include "play/LevelScenes.h"

#include "core/EngineState.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "io/FileListing.h"
#include "io/Resources.h"
#include "platform/FreeMemory.h"
#include "render/Bitmap.h"
#include "render/Sprite.h"
#include "data/GameSettingKeys.h"
#include "play/LevelPlayerHooks.h"
#include "play/LevelScreen.h"
#include "ui/ScreenServices.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kLevelTransitionSeconds = 0.5f;

String LevelDirectory() {
    return GlobalText(game_setting::kLevelDirectory);
}

/// The HUD scene of the player's world for the quest screen; empty for other classes.
String QuestScreenFile(const char* className) {
    if (!String(className).Equals(kQuestScreenClass)) {
        return String();
    }
    return GetLevelPlayerHooks().InSecondWorld() ? GlobalText(game_setting::kSecondWorldHud)
                                                 : GlobalText(game_setting::kFirstWorldHud);
}

/// The index of `name` among Globals "Levels", or −1.
int32_t LevelIndex(const char* name) {
    const int32_t count = GlobalCount("Levels");
    for (int32_t i = 0; i < count; ++i) {
        if (GlobalText("Levels", "", i).Equals(name)) {
            return i;
        }
    }
    return -1;
}

/// The name of the directory that holds `path` below `root` + "/", or empty
/// for a file directly in `root`.
String HoldingDirectoryName(const String& path, const String& root) {
    const char* text = path.CStr();
    const size_t rootLength = root.Length();
    if (std::strncmp(text, root.CStr(), rootLength) != 0 || text[rootLength] != '/') {
        return String();
    }
    const char* lastSlash = std::strrchr(text, '/');
    if (lastSlash == text + rootLength) {
        return String();
    }
    const char* start = lastSlash;
    while (start > text + rootLength && start[-1] != '/') {
        --start;
    }
    String name;
    name.Assign(start, size_t(lastSlash - start));
    return name;
}

} // namespace

LevelScenes::LevelScenes(UI& owner) : ui(owner) {}

LevelScenes::~LevelScenes() {
    Detach();
}

void LevelScenes::Attach() {
    ui.screenFile = QuestScreenFile;
    ui.gameScreenPopped = [this](Screen& popped) {
        const bool level = IsLevelScreen(&popped);
        UnloadLevels();
        return level;
    };
    ui.deferredMessage = [this](int32_t code, void* data) { return OnDeferredMessage(code, data); };
    ui.shuttingDown = [this] { UnloadLevels(); };
    attached = true;
}

void LevelScenes::Detach() {
    if (!attached) {
        return;
    }
    ui.screenFile = nullptr;
    ui.gameScreenPopped = nullptr;
    ui.deferredMessage = nullptr;
    ui.shuttingDown = nullptr;
    attached = false;
}

void LevelScenes::PopAllScreens() {
    // Bounded, so that a screen whose OnPop pushes another cannot keep this going.
    for (size_t guard = ui.Stack().size() * 2 + 8; !ui.Stack().empty() && guard > 0; --guard) {
        ui.PopScreen(0);
    }
}

void LevelScenes::ReleaseLevelScene(LevelScreen* screen) {
    ui.DropScreen(screen);
}

bool LevelScenes::LoadLevel(const char* name) {
    if (!name || !name[0]) {
        return false;
    }
    PopAllScreens();
    Screen* loaded = ui.LoadScreen("QuestScreen");
    if (!loaded) {
        return false;
    }
    LevelScreen* level = ObjectCast<LevelScreen>(loaded);
    if (!level) {
        LogFormat("LoadLevel %s: the quest screen %s (%s) is no level screen", name, loaded->GetName(),
                  loaded->GetClassName());
        ui.ReleaseLater(loaded->scene ? static_cast<Element*>(loaded->scene) : loaded);
        return false;
    }
    loadingLevel = level;
    const bool levelLoaded = level->LoadLevel(name);
    loadingLevel = nullptr;
    if (!levelLoaded) {
        LogFormat("LoadLevel %s: the level did not load", name);
        ReleaseLevelScene(level);
        return false;
    }
    RestartFrameClock();
    // A level loaded again replaces the old copy, so a name means one screen.
    auto same = std::find_if(entries.begin(), entries.end(),
                             [name](const Entry& entry) { return entry.name.Equals(name); });
    if (same != entries.end()) {
        ReleaseLevelScene(same->screen);
        entries.erase(same);
    }
    entries.push_back(Entry{level, String(name)});
    sorted = false;
    // Pictures of a level loaded after a brightness change get it as well.
    const float brightness = ui.services.PictureBrightness();
    if (brightness != ScreenServices::kPictureBrightnessStart) {
        ApplyBrightnessTo(entries.back(), (brightness - 0.5f) * 2.0f);
    }
    return true;
}

bool LevelScenes::LoadLevelWithSubLevels(const char* name) {
    if (!LoadLevel(name)) {
        return false;
    }
    // The stack is empty now, so loading more pops nothing and unloads nothing.
    for (const String& member : LevelSetMembers(name)) {
        if (!member.Equals(name)) {
            LoadLevel(member.CStr());
        }
    }
    return true;
}

std::vector<String> LevelScenes::LevelSetMembers(const char* name) const {
    const String root = LevelDirectory();
    const std::vector<String> scripts = ListFiles(root.CStr(), "*.lua", true);
    std::vector<String> members;
    for (const String& script : scripts) {
        const String level = HoldingDirectoryName(script, root);
        if (level.Empty() || !std::strstr(level.CStr(), name)) {
            continue;
        }
        if (std::find(members.begin(), members.end(), level) == members.end()) {
            members.push_back(level);
        }
    }
    return members;
}

bool LevelScenes::LoadLevelSet(const char* name, bool enter) {
    if (!name || !name[0]) {
        return false;
    }
    LevelPlayerHooks& game = GetLevelPlayerHooks();
    // 1. to 4.: the player's side, the picture behind the loading bar, the old levels.
    game.CompactInventory();
    ui.services.CaptureBackground(false);
    UnloadLevels();
    game.EnterLevelSet(LevelIndex(name));
    // 5. and 6.
    const std::vector<String> members = LevelSetMembers(name);
    for (size_t i = 0; i < members.size(); ++i) {
        const String directory = LevelDirectory() + "/" + members[i];
        ui.services.BeginLoadingProgress(directory.CStr(), i == 0);
    }
    // 7.
    for (const String& member : members) {
        if (!LoadLevel(member.CStr())) {
            ui.services.BeginLoadingProgress("", true);
            UnloadLevels();
            return false;
        }
    }
    // 8.
    ui.services.BeginLoadingProgress("", true);
    game.ApplyLevelOrbCount();
    // The scene files' parse tables are gone; their pages go back to the system.
    ReturnFreeMemoryToSystem();
    // 9.
    return SwitchToLevel(name, enter);
}

bool LevelScenes::SwitchToLevel(const char* name, bool enter) {
    if (!name) {
        return false;
    }
    LevelScreen* target = FindLevel(name);
    // 1.
    if (target && ui.TopmostGameScreen() == target) {
        return true;
    }
    // 2. Every texture is re-created on its next use.
    EvictUnusedTextures(false);
    // 3.
    LevelScreen* previous = nullptr;
    const std::vector<Screen*>& stack = ui.Stack();
    if (stack.size() > 1) {
        LogFormat("SwitchToLevel %s: refused with %zu screens on the stack", name, stack.size());
        return false;
    }
    if (stack.size() == 1) {
        Screen* only = stack.front();
        previous = only->IsA("QuestScreen") ? ObjectCast<LevelScreen>(only) : nullptr;
        if (!previous) {
            LogFormat("SwitchToLevel %s: refused, the screen %s (%s) is not a level", name, only->GetName(),
                      only->GetClassName());
            return false;
        }
    }
    // 4. Looked up before the old level is told it leaves, so that a refusal
    //    leaves it as it was.
    if (!target) {
        LogFormat("SwitchToLevel %s: no such level is loaded", name);
        return false;
    }
    if (previous) {
        previous->OnPop();
        if (!IsLevelScreen(previous)) {
            // Not in the list: nothing else would ever release its scene.
            ui.ReleaseLater(previous->scene ? static_cast<Element*>(previous->scene) : previous);
            previous = nullptr;
        }
    }
    ui.ReplaceStack(target);
    if (enter) {
        target->EnterLevel(previous);
    }
    // 5.
    ui.services.StartTransition(1, kLevelTransitionSeconds, -1);
    currentLevelName = name;
    LogFormat("Level %s: on screen", name);
    return true;
}

void LevelScenes::UnloadLevels() {
    const String root = LevelDirectory();
    std::vector<Entry> unloading;
    unloading.swap(entries);
    for (Entry& entry : unloading) {
        const String directory = root + "/" + entry.name;
        Resources::UnloadDirectory(directory.CStr());
        // A screen whose scene is about to go must not stay on the stack; it
        // leaves it as a pop would have it leave.
        if (ui.IsOnStack(entry.screen)) {
            entry.screen->OnPop();
        }
        ReleaseLevelScene(entry.screen);
    }
    sorted = true;
    if (dropDeferredScriptCalls) {
        dropDeferredScriptCalls();
    }
}

bool LevelScenes::StartCurrentLevel() {
    const int32_t index = GetLevelPlayerHooks().CurrentLevel();
    if (index < 0 || index >= GlobalCount("Levels")) {
        return false;
    }
    const String name = GlobalText("Levels", "", index);
    if (name.Empty() || !LoadLevelSet(name.CStr(), false)) {
        return false;
    }
    if (LevelScreen* root = FindLevel(rootLevelName.CStr())) {
        root->EnterLevel(nullptr);
    }
    return true;
}

bool LevelScenes::SaveLevels() {
    // Level saves belong to the player state they were written with: when
    // that cannot be written, the levels keep their previous files too.
    if (!GetLevelPlayerHooks().SavePlayerState()) {
        LogLine("SaveLevels: the player state could not be saved; the levels are not saved either");
        return false;
    }
    for (const Entry& entry : entries) {
        if (!entry.screen->SaveLevel()) {
            LogFormat("SaveLevels: the level %s could not be saved", entry.name.CStr());
            return false;
        }
    }
    return true;
}

void LevelScenes::QueueLevelLoad(const char* name, float delay) {
    PopAllScreens();
    ui.services.Post(kLevelLoadMessage, ui.services.Texts().Keep(name), delay);
}

bool LevelScenes::OnDeferredMessage(int32_t code, void* data) {
    if (code != kLevelLoadMessage) {
        return false;
    }
    String name;
    if (!ui.services.Texts().Take(data, name)) {
        LogLine("Delayed level load dropped: its name was not one the screen stack sent");
        return true;
    }
    LoadLevel(name.CStr());
    SwitchToLevel(name.CStr(), true);
    return true;
}

void LevelScenes::ApplyBrightnessTo(const Entry& entry, float spriteBrightness) {
    Scene* scene = entry.screen->scene;
    if (!scene) {
        return;
    }
    for (auto& element : scene->Elements().Entries()) {
        Bitmap* bitmap = ObjectCast<Bitmap>(element.value);
        if (!bitmap) {
            continue;
        }
        // A bitmap not yet resolved finds its sprite here rather than at its
        // first draw, so that it is drawn with the brightness from the start.
        bitmap->Resolve();
        Sprite* sprite = bitmap->GetSprite();
        if (!sprite) {
            continue;
        }
        sprite->SetBrightness(spriteBrightness);
        // A sprite without a texture uploads with the new value when next drawn.
        if (sprite->Slot() >= 0) {
            sprite->Upload(true);
        }
    }
}

void LevelScenes::ApplyBrightness(float brightness) {
    for (const Entry& entry : entries) {
        ApplyBrightnessTo(entry, (brightness - 0.5f) * 2.0f);
    }
}

void LevelScenes::ApplyBrightness() {
    ApplyBrightness(ui.services.PictureBrightness());
}

void LevelScenes::ScreenshotAllLevels() {
    if (options) {
        if (Var* dialogue = options->FindProperty("EnableDialogue")) {
            dialogue->SetFirstBool(false);
        }
    }
    const std::vector<String> scenes = ListFiles(LevelDirectory().CStr(), "*.scene", true);
    for (size_t i = 0; i < scenes.size(); ++i) {
        const char* path = scenes[i].CStr();
        const char* slash = std::strrchr(path, '/');
        const char* file = slash ? slash + 1 : path;
        const char* dot = std::strrchr(file, '.');
        String base;
        base.Assign(file, dot ? size_t(dot - file) : std::strlen(file));
        const float start = 7.0f * float(i);
        QueueLevelLoad(base.CStr(), start);
        ui.services.TakeScreenshot(base.CStr(), start + 5.0f);
    }
}

LevelScreen* LevelScenes::FindLevel(const char* name) {
    if (!name) {
        return nullptr;
    }
    SortIfChanged();
    auto found =
        std::lower_bound(entries.begin(), entries.end(), name, [](const Entry& entry, const char* key) {
            return std::strcmp(entry.name.CStr(), key) < 0;
        });
    return found != entries.end() && found->name.Equals(name) ? found->screen : nullptr;
}

bool LevelScenes::IsLevelScreen(const Screen* screen) const {
    return std::any_of(entries.begin(), entries.end(),
                       [screen](const Entry& entry) { return entry.screen == screen; });
}

void LevelScenes::SortIfChanged() {
    if (sorted) {
        return;
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::strcmp(a.name.CStr(), b.name.CStr()) < 0;
    });
    sorted = true;
}

LevelScenes& GetLevelScenes() {
    static LevelScenes levels(GetUI());
    return levels;
}
