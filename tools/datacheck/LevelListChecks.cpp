#include "LevelListChecks.h"

#include "CheckReport.h"
#include "GadgetChecks.h"
#include "Recording.h"

#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/FileListing.h"
#include "play/ItemDatabase.h"
#include "play/LevelOptions.h"
#include "io/StringTable.h"
#include "script/ScriptHooks.h"
#include "ui/ConsoleCommands.h"

#include <algorithm>
#include <memory>
#include <set>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string Setting(const char* name, int32_t index = 0) {
    return GetGlobals()->GetString(name, index).CStr();
}

std::string Filled(const char* setting, const std::string& name) {
    return FormatLevelPath(Setting(setting).c_str(), name.c_str()).CStr();
}

bool ReadText(const std::string& path, std::string& text) {
    File file;
    if (!file.Open(path.c_str(), kFileRead | kFileBinary)) {
        return false;
    }
    const long length = file.Length();
    if (length < 0 || length > (64L << 20)) {
        return false;
    }
    text.assign(size_t(length), '\0');
    return length == 0 || file.Read(text.data(), size_t(length));
}

void CheckLiteralNames(const std::string& path, const std::string& text, Scene& scene, CheckReport& report) {
    static const std::regex kCall(
        R"(\b(Find|ShowObject|HideObject|IsVisible|SetBool|SetInt|SetFloat|SetString|CombineBurst)\s*\(\s*(["'])([^"'\n]*)\2)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kCall); it != std::sregex_iterator(); ++it) {
        const std::string function = (*it)[1];
        const std::string name = (*it)[3];
        if (!scene.FindElement(name.c_str())) {
            report.Error(path, function + "(" + Quoted(name) + "): the level's scene has no element " + Quoted(name));
        }
    }
}

// The directories below the level folder whose name contains `name` and
// that hold a script: the level and its sub-levels, as the game loads them
// together.
std::vector<std::string> LevelSetMembers(const std::string& name) {
    const std::string root = Setting("LevelDirectory");
    std::vector<std::string> members;
    for (const String& script : ListFiles(root.c_str(), "*.lua", true)) {
        const std::string path = script.CStr();
        if (path.size() <= root.size() + 1 || path.compare(0, root.size() + 1, root + "/") != 0) {
            continue;
        }
        const size_t slash = path.find('/', root.size() + 1);
        if (slash == std::string::npos) {
            continue;
        }
        const std::string level = path.substr(root.size() + 1, slash - root.size() - 1);
        if (level.find(name) != std::string::npos && std::find(members.begin(), members.end(), level) == members.end()) {
            members.push_back(level);
        }
    }
    return members;
}

std::vector<std::vector<std::string>> ItemProducts(Recording& recording) {
    std::vector<std::vector<std::string>> out;
    const std::string path = Setting("ItemConfigPath");
    ItemDatabase items;
    {
        Recording::Pause reading(recording);
        if (path.empty() || !items.Load(path.c_str())) {
            return out;
        }
    }
    for (const ItemDatabase::Product& product : items.Products()) {
        out.push_back({product.result.CStr(), product.first.CStr(), product.second.CStr()});
    }
    return out;
}

// The level plays its options' music while it is on screen: the piece must
// exist, and it counts as used.
void CheckLevelMusic(const std::string& name, const std::string& scenePath, Scene& scene, CheckReport& report,
                     Recording& recording) {
    const LevelOptions* options = FindLevelOptions(scene);
    const std::string music = options ? options->Music.FirstString().CStr() : "";
    if (music.empty()) {
        return;
    }
    if (!Exists(music.c_str())) {
        report.Error(scenePath, "level " + Quoted(name) + " plays the music " + music + ", which does not exist");
        return;
    }
    recording.MarkUsed(music);
}

// One level's scene and script; `listed` levels report missing files.
void CheckLevelFiles(const std::string& name, bool listed, CheckReport& report, Recording& recording,
                     GadgetScan& gadgets) {
    const std::string settingsFile = Setting("GlobalsPath");
    const std::string scenePath = Filled("Path_LevelScenes", name);
    const std::string scriptPath = Filled("Path_LevelScripts", name);
    if (!Exists(scenePath.c_str())) {
        if (listed) {
            report.Error(settingsFile, "level " + Quoted(name) + " has no scene " + scenePath);
        }
        return;
    }
    std::unique_ptr<Scene> scene;
    {
        Recording::Pause reading(recording);
        scene = LoadScene(scenePath.c_str());
    }
    recording.TakeLog();
    if (!scene) {
        return; // the scene checks report why
    }
    if (!listed) {
        // A sub-level's files are read when its level set loads.
        recording.MarkUsed(scenePath);
        recording.MarkUsed(scriptPath);
    }
    CheckLevelMusic(name, scenePath, *scene, report, recording);
    std::string text;
    if (!ReadText(scriptPath, text)) {
        report.Error(settingsFile, "level " + Quoted(name) + " has no script " + scriptPath);
        return;
    }
    String error;
    if (!CheckScriptSyntax(text.data(), text.size(), scriptPath.c_str(), error)) {
        report.Error(scriptPath, std::string("does not compile: ") + error.CStr());
        return;
    }
    CheckLiteralNames(scriptPath, text, *scene, report);
    gadgets.Scan(scriptPath, text, *scene, report);
}

} // namespace

void CheckLevels(CheckReport& report, Recording& recording) {
    Globals* globals = GetGlobals();
    const int32_t count = std::min(globals->GetInt("LevelCount"), globals->Setting("Levels").GetCount());
    GadgetScan gadgets;
    std::set<std::string> checked;
    for (int32_t i = 0; i < count; ++i) {
        // A name left at its built-in default is a level the data set does
        // not claim to have (as with every other setting left at its default).
        const std::string name = Setting("Levels", i);
        if (name.empty() || name == GlobalsDefault("Levels", i).CStr() || !checked.insert(name).second) {
            continue;
        }
        CheckLevelFiles(name, true, report, recording, gadgets);
        for (const std::string& member : LevelSetMembers(name)) {
            if (checked.insert(member).second) {
                CheckLevelFiles(member, false, report, recording, gadgets);
            }
        }
    }
    gadgets.Finish(ItemProducts(recording), report);
}
