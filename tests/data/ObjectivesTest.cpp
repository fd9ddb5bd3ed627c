#include "GameDataFixture.h"

#include "core/ConfigTable.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Objectives.h"

using testing_support::WriteFile;

namespace {

using ObjectivesTest = GameDataTest;

// The quests and goals of a data set load as scene elements and save back
// the same: a category keeps its number (its name is for reading only), and
// unused dependency slots stay there, empty.
TEST_F(ObjectivesTest, QuestsAndObjectivesLoadFromSceneFilesAndSaveBack) {
    ASSERT_TRUE(WriteFile("quests.scene", "Widget = market;\nWidget = painting;\n"
                                          "market.Type = Quest;\nmarket.Category = 1;\n"
                                          "market.MapLocation = harbour_square;\n"
                                          "market.Dependencies = a;\nmarket.Dependencies = b;\n"
                                          "market.Dependencies = c;\n"
                                          "painting.Type = Objective;\npainting.Category = 3;\n"
                                          "painting.Progress = 0.5;\n"));
    std::unique_ptr<Scene> scene = LoadScene("quests.scene");
    ASSERT_TRUE(scene);
    auto* quest = ObjectCast<Quest>(scene->FindElement("market", "Quest"));
    auto* objective = ObjectCast<Objective>(scene->FindElement("painting", "Objective"));
    ASSERT_TRUE(quest && objective);
    EXPECT_EQ(quest->Category.FirstInt(), Quest::kTreasure);
    EXPECT_STREQ(quest->MapLocation.FirstString().CStr(), "harbour_square");
    ASSERT_EQ(quest->Dependencies.GetCount(), 8);
    EXPECT_STREQ(quest->Dependencies.GetString(2).CStr(), "c");
    EXPECT_STREQ(quest->Dependencies.GetString(3).CStr(), "");
    EXPECT_EQ(objective->Category.FirstInt(), Objective::kArtwork);
    EXPECT_STREQ(objective->Category.ValueNames()[Objective::kArtwork].name.CStr(), "Artwork");

    ConfigTable saved;
    SaveScene(*scene, saved);
    ASSERT_TRUE(saved.Value(0, "painting.Category"));
    EXPECT_STREQ(saved.Value(0, "painting.Category")->CStr(), "3");
    EXPECT_EQ(saved.ValueCount("market.Dependencies"), 8);
}

} // namespace
