#include "GameDataFixture.h"

#include "core/Scene.h"

using testing_support::WriteFile;

namespace {

class ProfilesTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        LoadStateFile();
        ASSERT_NE(gameState, nullptr);
    }
    int ActiveCount() {
        int count = 0;
        for (auto& entry : gameState->Elements().Entries()) {
            count += static_cast<State*>(entry.value)->Active.FirstBool() ? 1 : 0;
        }
        return count;
    }
};

TEST_F(ProfilesTest, FirstProfileAdoptsTheDefaultPlayer) {
    State* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->PlayerId.FirstInt(), -1);
    EXPECT_STREQ(player->PlayerName.FirstString().CStr(), "DefaultPlayer");
    EXPECT_FALSE(IsRegistered(*player));
    EXPECT_EQ(NextPlayerId(), 0);

    // Files left by an earlier profile 0 go when the number is taken again.
    ASSERT_TRUE(WriteFile(Path("0_diner.save"), "old"));
    ASSERT_TRUE(WriteFile(Path("10_diner.save"), "other"));
    EXPECT_EQ(CreatePlayer("Ann"), 0);
    EXPECT_EQ(CurrentPlayer(), player);
    EXPECT_EQ(gameState->Elements().Size(), 1u);
    EXPECT_STREQ(player->PlayerName.FirstString().CStr(), "Ann");
    EXPECT_TRUE(IsRegistered(*player));
    EXPECT_FALSE(Has("0_diner.save"));
    EXPECT_TRUE(Has("10_diner.save"));
}

TEST_F(ProfilesTest, NamesMustBeUniqueByExactBytes) {
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    EXPECT_EQ(CreatePlayer("Ann"), -1);
    EXPECT_EQ(gameState->Elements().Size(), 1u);
    const int32_t other = CreatePlayer("ann");
    EXPECT_EQ(other, 1);
    // A new profile is not selected until asked for.
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "Ann");
    ASSERT_TRUE(SelectPlayer(other));
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "ann");
    EXPECT_EQ(ActiveCount(), 1);
    EXPECT_FALSE(SelectPlayer(42));
    EXPECT_EQ(CurrentPlayer(), nullptr);
}

TEST_F(ProfilesTest, DeletingTheHighestProfileReusesItsNumberAndClearsStaleFiles) {
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    ASSERT_EQ(CreatePlayer("Bob"), 1);
    ASSERT_TRUE(WriteFile(Path("1_diner.save"), "bob's"));
    ASSERT_TRUE(DeletePlayer(1));
    EXPECT_FALSE(Has("1_diner.save"));
    EXPECT_EQ(FindPlayerByName("Bob"), nullptr);
    EXPECT_EQ(NextPlayerId(), 1);

    // A save of the number that appeared since (a copy from elsewhere, a crash)
    // must not become the new profile's progress.
    ASSERT_TRUE(WriteFile(Path("1_park.save"), "stale"));
    EXPECT_EQ(CreatePlayer("Cid"), 1);
    EXPECT_FALSE(Has("1_park.save"));
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "Ann");
}

TEST_F(ProfilesTest, DeletingTheActiveProfileSelectsTheFirstRegisteredOneAndSaves) {
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    ASSERT_EQ(CreatePlayer("Bob"), 1);
    ASSERT_TRUE(SelectPlayer(1));
    CurrentPlayer()->ActiveItem.SetFirstString("key");
    ASSERT_TRUE(DeletePlayer(1));
    ASSERT_NE(CurrentPlayer(), nullptr);
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "Ann");
    EXPECT_EQ(ActiveCount(), 1);
    EXPECT_TRUE(Has("state.scene"));
    EXPECT_FALSE(DeletePlayer(1));
}

TEST_F(ProfilesTest, DeletingTheLastProfileLeavesAFreshDefaultPlayer) {
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    CurrentPlayer()->CurrentLevel.SetFirstInt(5);
    ASSERT_TRUE(DeletePlayer(0));
    ASSERT_EQ(gameState->Elements().Size(), 1u);
    State* fresh = CurrentPlayer();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->PlayerId.FirstInt(), -1);
    EXPECT_STREQ(fresh->PlayerName.FirstString().CStr(), "DefaultPlayer");
    EXPECT_EQ(fresh->CurrentLevel.FirstInt(), 0);
    EXPECT_TRUE(fresh->Active.FirstBool());

    // The saved state reloads to the same single default player.
    ASSERT_TRUE(LoadStateFile());
    ASSERT_NE(CurrentPlayer(), nullptr);
    EXPECT_EQ(CurrentPlayer()->PlayerId.FirstInt(), -1);
}

