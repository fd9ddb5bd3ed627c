// The loading picture and the loading progress with the game's settings:
// clear colour by profile, the fill's alpha-ordered reveal, and counting the
// files of level folders.
#include "ui/LoadingPicture.h"

#include "GameStartup.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "ui/ScreenBackground.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UiTestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

using namespace ui_test;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class ProfileHooks : public ScreenGameHooks {
public:
    bool UseSecondLook() override { return secondWorld; }
    bool IsRegisteredPlayer() override { return registered; }
    bool secondWorld = false;
    bool registered = false;
};

/// 16 × 4 pixels of yellow whose alpha rises from left to right: 1/16 … 16/16.
void WriteFillPicture(const char* path) {
    Image image;
    ASSERT_TRUE(image.Create(16, 4));
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = 0;
            p[1] = 255;
            p[2] = 255;
            p[3] = uint8_t((x + 1) * 16 - 1);
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

class LoadingPictureTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        startup.RegisterGameStateClasses();
        ASSERT_TRUE(startup.CreateGlobalObjects());
        SetScreenGameHooks(&hooks);
    }
    void TearDown() override {
        startup.DeleteStateAndOptions();
        startup.DeleteGlobals();
    }

    void SetSetting(const char* name, const char* value, int32_t index = 0) {
        Var* var = globals->FindProperty(name);
        ASSERT_NE(var, nullptr) << name;
        ASSERT_TRUE(var->SetItemFromText(index, value)) << name;
    }

    GameStartup startup;
    ProfileHooks hooks;
};

} // namespace

TEST_F(LoadingPictureTest, ClearColourFollowsTheProfile) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    testing_support::LogCapture log; // the default sprites are not there
    hooks.registered = false;
    DrawLoadingPicture(0.5f, nullptr);
    EXPECT_TRUE(Near(gl.ReadPixel(3, 3), kBlack));
    hooks.registered = true;
    DrawLoadingPicture(0.5f, nullptr);
    EXPECT_TRUE(Near(gl.ReadPixel(3, 3), kWhite));
    hooks.secondWorld = true;
    DrawLoadingPicture(0.5f, nullptr);
    EXPECT_TRUE(Near(gl.ReadPixel(3, 3), kBlack));
    EXPECT_EQ(RenderStack::Top(), 0);
}

TEST_F(LoadingPictureTest, FillAppearsInTheOrderOfItsAlphaOverTheBackground) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    StartResourcesAndRenderer();
    WriteFillPicture("fill.tga");
    SetSetting("LoadScreen_Fill", "fill.tga");
    SetSetting("LoadScreen_FillPos", "10", 0);
    SetSetting("LoadScreen_FillPos", "20", 1);
    SetSetting("LoadScreen_Frame", "missing_frame.png");
    SetSetting("LoadScreen_Overlay", "missing_overlay.png");
    testing_support::LogCapture log;

    DrawQuadrants();
    ScreenBackground background;
    ASSERT_TRUE(background.Allocate());
    ASSERT_TRUE(background.Capture(false));
    ClearTo(kBlack);
    // Pixels with alpha above 1 − 0.5 show: columns 8 … 15 of the fill.
    DrawLoadingPicture(0.5f, &background);
    EXPECT_TRUE(Near(gl.ReadPixel(10 + 7, 21), kRed));
    EXPECT_TRUE(Near(gl.ReadPixel(10 + 9, 21), Rgba{255, 255, 0, 255}));
    EXPECT_TRUE(Near(gl.ReadPixel(10 + 15, 21), Rgba{255, 255, 0, 255}));
    EXPECT_TRUE(Near(gl.ReadPixel(50, 40), kWhite));
    DrawLoadingPicture(1.0f, &background);
    EXPECT_TRUE(Near(gl.ReadPixel(10, 21), Rgba{255, 255, 0, 255}));
    DrawLoadingPicture(0.0f, &background);
    EXPECT_TRUE(Near(gl.ReadPixel(10 + 15, 21), kRed));
}

namespace {

struct DrawRecord {
    std::vector<float> fractions;
};


void OpenFile(const std::string& path) {
    File file;
    file.Open(path.c_str(), 1 | 4);
}

} // namespace

TEST_F(LoadingPictureTest, ProgressCountsTheLevelFolderAndDrawsForEveryOpenedFile) {
    ASSERT_TRUE(testing_support::WriteFile("levels/plaza/a.scene", "a"));
    ASSERT_TRUE(testing_support::WriteFile("levels/plaza/b.lua", "b"));
    ASSERT_TRUE(testing_support::WriteFile("levels/plaza/sub/c.png", "c"));
    ASSERT_TRUE(testing_support::WriteFile("levels/tower/d.scene", "d"));
    std::filesystem::create_directories("levels/empty");

    DrawRecord record;
    LoadingProgress progress;
    progress.SetDrawer([&record](float fraction) { record.fractions.push_back(fraction); });

    // A level folder without files does not switch the picture on.
    progress.Begin("levels/empty", true);
    EXPECT_FALSE(progress.Active());
    OpenFile("levels/plaza/a.scene");
    EXPECT_TRUE(record.fractions.empty());

    progress.Begin("levels/plaza", true);
    EXPECT_TRUE(progress.Active());
    EXPECT_EQ(progress.Expected(), 2);
    progress.Begin("levels/tower", false);
    EXPECT_EQ(progress.Expected(), 3);
    OpenFile("levels/plaza/a.scene");
    OpenFile("levels/plaza/missing.scene"); // failed opens do not count
    OpenFile("levels/plaza/b.lua");
    OpenFile("levels/tower/d.scene");
    OpenFile("levels/tower/d.scene");
    ASSERT_EQ(record.fractions.size(), 4u);
    EXPECT_FLOAT_EQ(record.fractions[0], 0.0f);
    EXPECT_FLOAT_EQ(record.fractions[1], 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(record.fractions[2], 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(record.fractions[3], 1.0f); // more files than expected: clamped
    EXPECT_EQ(progress.Loaded(), 4);

    progress.Begin("", true);
    EXPECT_FALSE(progress.Active());
    EXPECT_EQ(progress.Loaded(), 0);
    EXPECT_EQ(progress.Expected(), 0);
    EXPECT_EQ(GetFileOpenHook(), nullptr);
    OpenFile("levels/plaza/a.scene");
    EXPECT_EQ(record.fractions.size(), 4u);
}
