// What every command-line tool owes its user: --help, and errors that say
// what failed, why, and with the path the user gave.
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

using testing_support::ReadFile;
using testing_support::RunTool;
using testing_support::ToolRun;
using testing_support::WriteFile;

namespace {

const std::string kContent = std::string(TEST_SOURCE_DIR) + "/../content";

TEST(ToolUsage, EveryToolPrintsItsUsageForHelpAndExitsZero) {
    for (const char* tool : {"pack", "datacheck", "sceneview", "fontbake", "assetgen"}) {
        for (const char* option : {"--help", "-h"}) {
            SCOPED_TRACE(std::string(tool) + " " + option);
            const ToolRun run = RunTool(tool, option, "stderr.txt");
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.output.rfind(std::string("usage: ") + tool, 0), 0u) << run.output;
            EXPECT_EQ(ReadFile("stderr.txt"), "");
        }
    }
}

TEST(ToolUsage, ErrorsNameTheUsersPathAndTheReason) {
    ToolRun run = RunTool("fontbake", "missing.ttf 16 out");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "fontbake: cannot read the font file missing.ttf: No such file or directory\n");

    const std::string recipe = kContent + "/recipes/gui/Cursor/dunhaven_default.png.config";
    run = RunTool("assetgen", "--content " + kContent + " " + recipe + " nowhere/cursor.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "assetgen: cannot write nowhere/cursor.png: No such file or directory\n");
    run = RunTool("assetgen", "missing.config out.png");
    EXPECT_EQ(run.output, "assetgen: cannot read the recipe missing.config: No such file or directory\n");

    run = RunTool("sceneview", "--data nowhere gui/a.scene out.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "sceneview: no data folder or pack archive at nowhere: No such file or directory\n");
}

// Every key the generator reads is named in the recipes' description: an
// unknown key makes it list the keys of the recipe's kind.
TEST(ToolUsage, TheRecipeDescriptionNamesEveryKeyTheGeneratorReads) {
    const std::string readme = ReadFile(kContent + "/recipes/README.txt");
    ASSERT_FALSE(readme.empty());
    const std::pair<const char*, const char*> kinds[] = {
        {"background", "png"}, {"panel", "png"},   {"text", "png"},  {"cursor", "png"},
        {"loadbar", "png"},    {"emoji", "png"},   {"click", "ogg"}, {"chime", "ogg"},
        {"whoosh", "ogg"},     {"fanfare", "ogg"}, {"music", "ogg"},
    };
    for (const auto& [kind, extension] : kinds) {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(WriteFile("recipe.config", std::string("Kind = ") + kind + ";\nNoSuchKey = 1;\n"));
        const ToolRun run = RunTool("assetgen", std::string("recipe.config out.") + extension);
        const std::smatch found = [&] {
            std::smatch match;
            std::regex_search(run.output, match, std::regex("this kind reads ([A-Za-z, ]+)\\)"));
            return match;
        }();
        ASSERT_EQ(found.size(), 2u) << run.output;
        const std::string keys = found[1];
        const std::regex word("[A-Za-z]+");
        for (std::sregex_iterator it(keys.begin(), keys.end(), word), end; it != end; ++it) {
            const std::string key = it->str();
            EXPECT_TRUE(std::regex_search(readme, std::regex("\\b" + key + "\\b")))
                << key << " is not described";
        }
    }
}

} // namespace
