// The screen services as the screen stack uses them: screenshots now and
// later, the saved background of the current player, the paused view.
#include "ui/ScreenServices.h"

#include "UiTestPictures.h"
#include "render/Screenshot.h"
#include "support/DeferredQueue.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "ui/ScreenGameHooks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <vector>

using namespace ui_test;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class FolderHooks : public ScreenGameHooks {
public:
    String PlayerFolder() override { return folder; }
    bool IsGameFinished() override { return finished; }
    String folder;
    bool finished = false;
};

class ScreenServicesTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        gl = std::make_unique<testing_support::GlTestContext>(kWidth, kHeight);
        if (!gl->Available()) {
            GTEST_SKIP() << "no display for an OpenGL context (" << gl->Error() << ")";
        }
        ASSERT_TRUE(services.Startup());
        services.SetPoster(deferred.Poster());
        SetScreenGameHooks(&hooks);
    }

    std::unique_ptr<testing_support::GlTestContext> gl;
    ScreenServices services;
    FolderHooks hooks;
    testing_support::DeferredQueue deferred;
};

} // namespace

TEST_F(ScreenServicesTest, ScreenshotsNowAndLaterWithNamedAndTimeStampedFiles) {
    DrawQuadrants();
    EXPECT_TRUE(services.TakeScreenshot("now", 0.0f));
    EXPECT_TRUE(std::filesystem::exists("now.tga"));

    EXPECT_TRUE(services.TakeScreenshot("later", 0.5f));
    EXPECT_TRUE(services.TakeScreenshot("", 1.0f));
    ASSERT_EQ(deferred.posted.size(), 2u);
    EXPECT_EQ(deferred.posted[0].code, 1002);
    EXPECT_FLOAT_EQ(deferred.posted[0].delay, 0.5f);
    EXPECT_EQ(deferred.posted[1].data, nullptr);
    EXPECT_FALSE(std::filesystem::exists("later.tga"));
    EXPECT_EQ(services.Texts().Count(), 1u);

    EXPECT_TRUE(services.OnDeferredMessage(deferred.posted[0].code, deferred.posted[0].data));
    EXPECT_TRUE(std::filesystem::exists("later.tga"));
    EXPECT_EQ(services.Texts().Count(), 0u);
    EXPECT_TRUE(services.OnDeferredMessage(deferred.posted[1].code, deferred.posted[1].data));
    int stamped = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        stamped += std::regex_match(name, std::regex(R"(screenshot_\d{10}_\d{4}\d{4,}\.tga)")) ? 1 : 0;
    }
    EXPECT_EQ(stamped, 1);
}

TEST_F(ScreenServicesTest, DelayedScreenshotNamesAreFreedWhenTheirMessageNeverComes) {
    services.TakeScreenshot("never", 2.0f);
    services.TakeScreenshot("never either", 3.0f);
    EXPECT_EQ(services.Texts().Count(), 2u);
    services.Shutdown();
    EXPECT_EQ(services.Texts().Count(), 0u);
    // A message data that is not a kept name is not read as one.
    testing_support::LogCapture log;
    int notAName = 0;
    EXPECT_TRUE(services.OnDeferredMessage(1002, &notAName));
    EXPECT_TRUE(log.Contains("dropped"));
}

TEST_F(ScreenServicesTest, SavedBackgroundLivesInThePlayersFolderAndTheFinishedGameHasItsOwn) {
    testing_support::LogCapture log;
    DrawQuadrants();
    hooks.folder = "";
    EXPECT_FALSE(services.SaveBackground());
    EXPECT_FALSE(services.LoadSavedBackground());

    hooks.folder = (testing_support::TestTempDir() + "/player/").c_str();
    std::filesystem::create_directories(hooks.folder.CStr());
    EXPECT_FALSE(services.LoadSavedBackground());
    ASSERT_TRUE(services.SaveBackground());
    EXPECT_TRUE(std::filesystem::exists(std::string(hooks.folder.CStr()) + "background.tga"));
    ClearTo(kBlack);
    ScreenServices fresh;
    ASSERT_TRUE(fresh.Startup());
    ASSERT_TRUE(fresh.LoadSavedBackground());
    EXPECT_TRUE(fresh.Background().HasPicture());
    fresh.DrawBackground();
    EXPECT_TRUE(Near(gl->ReadPixel(1, 1), kRed));

    // Finished: the game-complete picture instead, whatever was saved.
    hooks.finished = true;
    EXPECT_FALSE(fresh.LoadSavedBackground());
    std::filesystem::create_directories("gui/TitleScreen");
    ClearTo(kBlue);
    ScreenBackground completePicture;
    ASSERT_TRUE(completePicture.Allocate());
    ASSERT_TRUE(completePicture.Capture(false));
    ASSERT_TRUE(completePicture.Save("gui/TitleScreen/game_complete_bg.tga"));
    ASSERT_TRUE(fresh.LoadSavedBackground());
    ClearTo(kBlack);
    fresh.DrawBackground();
    EXPECT_TRUE(Near(gl->ReadPixel(1, 1), kBlue));
}

TEST_F(ScreenServicesTest, PausedViewTakesItsStillOnTheFirstFrameOnly) {
    DrawQuadrants();
    services.DrawPausedView(true);
    EXPECT_TRUE(Near(gl->ReadPixel(1, 1), kRed));
    // Without the caption's fonts only the still shows; later frames keep it.
    ClearTo(kBlue);
    services.DrawPausedView(false);
    EXPECT_TRUE(Near(gl->ReadPixel(1, 1), kRed));
    EXPECT_TRUE(Near(gl->ReadPixel(kWidth - 2, kHeight - 2), kWhite));
    ClearTo(kBlue);
    services.DrawPausedView(true);
    EXPECT_TRUE(Near(gl->ReadPixel(1, 1), kBlue));
}
