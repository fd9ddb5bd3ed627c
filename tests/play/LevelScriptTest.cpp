#include "core/ConfigTable.h"
#include "io/StringTable.h"
#include "play/ItemDatabase.h"
#include "play/LevelScript.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHooks.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

String Text(const char* name, LevelScript& script) {
    String out("<none>");
    GetGlobalText(name, script.state, out);
    return out;
}

class LevelScriptTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        WriteFile("text/harbour.config", "door_text = The door is stuck.;\n");
        WriteFile("text/message.config", "find_pair = Find the pairs;\n");
        ASSERT_TRUE(LoadStringTables());
        ConfigTable items;
        items.AddString("Item", "rope");
        GetItemDatabase().Read(items, "items.config");
        ASSERT_TRUE(script.Open("harbour"));
    }
    LevelScript script;
};

// Echoes its arguments as the binding reads them: text, boolean, number.
void Echo(ScriptArgs& args) {
    const char* text = args.Text(1);
    args.ReturnString(text ? text : "<nil>");
    args.ReturnBool(args.Bool(2));
    args.ReturnNumber(args.NumberOr(3, 7.0));
}

} // namespace

TEST_F(LevelScriptTest, BareNamesHoldThemselvesAndMessagesAreQualified) {
    ASSERT_TRUE(script.Run("a = door_text; b = message.find_pair; c = rope"));
    EXPECT_EQ(Text("a", script), "door_text");
    EXPECT_EQ(Text("b", script), "message.find_pair");
    EXPECT_EQ(Text("c", script), "rope");
}

TEST_F(LevelScriptTest, ParametersSurviveASaveAsLiteralsAndDamagedValuesAreNotRun) {
    EXPECT_TRUE(script.CreateParameter("opened", LevelScript::kBool));
    EXPECT_FALSE(script.CreateParameter("opened", LevelScript::kInt)) << "a taken name is ignored";
    script.CreateParameter("count", LevelScript::kInt);
    script.CreateParameter("note", LevelScript::kString);
    script.CreateParameter("never", LevelScript::kFloat);
    ASSERT_TRUE(script.Run("opened = true; count = 4; note = 'say \"hi\"\\\\ \\n there'"));
    ConfigTable saved;
    script.SaveParameters(saved);
    EXPECT_EQ(saved.ValueCount(ParameterKey("never").CStr()), 0) << "an unset parameter is not saved";

    LevelScript again;
    ASSERT_TRUE(again.Open("harbour"));
    for (const LevelScript::Parameter& parameter : script.Parameters()) {
        again.CreateParameter(parameter.name.CStr(), parameter.kind);
    }
    again.ReadParameters(saved);
    again.WriteBackParameters();
    EXPECT_EQ(Text("opened", again), "true");
    EXPECT_EQ(Text("count", again), "4");
    EXPECT_EQ(Text("note", again), "say \"hi\"\\ \n there");

    ConfigTable damaged;
    damaged.AddString(ParameterKey("count").CStr(), "0; boom = 1");
    damaged.AddString(ParameterKey("opened").CStr(), "yes");
    again.ReadParameters(damaged);
    LogCapture log;
    again.WriteBackParameters();
    EXPECT_EQ(Text("boom", again), "<none>") << "a saved value is never run as code";
    EXPECT_EQ(Text("count", again), "4");
    EXPECT_TRUE(log.Contains("Saved parameter opened"));
}

TEST_F(LevelScriptTest, HooksAnswerOnlyWhenDefinedAndArgumentsReadSafely) {
    ASSERT_TRUE(script.Run("function Zero() return 0 end\n"
                           "function Nothing() end\n"
                           "function Name() return 'lamp' end\n"
                           "function Story(name) told = name end\n"
                           "function Broken() error('no') end\n"
                           "NotAFunction = 3"));
    EXPECT_TRUE(CallHookForBool("Zero", script.state)) << "0 counts as true";
    EXPECT_FALSE(CallHookForBool("Nothing", script.state));
    bool answer = true;
    EXPECT_FALSE(CallHookForBool("Missing", script.state, answer));
    EXPECT_FALSE(answer);
    EXPECT_FALSE(CallHookForBool("NotAFunction", script.state));
    EXPECT_EQ(CallHookForText("Name", script.state), "lamp");
    EXPECT_EQ(CallHookForText("Broken", script.state), "");
    EXPECT_TRUE(CallHookWithText("Story", "intro", script.state));
    EXPECT_EQ(Text("told", script), "intro");

    RegisterArgsFunction<Echo>("Echo", script.state);
    ASSERT_TRUE(script.Run("t1, b1, n1 = Echo(12, 0, '3')\n"
                           "t2, b2, n2 = Echo({}, nil, {})\n"
                           "t3, b3, n3 = Echo()"));
    EXPECT_EQ(Text("t1", script), "12");
    EXPECT_EQ(Text("b1", script), "true");
    EXPECT_EQ(Text("n1", script), "3");
    EXPECT_EQ(Text("t2", script), "<nil>");
    EXPECT_EQ(Text("b2", script), "false");
    EXPECT_EQ(Text("n2", script), "7");
    EXPECT_EQ(Text("t3", script), "<nil>");
}
