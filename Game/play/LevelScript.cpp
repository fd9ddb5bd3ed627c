#include "play/LevelScript.h"

#include "core/ConfigTable.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/StringTable.h"
#include "play/ItemDatabase.h"
#include "script/GlobalScriptFunctions.h"
#include "script/ScriptHooks.h"
#include "ui/ConsoleCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

String GlobalText(const char* name) {
    Globals* globals = GetGlobals();
    return globals ? globals->GetString(name) : GlobalsDefault(name);
}

bool IsNumberText(const char* text) {
    if (!text || !*text) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    std::strtod(text, &end);
    return errno == 0 && end && *end == '\0';
}

// The literal that sets a parameter of `kind` to `text`; empty when the text
// is no value of that kind.
String Literal(LevelScript::Kind kind, const String& text) {
    switch (kind) {
    case LevelScript::kBool:
        return text == "true" || text == "false" ? text : String();
    case LevelScript::kInt:
    case LevelScript::kFloat:
        return IsNumberText(text.CStr()) ? text : String();
    case LevelScript::kString:
        return QuotedScriptString(text.CStr());
    }
    return String();
}

} // namespace

String ParameterKey(const char* name) {
    std::string key = "object_parameters.";
    key += name ? name : "";
    key += ".value";
    return String(key.c_str());
}

bool LevelScript::Open(const char* levelName) {
    parameters.clear();
    if (!CreateScriptState(state)) {
        return false;
    }
    RegisterGlobalScriptFunctions(state);
    if (StringTable* own = FindStringTable(levelName)) {
        for (auto& entry : own->Pairs().Entries()) {
            DefineName(entry.key.CStr());
        }
    }
    const String messages = GlobalText("Path_MessageStrings");
    if (StringTable* table = FindStringTable(messages.CStr())) {
        NewGlobalTable(messages.CStr(), state);
        for (auto& entry : table->Pairs().Entries()) {
            const std::string qualified = std::string(messages.CStr()) + "." + entry.key.CStr();
            SetTableString(state, messages.CStr(), entry.key.CStr(), qualified.c_str());
        }
    }
    for (const ItemDatabase::Item& item : GetItemDatabase().Items()) {
        DefineName(item.name.CStr());
    }
    return true;
}

void LevelScript::DefineName(const char* name) {
    if (name && *name) {
        SetGlobalString(name, name, state);
    }
}

void LevelScript::DefineElementNames(Scene& scene) {
    for (auto& entry : scene.Elements().Entries()) {
        DefineName(entry.value->GetName());
    }
}

bool LevelScript::RunScripts(const char* levelName) {
    const String items = GlobalText("ItemScriptsPath");
    if (!items.Empty()) {
        if (Exists(items.CStr())) {
            if (!RunScriptFile(items.CStr(), state)) {
                LogFormat("Level %s: the items script %s failed", levelName, items.CStr());
                return false;
            }
        } else {
            LogFormat("Level %s: no items script %s; going on without it", levelName, items.CStr());
        }
    }
    const String script = FormatLevelPath(GlobalText("Path_LevelScripts").CStr(), levelName);
    if (!RunScriptFile(script.CStr(), state)) {
        LogFormat("Level %s: its script %s is missing or failed", levelName, script.CStr());
        return false;
    }
    return true;
}

bool LevelScript::CreateParameter(const char* name, Kind kind) {
    if (!name || !*name || kind < kBool || kind > kString) {
        return false;
    }
    for (const Parameter& parameter : parameters) {
        if (parameter.name == name) {
            return false;
        }
    }
    Parameter parameter;
    parameter.name = name;
    parameter.kind = kind;
    parameters.push_back(parameter);
    return true;
}

void LevelScript::SaveParameters(ConfigTable& table) {
    for (const Parameter& parameter : parameters) {
        String value;
        if (!GetGlobalText(parameter.name.CStr(), state, value)) {
            continue; // nil: the script has not set it
        }
        table.AddString(ParameterKey(parameter.name.CStr()).CStr(), value.CStr());
    }
}

void LevelScript::ReadParameters(ConfigTable& table) {
    for (Parameter& parameter : parameters) {
        parameter.hasSaved = table.GetString(0, ParameterKey(parameter.name.CStr()).CStr(), parameter.saved);
    }
}

void LevelScript::WriteBackParameters() {
    for (const Parameter& parameter : parameters) {
        if (!parameter.hasSaved) {
            continue;
        }
        const String literal = Literal(parameter.kind, parameter.saved);
        if (literal.Empty()) {
            LogFormat("Saved parameter %s: \"%s\" is no value of its kind; left as the script set it",
                      parameter.name.CStr(), parameter.saved.CStr());
            continue;
        }
        const std::string statement = std::string(parameter.name.CStr()) + " = " + literal.CStr() + ";";
        RunScriptText(statement.c_str(), state);
    }
}
