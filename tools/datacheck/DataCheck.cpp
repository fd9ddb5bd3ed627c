#include "DataCheck.h"

#include "CheckReport.h"
#include "Recording.h"
#include "ItemChecks.h"
#include "MapChecks.h"
#include "PuzzleChecks.h"
#include "StoryChecks.h"
#include "LevelListChecks.h"
#include "SceneChecks.h"
#include "SettingChecks.h"
#include "anim/AnimResources.h"
#include "app/EngineClasses.h"

#include "GameStartup.h"
#include "audio/Sound.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "data/Globals.h"
#include "io/FileListing.h"
#include "io/PackArchive.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "render/RenderResources.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Files the engine reads by a fixed name rather than through data.
constexpr const char* kFilesReadByName[] = {"icon.png"};
// Settings giving level file patterns, each "%s" filled with a level name:
// the level's own files and its journal page, read when the level is played
// or the journal shows its page.
constexpr const char* kLevelFilePatterns[] = {"Path_LevelScenes", "Path_LevelScripts", "Path_LevelAnims",
                                              "Path_JournalPages"};
// Settings naming a file the game reads when it is there and goes on without
// otherwise: the console's configuration at start-up, the items script before
// every level's own.
constexpr const char* kOptionalFileSettings[] = {"ConsoleConfigPath", "ItemScriptsPath"};

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The archive name the game opens in its data folder: the PackfilePath default.
std::string ArchiveName() {
    return GetGlobals()->GetString("PackfilePath").CStr();
}

// Makes the data set current as the game finds it: a folder's archive when
// it holds one, with its loose files as the fall-back, else the loose files
// alone; or an archive given by name, with the loose files beside it.
// `packed` tells whether an archive is open. A folder's archive that the game
// would refuse is reported and the loose files are checked, as the game then
// reads them.
bool EnterData(const std::string& data, bool& packed, CheckReport& report, std::string& error) {
    std::error_code code;
    const fs::path target = data.empty() ? fs::path(".") : fs::path(data);
    struct stat info;
    if (stat(target.c_str(), &info) != 0) {
        error = "cannot open " + target.string() + ": " + std::strerror(errno);
        return false;
    }
    String reason;
    bool damaged = false;
    if (S_ISDIR(info.st_mode)) {
        fs::current_path(target, code);
        if (code) {
            error = "cannot enter " + target.string() + ": " + code.message();
            return false;
        }
        const std::string archive = ArchiveName();
        packed = !archive.empty() && TryOpenArchive(archive.c_str(), reason, damaged);
        if (packed) {
            report.archiveInFolder = archive;
        } else if (damaged) {
            report.Error(archive, "the game refuses this archive (" + std::string(reason.CStr()) +
                                      ") and reads the loose files only");
        }
        return true;
    }
    const fs::path pack = fs::absolute(target, code);
    fs::current_path(pack.parent_path(), code);
    if (code || !TryOpenArchive(pack.filename().c_str(), reason, damaged)) {
        error = data + " is not a readable pack archive: " + reason.CStr();
        return false;
    }
    packed = true;
    return true;
}

// A file of the listing the checker looks at: hidden files and, in a folder,
// an archive lying among the loose files are no data of their own.
bool IsDataFile(const std::string& path, bool packed) {
    if (path.empty() || path[0] == '.' || path.find("/.") != std::string::npos) {
        return false;
    }
    return packed || !EndsWith(path, ".pack");
}

std::vector<std::string> ListDataFiles(bool packed, Recording& recording) {
    Recording::Pause listing(recording);
    std::vector<std::string> files;
    for (const String& path : ListFiles("", "*", true)) {
        if (IsDataFile(path.CStr(), packed)) {
            files.emplace_back(path.CStr());
        }
    }
    return files;
}

void CheckStringTables(CheckReport& report, Recording& recording) {
    recording.TakeLog();
    if (!LoadStringTables()) {
        for (const std::string& line : recording.TakeLog()) {
            report.Error("text", line);
        }
    }
}

