// Runs arbitrary text as a chunk in a fresh script state with the engine's
// global functions registered, then calls hooks by name and runs the
// deferred calls it posted, before and after closing its state. Looks for
// crashes in the binding (argument counts, types, nil, forged "this",
// runaway loops, memory), not in Lua itself: the prelude takes away what
// would only test the interpreter or the machine (files, standard input,
// native libraries, byte code).
#include "core/FrameTime.h"
#include "core/Log.h"
#include "script/DeferredCalls.h"
#include "script/GlobalScriptFunctions.h"
#include "script/ScriptState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kPrelude = "io = nil package = nil require = nil module = nil debug = nil "
                                 "loadstring = nil load = nil loadfile = nil dofile = nil string.dump = nil "
                                 "collectgarbage = nil";
constexpr const char* kHooks[] = {"Update", "StartLevel", "OnPuzzleFinish", "Thing_OnUse"};

void Setup() {
    SetLogToStandardOutput(false);
    // Small budgets keep one input short: library calls such as string.rep do
    // work the instruction count does not see, growing with the memory cap.
    SetScriptInstructionBudget(20'000);
    char folder[] = "/tmp/scriptfuzz-XXXXXX";
    if (mkdtemp(folder) && chdir(folder) != 0) {
        std::abort();
    }
    ScriptHost& host = GetScriptHost();
    host.showOnConsole = [](const char* text) { LogLine(text); };
    host.playMovie = [](const char* name) { LogLine(name); };
    host.startTransition = [](int32_t, float) {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        ScriptState state;
        if (!CreateScriptState(state)) {
            return 0;
        }
        state.memoryLimit = state.memoryUsed + (1u << 20);
        RegisterGlobalScriptFunctions(state);
        RunScriptText(kPrelude, state);
        RunScriptText(text.c_str(), state);
        for (const char* hook : kHooks) {
            CallHook(hook, state);
        }
        HasGlobal("this", state);
        GetThis(state.interpreter);
        frameTime = 0.05f;
        for (int frame = 0; frame < 3; ++frame) {
            RunDeferredCalls();
        }
    }
    // The state is gone: whatever it still had deferred must not run.
    if (DeferredCallCount() != 0) {
        std::abort();
    }
    RunDeferredCalls();
    ClearDeferredCalls();
    return 0;
}
