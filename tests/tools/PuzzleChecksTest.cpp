// The data checker on Leapfrog puzzle scenes: a clean board with a solvable
// layout passes; unsolvable layouts, layouts naming slots the board lacks,
// slots and neighbours that name nothing and a missing skip button are
// each reported.
#include "../data/GameDataFixture.h"

#include "CheckReport.h"
#include "PuzzleChecks.h"
#include "app/EngineClasses.h"
#include "support/TestEnvironment.h"

#include <algorithm>

namespace {

// Slots s0 … s4 in a line, 100 pixels apart, each adjacent to the next.
std::string Board(const std::string& extra) {
    std::string text =
        "Widget = board;\nboard.Type = Leapfrog;\nboard.helpButton = b;\nboard.skipButton = b;\n"
        "board.skipFrame = f;\nboard.skipFill = f;\nboard.helpOk = b;\nboard.helpScreen = f;\n"
        "board.grayPegs = g0;\nboard.grayPegs = g1;\nboard.redPeg = red;\n"
        "Widget = b;\nb.Type = Button;\nWidget = f;\nf.Type = Bitmap;\n"
        "Widget = g0;\ng0.Type = LeapfrogPeg;\nWidget = g1;\ng1.Type = LeapfrogPeg;\n"
        "Widget = red;\nred.Type = LeapfrogPeg;\nred.RedPeg = true;\n";
    for (int i = 0; i < 5; ++i) {
        const std::string name = "s" + std::to_string(i);
        text += "board.slots = " + name + ";\nWidget = " + name + ";\n" + name + ".Type = LeapfrogSlot;\n" +
                name + ".Position = " + std::to_string(i * 100) + ";\n";
        if (i > 0) {
            text += name + ".Neighbor = s" + std::to_string(i - 1) + ";\n";
        }
        if (i < 4) {
            text += name + ".Neighbor = s" + std::to_string(i + 1) + ";\n";
        }
    }
    return text + extra;
}

// A layout with gray pegs on the true items and the red peg on `red` − 1.
std::string Layout(const std::string& name, std::initializer_list<bool> gray, int red) {
    std::string text = "Widget = " + name + ";\n" + name + ".Type = LeapfrogConfig;\n";
    for (bool item : gray) {
        text += name + ".GrayPeg = " + (item ? "true" : "false") + ";\n";
    }
    return text + name + ".RedPeg = " + std::to_string(red) + ";\n";
}

class PuzzleChecksTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
    }
    std::vector<std::string> Check(const std::string& scene) {
        EXPECT_TRUE(testing_support::WriteFile("puzzles/pegs/pegs.scene", scene));
        CheckReport report;
        CheckPuzzleFile("puzzles/pegs/pegs.scene", report);
        std::vector<std::string> lines;
        for (const Finding& finding : report.Findings()) {
            lines.push_back(CheckReport::FormatLine(finding));
        }
        return lines;
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& fragment) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
    }
};

} // namespace

TEST_F(PuzzleChecksTest, ASolvableLayoutPassesAndAnUnsolvableOneIsReported) {
    EXPECT_TRUE(Check(Board(Layout("easy", {false, true, false, true}, 1))).empty());
    const auto lines = Check(Board(Layout("easy", {false, true, false, true}, 1) +
                                   Layout("stranded", {false, true, true}, 1) + Layout("behind", {true}, 2)));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(Has(lines, "layout \"stranded\": cannot be solved"));
    EXPECT_TRUE(Has(lines, "layout \"behind\": cannot be solved")) << "the red peg is never jumped";
}

TEST_F(PuzzleChecksTest, MissingSlotsNeighboursAndPuzzleLinksAreReported) {
    // Gray items on s1, s3 and s8 (two gray pegs: the third is one too
    // many), the red peg on slot 13, which the board lacks.
    std::string scene =
        Board(Layout("far", {false, true, false, true, false, false, false, false, true}, 13) +
              "board.slots = nowhere;\ns4.Neighbor = s9;\n");
    scene.replace(scene.find("board.skipButton = b;"), 21, "board.skipButton = gone;");
    const auto lines = Check(scene);
    EXPECT_TRUE(Has(lines, "layout \"far\": 1 peg(s) stand on slots the board lacks"));
    EXPECT_TRUE(Has(lines, "layout \"far\": 1 gray item(s) more than the puzzle has gray pegs"));
    EXPECT_TRUE(Has(lines, "slots names \"nowhere\""));
    EXPECT_TRUE(Has(lines, "1 slot neighbour name(s) name no slot"));
    EXPECT_TRUE(
        Has(lines, "skipButton names \"gone\", which is no Button of the scene; the puzzle stays frozen"));
}