// Fills every "%s" of the pattern with `name`; empty when it has another directive.
std::string FillPattern(const std::string& pattern, const std::string& name) {
    std::string result;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            result += pattern[i];
        } else if (i + 1 < pattern.size() && pattern[i + 1] == 's') {
            result += name;
            ++i;
        } else {
            return "";
        }
    }
    return result;
}

// Files the game reads by rules of its own: fixed names, the optional files
// the settings name, and the files of every level of the level list.
void MarkFilesReadByRule(Recording& recording) {
    for (const char* path : kFilesReadByName) {
        recording.MarkUsed(path);
    }
    Globals* settings = GetGlobals();
    for (const char* setting : kOptionalFileSettings) {
        recording.MarkUsed(settings->GetString(setting).CStr());
    }
    const Var& levels = settings->Setting("Levels");
    for (const char* patternSetting : kLevelFilePatterns) {
        const std::string pattern(settings->GetString(patternSetting).CStr());
        for (int32_t i = 0; i < levels.GetCount(); ++i) {
            const std::string name(levels.GetString(i).CStr());
            if (!name.empty()) {
                recording.MarkUsed(FillPattern(pattern, name));
            }
        }
    }
}

// The engine state a run builds and leaves empty again.
class CheckSession {
public:
    explicit CheckSession(void (*registerMoreClasses)())
        : previousGlobals(globals), previousOptions(options), previousFolder(fs::current_path()) {
        globals = nullptr;
        options = nullptr;
        game.CreateGlobalObjects();
        ClearRegistry();
        RegisterEngineClasses([this] { game.RegisterGameStateClasses(); });
        game.RegisterGameClasses();
        if (registerMoreClasses) {
            registerMoreClasses();
        }
        StartResourcesAndRenderer();
        // Sounds decode without a device; fonts need the graphics card for
        // their textures and are checked without their loader.
        InstallAudioResourceLoaders();
        InstallAnimResourceLoader();
    }

    ~CheckSession() {
        Resources::Shutdown();
        ClearStringTables();
        ClearRegistry();
        game.DeleteStateAndOptions();
        game.DeleteGlobals();
        CloseArchive();
        globals = previousGlobals;
        options = previousOptions;
        std::error_code ignored;
        fs::current_path(previousFolder, ignored);
    }

    CheckSession(const CheckSession&) = delete;
    CheckSession& operator=(const CheckSession&) = delete;

private:
    GameStartup game;
    Element* previousGlobals;
    Element* previousOptions;
    fs::path previousFolder;
};

} // namespace

bool ParseDataCheckArguments(const std::vector<std::string>& arguments, DataCheckOptions& options,
                             std::string& error) {
    std::vector<std::string> positional;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument.rfind("-", 0) == 0 && argument != "-") {
            error = "unknown option " + argument + "\n" + kDataCheckUsage;
            return false;
        }
        positional.push_back(argument);
    }
    if (positional.size() > 1) {
        error = kDataCheckUsage;
        return false;
    }
    options.data = positional.empty() ? "" : positional[0];
    return true;
}

bool RunDataCheck(const DataCheckOptions& options, CheckReport& report, std::string& error) {
    Recording recording;
    CheckSession session(options.registerMoreClasses);
    bool packed = false;
    if (!EnterData(options.data, packed, report, error)) {
        return false;
    }
    const std::vector<std::string> files = ListDataFiles(packed, recording);
    report.filesListed = static_cast<int>(files.size());

    CheckStringTables(report, recording);
    CheckSettings(report, recording);
    CheckItemDatabase(report, recording);
    CheckStories(files, report);
    CheckLevels(report, recording);
    std::set<std::string> screens;
    for (const std::string& path : files) {
        if (!EndsWith(path, ".scene") && !EndsWith(path, ".widget")) {
            continue;
        }
        ++report.scenesChecked;
        if (CheckSceneFile(path, report, recording).holdsScreen) {
            screens.insert(path);
            CheckMapScreenFile(path, report);
            CheckPuzzleFile(path, report);
        }
    }

    MarkFilesReadByRule(recording);
    for (const std::string& path : files) {
        if (!recording.IsUsed(path) && !screens.count(path)) {
            report.Warning(path, "nothing uses this file");
        }
    }
    return true;
}
