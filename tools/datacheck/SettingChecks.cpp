#include "SettingChecks.h"

#include "CheckReport.h"
#include "Recording.h"
#include "ResourceChecks.h"
#include "SceneChecks.h"

#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Link.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/Resources.h"
#include "io/StringTable.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// Settings holding text that is no data file to look for.
const std::set<std::string> kNotDataFiles = {
    "GlobalsPath",        // the settings file itself, checked on its own
    "PackfilePath",       // the archive the data set comes in
    "GameStateFilename",  // the save folder's files
    "BackgroundFilename", //
    "PartnerSplashFile",  // optional: it only chooses the splash screen
};

constexpr const char* kDataExtensions[] = {".scene", ".widget", ".config", ".lua", ".png",
                                           ".tga",   ".jpg",    ".jpeg",   ".ogg", ".anim"};

constexpr const char* kStringSettingPrefixes[] = {"String_", "Prompt_", "Message_", "Summary_", "Objective_"};
const std::set<std::string> kStringSettings = {"Map_ProgressText"};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

bool IsPattern(const std::string& text) {
    return text.find('%') != std::string::npos;
}

bool LooksLikeDataFile(const std::string& text) {
    if (text.empty() || IsPattern(text)) {
        return false;
    }
    for (const char* extension : kDataExtensions) {
        if (EndsWith(text, extension)) {
            return true;
        }
    }
    return false;
}

bool IsStringSetting(const std::string& name) {
    if (kStringSettings.count(name)) {
        return true;
    }
    return std::any_of(std::begin(kStringSettingPrefixes), std::end(kStringSettingPrefixes),
                       [&](const char* prefix) { return StartsWith(name, prefix); });
}

// The settings file as the checker sees it: which settings it gives.
struct SettingsFile {
    std::string path;
    ConfigTable table;
    std::string elementName; ///< the Globals element the game copies, or ""

    /// How many items of the setting the file gives (the rest keep their defaults).
    int32_t ItemsGiven(const char* setting) {
        return elementName.empty() ? 0 : table.ValueCount((elementName + "." + setting).c_str());
    }
};

// The first element in ascending name order whose class is a Globals, as
// the game picks it.
std::string GlobalsElementName(ConfigTable& table) {
    const int32_t index = table.Find("Widget");
    if (index < 0) {
        return "";
    }
    const auto& values = table.At(index).values;
    std::vector<String> names(values.begin(), values.end());
    std::sort(names.begin(), names.end(),
              [](const String& a, const String& b) { return std::strcmp(a.CStr(), b.CStr()) < 0; });
    for (const String& name : names) {
        const String* type = table.Value(0, (std::string(name.CStr()) + ".Type").c_str());
        const ClassEntry* entry = type ? FindClass(type->CStr()) : nullptr;
        Object* probe = entry && entry->factory ? entry->factory() : nullptr;
        const bool isGlobals = probe && probe->IsA("Globals");
        delete probe;
        if (isGlobals) {
            return name.CStr();
        }
    }
    return "";
}

class SettingsCheck {
public:
    SettingsCheck(CheckReport& report, Recording& recording, SettingsFile& file)
        : report(report), recording(recording), file(file) {}

    void Run(Globals& globals) {
        const auto& inUse = SettingsTheGameReads();
        for (Var* var : globals.Properties()) {
            const std::string name(var->GetName());
            const bool read = std::find(inUse.begin(), inUse.end(), name) != inUse.end();
            const int32_t given = file.ItemsGiven(var->GetName());
            if (var->IsLink()) {
                var->Resolve();
            }
            for (int32_t i = 0; i < var->GetCount(); ++i) {
                if (i < given || read) {
                    CheckItem(*var, name, i, i < given);
                }
            }
        }
    }

private:
    void CheckItem(Var& var, const std::string& name, int32_t index, bool given) {
        const std::string text(var.GetString(index).CStr());
        std::string where = "setting " + Quoted(name);
        if (var.GetCount() > 1) {
            where += " item " + std::to_string(index);
        }
        if (!given) {
            where += " (built-in default)";
        }
        if (var.IsLink()) {
            if (!text.empty() && var.IsUnresolved(index)) {
                report.Error(file.path,
                             where + ": " + UnresolvedResourceText(var.LinkedClassName(), text, recording));
            }
        } else if (var.GetType() != kVarString) {
            return;
        } else if (IsStringSetting(name) && LooksLikeStringIdentifier(text)) {
            String found;
            if (!LookupString(text.c_str(), found)) {
                report.Error(file.path, where + ": " + MissingStringText(text));
            }
        } else if (!kNotDataFiles.count(name) && LooksLikeDataFile(text)) {
            CheckFile(name, text, where);
        }
    }

