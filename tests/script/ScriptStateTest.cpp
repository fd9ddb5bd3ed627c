#include "script/ScriptState.h"
#include "core/Element.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/PackArchive.h"
#include "io/PackBytes.h"
#include "script/DeferredCalls.h"
#include "script/GlobalScriptFunctions.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

extern "C" {
#include <lua.h>
}

#include <gtest/gtest.h>

#include <chrono>

using testing_support::LogCapture;

namespace {

class ScriptStateTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        ASSERT_TRUE(CreateScriptState(state));
        RegisterGlobalScriptFunctions(state);
    }
    // Runs the deferred calls of one frame of `seconds`.
    static void Frame(float seconds) {
        frameTime = seconds;
        RunDeferredCalls();
    }
    double Number(const char* name) { return GetGlobalNumber(name, state); }

    ScriptState state;
};

TEST_F(ScriptStateTest, SyntaxErrorInAFileLogsOneLineAndTheStateStaysUsable) {
    ASSERT_TRUE(testing_support::WriteFile("broken.lua", "x = 1\nfunction (\n"));
    LogCapture log;
    EXPECT_FALSE(RunScriptFile("broken.lua", state));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("broken.lua:2:"), std::string::npos) << log.Lines()[0];
    EXPECT_TRUE(RunScriptText("y = 2", state));
    EXPECT_EQ(Number("y"), 2.0);
    EXPECT_EQ(Number("x"), 0.0) << "a chunk that does not compile runs no part of itself";

    log.Clear();
    EXPECT_FALSE(RunScriptFile("missing.lua", state));
    EXPECT_TRUE(log.Lines().empty()) << "a file that cannot be opened fails silently";
}

TEST_F(ScriptStateTest, ScriptFilesComeFromThePackBeforeLooseFiles) {
    ASSERT_TRUE(testing_support::WriteFile("levels/harbour/harbour.lua", "source = 'loose'"));
    ASSERT_TRUE(testing_support::WriteFile(
        "data.pack", pack_bytes::Archive({{"levels/harbour/harbour.lua", "source = 'pack'"}})));
    ASSERT_TRUE(OpenArchive("data.pack"));
    EXPECT_TRUE(RunScriptFile("Levels\\Harbour\\harbour.lua", state));
    CloseArchive();
    PrepareCall("source", state);
    EXPECT_STREQ(lua_tostring(state.interpreter, -1), "pack");
}

TEST_F(ScriptStateTest, HooksAreOptionalAndARunTimeErrorIsLoggedAndTheStateGoesOn) {
    ASSERT_TRUE(RunScriptText("count = 0\n"
                              "function Tick() count = count + 1 end\n"
                              "function Broken() local t = nil; return t.field end",
                              state));
    LogCapture log;
    EXPECT_FALSE(CallHook("NotDefined", state));
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_FALSE(CallHook("Broken", state));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("attempt to index local 't'"), std::string::npos) << log.Lines()[0];
    EXPECT_TRUE(CallHook("Tick", state));
    EXPECT_TRUE(CallHook("Tick", state));
    EXPECT_EQ(Number("count"), 2.0);
}

TEST_F(ScriptStateTest, ThisNamesItsOwnStateAndForgedValuesNameNone) {
    ScriptState other;
    ASSERT_TRUE(CreateScriptState(other));
    EXPECT_EQ(GetGlobalPointer("this", state), &state);
    EXPECT_EQ(GetGlobalPointer("this", other), &other);
    EXPECT_EQ(GetThis(state.interpreter), &state);

    // A full user-data value (a file handle) is not a state.
    ASSERT_TRUE(RunScriptText("this = io.stdout", state));
    EXPECT_EQ(GetThis(state.interpreter), nullptr);
    // Neither is the address of a state that has been closed.
    void* closed = &other;
    CloseScriptState(other);
    SetGlobalPointer("this", state, closed);
    EXPECT_EQ(GetThis(state.interpreter), nullptr);
}

TEST_F(ScriptStateTest, RunawayScriptsAreStoppedWithALogLineNamingThem) {
    SetScriptInstructionBudget(200'000);
    LogCapture log;
    EXPECT_FALSE(RunScriptText("while true do end", state));
    EXPECT_TRUE(log.Contains("Script while true do end stopped"));

    // Catching the stop with pcall, or running in a coroutine, does not escape it.
    EXPECT_FALSE(RunScriptText("while true do pcall(function() while true do end end) end", state));
    EXPECT_FALSE(RunScriptText("local c = coroutine.create(function() while true do end end)\n"
                               "while true do coroutine.resume(c) end",
                               state));
    ASSERT_TRUE(RunScriptText("function Spin() local n = 0 while true do n = n + 1 end end", state));
    log.Clear();
    EXPECT_FALSE(CallHook("Spin", state));
    EXPECT_TRUE(log.Contains("Script Spin stopped"));

    // The budget counts per call: the state goes on working, and a long but
    // finite script under the budget completes.
    EXPECT_TRUE(RunScriptText("n = 0 for i = 1, 10000 do n = n + i end", state));
    EXPECT_EQ(Number("n"), 50005000.0);

    // Few instructions that each take long are stopped by the clock.
    SetScriptInstructionBudget(kDefaultInstructionBudget);
    SetScriptTimeBudget(0.2);
    log.Clear();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunScriptText("while true do local s = string.rep('x', 4000000) end", state));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_TRUE(log.Contains("seconds without returning"));
}

