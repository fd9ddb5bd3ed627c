#include "LevelListChecks.h"

#include "CheckReport.h"
#include "Recording.h"

#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/StringTable.h"
#include "script/ScriptHooks.h"
#include "ui/ConsoleCommands.h"

#include <memory>
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

} // namespace

void CheckLevels(CheckReport& report, Recording& recording) {
    Globals* globals = GetGlobals();
    const std::string settingsFile = Setting("GlobalsPath");
    const int32_t count = std::min(globals->GetInt("LevelCount"), globals->Setting("Levels").GetCount());
    for (int32_t i = 0; i < count; ++i) {
        // A name left at its built-in default is a level the data set does
        // not claim to have (as with every other setting left at its default).
        const std::string name = Setting("Levels", i);
        if (name.empty() || name == GlobalsDefault("Levels", i).CStr()) {
            continue;
        }
        const std::string scenePath = Filled("Path_LevelScenes", name);
        const std::string scriptPath = Filled("Path_LevelScripts", name);
        if (!Exists(scenePath.c_str())) {
            report.Error(settingsFile, "level " + Quoted(name) + " has no scene " + scenePath);
            continue;
        }
        std::unique_ptr<Scene> scene;
        {
            Recording::Pause reading(recording);
            scene = LoadScene(scenePath.c_str());
        }
        recording.TakeLog();
        if (!scene) {
            continue; // the scene checks report why
        }
        std::string text;
        if (!ReadText(scriptPath, text)) {
            report.Error(settingsFile, "level " + Quoted(name) + " has no script " + scriptPath);
            continue;
        }
        String error;
        if (!CheckScriptSyntax(text.data(), text.size(), scriptPath.c_str(), error)) {
            report.Error(scriptPath, std::string("does not compile: ") + error.CStr());
            continue;
        }
        CheckLiteralNames(scriptPath, text, *scene, report);
    }
}
