// Index: the live-state registry and allocator / the runaway guard /
// life / running / registration and globals / calling.
#include "script/ScriptState.h"

#include "core/Element.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "io/File.h"
#include "script/DeferredCalls.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <algorithm>
#include <chrono>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- the live-state registry and allocator ----

// Every open state, so that GetThis can refuse a pointer that names no state.
std::vector<ScriptState*> liveStates;

bool IsLive(const ScriptState* state) {
    return std::find(liveStates.begin(), liveStates.end(), state) != liveStates.end();
}

// The allocator of every state: counts the bytes and refuses growth past the
// cap while a script runs. Outside a protected call the engine itself pushes
// values, and a refusal there would end the process, so it is never refused.
void* Allocate(void* context, void* block, size_t oldSize, size_t newSize) {
    auto* state = static_cast<ScriptState*>(context);
    if (newSize == 0) {
        std::free(block);
        state->memoryUsed -= std::min(oldSize, state->memoryUsed);
        return nullptr;
    }
    const bool growing = newSize > oldSize;
    if (growing && state->protectedDepth > 0 &&
        state->memoryUsed + (newSize - oldSize) > state->memoryLimit) {
        return nullptr;
    }
    void* grown = std::realloc(block, newSize);
    if (grown) {
        state->memoryUsed = state->memoryUsed - std::min(oldSize, state->memoryUsed) + newSize;
    }
    return grown;
}

int DoNothingOnPanic(lua_State*) {
    return 0;
}

// ---- the runaway guard ----

constexpr int kHookStep = 100;
uint64_t instructionBudget = kDefaultInstructionBudget;
std::chrono::steady_clock::duration timeBudget =
    std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(kDefaultTimeBudgetSeconds));

// One call into Lua in progress; calls nest when a registered function runs
// another script. The hook counts against the innermost.
struct CallRecord {
    ScriptState* state = nullptr;
    char name[96] = {};
    uint64_t executed = 0;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    bool stopping = false;
    CallRecord* outer = nullptr;
};

CallRecord* currentCall = nullptr;

// Enters a protected call: the record becomes current and the memory cap applies.
class CallScope {
public:
    CallScope(ScriptState& state, const char* name) {
        record.state = &state;
        std::snprintf(record.name, sizeof record.name, "%s", name ? name : "?");
        record.outer = currentCall;
        currentCall = &record;
        ++state.protectedDepth;
    }
    ~CallScope() {
        currentCall = record.outer;
        --record.state->protectedDepth;
        if (record.stopping && record.state->interpreter) {
            lua_sethook(record.state->interpreter, nullptr, 0, 0);
            lua_sethook(record.state->interpreter, &CountInstructions, LUA_MASKCOUNT, kHookStep);
        }
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

    static void CountInstructions(lua_State* interpreter, lua_Debug*);

private:
    CallRecord record;
};

// Once over budget every hook raises, at every instruction: a script that
// catches the error with pcall is stopped again at its next instruction,
// until nothing of it is left running.
void CallScope::CountInstructions(lua_State* interpreter, lua_Debug*) {
    CallRecord* call = currentCall;
    if (!call) {
        return;
    }
    if (!call->stopping) {
        const int step = lua_gethookcount(interpreter);
        call->executed += uint64_t(step);
        if (step != kHookStep) {
            // A coroutine left at step 1 by an earlier stop.
            lua_sethook(interpreter, &CountInstructions, LUA_MASKCOUNT, kHookStep);
        }
        const bool overTime = std::chrono::steady_clock::now() - call->started > timeBudget;
        if (call->executed <= instructionBudget && !overTime) {
            return;
        }
        call->stopping = true;
        if (overTime) {
            LogFormat("Script %s stopped: it ran more than %.1f seconds without returning", call->name,
                      std::chrono::duration<double>(timeBudget).count());
        } else {
            LogFormat("Script %s stopped: it ran more than %llu instructions without returning", call->name,
                      static_cast<unsigned long long>(instructionBudget));
        }
    }
    lua_sethook(interpreter, &CountInstructions, LUA_MASKCOUNT, 1);
    luaL_error(interpreter, "script stopped: it ran too long");
}

bool IsPrecompiled(const char* data, size_t size) {
    return size > 0 && data[0] == LUA_SIGNATURE[0];
}

// Compiles and runs one chunk; the stack is left as it was.
bool RunChunk(ScriptState& state, const char* data, size_t size, const char* chunkName, const char* logName) {
    lua_State* L = state.interpreter;
    if (!L) {
        LogFormat("Script %s: the script state is closed", logName);
        return false;
    }
    if (IsPrecompiled(data, size)) {
        LogFormat("Script %s: precompiled chunks are not accepted", logName);
        return false;
    }
    const int base = lua_gettop(L);
    if (luaL_loadbuffer(L, data, size, chunkName) != 0) {
        ReportScriptError(state);
        lua_settop(L, base);
        return false;
    }
    int status = 0;
    {
        CallScope scope(state, logName);
        status = lua_pcall(L, 0, LUA_MULTRET, 0);
    }
    if (status != 0) {
        ReportScriptError(state);
    }
    if (state.interpreter) {
        lua_settop(L, base);
    }
    return status == 0;
}

// Globals are read raw: a metatable on the globals table must not run here,
// outside any protected call.
void PushGlobal(lua_State* L, const char* name) {
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
}

// Sets the global `name` to the value on top of the stack (popped).
void PopIntoGlobal(lua_State* L, const char* name) {
    lua_pushstring(L, name);
    lua_insert(L, -2);
    lua_rawset(L, LUA_GLOBALSINDEX);
}

void RemoveUnsafeEntries(lua_State* L) {
    lua_pushnil(L);
    PopIntoGlobal(L, "newproxy");
    PushGlobal(L, "debug");
    if (lua_istable(L, -1)) {
        lua_pushstring(L, "sethook");
        lua_pushnil(L);
        lua_rawset(L, -3);
    }
    lua_settop(L, 0);
}

} // namespace

