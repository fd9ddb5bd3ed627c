// Golden pictures: hand-written scene files rendered by the scene viewer and
// compared with stored pictures, from loose files and from a pack archive.
// On a mismatch a picture of the differing pixels is written and named.
#include "render/Image.h"
#include "support/PictureCompare.h"
#include "support/TestEnvironment.h"

#include "PackWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string kGolden = std::string(TEST_SOURCE_DIR) + "/render/golden";
const std::string kViewer = std::string(TEST_BINARY_DIR) + "/bin/sceneview";

int RunViewer(const std::string& data, const std::string& scene, const std::string& out) {
    std::string command = kViewer + " --data '" + data + "' --size 160x120 --frames 2 " + scene + " '" + out +
                          "' 2> viewer.log";
    return std::system(command.c_str());
}

// Counts pixels whose colour differs by more than `tolerance` (-1 when a
// picture is missing or the sizes differ); writes the diff picture when any do.
int CompareWithGolden(const std::string& actualPath, const std::string& goldenPath, int tolerance,
                      std::string& diffPath) {
    Image actual, golden;
    if (!actual.Load(actualPath.c_str()) || !golden.Load(goldenPath.c_str())) {
        return -1;
    }
    Image diff;
    const int differing = int(testing_support::CountDifferingPixels(actual, golden, tolerance, &diff));
    if (differing > 0) {
        diffPath = std::filesystem::absolute("golden-diff.tga").string();
        diff.SaveTga(diffPath.c_str());
    }
    return differing;
}

bool HaveDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

} // namespace

TEST(GoldenScene, NestedRotatedTintedBitmapsFromLooseFiles) {
    if (!HaveDisplay()) {
        GTEST_SKIP() << "the scene viewer needs a display; run under xvfb-run";
    }
    ASSERT_EQ(RunViewer(kGolden + "/data", "nested.scene", "nested.png"), 0)
        << testing_support::ReadFile("viewer.log");
    std::string diff;
    int differing = CompareWithGolden("nested.png", kGolden + "/nested.png", 3, diff);
    EXPECT_EQ(differing, 0) << "differing pixels drawn in " << diff;
}

TEST(GoldenScene, TheSameSceneFromAPackArchive) {
    if (!HaveDisplay()) {
        GTEST_SKIP() << "the scene viewer needs a display; run under xvfb-run";
    }
    std::string error;
    ASSERT_TRUE(PackCreate(kGolden + "/data", "golden.pack", error)) << error;
    std::string pack = std::filesystem::absolute("golden.pack").string();
    // Mixed case: the archive's names are looked up lower-cased.
    ASSERT_EQ(RunViewer(pack, "Nested.Scene", "packed.png"), 0) << testing_support::ReadFile("viewer.log");
    std::string diff;
    EXPECT_EQ(CompareWithGolden("packed.png", kGolden + "/nested.png", 3, diff), 0) << diff;
}

TEST(GoldenScene, MissingPicturesAndBadScenesAreReported) {
    if (!HaveDisplay()) {
        GTEST_SKIP() << "the scene viewer needs a display; run under xvfb-run";
    }
    testing_support::WriteFile("data/broken.scene",
                               "Widget = lost;\nlost.Type = Bitmap;\nlost.SpritePath = nowhere.png;\n");
    EXPECT_EQ(RunViewer("data", "broken.scene", "broken.png"), 0);
    EXPECT_NE(testing_support::ReadFile("viewer.log").find("missing picture nowhere.png (lost)"),
              std::string::npos);
    EXPECT_NE(RunViewer("data", "absent.scene", "absent.png"), 0);
    EXPECT_NE(testing_support::ReadFile("viewer.log")
                  .find("the scene absent.scene is not in data (a scene is named by its path inside the data "
                        "given by --data)"),
              std::string::npos)
        << testing_support::ReadFile("viewer.log");
    testing_support::WriteFile("data/empty.scene", "# nothing declared\n");
    EXPECT_NE(RunViewer("data", "empty.scene", "empty.png"), 0);
    EXPECT_NE(testing_support::ReadFile("viewer.log").find("the scene empty.scene in data does not load: it declares "
                                                           "no element"),
              std::string::npos)
        << testing_support::ReadFile("viewer.log");
}
