#include "data/SaveFiles.h"

#include "app/Engine.h"
#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Link.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Globals.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/AtomicWrite.h"
#include "io/File.h"
#include "io/FileListing.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kDefaultCompanyName = "Korrindel";
constexpr const char* kDefaultGameTitle = "Dunhaven - Tessaroon";
constexpr const char* kDefaultStateFilename = "state.scene";
constexpr const char* kWipePatterns[] = {"*.scene", "*.save", "*.tga"};
constexpr const char* kMapScreenName = "MapScreen";

ScreenOpenQuery screenOpenQuery = nullptr;

// A name from the settings used as one folder or file name: it must not climb
// out of the save folder or name a subfolder.
bool IsPlainName(const String& name) {
    return !name.Empty() && !name.Equals(".") && !name.Equals("..") &&
           name.View().find('/') == std::string_view::npos;
}

String NameSetting(const char* setting, const char* fallback) {
    Globals* settings = GetGlobals();
    if (!settings) {
        return String(fallback);
    }
    const String& value = settings->GetString(setting);
    if (!IsPlainName(value)) {
        LogFormat("Setting %s \"%s\" is no plain file name; using \"%s\"", setting, value.CStr(), fallback);
        return String(fallback);
    }
    return value;
}

// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither is usable.
String DataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        return String(xdg);
    }
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        return String(home) + "/.local/share";
    }
    return String();
}

String CompanyFolder() {
    const String dataHome = DataHome();
    if (dataHome.Empty()) {
        // Without a per-user data folder the saves live beside the program
        // (the working directory) rather than at the file system's root.
        return NameSetting("CompanyName", kDefaultCompanyName);
    }
    return dataHome + "/" + NameSetting("CompanyName", kDefaultCompanyName);
}

String StateFilePath() {
    return SaveDirectory() + NameSetting("GameStateFilename", kDefaultStateFilename);
}

String WithoutTrailingSlash(const String& folder) {
    String out(folder);
    size_t length = out.Length();
    if (length > 1 && out.CStr()[length - 1] == '/') {
        out.CStr()[length - 1] = '\0';
        out = String(out.CStr());
    }
    return out;
}

// The files of the save folder matching the pattern, by full path.
std::vector<String> SaveFolderFiles(const char* pattern) {
    ListLooseFiles(WithoutTrailingSlash(SaveDirectory()).CStr(), pattern);
    return ListedFiles();
}

void DeleteMatching(const char* pattern) {
    for (const String& path : SaveFolderFiles(pattern)) {
        std::remove(path.CStr());
    }
}

bool WriteTable(const ConfigTable& table, const String& path) {
    CreateSaveFolders(); // the settings file may have moved the folder since start-up
    return WriteFileAtomically(path.CStr(), table.ToText());
}

// A fresh folder "backup-YYYYMMDD-HHMMSS" (with "-N" added when taken).
bool MakeBackupFolder(String& out) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "backup-%Y%m%d-%H%M%S", &local);
    const std::string base = std::string(SaveDirectory().CStr()) + stamp;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            out = String(candidate.c_str());
            return true;
        }
        if (error) {
            LogFormat("Could not create the backup folder %s: %s", candidate.c_str(),
                      error.message().c_str());
            return false;
        }
    }
    return false;
}

// Moves the unreadable state file and every file a wipe would delete into a
// backup folder, so that starting fresh loses nothing. False when the files
// could not all be moved (those left in place are then kept, not wiped).
bool BackUpDamagedState(const String& statePath) {
    String folder;
    if (!MakeBackupFolder(folder)) {
        return false;
    }
    std::vector<String> files;
    for (const char* pattern : kWipePatterns) {
        for (const String& path : SaveFolderFiles(pattern)) {
            files.push_back(path);
        }
    }
    // A state file named outside the wipe patterns goes too.
    if (!statePath.View().ends_with(".scene") && LooseExists(statePath.CStr())) {
        files.push_back(statePath);
    }
    bool moved = true;
    for (const String& path : files) {
        const std::filesystem::path source(path.CStr());
        std::error_code error;
        std::filesystem::rename(source, std::filesystem::path(folder.CStr()) / source.filename(), error);
        if (error) {
            LogFormat("Could not move %s into %s: %s", path.CStr(), folder.CStr(), error.message().c_str());
            moved = false;
        }
    }
    LogFormat(
        "Player state %s could not be read: it and %zu other save files were moved to %s; starting with "
        "a fresh default player",
        statePath.CStr(), files.empty() ? 0 : files.size() - 1, folder.CStr());
    return moved;
}

// Keeps only State children, and exactly one of them active. False when no
// profile is left.
bool RepairStateRoot(Scene& root, const String& path) {
    size_t dropped = root.Elements().RemoveIf([](auto& entry) {
        if (entry.value && entry.value->IsA(State::StaticClassName())) {
            return false;
        }
        delete entry.value;
        return true;
    });
    if (dropped > 0) {
        LogFormat("Player state %s: %zu elements that are no profiles were dropped", path.CStr(), dropped);
    }
    if (root.Elements().Empty()) {
        return false;
    }
    State* active = nullptr;
    for (auto& entry : root.Elements().Entries()) {
        State* player = static_cast<State*>(entry.value);
        if (player->Active.FirstBool()) {
            if (active) {
                player->Active.SetFirstBool(false);
            } else {
                active = player;
            }
        }
    }
    if (!active) {
        State* first = static_cast<State*>(root.Elements().Entries().front().value);
        LogFormat("Player state %s has no active profile; %s is made active", path.CStr(), first->GetName());
        first->Active.SetFirstBool(true);
    }
    return true;
}