// ---- life ----

ScriptState::~ScriptState() {
    CloseScriptState(*this);
}

bool CreateScriptState(ScriptState& state) {
    CloseScriptState(state);
    state.memoryUsed = 0;
    state.protectedDepth = 0;
    lua_State* L = lua_newstate(&Allocate, &state);
    if (!L) {
        LogLine("CreateScriptState: Lua could not allocate a state");
        return false;
    }
    lua_atpanic(L, &DoNothingOnPanic);
    static const lua_CFunction kLibraries[] = {luaopen_base, luaopen_table, luaopen_io,     luaopen_string,
                                               luaopen_math, luaopen_debug, luaopen_package};
    for (lua_CFunction open : kLibraries) {
        lua_pushcfunction(L, open);
        lua_call(L, 0, 0);
        lua_settop(L, 0);
    }
    RemoveUnsafeEntries(L);
    state.interpreter = L;
    liveStates.push_back(&state);
    lua_pushlightuserdata(L, &state);
    PopIntoGlobal(L, "this");
    lua_sethook(L, &CallScope::CountInstructions, LUA_MASKCOUNT, kHookStep);
    return true;
}

void CloseScriptState(ScriptState& state) {
    DropDeferredCalls(state);
    if (!state.interpreter) {
        return;
    }
    lua_State* L = state.interpreter;
    state.interpreter = nullptr;
    liveStates.erase(std::remove(liveStates.begin(), liveStates.end(), &state), liveStates.end());
    lua_close(L);
}

ScriptState* GetThis(lua_State* interpreter) {
    if (!interpreter) {
        return nullptr;
    }
    PushGlobal(interpreter, "this");
    void* pointer = nullptr;
    if (lua_islightuserdata(interpreter, -1)) {
        pointer = lua_touserdata(interpreter, -1);
    } else if (lua_type(interpreter, -1) == LUA_TUSERDATA) {
        pointer = lua_touserdata(interpreter, -1);
    }
    lua_pop(interpreter, 1);
    auto* state = static_cast<ScriptState*>(pointer);
    // A script cannot make a light user-data value, so a live state found
    // here is its own (or that of the state its coroutine runs in).
    return state && IsLive(state) ? state : nullptr;
}

// ---- running ----

bool RunScriptFile(const char* path, ScriptState& state) {
    if (!path) {
        return false;
    }
    File file;
    if (!file.Open(path, kFileRead | kFileBinary)) {
        return false;
    }
    const long length = file.Length();
    constexpr long kLargestScript = 64L << 20;
    if (length < 0 || length > kLargestScript) {
        LogFormat("Script %s: length %ld is not a script's", path, length);
        return false;
    }
    std::vector<char> text(size_t(length) + 1, '\0');
    if (length > 0 && !file.Read(text.data(), size_t(length))) {
        LogFormat("Script %s: could not be read", path);
        return false;
    }
    file.Close();
    std::string chunkName = std::string("@") + path;
    return RunChunk(state, text.data(), size_t(length), chunkName.c_str(), path);
}

bool RunScriptText(const char* text, ScriptState& state) {
    if (!text) {
        return false;
    }
    return RunChunk(state, text, std::strlen(text), text, text);
}

void SetScriptTimeBudget(double seconds) {
    timeBudget = std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

void SetScriptInstructionBudget(uint64_t instructions) {
    instructionBudget = instructions;
}

uint64_t ScriptInstructionBudget() {
    return instructionBudget;
}

// ---- registration and globals ----

void RegisterFunction(const char* name, ScriptState& state, ScriptFunction function) {
    if (!state.interpreter || !name) {
        return;
    }
    lua_pushcfunction(state.interpreter, function);
    PopIntoGlobal(state.interpreter, name);
}

void SetGlobalNumber(const char* name, double value, ScriptState& state) {
    if (!state.interpreter || !name) {
        return;
    }
    lua_pushnumber(state.interpreter, value);
    PopIntoGlobal(state.interpreter, name);
}

void SetGlobalString(const char* name, const char* value, ScriptState& state) {
    if (!state.interpreter || !name) {
        return;
    }
    lua_pushstring(state.interpreter, value ? value : "");
    PopIntoGlobal(state.interpreter, name);
}

void SetGlobalPointer(const char* name, ScriptState& state, void* pointer) {
    if (!state.interpreter || !name) {
        return;
    }
    lua_pushlightuserdata(state.interpreter, pointer);
    PopIntoGlobal(state.interpreter, name);
}

void NewGlobalTable(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return;
    }
    lua_newtable(state.interpreter);
    PopIntoGlobal(state.interpreter, name);
}

