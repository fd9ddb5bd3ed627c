#pragma once
// Deferred script calls: script text run in a script state some time later.
//
// One process-wide list holds the calls in order of posting. Each frame,
// RunDeferredCalls takes frameTime off every call's delay and runs, in list
// order, those whose delay is no longer above 0; a call runs once, whether
// its text succeeds or fails, and leaves the list. Calls posted while the
// list is walked are appended and reached in the same walk, their delay
// reduced first, so a call deferred by 0 from inside a deferred call runs in
// the same frame.
//
// A call never outlives its target: closing a ScriptState drops its calls
// (also while the list is being walked).

#include <cstddef>

class ScriptState;

/// Appends a call of a copy of `code` in `state` after `delay` seconds of
/// frame time (0 or less: the next walk). `flag` is kept with the call and
/// not used. Nothing for a null code or a closed state.
void PostDeferredCall(const char* code, float delay, ScriptState& state, bool flag);
/// Once per frame: the walk described above, with d = frameTime.
void RunDeferredCalls();
/// Deletes every call (the levels are unloaded, shut-down).
void ClearDeferredCalls();
/// Deletes the calls that target `state` (it is closing).
void DropDeferredCalls(const ScriptState& state);
size_t DeferredCallCount();
