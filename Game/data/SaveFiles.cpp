#include "data/SaveFiles.h"

#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/EngineState.h"
#include "core/Link.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Globals.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "platform/AtomicWrite.h"
#include "platform/FileSystem.h"
#include "io/File.h"
#include "io/FileListing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kWipePatterns[] = {"*.scene", "*.save", "*.tga"};
constexpr const char* kMapScreenName = "MapScreen";
constexpr const char* kBackupPrefix = "backup-";
// Lies in a backup folder until every file meant for it has been moved in.
constexpr const char* kUnfinishedMarker = ".unfinished";
// Profile numbers above this are damage, not profiles: NextPlayerId must
// stay far from overflowing.
constexpr int32_t kMaxPlayerId = 1000000;

ScreenOpenQuery screenOpenQuery = nullptr;
BackupMoveHook backupMoveHook = nullptr;

// A name from the settings used as one folder or file name: it must not climb
// out of the save folder or name a subfolder.
bool IsPlainName(const String& name) {
    return !name.Empty() && !name.Equals(".") && !name.Equals("..") &&
           name.View().find('/') == std::string_view::npos;
}

// The setting's value, or its built-in default without settings or when the
// value is no plain name.
String NameSetting(const char* setting) {
    Globals* settings = GetGlobals();
    if (!settings) {
        return GlobalsDefault(setting);
    }
    const String& value = settings->GetString(setting);
    if (!IsPlainName(value)) {
        const String fallback = GlobalsDefault(setting);
        LogFormat("Setting %s \"%s\" is no plain file name; using \"%s\"", setting, value.CStr(),
                  fallback.CStr());
        return fallback;
    }
    return value;
}

String CompanyFolder() {
    const String dataHome = UserDataHome();
    if (dataHome.Empty()) {
        // Without a per-user data folder the saves live beside the program
        // (the working directory) rather than at the file system's root.
        return NameSetting("CompanyName");
    }
    return dataHome + "/" + NameSetting("CompanyName");
}

String StateFilePath() {
    return SaveDirectory() + NameSetting("GameStateFilename");
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
    return ListLooseFiles(WithoutTrailingSlash(SaveDirectory()).CStr(), pattern);
}

void DeleteMatching(const char* pattern) {
    for (const String& path : SaveFolderFiles(pattern)) {
        std::remove(path.CStr());
    }
}

bool WriteTable(const ConfigTable& table, const String& path) {
    CreateSaveFolders(); // the settings file may have moved the folder since start-up
    return WriteFileAtomically(path.CStr(), table.ToText(path.CStr()));
}

// The first backup folder (by name) still holding the unfinished marker.
bool FindUnfinishedBackup(std::filesystem::path& out) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    const std::filesystem::path saveFolder(WithoutTrailingSlash(SaveDirectory()).CStr());
    for (std::filesystem::directory_iterator it(saveFolder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code statError;
        if (it->is_directory(statError) && it->path().filename().string().starts_with(kBackupPrefix) &&
            std::filesystem::exists(it->path() / kUnfinishedMarker, statError)) {
            found.push_back(it->path());
        }
    }
    if (found.empty()) {
        return false;
    }
    std::sort(found.begin(), found.end());
    out = found.front();
    return true;
}

