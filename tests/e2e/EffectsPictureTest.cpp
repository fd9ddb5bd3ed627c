// The demo's welcome page with its effects, drawn by the scene viewer from
// the built data pack at a fixed seed: the lighthouse lamp lit by its light
// layer, sparkles on the sea and drifting dust, as a player sees them after
// about three seconds, and the panel's story from the string tables.
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifdef TEST_DATA_PACK

namespace {

const std::string kViewer = std::string(TEST_BINARY_DIR) + "/bin/sceneview";

bool RenderPanel(int frames, Image& out) {
    const std::string path = testing_support::TestTempDir() + "/panel" + std::to_string(frames) + ".png";
    const std::string command = kViewer + " --data '" + TEST_DATA_PACK + "' --frames " +
                                std::to_string(frames) + " gui/WelcomePanel.scene '" + path + "' 2> /dev/null";
    return std::system(command.c_str()) == 0 && out.Load(path.c_str());
}

// Pixels of the box whose colour differs by more than 30 in some channel.
long ChangedIn(const Image& a, const Image& b, int left, int top, int right, int bottom) {
    return testing_support::CountDifferingPixelsIn(a, b, {left, top, right, bottom}, 30);
}

// Pixels of the box dark enough to be ink on the parchment (channels summing below 200).
int InkIn(const Image& picture, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
    int ink = 0;
    for (uint32_t y = top; y < bottom; ++y) {
        for (uint32_t x = left; x < right; ++x) {
            const uint8_t* p = picture.PixelAt(x, y);
            ink += p[0] + p[1] + p[2] < 200;
        }
    }
    return ink;
}

} // namespace

TEST(EffectsPicture, WelcomePageShowsTheLampSparklesAndDust) {
    Image first, later, again;
    ASSERT_TRUE(RenderPanel(1, first)) << "the scene viewer failed";
    ASSERT_TRUE(RenderPanel(200, later));
    ASSERT_TRUE(RenderPanel(200, again));
    // The same seed and frames give the same picture.
    EXPECT_LT(DifferingShare(later, again, 0), 1e-6);
    // No particle has spawned after one update; after 200 the sea sparkles.
    EXPECT_GT(ChangedIn(first, later, 140, 430, 420, 520), 40);
    // The lamp's light layer is on from the start: the sky beside the tower glows.
    const uint8_t* halo = first.PixelAt(880, 363);
    EXPECT_GT(int(halo[1]), 235);
    // The panel's story is a text box: its words come from the string tables
    // in the font of its text style, which the viewer loads as the game does.
    EXPECT_GT(InkIn(later, 197, 584, 827, 650), 1500) << "the story on the panel is missing";
    EXPECT_TRUE(LooksLikeExpected(later, "welcome_panel_effects"));
}

#endif
