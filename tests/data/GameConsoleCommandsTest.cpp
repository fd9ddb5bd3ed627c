// The console commands the game serves: the active player's name and files.
#include "GameDataFixture.h"

#include "GameConsoleCommands.h"
#include "script/CommandTable.h"
#include "ui/ConsoleCommands.h"

using testing_support::WriteFile;

namespace {

class GameConsoleCommandsTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        LoadStateFile();
        ASSERT_NE(gameState, nullptr);
        RegisterConsoleCommands();
        InstallGameConsoleCommands();
    }
};

TEST_F(GameConsoleCommandsTest, SetPlayerNameRegistersTheActivePlayerAndResetsDeleteItsFiles) {
    State* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_FALSE(ExecuteCommandLine("setPlayerName"));
    EXPECT_TRUE(ExecuteCommandLine("setPlayerName Ann"));
    EXPECT_STREQ(player->PlayerName.FirstString().CStr(), "Ann");
    EXPECT_EQ(player->PlayerId.FirstInt(), 0);

    ASSERT_TRUE(WriteFile(Path("0_harbour.save"), "a"));
    ASSERT_TRUE(WriteFile(Path("0_lighthouse.save"), "b"));
    ASSERT_TRUE(WriteFile(Path("1_harbour.save"), "other player"));
    EXPECT_TRUE(ExecuteCommandLine("resetLevelProgress harbour"));
    EXPECT_FALSE(Has("0_harbour.save"));
    EXPECT_TRUE(Has("0_lighthouse.save"));
    EXPECT_TRUE(ExecuteCommandLine("resetAllProgress"));
    EXPECT_FALSE(Has("0_lighthouse.save"));
    EXPECT_TRUE(Has("1_harbour.save"));
}

} // namespace
