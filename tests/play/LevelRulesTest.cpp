#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Scene.h"
#include "io/MemoryFile.h"
#include "io/StringTable.h"
#include "play/GoalTexts.h"
#include "play/Doodad.h"
#include "play/ItemDatabase.h"
#include "play/LevelProgress.h"
#include "play/Misclicks.h"
#include "play/Treasures.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

void ReadText(ConfigTable& table, const std::string& text) {
    MemoryFile file(text.data(), text.size());
    ASSERT_TRUE(table.Read(file, "test.config"));
}

class LevelRules : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("Doodad", MakeObject<Doodad>, "Game Objects");
        std::srand(3);
    }
    Doodad* AddTreasure(const std::string& name, const std::string& type) {
        auto* doodad = static_cast<Doodad*>(scene.CreateElement("Doodad"));
        scene.RenameElement(*doodad, name.c_str());
        doodad->fancyName.SetFirstString(type.c_str());
        return doodad;
    }
    void FindAll(const String& type) {
        for (Doodad* doodad : treasures.Registered()) {
            if (doodad->fancyName.FirstString() == type) {
                doodad->used.SetFirstBool(true);
            }
        }
    }
    Scene scene;
    Treasures treasures;
};

} // namespace

TEST_F(LevelRules, FifteenTypesGiveTwelveTargetsAndCompletedOnesAreReplacedInPlace) {
    for (int type = 0; type < 15; ++type) {
        AddTreasure("t" + std::to_string(type) + "a", "type" + std::to_string(type));
        AddTreasure("t" + std::to_string(type) + "b", "type" + std::to_string(type));
    }
    AddTreasure("plain", ""); // no type: not a treasure
    EXPECT_EQ(treasures.RegisterAll(scene), 30);
    ASSERT_TRUE(treasures.ChooseTargets());
    std::vector<String> targets = treasures.Targets();
    ASSERT_EQ(targets.size(), 12u);
    for (size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(std::count(targets.begin(), targets.end(), targets[i]), 1) << "distinct types";
    }

    FindAll(targets[4]);
    EXPECT_TRUE(treasures.IsComplete(targets[4].CStr()));
    EXPECT_EQ(treasures.ReplaceCompletedTargets(), 1);
    const std::vector<String>& after = treasures.Targets();
    for (size_t i = 0; i < after.size(); ++i) {
        if (i == 4) {
            EXPECT_NE(after[i], targets[4]);
            EXPECT_EQ(std::count(targets.begin(), targets.end(), after[i]), 0) << "one of the other three";
        } else {
            EXPECT_EQ(after[i], targets[i]) << "the other lines keep their place";
        }
    }

    // Everything found: complete targets stay, struck through, and nothing is unfound.
    for (int type = 0; type < 15; ++type) {
        FindAll(String(("type" + std::to_string(type)).c_str()));
    }
    treasures.ReplaceCompletedTargets();
    EXPECT_EQ(treasures.Targets().size(), 12u);
    EXPECT_FALSE(treasures.HasUnfound());
    EXPECT_EQ(treasures.Found(""), treasures.Total(""));
}

TEST_F(LevelRules, TheLastCandidateIsTakenWithoutADrawAndNoTreasuresGiveNoTargets) {
    EXPECT_FALSE(treasures.ChooseTargets());
    AddTreasure("a", "bell");
    AddTreasure("b", "bell");
    treasures.RegisterAll(scene);
    ASSERT_TRUE(treasures.ChooseTargets());
    EXPECT_EQ(treasures.Targets(), std::vector<String>{String("bell")});
    EXPECT_EQ(treasures.Total("bell"), 2);
    treasures.Registered()[0]->used.SetFirstBool(true);
    EXPECT_FALSE(treasures.IsComplete("bell"));
    EXPECT_TRUE(treasures.HasUnfound());
}

TEST(Misclicks, TheFourthQuickMisclickLocksForAsManySecondsAsTheCounterHolds) {
    Misclicks quick;
    const float frame = 1.0f / 65.0f;
    for (int click = 1; click <= 3; ++click) {
        EXPECT_FALSE(quick.Add(3.0f)) << "click " << click;
        for (int f = 0; f < 5; ++f) {
            quick.Decay(frame, false);
        }
    }
    EXPECT_TRUE(quick.Add(3.0f));
    EXPECT_TRUE(quick.LockedOut());
    EXPECT_GE(quick.LockSeconds(), 3.0f);
    EXPECT_LT(quick.LockSeconds(), 4.0f);
    EXPECT_FALSE(quick.Add(3.0f)) << "no second lock-out during one";

    Misclicks spaced;
    for (int click = 0; click < 20; ++click) {
        EXPECT_FALSE(spaced.Add(3.0f));
        for (int f = 0; f < 65; ++f) {
            spaced.Decay(frame, false);
        }
    }
    spaced.Add(3.0f);
    spaced.Add(3.0f);
    spaced.Decay(10.0f, true);
    EXPECT_FLOAT_EQ(spaced.Counter(), 2.0f) << "blocked input does not run the counter down";
}

TEST(GenericFailMessage, NeverRepeatsTheLastMessageAndStaysWithinTheEightTexts) {
    std::srand(1);
    int32_t previous = -1;
    int32_t last = 0;
    std::vector<int> seen(9, 0);
    for (int i = 0; i < 400; ++i) {
        const int32_t n = DrawGenericFailMessage(previous);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 8);
        EXPECT_NE(n, last);
        ++seen[size_t(n)];
        last = n;
    }
    EXPECT_TRUE(std::all_of(seen.begin() + 1, seen.end(), [](int count) { return count > 0; }));
}