TEST_F(ScriptStateTest, ScriptsCannotRaiseOutsideAProtectedCallOrCrashTheLoader) {
    // An erroring __index on the globals must not run when the engine looks a hook up.
    ASSERT_TRUE(RunScriptText("setmetatable(_G, {__index = function() error('boom') end,"
                              " __newindex = function() error('boom') end})",
                              state));
    EXPECT_FALSE(HasGlobal("Missing", state));
    EXPECT_FALSE(CallHook("Missing", state));
    SetGlobalNumber("value", 3.0, state);
    EXPECT_EQ(Number("value"), 3.0);
    EXPECT_EQ(GetThis(state.interpreter), &state);

    LogCapture log;
    EXPECT_FALSE(RunScriptText("\x1bLua\x51 forged byte code", state));
    EXPECT_TRUE(log.Contains("precompiled"));
    EXPECT_FALSE(HasGlobal("newproxy", state));
}

TEST_F(ScriptStateTest, AllocationPastTheCapFailsAsAScriptError) {
    state.memoryLimit = state.memoryUsed + (4u << 20);
    LogCapture log;
    EXPECT_FALSE(RunScriptText("local t = {} for i = 1, 10000000 do t[i] = i end", state));
    EXPECT_TRUE(log.Contains("not enough memory"));
    EXPECT_TRUE(RunScriptText("small = 1", state));
}

int ReadTopString(lua_State* L) {
    lua_pushstring(L, TopString(L));
    return 1;
}

TEST_F(ScriptStateTest, TopStringConvertsNumbersAndRaisesForOtherValues) {
    RegisterFunction("Top", state, &ReadTopString);
    ASSERT_TRUE(RunScriptText("a = Top(12)", state));
    ASSERT_TRUE(RunScriptText("ok, message = pcall(Top, {})", state));
    ASSERT_TRUE(RunScriptText("ok2, message2 = pcall(Top)", state));
    PrepareCall("a", state);
    EXPECT_STREQ(lua_tostring(state.interpreter, -1), "12");
    PrepareCall("message", state);
    EXPECT_NE(std::string(lua_tostring(state.interpreter, -1)).find("string expected, got table"),
              std::string::npos);
    PrepareCall("message2", state);
    EXPECT_NE(std::string(lua_tostring(state.interpreter, -1)).find("string expected, got no value"),
              std::string::npos);
}

Scene* checkedScene = nullptr;
int IsElementOfScene(lua_State* L) {
    lua_pushboolean(L, CheckedElement(L, 1, checkedScene) != nullptr);
    return 1;
}

TEST_F(ScriptStateTest, AnElementHandedBackCountsOnlyWhileItIsInItsScene) {
    Scene scene;
    Scene elsewhere;
    auto* mine = new Element();
    auto* foreign = new Element();
    scene.AddElement(mine, "mine");
    elsewhere.AddElement(foreign, "foreign");
    checkedScene = &scene;
    RegisterFunction("IsElementOfScene", state, &IsElementOfScene);
    SetGlobalPointer("mine", state, mine);
    SetGlobalPointer("foreign", state, foreign);
    ASSERT_TRUE(RunScriptText("a = IsElementOfScene(mine) b = IsElementOfScene(foreign)"
                              " c = IsElementOfScene('mine') d = IsElementOfScene()",
                              state));
    EXPECT_TRUE(GetGlobalBool("a", state));
    EXPECT_FALSE(GetGlobalBool("b", state));
    EXPECT_FALSE(GetGlobalBool("c", state));
    EXPECT_FALSE(GetGlobalBool("d", state));
    checkedScene = nullptr;
}

// ---- deferred calls ----

TEST_F(ScriptStateTest, DeferredCallsRunWhenTheirDelayIsUsedUpAndNegativeOnesAtTheNextFrame) {
    ASSERT_TRUE(RunScriptText("runs = {}\n"
                              "DeferCall('runs.late = Time and 1', 0.1)\n"
                              "DeferCall('runs.early = 1', -5)",
                              state));
    EXPECT_EQ(DeferredCallCount(), 2u);
    Frame(0.04f);
    EXPECT_TRUE(RunScriptText("early = runs.early late = runs.late", state));
    EXPECT_EQ(Number("early"), 1.0);
    EXPECT_EQ(Number("late"), 0.0);
    Frame(0.04f);
    EXPECT_TRUE(RunScriptText("late = runs.late", state));
    EXPECT_EQ(Number("late"), 0.0) << "0.08 s of 0.1 s";
    Frame(0.04f);
    EXPECT_TRUE(RunScriptText("late = runs.late", state));
    EXPECT_EQ(Number("late"), 1.0);
    EXPECT_EQ(DeferredCallCount(), 0u);
}

