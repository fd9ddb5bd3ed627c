#pragma once
// Hooks with arguments and results, and reading globals as text.
//
// A hook runs only when the script defines a global of that name; a missing
// hook is silent, an error is logged (ReportScriptError) and counts as no
// result. Boolean results are true for anything but nil and false.

#include "core/String.h"
#include "script/ScriptState.h"

/// Calls the hook with one text argument (null: no argument); false when it
/// is missing or failed.
bool CallHookWithText(const char* name, const char* argument, ScriptState& state);
/// Calls the hook for one boolean result; false when it is missing, failed
/// or answered nil or false.
bool CallHookForBool(const char* name, ScriptState& state);
/// True when the hook is defined (whatever it answered).
bool CallHookForBool(const char* name, ScriptState& state, bool& answer);
/// Calls the hook for one text result; "" when it is missing, failed or did
/// not answer a string or number.
String CallHookForText(const char* name, ScriptState& state);
/// True, `out` set, when the global is a string or a number (as text), or
/// a boolean ("true" / "false").
bool GetGlobalText(const char* name, ScriptState& state, String& out);
/// True when the global is a function.
bool IsGlobalFunction(const char* name, ScriptState& state);
/// `text` as a Lua string literal: quoted, with backslash, quote, line
/// breaks and NUL escaped, so that running it gives back exactly `text`.
String QuotedScriptString(const char* text);
/// Compiles `text` without running it; false, `error` set to the compiler's
/// message, when it does not compile (precompiled chunks are refused too).
bool CheckScriptSyntax(const char* text, size_t size, const char* name, String& error);