TEST_F(ProfilesTest, CopyTakesEverythingButNameIdAndSelection) {
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    State* ann = CurrentPlayer();
    ann->CurrentLevel.SetFirstInt(4);
    ann->AddToInventory("lamp");
    EXPECT_EQ(CopyPlayer(0, "Ann"), -1);
    EXPECT_EQ(CopyPlayer(7, "Zoe"), -1);
    const int32_t id = CopyPlayer(0, "Zoe");
    ASSERT_EQ(id, 1);
    State* zoe = FindPlayerById(1);
    ASSERT_NE(zoe, nullptr);
    EXPECT_NE(zoe, ann);
    EXPECT_STREQ(zoe->PlayerName.FirstString().CStr(), "Zoe");
    EXPECT_EQ(zoe->CurrentLevel.FirstInt(), 4);
    EXPECT_STREQ(zoe->InventoryItemAt(0).CStr(), "lamp");
    EXPECT_FALSE(zoe->Active.FirstBool());
    EXPECT_EQ(ActiveCount(), 1);
    // Element names stay unique and match the root's index.
    EXPECT_EQ(gameState->FindElement(zoe->GetName()), zoe);
    EXPECT_EQ(gameState->FindElement(ann->GetName()), ann);
}

TEST_F(ProfilesTest, ResetKeepsIdentityAndSelection) {
    ASSERT_EQ(CreatePlayer("Ann"), 0);
    State* ann = CurrentPlayer();
    const String elementName(ann->GetName());
    ann->CurrentLevel.SetFirstInt(9);
    ann->OrbCount.SetFirstInt(3);
    ann->AddJournalElement("statue", "plaza");
    ResetPlayer(*ann);
    EXPECT_EQ(ann->CurrentLevel.FirstInt(), 0);
    EXPECT_EQ(ann->OrbCount.FirstInt(), -1);
    EXPECT_EQ(ann->FindJournalPage("plaza"), -1);
    EXPECT_STREQ(ann->ActiveJournalPage.FirstString().CStr(), "memorial_plaza");
    EXPECT_STREQ(ann->PlayerName.FirstString().CStr(), "Ann");
    EXPECT_EQ(ann->PlayerId.FirstInt(), 0);
    EXPECT_STREQ(ann->GetName(), elementName.CStr());
    EXPECT_EQ(CurrentPlayer(), ann);
}

// ---- inventory, journal, orbs and levels on one profile -------------------------

class PlayerStateTest : public GameDataTest {
protected:
    State player;
};

TEST_F(PlayerStateTest, InventoryFillsFirstEmptySlotAndNeverMovesOthers) {
    EXPECT_TRUE(player.AddToInventory("lamp"));
    EXPECT_TRUE(player.AddToInventory("key"));
    EXPECT_TRUE(player.AddToInventory("lamp"));
    EXPECT_EQ(player.FindInventoryItem("lamp"), 0);
    EXPECT_TRUE(player.RemoveInventoryItemAt(0));
    EXPECT_FALSE(player.RemoveInventoryItemAt(0));
    EXPECT_FALSE(player.RemoveInventoryItemAt(-1));
    EXPECT_FALSE(player.RemoveInventoryItemAt(32));
    EXPECT_STREQ(player.InventoryItemAt(1).CStr(), "key");
    EXPECT_TRUE(player.InventoryItemAt(99).Empty());
    EXPECT_EQ(player.FirstEmptyInventorySlot(), 0);
    EXPECT_EQ(player.FindInventoryItem("lamp"), 2);

    player.CompactInventory();
    EXPECT_STREQ(player.InventoryItemAt(0).CStr(), "key");
    EXPECT_STREQ(player.InventoryItemAt(1).CStr(), "lamp");
    EXPECT_TRUE(player.InventoryItemAt(2).Empty());
    EXPECT_EQ(player.FirstEmptyInventorySlot(), 2);
}

TEST_F(PlayerStateTest, FullInventoryRefusesAndStowingDropsTheItemInHand) {
    for (int i = 0; i < State::kInventorySlots; ++i) {
        ASSERT_TRUE(player.AddToInventory(("item" + std::to_string(i)).c_str()));
    }
    EXPECT_FALSE(player.AddToInventory("extra"));
    EXPECT_EQ(player.FirstEmptyInventorySlot(), -1);
    player.ActiveItem.SetFirstString("coin");
    EXPECT_TRUE(player.HasItem("coin"));
    EXPECT_TRUE(player.HasActiveItem());
    player.StowActiveItem();
    EXPECT_FALSE(player.HasActiveItem());
    EXPECT_FALSE(player.HasItem("coin"));

    State other;
    other.ActiveItem.SetFirstString("coin");
    other.StowActiveItem();
    EXPECT_EQ(other.FindInventoryItem("coin"), 0);
    EXPECT_TRUE(other.ActiveItem.FirstString().Empty());
}