void DestroyStateRoot() {
    ForgetCurrentPlayer();
    delete gameState;
    gameState = nullptr;
}

// A fresh root with one active default player, without touching any file.
void MakeFreshRoot() {
    DestroyStateRoot();
    gameState = new Scene();
    if (Element* player = gameState->CreateElement(State::StaticClassName())) {
        static_cast<State*>(player)->Active.SetFirstBool(true);
    } else {
        LogLine("The State class is not registered: the player state has no profile");
    }
}

} // namespace

String SaveDirectory() {
    return CompanyFolder() + "/" + NameSetting("GameTitle", kDefaultGameTitle) + "/";
}

bool CreateSaveFolders() {
    std::error_code error;
    std::filesystem::create_directories(CompanyFolder().CStr(), error);
    const String folder = WithoutTrailingSlash(SaveDirectory());
    std::filesystem::create_directory(folder.CStr(), error);
    if (!std::filesystem::is_directory(folder.CStr(), error)) {
        LogFormat("Could not create the save folder %s", folder.CStr());
        return false;
    }
    RemoveStaleTemporaryFiles(folder.CStr());
    return true;
}

// ---- options --------------------------------------------------------------------

bool LoadOptions() {
    Options* target = GetOptions();
    if (!target) {
        return false;
    }
    const String path = SaveDirectory() + kOptionsFilename;
    ConfigTable table;
    if (!table.Load(path.CStr())) {
        return false;
    }
    // The file names its element; its class must be Options for the values to apply.
    const String* name = table.Value(0, "Widget");
    const String* type = name ? table.Value(0, (*name + ".Type").CStr()) : nullptr;
    if (!type || !type->Equals(Options::StaticClassName())) {
        LogFormat("Options file %s holds no Options element; the defaults stay", path.CStr());
        return false;
    }
    target->Name.SetFirstString(name->CStr());
    LoadProperties(*target, table);
    target->Name.SetFirstString(Options::kInstanceName);

    if (!target->BuildVersion.FirstString().Equals(String(kBuildNumber).CStr())) {
        LogFormat("Options file %s is from build \"%s\", not %d: the saves are wiped and the options reset",
                  path.CStr(), target->BuildVersion.FirstString().CStr(), kBuildNumber);
        WipeSaveFiles();
        ResetOptions();
    }
    return true;
}

void ResetOptions() {
    delete options;
    options = new Options();
    options->Name.SetFirstString(Options::kInstanceName);
}

bool SaveOptions() {
    Options* source = GetOptions();
    if (!source) {
        return false;
    }
    source->BuildVersion.SetFirstString(String(kBuildNumber).CStr());
    ConfigTable table;
    SaveProperties(*source, table);
    return WriteTable(table, SaveDirectory() + kOptionsFilename);
}

void WipeSaveFiles() {
    for (const char* pattern : kWipePatterns) {
        DeleteMatching(pattern);
    }
}

// ---- state file -----------------------------------------------------------------

bool LoadStateFile() {
    DestroyStateRoot();
    const String path = StateFilePath();
    Scene* loaded = LoadScene(path.CStr());
    if (loaded && RepairStateRoot(*loaded, path)) {
        gameState = loaded;
        return true;
    }
    delete loaded;
    if (!LooseExists(path.CStr())) {
        CreateStateRoot(); // first run, or after a wipe
        return false;
    }
    if (BackUpDamagedState(path)) {
        CreateStateRoot();
    } else {
        // Whatever could not be moved away is kept rather than wiped.
        LogLine("Some save files could not be backed up; they are kept and a fresh default player starts");
        MakeFreshRoot();
    }
    return false;
}

void CreateStateRoot() {
    WipeSaveFiles();
    MakeFreshRoot();
}

bool SaveStateFile() {
    if (!gameState) {
        return false;
    }
    if (State* player = CurrentPlayer()) {
        player->ShowMapOnLoad.SetFirstBool(screenOpenQuery && screenOpenQuery(kMapScreenName));
    }
    ConfigTable table;
    SaveScene(*gameState, table);
    return WriteTable(table, StateFilePath());
}

// ---- level saves ----------------------------------------------------------------

String LevelSavePath(const State& player, const char* levelName) {
    return SaveDirectory() + String(player.PlayerId.FirstInt()) + "_" + (levelName ? levelName : "") +
           ".save";
}

void DeleteLevelSave(const State& player, const char* levelName) {
    const String path = LevelSavePath(player, levelName);
    if (LooseExists(path.CStr())) {
        std::remove(path.CStr());
    }
}

void DeletePlayerFiles(const State& player) {
    DeleteMatching((String(player.PlayerId.FirstInt()) + "_*").CStr());
}

void SetScreenOpenQuery(ScreenOpenQuery query) {
    screenOpenQuery = query;
}
