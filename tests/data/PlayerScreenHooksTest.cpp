// The player state behind the screen services: which profile draws the
// dark loading picture, and the bookkeeping when a level set is entered.
#include "data/PlayerScreenHooks.h"

#include "data/GameDataFixture.h"
#include "play/LevelPlayerHooks.h"
#include "ui/ScreenGameHooks.h"

namespace {

bool mapOpen = false;
bool MapQuery(const char* name) {
    return mapOpen && std::string(name) == "MapScreen";
}

class PlayerScreenHooksTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        startup.LoadOptionsAndState();
    }
};

} // namespace

TEST_F(PlayerScreenHooksTest, TheDefaultPlayerIsNotRegisteredAndHasTheSaveFolder) {
    ScreenGameHooks& hooks = GetScreenGameHooks();
    LevelPlayerHooks& levelHooks = GetLevelPlayerHooks();
    EXPECT_FALSE(hooks.IsRegisteredPlayer());
    EXPECT_EQ(std::string(hooks.PlayerFolder().CStr()), folder);
    const int32_t id = CreatePlayer("Ada");
    ASSERT_GE(id, 0);
    ASSERT_TRUE(SelectPlayer(id));
    EXPECT_TRUE(hooks.IsRegisteredPlayer());
    EXPECT_FALSE(levelHooks.InSecondWorld());
    EXPECT_FALSE(hooks.UseSecondLook());
    CurrentPlayer()->CurrentLevel.SetFirstInt(5);
    EXPECT_TRUE(levelHooks.InSecondWorld());
    EXPECT_TRUE(hooks.UseSecondLook());
    EXPECT_EQ(levelHooks.CurrentLevel(), 5);
}

TEST_F(PlayerScreenHooksTest, EnteringALevelSetStowsTheItemInHandAndSavesWithTheMapState) {
    LevelPlayerHooks& hooks = GetLevelPlayerHooks();
    State* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    player->AddToInventory("key");
    player->AddToInventory("coin");
    player->RemoveInventoryItemAt(0);
    player->ActiveItem.SetFirstString("lamp");
    hooks.CompactInventory();
    EXPECT_EQ(std::string(player->InventoryItemAt(0).CStr()), "coin");

    mapOpen = true;
    SetScreenOpenQuery(&MapQuery);
    hooks.EnterLevelSet(4);
    EXPECT_EQ(player->CurrentLevel.FirstInt(), 4);
    EXPECT_TRUE(player->ActiveItem.FirstString().Empty());
    EXPECT_GE(player->FindInventoryItem("lamp"), 0);
    EXPECT_TRUE(player->ShowMapOnLoad.FirstBool());

    // What was written is what loads back.
    player->CurrentLevel.SetFirstInt(0);
    ASSERT_TRUE(LoadStateFile());
    EXPECT_EQ(CurrentPlayer()->CurrentLevel.FirstInt(), 4);
    EXPECT_TRUE(CurrentPlayer()->ShowMapOnLoad.FirstBool());

    hooks.ApplyLevelOrbCount();
    EXPECT_EQ(CurrentPlayer()->OrbCount.FirstInt(), GetGlobals()->GetInt("Game_OrbCounts", 4));
}