TEST(ItemDatabase, ProductsCombineInEitherOrderFirstMatchWinsAndBadLinesAreSkipped) {
    ConfigTable table;
    ReadText(table, "Item = rope;\n"
                    "Item = hook;\n"
                    "Product = grapnel rope, hook;\n"
                    "Product = knot rope hook;\n"
                    "Product = lonely rope;\n"
                    "Persist = knife;\n"
                    "Sound = rope creak;\n"
                    "Sound = hook;\n"
                    "Colour = rope;\n");
    ItemDatabase items;
    items.Read(table, "items.config");
    ASSERT_NE(items.Combine("hook", "rope"), nullptr);
    EXPECT_EQ(*items.Combine("hook", "rope"), "grapnel");
    EXPECT_EQ(*items.Combine("rope", "hook"), "grapnel");
    EXPECT_EQ(items.Combine("rope", "rope"), nullptr);
    EXPECT_EQ(items.Combine("rope", nullptr), nullptr);
    EXPECT_TRUE(items.Has("grapnel")) << "a product's result is an item";
    EXPECT_FALSE(items.Has("lonely")) << "a product line with two names is skipped";
    EXPECT_TRUE(items.IsPersistent("knife"));
    EXPECT_FALSE(items.IsPersistent("rope"));
    EXPECT_EQ(items.Find("rope")->soundPath, "audio/creak.ogg");
    EXPECT_TRUE(items.Find("hook")->soundPath.Empty());
    EXPECT_EQ(items.Items().size(), 5u);
}

TEST(LevelProgress, WrittenThenReadRestoresEveryFieldAndAnOldSaveKeepsDefaults) {
    LevelProgress saved;
    saved.gameMode = 2;
    saved.introShown = true;
    saved.completed = true;
    saved.goalMessage = "message.find_pair";
    saved.activeFlashlight = "torch";
    saved.penalty = 0.25f;
    saved.energyEarned = 12.5f;
    saved.levelProgress = 7;
    saved.disableDisc = true;
    saved.targets = {String("bell"), String("anchor"), String("fish")};
    ConfigTable out;
    saved.Write(out);
    ConfigTable in;
    ReadText(in, out.ToText("level.save"));
    LevelProgress loaded;
    loaded.Read(in);
    EXPECT_TRUE(loaded.hasTargets);
    EXPECT_EQ(loaded.targets, saved.targets);
    EXPECT_EQ(loaded.gameMode, 2);
    EXPECT_TRUE(loaded.introShown);
    EXPECT_FALSE(loaded.outroShown);
    EXPECT_TRUE(loaded.completed);
    EXPECT_EQ(loaded.goalMessage, "message.find_pair");
    EXPECT_EQ(loaded.activeFlashlight, "torch");
    EXPECT_FLOAT_EQ(loaded.penalty, 0.25f);
    EXPECT_FLOAT_EQ(loaded.energyEarned, 12.5f);
    EXPECT_EQ(loaded.levelProgress, 7);
    EXPECT_TRUE(loaded.disableDisc);

    ConfigTable old;
    ReadText(old, "object_parameters.gameMode = 3;\n");
    LevelProgress fresh;
    fresh.levelProgress = 4;
    fresh.Read(old);
    EXPECT_EQ(fresh.gameMode, 3);
    EXPECT_EQ(fresh.levelProgress, 4);
    EXPECT_FALSE(fresh.hasTargets);
}

TEST(GoalTexts, LinesAndGoalsUseNamesPluralsAndNumberWordsAndFallBackToKeys) {
    testing_support::EngineSandbox sandbox;
    testing_support::WriteFile("text/treasure.config", "shell = Spiral Shell;\nbell = Bell;\n");
    testing_support::WriteFile("text/plurals.config", "shell = Spiral Shells;\n");
    testing_support::WriteFile("text/numbers.config", "number_3 = three;\n");
    testing_support::WriteFile("text/message.config",
                               "find_pairs = %s pairs to find;\nfind_types = Find %s %s;\nfind_pair = Last pair;\n");
    ASSERT_TRUE(LoadStringTables());
    EXPECT_EQ(TargetLine("shell", 1), "Spiral Shell");
    EXPECT_EQ(TargetLine("shell", 3), "Spiral Shells (3)");
    EXPECT_EQ(TargetLine("bell", 2), "Bell (2)") << "no plural: the singular";
    EXPECT_EQ(TargetLine("ghost", 0), "treasure.ghost") << "a missing name shows its key";
    EXPECT_EQ(PairsGoal(3, "", "message.done"), "Three pairs to find");
    EXPECT_EQ(PairsGoal(12, "", "message.done"), "12 pairs to find") << "digits without a word";
    EXPECT_EQ(PairsGoal(1, "", "message.done"), "Last pair");
    EXPECT_EQ(PairsGoal(0, "", "message.done"), "message.done");
    EXPECT_EQ(TypesGoal(3, "shell", "", ""), "Find three Spiral Shells");
    EXPECT_EQ(FillPattern("%d%% of %s", {"all", "extra"}), "%d%% of all") << "only %s is filled";
}
