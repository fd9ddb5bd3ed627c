// Golden pictures: hand-written scene files rendered by the scene viewer and
// compared with stored pictures, from loose files and from a pack archive.
// On a mismatch a picture of the differing pixels is written and named.
#include "render/Image.h"
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

// Counts pixels whose channels differ by more than `tolerance`; writes a diff
// picture (differences in red over a dimmed copy) when any do.
int CompareWithGolden(const std::string& actualPath, const std::string& goldenPath, int tolerance,
                      std::string& diffPath) {
    Image actual, golden;
    if (!actual.Load(actualPath.c_str()) || !golden.Load(goldenPath.c_str()) ||
        actual.Width() != golden.Width() || actual.Height() != golden.Height()) {
        return -1;
    }
    Image diff;
    diff.Create(actual.Width(), actual.Height());
    int differing = 0;
    for (uint32_t y = 0; y < actual.Height(); ++y) {
        for (uint32_t x = 0; x < actual.Width(); ++x) {
            const uint8_t* a = actual.PixelAt(x, y);
            const uint8_t* g = golden.PixelAt(x, y);
            uint8_t* d = diff.PixelAt(x, y);
            bool same = true;
            for (int c = 0; c < 4; ++c) {
                same = same && std::abs(a[c] - g[c]) <= tolerance;
            }
            differing += same ? 0 : 1;
            d[0] = same ? static_cast<uint8_t>(g[0] / 3) : 0;
            d[1] = same ? static_cast<uint8_t>(g[1] / 3) : 0;
            d[2] = same ? static_cast<uint8_t>(g[2] / 3) : 255;
            d[3] = 255;
        }
    }
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
