// The cost of the script binding per call, so that a level script's
// per-frame "Update" hook has a known price: an empty Lua hook called from
// the engine (CallHook), and a registered engine function called from Lua,
// each against a plain C++ call through a function pointer measured in the
// same run (the ratio is the figure that survives noisy machines).
#include "script/ScriptState.h"

extern "C" {
#include <lua.h>
}

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

int calls = 0;

__attribute__((noinline)) void PlainFunction() {
    ++calls;
    benchmark::ClobberMemory();
}

int RegisteredFunction(lua_State*) {
    ++calls;
    return 0;
}

void (*volatile plainPointer)() = &PlainFunction;

using Clock = std::chrono::steady_clock;

double NanosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// The reference: one plain call, timed in this run.
double PlainCallNanoseconds() {
    static const double nanoseconds = [] {
        constexpr int kCalls = 20'000'000;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kCalls; ++i) {
            plainPointer();
        }
        return NanosecondsSince(start) / kCalls;
    }();
    return nanoseconds;
}

// Per-call time of the loop just run and its ratio to the plain call.
void ReportPerCall(benchmark::State& state, Clock::time_point start, double calls) {
    const double perCall = NanosecondsSince(start) / calls;
    state.counters["ns_per_call"] = perCall;
    state.counters["x_plain_call"] = perCall / PlainCallNanoseconds();
}

void PlainCppCall(benchmark::State& state) {
    for (auto _ : state) {
        plainPointer();
    }
    state.SetItemsProcessed(state.iterations());
}

void EmptyLuaHook(benchmark::State& state) {
    ScriptState script;
    CreateScriptState(script);
    RunScriptText("function Update() end", script);
    PlainCallNanoseconds();
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        CallHook("Update", script);
    }
    ReportPerCall(state, start, double(state.iterations()));
    state.SetItemsProcessed(state.iterations());
}

// One Lua loop makes 1,000 calls of the registered function; the loop's own
// cost is included, as it is in any script.
constexpr int kCallsPerLoop = 1000;

void RegisteredFunctionFromLua(benchmark::State& state) {
    ScriptState script;
    CreateScriptState(script);
    RegisterFunction("EngineFunction", script, &RegisteredFunction);
    RunScriptText("function Loop() for i = 1, 1000 do EngineFunction() end end", script);
    PlainCallNanoseconds();
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        CallHook("Loop", script);
    }
    ReportPerCall(state, start, double(state.iterations()) * kCallsPerLoop);
    state.SetItemsProcessed(state.iterations() * kCallsPerLoop);
}

} // namespace

BENCHMARK(PlainCppCall);
BENCHMARK(EmptyLuaHook);
BENCHMARK(RegisteredFunctionFromLua);