void SetTableString(ScriptState& state, const char* table, const char* key, const char* value) {
    lua_State* L = state.interpreter;
    if (!L || !table || !key) {
        return;
    }
    PushGlobal(L, table);
    if (lua_istable(L, -1)) {
        lua_pushstring(L, key);
        lua_pushstring(L, value ? value : "");
        lua_rawset(L, -3);
    }
    lua_pop(L, 1);
}

bool GetGlobalBool(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return false;
    }
    PushGlobal(state.interpreter, name);
    const bool value = lua_toboolean(state.interpreter, -1) != 0;
    lua_pop(state.interpreter, 1);
    return value;
}

float GetGlobalNumber(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return 0.0f;
    }
    PushGlobal(state.interpreter, name);
    const float value =
        lua_type(state.interpreter, -1) == LUA_TNUMBER ? float(lua_tonumber(state.interpreter, -1)) : 0.0f;
    lua_pop(state.interpreter, 1);
    return value;
}

int32_t GetGlobalInteger(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return 0;
    }
    PushGlobal(state.interpreter, name);
    const int32_t value =
        lua_type(state.interpreter, -1) == LUA_TNUMBER ? int32_t(lua_tointeger(state.interpreter, -1)) : 0;
    lua_pop(state.interpreter, 1);
    return value;
}

void* GetGlobalPointer(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return nullptr;
    }
    PushGlobal(state.interpreter, name);
    void* value =
        lua_islightuserdata(state.interpreter, -1) ? lua_touserdata(state.interpreter, -1) : nullptr;
    lua_pop(state.interpreter, 1);
    return value;
}

// ---- calling ----

bool HasGlobal(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return false;
    }
    lua_settop(state.interpreter, 0);
    PushGlobal(state.interpreter, name);
    return !lua_isnil(state.interpreter, -1);
}

void PrepareCall(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return;
    }
    lua_settop(state.interpreter, 0);
    PushGlobal(state.interpreter, name);
}

void PushNumber(ScriptState& state, double value) {
    if (state.interpreter) {
        lua_pushnumber(state.interpreter, value);
    }
}

void PushString(ScriptState& state, const char* value) {
    if (state.interpreter) {
        lua_pushstring(state.interpreter, value ? value : "");
    }
}

bool CallPrepared(ScriptState& state, int32_t argumentCount, int32_t resultCount, const char* name) {
    lua_State* L = state.interpreter;
    if (!L || argumentCount < 0 || lua_gettop(L) < argumentCount + 1) {
        return false;
    }
    int status = 0;
    {
        CallScope scope(state, name);
        status = lua_pcall(L, argumentCount, resultCount, 0);
    }
    if (status != 0) {
        return ReportScriptError(state);
    }
    return true;
}

bool CallHook(const char* name, ScriptState& state) {
    if (!HasGlobal(name, state)) {
        if (state.interpreter) {
            lua_settop(state.interpreter, 0);
        }
        return false;
    }
    return CallPrepared(state, 0, 0, name);
}

bool ReportScriptError(ScriptState& state) {
    lua_State* L = state.interpreter;
    if (!L) {
        return false;
    }
    if (lua_gettop(L) == 0) {
        LogLine("Script error without a message");
        return false;
    }
    if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER) {
        LogLine(lua_tostring(L, -1));
    } else {
        LogFormat("Script error (the error value is a %s)", luaL_typename(L, -1));
    }
    lua_pop(L, 1);
    return false;
}

const char* TopString(lua_State* interpreter) {
    const int top = lua_gettop(interpreter);
    if (top > 0 && (lua_type(interpreter, top) == LUA_TSTRING || lua_type(interpreter, top) == LUA_TNUMBER)) {
        return lua_tostring(interpreter, top);
    }
    const char* got = top > 0 ? luaL_typename(interpreter, top) : "no value";
    luaL_error(interpreter, "%s expected, got %s", "string", got);
    return nullptr;
}

Element* CheckedElement(lua_State* interpreter, int index, Scene* scene) {
    if (!scene || !lua_islightuserdata(interpreter, index)) {
        return nullptr;
    }
    const void* pointer = lua_touserdata(interpreter, index);
    if (!pointer) {
        return nullptr;
    }
    for (const auto& entry : scene->Elements().Entries()) {
        if (entry.value == pointer) {
            return entry.value;
        }
    }
    return nullptr;
}
