#pragma once
// ScriptState: the engine's handle of one Lua interpreter, and the helpers
// every owner of scripts uses (run a file or a text, register a function,
// read and write globals, call a hook).
//
// A ScriptState is a member of its owner (a level screen, a dialogue screen,
// the render-state module). Its address is what scripts see as the global
// "this" (a light user-data value), so one C function serves every state of
// its kind: it finds its owner with GetThis.
//
// The interpreter is Lua 5.1 with its 5.0 compatibility. A new state opens,
// in order, base, table, io, string, math, debug and the package library
// (5.0's "loadlib"). Two entries are taken away because a script could use
// them to slip past the rules below: "newproxy" (the only way for a script
// to get a finaliser, which would run outside any protected call) and
// "debug.sethook" (which would switch off the runaway guard).
//
// Rules for every binding written against this layer:
//
// 1. Lua reports errors with longjmp, which skips C++ destructors. A
//    registered function reads its arguments into plain values (numbers,
//    const char* that stay on the Lua stack, pointers) before it does
//    anything that can raise, and no C++ object with a destructor lives
//    across a Lua call that can raise (lua_error, luaL_check*, TopString, a
//    call into Lua). Engine calls into scripts are always protected
//    (lua_pcall), so an error never unwinds through engine frames.
// 2. Elements handed to scripts may be gone by the time a script hands them
//    back: deletions are deferred, and a script may keep a pointer for
//    seconds. Every element a script passes back is checked against the
//    scene it must belong to (CheckedElement) before it is used.
// 3. A deferred call whose target state has been closed never runs: closing
//    a state drops its calls (script/DeferredCalls.h).
// 4. A script that never returns cannot hang the game: an instruction-count
//    hook stops a single call into Lua after a generous budget of
//    instructions or of seconds, with one log line naming the script, and the
//    call fails like any run-time error.
// 5. Globals are read and written raw, so a metatable a script puts on its
//    globals cannot raise an error outside a protected call. Precompiled
//    chunks are refused (the 5.1 loader does not verify byte code).
// 6. A state's memory is capped while a script runs (memoryLimit): a
//    runaway allocation fails as a script error instead of taking the
//    machine's memory.
// 7. A state is never closed or destroyed from inside a call into itself
//    (its owner goes through the deferred deletions instead); another
//    state may be closed at any time.
//
// Main thread only.

#include <cstddef>
#include <cstdint>

struct lua_State;
class Element;
class Scene;

using ScriptFunction = int (*)(lua_State*);

class ScriptState {
public:
    ScriptState() = default;
    /// Closes the interpreter, dropping its deferred calls.
    ~ScriptState();
    ScriptState(const ScriptState&) = delete;
    ScriptState& operator=(const ScriptState&) = delete;

    bool IsOpen() const { return interpreter != nullptr; }

    /// Owned; null before CreateScriptState and after CloseScriptState.
    lua_State* interpreter = nullptr;

    /// Bytes the interpreter holds, and the cap enforced while a script runs.
    size_t memoryUsed = 0;
    size_t memoryLimit = kDefaultMemoryLimit;
    /// Nesting depth of protected calls into this state (the cap applies when > 0).
    int32_t protectedDepth = 0;

    static constexpr size_t kDefaultMemoryLimit = size_t(256) << 20;
};

// ---- life ----
/// Opens a fresh interpreter in `state` (closing the one it held), with the
/// libraries above and the global "this". False, logged, when Lua cannot
/// allocate a state.
bool CreateScriptState(ScriptState& state);
/// Closes the interpreter and drops the deferred calls that target it.
/// Nothing for a closed state.
void CloseScriptState(ScriptState& state);
/// The owner of `interpreter` as its global "this" names it; null unless it
/// names an open ScriptState whose interpreter is exactly `interpreter`
/// (a script can overwrite "this" with anything).
ScriptState* GetThis(lua_State* interpreter);

// ---- running ----
/// Reads the file through the file layer (archive first) and runs it as one
/// chunk named after the path. False, with the interpreter's message logged,
/// on a compile or run-time error; false without a message when the file
/// cannot be opened.
bool RunScriptFile(const char* path, ScriptState& state);
/// The same for text in memory; the chunk is named after the text itself.
bool RunScriptText(const char* text, ScriptState& state);

/// Instructions one call into Lua may execute before it is stopped
/// (rounded to the hook's step of 100). Process-wide; default 400 million,
/// some seconds of work.
void SetScriptInstructionBudget(uint64_t instructions);
uint64_t ScriptInstructionBudget();
constexpr uint64_t kDefaultInstructionBudget = 400'000'000;
/// Wall-clock seconds one call into Lua may run before it is stopped, checked
/// with the instruction count: library calls that each take long (building
/// huge strings, sorting big tables) stop on time too. Default 5 s.
void SetScriptTimeBudget(double seconds);
constexpr double kDefaultTimeBudgetSeconds = 5.0;

// ---- registration and globals ----
/// Sets the global `name` to a C function without upvalues.
void RegisterFunction(const char* name, ScriptState& state, ScriptFunction function);
void SetGlobalNumber(const char* name, double value, ScriptState& state);
void SetGlobalString(const char* name, const char* value, ScriptState& state);
/// A light user-data value.
void SetGlobalPointer(const char* name, ScriptState& state, void* pointer);
void NewGlobalTable(const char* name, ScriptState& state);
/// Sets table[key] = value for the global table `table`; nothing when that
/// global is not a table.
void SetTableString(ScriptState& state, const char* table, const char* key, const char* value);
/// True unless the global is nil or false.
bool GetGlobalBool(const char* name, ScriptState& state);
/// The global as a number; 0 when absent or not a number.
float GetGlobalNumber(const char* name, ScriptState& state);
int32_t GetGlobalInteger(const char* name, ScriptState& state);
/// A light user-data global; null when absent or of another type.
void* GetGlobalPointer(const char* name, ScriptState& state);

// ---- calling ----
/// Clears the stack and pushes the global `name`; reports whether it is not
/// nil. The value stays pushed.
bool HasGlobal(const char* name, ScriptState& state);
/// Clears the stack and pushes the global `name`; push the arguments after it.
void PrepareCall(const char* name, ScriptState& state);
void PushNumber(ScriptState& state, double value);
void PushString(ScriptState& state, const char* value);
/// Calls what PrepareCall pushed, with the `argumentCount` values pushed
/// since, in protected mode under the runaway guard. On an error the message
/// is logged (ReportScriptError) and false returned. `name` names the call
/// in the runaway log line.
bool CallPrepared(ScriptState& state, int32_t argumentCount, int32_t resultCount, const char* name);
/// Calls the global function `name` with no arguments and no results when it
/// exists; a missing hook is silent (hooks are optional), an error is
/// logged. False when the hook is missing or failed.
bool CallHook(const char* name, ScriptState& state);
/// Logs the error value on top of the stack (a message naming its type when
/// it is not a text) and pops it; returns false.
bool ReportScriptError(ScriptState& state);
/// From inside a registered function: the string on top of the stack
/// (numbers are converted). Any other value raises "string expected, got
/// TYPE" ("no value" for an empty stack); see rule 1.
const char* TopString(lua_State* interpreter);

/// Argument `index` as an element of `scene`: a light user-data value that
/// is one of the scene's elements. Null for anything else (wrong type,
/// an element of another scene, one already destroyed, a null scene).
Element* CheckedElement(lua_State* interpreter, int index, Scene* scene);
