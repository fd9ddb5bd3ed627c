#include "script/DeferredCalls.h"

#include "core/FrameTime.h"
#include "script/ScriptState.h"

#include <string>
#include <vector>

namespace {

struct DeferredCall {
    std::string code;
    float delay = 0.0f;
    ScriptState* target = nullptr;
    bool flag = true;
};

std::vector<DeferredCall> calls;
// Position of the walk in progress (null when none): removals before it
// move it down, so the walk neither skips nor repeats a call.
size_t* walkPosition = nullptr;

template <typename Predicate> void RemoveCalls(Predicate remove) {
    for (size_t i = 0; i < calls.size();) {
        if (!remove(calls[i])) {
            ++i;
            continue;
        }
        calls.erase(calls.begin() + std::ptrdiff_t(i));
        if (walkPosition && i < *walkPosition) {
            --*walkPosition;
        }
    }
}

} // namespace

void PostDeferredCall(const char* code, float delay, ScriptState& state, bool flag) {
    if (!code || !state.IsOpen()) {
        return;
    }
    calls.push_back(DeferredCall{code, delay, &state, flag});
}

void RunDeferredCalls() {
    if (walkPosition) {
        return; // a deferred call's own text cannot start a second walk
    }
    const float step = frameTime;
    size_t position = 0;
    walkPosition = &position;
    while (position < calls.size()) {
        DeferredCall& call = calls[position];
        call.delay -= step;
        if (call.delay > 0.0f) {
            ++position;
            continue;
        }
        // Out of the list before it runs: its text may post, clear or close.
        DeferredCall due = std::move(call);
        calls.erase(calls.begin() + std::ptrdiff_t(position));
        if (due.target->IsOpen()) {
            RunScriptText(due.code.c_str(), *due.target);
        }
    }
    walkPosition = nullptr;
}

void ClearDeferredCalls() {
    RemoveCalls([](const DeferredCall&) { return true; });
}

void DropDeferredCalls(const ScriptState& state) {
    RemoveCalls([&state](const DeferredCall& call) { return call.target == &state; });
}

size_t DeferredCallCount() {
    return calls.size();
}
