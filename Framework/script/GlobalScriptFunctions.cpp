// Every function here follows the binding's first rule: the arguments are
// read into plain values first, and nothing below raises a Lua error.
#include "script/GlobalScriptFunctions.h"

#include "core/FrameTime.h"
#include "core/Log.h"
#include "script/DeferredCalls.h"
#include "script/ScriptState.h"

extern "C" {
#include <lua.h>
}

namespace {

// A text argument: a string or a number (converted in place); null otherwise.
const char* TextArgument(lua_State* L, int index) {
    const int type = lua_type(L, index);
    return type == LUA_TSTRING || type == LUA_TNUMBER ? lua_tostring(L, index) : nullptr;
}

int TestScriptFunction(lua_State* L) {
    if (lua_gettop(L) != 0) {
        return 0;
    }
    ScriptHost& host = GetScriptHost();
    if (host.showOnConsole) {
        host.showOnConsole(kGarbageHookText);
    } else {
        LogLine(kGarbageHookText);
    }
    lua_pushboolean(L, 1);
    return 1;
}

int ConsolePrint(lua_State* L) {
    if (lua_gettop(L) != 1) {
        return 0;
    }
    if (const char* text = TextArgument(L, 1)) {
        LogLine(text);
    }
    return 0;
}

int DeferCall(lua_State* L) {
    const int count = lua_gettop(L);
    if (count != 2 && count != 3) {
        return 0;
    }
    const char* code = TextArgument(L, 1);
    const float delay = float(lua_tonumber(L, 2));
    const bool flag = count == 3 ? lua_toboolean(L, 3) != 0 : true;
    ScriptState* state = GetThis(L);
    if (code && state) {
        PostDeferredCall(code, delay, *state, flag);
    }
    return 0;
}

int PlayMovie(lua_State* L) {
    if (lua_gettop(L) != 1) {
        return 0;
    }
    const char* name = TextArgument(L, 1);
    if (!name) {
        return 0;
    }
    ScriptHost& host = GetScriptHost();
    if (host.playMovie) {
        host.playMovie(name);
    } else {
        LogFormat("PlayMovie(%s): this build has no movie screen", name);
    }
    return 0;
}

int ShowStory(lua_State* L) {
    const int count = lua_gettop(L);
    if (count < 1 || count > 3) {
        return 0;
    }
    const char* name = TextArgument(L, 1);
    const bool hideHud = count >= 2 ? lua_toboolean(L, 2) != 0 : true;
    const bool restoreHud = count >= 3 ? lua_toboolean(L, 3) != 0 : true;
    if (!name) {
        return 0;
    }
    ScriptHost& host = GetScriptHost();
    if (host.showStory) {
        host.showStory(name, hideHud, restoreHud);
    } else {
        LogFormat("ShowStory(%s): this build has no story screen", name);
    }
    return 0;
}

int Transition(lua_State* L) {
    const int count = lua_gettop(L);
    if (count != 1 && count != 2) {
        return 0;
    }
    const auto type = int32_t(lua_tointeger(L, 1));
    const float seconds = count == 2 ? float(lua_tonumber(L, 2)) : kDefaultTransitionSeconds;
    ScriptHost& host = GetScriptHost();
    if (host.startTransition) {
        host.startTransition(type, seconds);
    } else {
        LogFormat("Transition(%d): no screen stack to run it", type);
    }
    return 0;
}

int Time(lua_State* L) {
    if (lua_gettop(L) != 0) {
        return 0;
    }
    lua_pushnumber(L, totalTime);
    return 1;
}

int FrameTime(lua_State* L) {
    if (lua_gettop(L) != 0) {
        return 0;
    }
    lua_pushnumber(L, frameTime);
    return 1;
}

} // namespace

ScriptHost& GetScriptHost() {
    static ScriptHost host;
    return host;
}

void RegisterGlobalScriptFunctions(ScriptState& state) {
    RegisterFunction("TestScriptFunction", state, &TestScriptFunction);
    RegisterFunction("ConsolePrint", state, &ConsolePrint);
    RegisterFunction("DeferCall", state, &DeferCall);
    RegisterFunction("PlayMovie", state, &PlayMovie);
    RegisterFunction("ShowStory", state, &ShowStory);
    RegisterFunction("Transition", state, &Transition);
    RegisterFunction("Time", state, &Time);
    RegisterFunction("FrameTime", state, &FrameTime);
}