TEST_F(PlayerStateTest, JournalEntriesListThePageThenItsElements) {
    EXPECT_TRUE(player.AddJournalElement("E", "P"));
    EXPECT_STREQ(player.JournalElements.GetString(0).CStr(), "P,P,E");
    EXPECT_STREQ(player.ActiveJournalPage.FirstString().CStr(), "P");
    EXPECT_TRUE(player.JournalUpdated.FirstBool());
    EXPECT_FALSE(player.AddJournalElement("E", "P"));
    EXPECT_TRUE(player.AddJournalElement("F", "P"));
    EXPECT_STREQ(player.JournalElements.GetString(0).CStr(), "P,P,E,F");
    EXPECT_TRUE(player.AddJournalElement("G", "Q"));
    EXPECT_STREQ(player.JournalElements.GetString(1).CStr(), "Q,Q,G");

    std::vector<String> elements;
    ASSERT_TRUE(player.JournalPageElements("P", elements));
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_STREQ(elements[2].CStr(), "F");
    EXPECT_FALSE(player.JournalPageElements("R", elements));
    EXPECT_TRUE(player.PageHasElement("Q", "G"));
    EXPECT_FALSE(player.PageHasElement("Q", "E"));
    String name;
    EXPECT_TRUE(player.JournalPageNameAt(1, name));
    EXPECT_STREQ(name.CStr(), "Q");
    EXPECT_FALSE(player.JournalPageNameAt(2, name));
    EXPECT_FALSE(player.JournalPageNameAt(-1, name));
}

TEST_F(PlayerStateTest, JournalTurnsOnlyOntoFilledEntries) {
    player.AddJournalElement("a", "one");
    player.AddJournalElement("b", "two");
    EXPECT_FALSE(player.TurnJournalPage(+1)); // "two" is the last filled entry
    EXPECT_TRUE(player.TurnJournalPage(-1));
    EXPECT_STREQ(player.ActiveJournalPage.FirstString().CStr(), "one");
    EXPECT_FALSE(player.TurnJournalPage(-1));
    EXPECT_TRUE(player.HasNextJournalPage("one"));
    EXPECT_FALSE(player.HasNextJournalPage("two"));
    EXPECT_FALSE(player.HasNextJournalPage("none"));
}

TEST_F(PlayerStateTest, FullJournalRefusesNewPages) {
    const int32_t pages = player.JournalElements.GetCount();
    ASSERT_EQ(pages, 32);
    for (int32_t i = 0; i < pages; ++i) {
        ASSERT_TRUE(player.AddJournalElement("x", ("page" + std::to_string(i)).c_str()));
    }
    player.JournalUpdated.SetFirstBool(false);
    EXPECT_FALSE(player.AddJournalElement("x", "one_more"));
    EXPECT_FALSE(player.JournalUpdated.FirstBool());
    EXPECT_TRUE(player.AddJournalElement("y", "page0")); // existing pages still grow
}

TEST_F(PlayerStateTest, OrbsCountUpToSevenFromUnset) {
    EXPECT_FALSE(player.OrbsActive());
    player.GiveOrb();
    EXPECT_EQ(player.OrbCount.FirstInt(), 0);
    EXPECT_TRUE(player.OrbsActive());
    player.OrbCount.SetFirstInt(7);
    player.GiveOrb();
    EXPECT_EQ(player.OrbCount.FirstInt(), 7);
    player.StartOrbs();
    EXPECT_EQ(player.OrbCount.FirstInt(), 0);

    player.CurrentLevel.SetFirstInt(5); // Game_OrbCounts[5] is 3
    player.ApplyLevelOrbCount();
    EXPECT_EQ(player.OrbCount.FirstInt(), 3);
    player.CurrentLevel.SetFirstInt(9); // -1: the counter is left alone
    player.ApplyLevelOrbCount();
    EXPECT_EQ(player.OrbCount.FirstInt(), 3);
    player.CurrentLevel.SetFirstInt(40);
    player.ApplyLevelOrbCount();
    EXPECT_EQ(player.OrbCount.FirstInt(), 3);
}

TEST_F(PlayerStateTest, LevelProgressQuestions) {
    player.CurrentLevel.SetFirstInt(3);
    EXPECT_TRUE(player.IsLevelPassed("gas_station"));
    EXPECT_FALSE(player.IsLevelPassed("bowling_alley"));
    EXPECT_FALSE(player.IsLevelPassed("moon"));
    EXPECT_STREQ(player.LevelDiscColor().CStr(), "red");
    EXPECT_TRUE(player.InSecondWorld());
    player.CurrentLevel.SetFirstInt(1);
    EXPECT_FALSE(player.InSecondWorld());
    EXPECT_TRUE(player.LevelDiscColor().Empty());
    player.CurrentLevel.SetFirstInt(-3);
    EXPECT_TRUE(player.LevelDiscColor().Empty());
    player.CurrentLevel.SetFirstInt(26);
    EXPECT_TRUE(player.IsGameFinished());
    EXPECT_FALSE(player.InSecondWorld());
    player.CurrentLevel.SetFirstInt(25);
    EXPECT_FALSE(player.IsGameFinished());
}

} // namespace
