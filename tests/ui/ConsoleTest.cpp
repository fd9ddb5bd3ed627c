// The console's keys, history and reports, and the command table behind it.
#include "ui/Console.h"
#include "core/EngineState.h"
#include "script/CommandTable.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "ui/ConsoleCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::LogCapture;

namespace {

void ReportToConsole(const char* report) {
    GetConsole().AddReport(report);
}

class ConsoleTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        console.allowed = true;
        RegisterConsoleCommands();
        SetCommandReportReceiver(&ReportToConsole);
    }
    void Type(const std::string& text) {
        for (char c : text) {
            console.OnChar(static_cast<unsigned char>(c));
        }
    }
    void Key(int key) { console.OnKey(key, 1, 0); }
    // A keypad key with Num Lock on: the key, then the digit it types.
    void Keypad(int key, char digit) {
        Key(key);
        console.OnChar(digit);
    }
    void Enter(const std::string& text) {
        Type(text);
        Key(Console::kEnterKey);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (const String& line : console.lines) {
            out.emplace_back(line.CStr());
        }
        return out;
    }

    Console& console = GetConsole();
};

TEST_F(ConsoleTest, TheToggleKeyOpensAndItsCharacterNeverReachesTheLine) {
    console.allowed = false;
    Key(Console::kToggleKey);
    EXPECT_FALSE(console.open) << "a console the options do not allow never opens";
    console.allowed = true;
    Type("ab");
    EXPECT_TRUE(console.input.Empty()) << "closed, it takes no characters";
    Key(Console::kToggleKey);
    ASSERT_TRUE(console.open);
    Type("`p`r\x07");
    EXPECT_EQ(console.input, "pr");
    Key(Console::kBackspaceKey);
    EXPECT_EQ(console.input, "p");
    Key(Console::kToggleKey);
    EXPECT_FALSE(console.open);
    EXPECT_EQ(console.input, "p") << "closing keeps the line being typed";
}

TEST_F(ConsoleTest, EnterRunsTheLineAndShowsItsReport) {
    Key(Console::kToggleKey);
    Key(Console::kEnterKey);
    EXPECT_TRUE(console.lines.empty()) << "an empty line is no command";
    EXPECT_TRUE(console.commands.empty());

    Enter("print a b");
    Enter("nosuch x");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a,b", "print a b: OK", "nosuch x: ERROR"}));
    EXPECT_TRUE(console.input.Empty());
    ASSERT_EQ(console.commands.size(), 2u);
    EXPECT_EQ(console.commands.back(), "nosuch x");
}

TEST_F(ConsoleTest, CommandsCheckTheirArgumentCounts) {
    LogCapture log;
    running = true;
    EXPECT_FALSE(ExecuteCommandLine("quit now"));
    EXPECT_TRUE(running);
    EXPECT_FALSE(ExecuteCommandLine(" quit")) << "a line starting with a blank holds no command";
    EXPECT_TRUE(running);
    EXPECT_TRUE(ExecuteCommandLine("quit"));
    EXPECT_FALSE(running);

    EXPECT_FALSE(ExecuteCommandLine("toggleFps twice"));
    EXPECT_TRUE(ExecuteCommandLine("toggleFps"));
    EXPECT_TRUE(console.showFps);
    EXPECT_FALSE(ExecuteCommandLine("print"));
    EXPECT_FALSE(ExecuteCommandLine("setAll"));
    EXPECT_TRUE(ExecuteCommandLine("edit,village")) << "commas separate like blanks";

    // A command of the game that the game has not provided fails and says why.
    EXPECT_FALSE(ExecuteCommandLine("give lantern"));
    EXPECT_TRUE(log.Contains("give: this build has no items yet"));
    bool given = false;
    GetConsoleGameCommands().give = [&given](const char* item) {
        return given = std::string(item) == "lantern";
    };
    EXPECT_FALSE(ExecuteCommandLine("give"));
    EXPECT_TRUE(ExecuteCommandLine("give lantern"));
    EXPECT_TRUE(given);
    GetConsoleGameCommands() = ConsoleGameCommands();
}

TEST_F(ConsoleTest, EntriesSharingANameAllRunAndTheLastResultCounts) {
    std::vector<std::string> seen;
    RegisterCommand("twice", [&seen](const CommandArguments& arguments) {
        seen.push_back("first:" + std::string(arguments.empty() ? "" : arguments[0].CStr()));
        return true;
    });
    RegisterCommand("twice", [&seen](const CommandArguments&) {
        seen.push_back("second");
        return false;
    });
    EXPECT_FALSE(ExecuteCommandLine("twice x"));
    EXPECT_EQ(seen, (std::vector<std::string>{"first:x", "second"}));
}

TEST_F(ConsoleTest, RecallWalksBackToTheOldestAndForwardToTheTypedText) {
    Key(Console::kToggleKey);
    Enter("print one");
    Enter("print two");
    Enter("print three");
    Type("pri");
    Keypad(Console::kOlderCommandKey, '8');
    EXPECT_EQ(console.input, "print three") << "the keypad's digit does not land in the line";
    Keypad(Console::kOlderCommandKey, '8');
    Keypad(Console::kOlderCommandKey, '8');
    EXPECT_EQ(console.input, "print one");
    Keypad(Console::kOlderCommandKey, '8');
    EXPECT_EQ(console.input, "print one") << "past the oldest nothing changes";
    Keypad(Console::kNewerCommandKey, '2');
    Keypad(Console::kNewerCommandKey, '2');
    EXPECT_EQ(console.input, "print three");
    Keypad(Console::kNewerCommandKey, '2');
    EXPECT_EQ(console.input, "pri") << "past the newest the typed text comes back";
    Type("8");
    EXPECT_EQ(console.input, "pri8") << "digits typed otherwise still count";
}

TEST_F(ConsoleTest, LogLinesWhileClosedBecomeTheStatusLineAndTheHistoryIsCapped) {
    console.AddReport("loaded");
    EXPECT_EQ(console.status, "loaded");
    EXPECT_FLOAT_EQ(console.statusTime, Console::kStatusSeconds);
    Key(Console::kToggleKey);
    console.AddReport("while open");
    EXPECT_EQ(console.status, "loaded") << "an open console shows the line in its history only";
    EXPECT_EQ(Lines(), (std::vector<std::string>{"loaded", "while open"}));

    Key(Console::kScrollUpKey);
    Key(Console::kScrollUpKey);
    EXPECT_EQ(console.scroll, 1) << "the oldest line stays in view";
    for (int i = 0; i < int(Console::kMaxLines) + 5; ++i) {
        console.AddReport(std::to_string(i).c_str());
    }
    ASSERT_EQ(console.lines.size(), Console::kMaxLines);
    EXPECT_EQ(console.lines.front(), "5");
    EXPECT_EQ(console.lines.back(), std::to_string(Console::kMaxLines + 4).c_str());
}

} // namespace