// A backup folder to move files into: an unfinished one when there is one
// (its files belong together), else a fresh "backup-YYYYMMDD-HHMMSS" (with
// "-N" added when taken) marked unfinished.
bool OpenBackupFolder(std::filesystem::path& out) {
    if (FindUnfinishedBackup(out)) {
        return true;
    }
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
            out = candidate;
            if (!WriteFileAtomically((out / kUnfinishedMarker).c_str(), "")) {
                std::filesystem::remove(out, error);
                return false;
            }
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

// Moves a file (or whatever has the name) into the folder without replacing
// anything there: a taken name gets ".1", ".2", ... added.
bool MoveInto(const std::filesystem::path& folder, const std::filesystem::path& source) {
    std::filesystem::path target = folder / source.filename();
    std::error_code error;
    for (int n = 1; std::filesystem::exists(std::filesystem::symlink_status(target, error)) && n < 1000;
         ++n) {
        target = folder / (source.filename().string() + "." + std::to_string(n));
    }
    std::filesystem::rename(source, target, error);
    if (error) {
        LogFormat("Could not move %s into %s: %s", source.c_str(), folder.c_str(), error.message().c_str());
        return false;
    }
    if (backupMoveHook) {
        backupMoveHook(target.c_str());
    }
    return true;
}

// Moves every file a wipe would delete into the backup folder, the state file
// last: while it is still in place, the next start finds it damaged and comes
// back to this folder, so a crash part way never leaves the level saves
// looking like a first run. The folder loses its unfinished marker once
// everything is in. Counts the files moved besides the state file.
bool FillBackup(const std::filesystem::path& folder, const String& statePath, size_t& movedOthers,
                bool& movedState) {
    const std::filesystem::path state(statePath.CStr());
    bool complete = true;
    movedOthers = 0;
    for (const char* pattern : kWipePatterns) {
        for (const String& path : SaveFolderFiles(pattern)) {
            if (std::filesystem::path(path.CStr()) == state) {
                continue;
            }
            if (MoveInto(folder, path.CStr())) {
                ++movedOthers;
            } else {
                complete = false;
            }
        }
    }
    // The state path goes whatever it is: a folder of that name would
    // otherwise keep every later save from being written.
    std::error_code error;
    movedState = false;
    if (std::filesystem::exists(std::filesystem::symlink_status(state, error))) {
        movedState = MoveInto(folder, state);
        complete = movedState && complete;
    }
    if (complete) {
        std::filesystem::remove(folder / kUnfinishedMarker, error);
    }
    return complete;
}

// Moves the unreadable state file and every file a wipe would delete into a
// backup folder, so that starting fresh loses nothing. False when the files
// could not all be moved (those left in place are then kept, not wiped).
bool BackUpDamagedState(const String& statePath) {
    std::filesystem::path folder;
    if (!OpenBackupFolder(folder)) {
        return false;
    }
    size_t movedOthers = 0;
    bool movedState = false;
    const bool complete = FillBackup(folder, statePath, movedOthers, movedState);
    LogFormat(
        "Player state %s could not be read: it and %zu other save files were moved to %s; starting with "
        "a fresh default player",
        statePath.CStr(), movedOthers, folder.c_str());
    return complete;
}

// Profile numbers are -1 (the default player, once) or 0 to kMaxPlayerId,
// each held by one profile. Any other profile gets the next free number; one
// whose number was out of range takes its level saves along. True when a
// number changed.
bool RepairPlayerIds(Scene& root, const String& path) {
    std::set<int32_t> taken;
    bool defaultSeen = false;
    std::vector<State*> renumbered;
    for (auto& entry : root.Elements().Entries()) {
        State* player = static_cast<State*>(entry.value);
        const int32_t id = player->PlayerId.FirstInt();
        if (id == -1 && !defaultSeen) {
            defaultSeen = true;
        } else if (id < 0 || id > kMaxPlayerId || !taken.insert(id).second) {
            renumbered.push_back(player);
        }
    }
    int32_t next = taken.empty() ? 0 : *taken.rbegin() + 1;
    for (State* player : renumbered) {
        const int32_t old = player->PlayerId.FirstInt();
        const bool duplicate = old >= -1 && old <= kMaxPlayerId;
        player->PlayerId.SetFirstInt(next);
        LogFormat("Player state %s: profile %s had %s PlayerId %d; it is now %d", path.CStr(),
                  player->GetName(), duplicate ? "the already used" : "the out-of-range", old, next);
        if (!duplicate) {
            // Its level saves are named after the number; the profile that
            // keeps a shared number keeps the files.
            const std::string oldPrefix = std::to_string(old) + "_";
            for (const String& file : SaveFolderFiles((oldPrefix + "*").c_str())) {
                const std::filesystem::path source(file.CStr());
                const std::string rest = source.filename().string().substr(oldPrefix.size());
                std::error_code error;
                std::filesystem::rename(source, source.parent_path() / (std::to_string(next) + "_" + rest),
                                        error);
            }
        }
        ++next;
    }
    return !renumbered.empty();
}

// Counters outside what play can produce: OrbCount is -1 (not in play) to
// State::kMaxOrbs.
void RepairCounters(Scene& root, const String& path) {
    for (auto& entry : root.Elements().Entries()) {
        State* player = static_cast<State*>(entry.value);
        const int32_t orbs = player->OrbCount.FirstInt();
        const int32_t repaired = std::clamp(orbs, -1, State::kMaxOrbs);
        if (repaired != orbs) {
            player->OrbCount.SetFirstInt(repaired);
            LogFormat("Player state %s: profile %s had OrbCount %d, out of range -1..%d; it is now %d",
                      path.CStr(), player->GetName(), orbs, State::kMaxOrbs, repaired);
        }
    }
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

// A loaded option outside its range is brought into it: a value that is no
// number at all takes the default, others the nearest end.
void ClampOption(Var& option, float low, float high, float fallback, const String& path) {
    const float value = option.FirstFloat();
    const float clamped = std::isnan(value) ? fallback : std::clamp(value, low, high);
    if (clamped != value || std::isnan(value)) {
        option.SetFirstFloat(clamped);
        LogFormat("Options file %s: %s %g is out of range %g..%g; %g is used", path.CStr(), option.name,
                  static_cast<double>(value), static_cast<double>(low), static_cast<double>(high),
                  static_cast<double>(clamped));
    }
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
    return CompanyFolder() + "/" + NameSetting("GameTitle") + "/";
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
    // Volumes and brightness are fractions; a huge music volume would amplify the music.
    Options defaults;
    for (Var* option : {&target->SoundVolume, &target->MusicVolume, &target->Brightness}) {
        ClampOption(*option, 0.0f, 1.0f, defaults.FindProperty(option->name)->FirstFloat(), path);
    }

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
    std::filesystem::path unfinished;
    if (FindUnfinishedBackup(unfinished)) {
        // A backup was cut short: the files left here belong with it.
        size_t moved = 0;
        bool movedState = false;
        FillBackup(unfinished, StateFilePath(), moved, movedState);
        LogFormat("The unfinished backup %s was completed with %zu save files instead of wiping them",
                  unfinished.c_str(), moved + (movedState ? 1 : 0));
        return;
    }
    for (const char* pattern : kWipePatterns) {
        DeleteMatching(pattern);
    }
}

// ---- state file -----------------------------------------------------------------

bool LoadStateFile() {
    DestroyStateRoot();
    const String path = StateFilePath();
    std::unique_ptr<Scene> loaded = LoadScene(path.CStr());
    if (loaded && RepairStateRoot(*loaded, path)) {
        RepairCounters(*loaded, path);
        const bool renumbered = RepairPlayerIds(*loaded, path);
        // The engine-wide state root owns the scene from here (DestroyStateRoot).
        gameState = loaded.release();
        if (renumbered) {
            // The moved level saves and the file agree from now on.
            ConfigTable table;
            SaveScene(*gameState, table);
            WriteTable(table, path);
        }
        return true;
    }
    loaded.reset();
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

void SetBackupMoveHook(BackupMoveHook hook) {
    backupMoveHook = hook;
}

void SetScreenOpenQuery(ScreenOpenQuery query) {
    screenOpenQuery = query;
}
