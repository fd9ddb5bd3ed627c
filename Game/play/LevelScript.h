#pragma once
// LevelScript: the Lua state of one level, with the names it sees, the
// parameters it keeps across saves, and its hooks.
//
// Before the level script runs, bare names hold themselves as text so a
// script can write Find(door) for Find("door"): every key of the string
// table named after the level, every item of the item database, and (after
// the scene is loaded) every element of the level scene. The message table
// (Globals "Path_MessageStrings") becomes a table of qualified names:
// message.find_pair holds the text "message.find_pair".
//
// Parameters are script variables saved with the level's progress under
// "object_parameters.NAME.value" and written back into the script when the
// level loads. A save file is untrusted: values are written back only as
// literals of the parameter's kind (true/false, a number, a quoted string),
// never as code; anything else is skipped with one log line.

#include "core/String.h"
#include "script/ScriptState.h"

#include <vector>

class ConfigTable;
class Scene;

class LevelScript {
public:
    enum Kind : int32_t { kBool = 0, kInt = 1, kFloat = 2, kString = 3 };
    struct Parameter {
        String name;
        Kind kind = kBool;
        String saved; ///< the text read from the save; empty when none
        bool hasSaved = false;
    };

    /// Opens a fresh state and defines the names of the level's string
    /// table, the message table and the items.
    bool Open(const char* levelName);
    void Close() { CloseScriptState(state); }
    /// A bare name holding itself.
    void DefineName(const char* name);
    /// Every element name of the scene as a bare name.
    void DefineElementNames(Scene& scene);
    /// Runs Globals "ItemScriptsPath", then the level's script (Globals
    /// "Path_LevelScripts"). False when the level script is missing or either
    /// fails; a game without an items script is allowed.
    bool RunScripts(const char* levelName);

    /// Declares a saved variable; false, ignored, when the name is taken.
    bool CreateParameter(const char* name, Kind kind);
    const std::vector<Parameter>& Parameters() const { return parameters; }
    /// Writes each parameter's current value from the script state.
    void SaveParameters(ConfigTable& table);
    /// Reads each parameter's saved text (kept until WriteBackParameters).
    void ReadParameters(ConfigTable& table);
    /// Sets each parameter with a saved value in the script, as a literal.
    void WriteBackParameters();

    /// Runs `code` in this state; false on an error (logged).
    bool Run(const char* code) { return RunScriptText(code, state); }

    ScriptState state;

private:
    std::vector<Parameter> parameters;
};

/// "object_parameters.NAME.value", the save key of a script parameter.
String ParameterKey(const char* name);
