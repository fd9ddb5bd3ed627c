#pragma once
// ScriptArgs: what a function registered from above the script layer sees of
// one call from Lua: its arguments by position and the results it returns.
//
// The binding's rules hold: reading an argument never raises a Lua error (a
// wrong type reads as absent), and results are pushed only through Return*.
// A text argument also accepts a number (converted to text); a boolean
// argument is false only for nil and false (0 counts as true).
//
// Register a plain function with RegisterArgsFunction<Function>(name, state);
// the trampoline is made per function at compile time.

#include "script/ScriptState.h"

#include <cstdint>

class Element;
class Scene;

class ScriptArgs {
public:
    explicit ScriptArgs(lua_State* interpreter) : interpreter(interpreter) {}

    int32_t Count() const;
    /// Argument `index` (1-based) as text; null when absent or not a string or number.
    const char* Text(int32_t index) const;
    /// False only for nil, false or a missing argument.
    bool Bool(int32_t index) const;
    /// True, `out` set, when the argument is a number (or a numeric string).
    bool Number(int32_t index, double& out) const;
    /// `fallback` when the argument is absent or not a number.
    double NumberOr(int32_t index, double fallback) const;
    /// The element the argument refers to, checked to belong to `scene`.
    Element* ElementOf(int32_t index, Scene* scene) const;
    /// The state the call runs in (its global "this"); null when forged.
    ScriptState* State() const;

    void ReturnBool(bool value);
    void ReturnNumber(double value);
    void ReturnString(const char* value);
    void ReturnNil();
    /// An opaque reference a later call can pass back (see ElementOf).
    void ReturnElement(Element* element);

    int32_t Results() const { return results; }

private:
    lua_State* interpreter;
    int32_t results = 0;
};

using ArgsFunction = void (*)(ScriptArgs& args);

template <ArgsFunction Function> int ArgsTrampoline(lua_State* interpreter) {
    ScriptArgs args(interpreter);
    Function(args);
    return args.Results();
}

/// Registers `Function` as the global `name` of `state`.
template <ArgsFunction Function> void RegisterArgsFunction(const char* name, ScriptState& state) {
    RegisterFunction(name, state, &ArgsTrampoline<Function>);
}
