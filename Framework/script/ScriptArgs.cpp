#include "script/ScriptArgs.h"

extern "C" {
#include <lua.h>
}

int32_t ScriptArgs::Count() const {
    return lua_gettop(interpreter);
}

const char* ScriptArgs::Text(int32_t index) const {
    if (index < 1 || index > Count()) {
        return nullptr;
    }
    const int type = lua_type(interpreter, index);
    return type == LUA_TSTRING || type == LUA_TNUMBER ? lua_tostring(interpreter, index) : nullptr;
}

bool ScriptArgs::Bool(int32_t index) const {
    return index >= 1 && index <= Count() && lua_toboolean(interpreter, index) != 0;
}

bool ScriptArgs::Number(int32_t index, double& out) const {
    if (index < 1 || index > Count() || !lua_isnumber(interpreter, index)) {
        return false;
    }
    out = lua_tonumber(interpreter, index);
    return true;
}

double ScriptArgs::NumberOr(int32_t index, double fallback) const {
    double value = fallback;
    return Number(index, value) ? value : fallback;
}

Element* ScriptArgs::ElementOf(int32_t index, Scene* scene) const {
    if (index < 1 || index > Count()) {
        return nullptr;
    }
    return CheckedElement(interpreter, index, scene);
}

ScriptState* ScriptArgs::State() const {
    return GetThis(interpreter);
}

void ScriptArgs::ReturnBool(bool value) {
    lua_pushboolean(interpreter, value ? 1 : 0);
    ++results;
}

void ScriptArgs::ReturnNumber(double value) {
    lua_pushnumber(interpreter, value);
    ++results;
}

void ScriptArgs::ReturnString(const char* value) {
    lua_pushstring(interpreter, value ? value : "");
    ++results;
}

void ScriptArgs::ReturnNil() {
    lua_pushnil(interpreter);
    ++results;
}

void ScriptArgs::ReturnElement(Element* element) {
    if (element) {
        lua_pushlightuserdata(interpreter, element);
    } else {
        lua_pushnil(interpreter);
    }
    ++results;
}