TEST_F(ScriptStateTest, AFailingDeferredCallIsRemovedAllTheSame) {
    ASSERT_TRUE(RunScriptText("tries = 0 DeferCall('tries = tries + 1 error(\"no\")', 0)", state));
    LogCapture log;
    Frame(0.02f);
    Frame(0.02f);
    EXPECT_EQ(Number("tries"), 1.0);
    EXPECT_EQ(DeferredCallCount(), 0u);
    EXPECT_TRUE(log.Contains("no"));
}

TEST_F(ScriptStateTest, CallsPostedDuringTheWalkByZeroRunInTheSameFrame) {
    ASSERT_TRUE(RunScriptText("order = ''\n"
                              "DeferCall([[order = order .. 'a' DeferCall(\"order = order .. 'c'\", 0)"
                              " DeferCall(\"order = order .. 'x'\", 0.5)]], 0)\n"
                              "DeferCall(\"order = order .. 'b'\", 0)",
                              state));
    Frame(0.02f);
    PrepareCall("order", state);
    EXPECT_STREQ(lua_tostring(state.interpreter, -1), "abc");
    EXPECT_EQ(DeferredCallCount(), 1u);
}

ScriptState* closedByScript = nullptr;
int CloseOther(lua_State*) {
    CloseScriptState(*closedByScript);
    return 0;
}

TEST_F(ScriptStateTest, CallsToAClosedStateNeverRunEvenWhenItClosesDuringTheWalk) {
    ScriptState other;
    ASSERT_TRUE(CreateScriptState(other));
    RegisterGlobalScriptFunctions(other);
    closedByScript = &other;
    RegisterFunction("CloseOther", state, &CloseOther);
    // The first call is not due yet; dropping it while the walk is past it
    // must not make the walk skip the call after the one that closes.
    ASSERT_TRUE(RunScriptText("DeferCall('ConsolePrint(\"other ran late\")', 0.5)", other));
    ASSERT_TRUE(RunScriptText("DeferCall('CloseOther()', 0)", state));
    ASSERT_TRUE(RunScriptText("DeferCall('ConsolePrint(\"other ran\")', 0)", other));
    ASSERT_TRUE(RunScriptText("DeferCall('ConsolePrint(\"mine ran\")', 0)", state));
    LogCapture log;
    Frame(0.02f);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"mine ran"});
    EXPECT_EQ(DeferredCallCount(), 0u);

    ScriptState short_lived;
    ASSERT_TRUE(CreateScriptState(short_lived));
    PostDeferredCall("x = 1", 0.0f, short_lived, true);
    CloseScriptState(short_lived);
    EXPECT_EQ(DeferredCallCount(), 0u);
    closedByScript = nullptr;
}

// ---- the global script functions ----

TEST_F(ScriptStateTest, GlobalFunctionsCheckTheirArgumentCounts) {
    std::vector<std::string> shown;
    std::vector<std::pair<int32_t, float>> transitions;
    GetScriptHost().showOnConsole = [&shown](const char* text) { shown.emplace_back(text); };
    GetScriptHost().startTransition = [&transitions](int32_t type, float seconds) {
        transitions.emplace_back(type, seconds);
    };
    totalTime = 12.5;
    frameTime = 0.25f;
    ASSERT_TRUE(RunScriptText("a = TestScriptFunction() b = TestScriptFunction(1)\n"
                              "DeferCall('x = 1') DeferCall('x = 1', 1) DeferCall('x = 2', 1, false)\n"
                              "Transition(3) Transition(4, 2) Transition()\n"
                              "t = Time() f = FrameTime() g = Time(1)",
                              state));
    EXPECT_TRUE(GetGlobalBool("a", state));
    EXPECT_FALSE(HasGlobal("b", state));
    EXPECT_EQ(shown, std::vector<std::string>{kGarbageHookText});
    EXPECT_EQ(DeferredCallCount(), 2u);
    ASSERT_EQ(transitions.size(), 2u);
    EXPECT_EQ(transitions[0], std::make_pair(3, 0.5f));
    EXPECT_EQ(transitions[1], std::make_pair(4, 2.0f));
    EXPECT_EQ(Number("t"), 12.5);
    EXPECT_EQ(Number("f"), 0.25);
    EXPECT_FALSE(HasGlobal("g", state));
    totalTime = 0.0;

    LogCapture log;
    ASSERT_TRUE(RunScriptText("ConsolePrint(42) ConsolePrint('a', 'b') ConsolePrint()", state));
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"42"});
}

} // namespace
