#include "script/ScriptHooks.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include <string>

namespace {

void PushRawGlobal(lua_State* L, const char* name) {
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
}

} // namespace

bool IsGlobalFunction(const char* name, ScriptState& state) {
    if (!state.interpreter || !name) {
        return false;
    }
    PushRawGlobal(state.interpreter, name);
    const bool function = lua_isfunction(state.interpreter, -1);
    lua_pop(state.interpreter, 1);
    return function;
}

bool CallHookWithText(const char* name, const char* argument, ScriptState& state) {
    if (!IsGlobalFunction(name, state)) {
        return false;
    }
    PrepareCall(name, state);
    if (argument) {
        PushString(state, argument);
    }
    return CallPrepared(state, argument ? 1 : 0, 0, name);
}

bool CallHookForBool(const char* name, ScriptState& state, bool& answer) {
    answer = false;
    if (!IsGlobalFunction(name, state)) {
        return false;
    }
    PrepareCall(name, state);
    if (CallPrepared(state, 0, 1, name)) {
        answer = lua_toboolean(state.interpreter, -1) != 0;
        lua_settop(state.interpreter, 0);
    }
    return true;
}

bool CallHookForBool(const char* name, ScriptState& state) {
    bool answer = false;
    CallHookForBool(name, state, answer);
    return answer;
}

String CallHookForText(const char* name, ScriptState& state) {
    if (!IsGlobalFunction(name, state)) {
        return String();
    }
    PrepareCall(name, state);
    String out;
    if (CallPrepared(state, 0, 1, name)) {
        const int type = lua_type(state.interpreter, -1);
        if (type == LUA_TSTRING || type == LUA_TNUMBER) {
            out = String(lua_tostring(state.interpreter, -1));
        }
        lua_settop(state.interpreter, 0);
    }
    return out;
}

bool GetGlobalText(const char* name, ScriptState& state, String& out) {
    if (!state.interpreter || !name) {
        return false;
    }
    lua_State* L = state.interpreter;
    PushRawGlobal(L, name);
    bool found = true;
    switch (lua_type(L, -1)) {
    case LUA_TSTRING:
    case LUA_TNUMBER:
        out = String(lua_tostring(L, -1));
        break;
    case LUA_TBOOLEAN:
        out = String(lua_toboolean(L, -1) ? "true" : "false");
        break;
    default:
        found = false;
        break;
    }
    lua_pop(L, 1);
    return found;
}

String QuotedScriptString(const char* text) {
    std::string out = "\"";
    for (const char* c = text ? text : ""; *c; ++c) {
        switch (*c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += *c; break;
        }
    }
    out += '"';
    return String(out.c_str());
}

bool CheckScriptSyntax(const char* text, size_t size, const char* name, String& error) {
    if (size > 0 && text[0] == LUA_SIGNATURE[0]) {
        error = "precompiled chunks are not accepted";
        return false;
    }
    lua_State* L = luaL_newstate();
    if (!L) {
        error = "no memory for a script state";
        return false;
    }
    const std::string chunk = std::string("@") + (name ? name : "?");
    const bool compiles = luaL_loadbuffer(L, text, size, chunk.c_str()) == 0;
    if (!compiles) {
        const char* message = lua_tostring(L, -1);
        error = String(message ? message : "does not compile");
    }
    lua_close(L);
    return compiles;
}