    // Files of a kind the checker can load are loaded; the rest (scripts,
    // scenes checked on their own) must exist.
    void CheckFile(const std::string& name, const std::string& path, const std::string& where) {
        std::string problem;
        if (StartsWith(name, "Font_")) {
            problem = FontDescriptionProblem(path, recording);
        } else if (StartsWith(name, "Sound_") || StartsWith(name, "Music_")) {
            recording.TakeLog();
            const bool music = StartsWith(name, "Music_");
            if (!(music ? Resources::FindMusic(path.c_str()) : Resources::FindSound(path.c_str()))) {
                problem = UnresolvedResourceText(music ? "Music" : "Sound", path, recording);
            }
        } else if (name == "CursorConfigPath") {
            problem = CursorConfigProblem(path, recording);
        } else if (!Exists(path.c_str())) {
            problem = "file " + Quoted(path) + " not found";
        }
        recording.MarkUsed(path);
        if (!problem.empty()) {
            report.Error(file.path, where + ": " + problem);
        }
    }

    CheckReport& report;
    Recording& recording;
    SettingsFile& file;
};

} // namespace

bool LooksLikeStringIdentifier(const std::string& text) {
    const size_t dot = text.find('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < text.size() && !IsPattern(text) &&
           text.find('/') == std::string::npos && text.find(' ') == std::string::npos;
}

std::string MissingStringText(const std::string& identifier) {
    const std::string table = identifier.substr(0, identifier.find('.'));
    if (!FindStringTable(table.c_str())) {
        return "no string table " + Quoted(table) + " holds " + Quoted(identifier);
    }
    return "string table " + Quoted(table) + " has no key " + Quoted(identifier.substr(table.size() + 1));
}

const std::vector<std::string>& SettingsTheGameReads() {
    // The settings read on the way every player takes (start-up and its
    // loading picture, the first screen, the cursor, the paused view); each
    // name here makes its built-in default a file or text the data set must
    // provide. Grows as the game reads more of its settings there.
    static const std::vector<std::string> names = {
        "CursorConfigPath",  "Cursor_Default",   "Cursor_Link",     "Cursor_Exit",
        "Cursor_Use",        "Cursor_Info",      "Font_HeaderText", "Font_DialogueText",
        "String_GamePaused", "LoadScreen_Frame", "LoadScreen_Fill", "LoadScreen_Overlay",
    };
    return names;
}

void CheckSettings(CheckReport& report, Recording& recording) {
    Globals* globals = GetGlobals();
    if (!globals) {
        return;
    }
    SettingsFile file;
    file.path = globals->GetString("GlobalsPath").CStr();
    bool loaded = false;
    {
        Recording::Pause reading(recording);
        loaded = file.table.Load(file.path.c_str());
    }
    if (!loaded) {
        report.Warning(file.path, "no settings file: the game runs on its built-in settings");
    } else {
        recording.MarkUsed(file.path);
        file.elementName = GlobalsElementName(file.table);
        if (file.elementName.empty()) {
            report.Error(file.path, "holds no Globals element, so the game keeps its built-in settings");
        } else {
            LoadGlobals();
        }
    }
    SettingsCheck(report, recording, file).Run(*globals);
}
