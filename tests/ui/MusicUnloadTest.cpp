// Music that lives in a level's folder is destroyed when the folder is
// unloaded; the music channel must let go of it, whether it plays, fades
// out or waits to be faded in.
#include "ui/ScreenServices.h"

#include "audio/Audio.h"
#include "audio/Sound.h"
#include "io/Resources.h"
#include "support/AudioCapture.h"
#include "support/DeferredQueue.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;

namespace {

class MusicUnloadTest : public AudioDeviceTest {
protected:
    void SetUp() override {
        AudioDeviceTest::SetUp();
        WriteFile("audio/title.ogg", EncodeTone({.rate = 22050, .seconds = 1.0, .frequency = 440.0}));
        WriteFile("levels/lake/theme.ogg", EncodeTone({.rate = 22050, .seconds = 1.0, .frequency = 660.0}));
        services.SetPoster(deferred.Poster());
    }

    void Frames(int count) {
        for (int frame = 0; frame < count; ++frame) {
            deferred.Run(0.05f, [this](int32_t code, void* data) { services.OnDeferredMessage(code, data); });
            services.UpdateMusic(0.05f);
        }
    }

    static bool MusicSourcePlays() {
        BaseSound* title = Resources::FindMusic("audio/title.ogg")->Implementation();
        return title->IsPlaying();
    }

    ScreenServices services;
    DeferredQueue deferred;
};

} // namespace

TEST_F(MusicUnloadTest, PlayingLevelMusicIsForgottenWhenItsFolderIsUnloaded) {
    services.PlayMusic(Resources::FindMusic("levels/lake/theme.ogg"), 0.0f);
    ASSERT_NE(services.Music().Current(), nullptr);
    Frames(2);
    Resources::UnloadDirectory("levels/lake");
    EXPECT_EQ(services.Music().Current(), nullptr);
    Frames(10);
    // The level's music, loaded again, is a new object that plays as before.
    Sound* again = Resources::FindMusic("levels/lake/theme.ogg");
    services.PlayMusic(again, 0.0f);
    EXPECT_EQ(services.Music().Current(), again);
    EXPECT_TRUE((*again)->IsPlaying());
    services.StopMusic(0.0f);
}

TEST_F(MusicUnloadTest, LevelMusicFadingInOrOutIsForgottenWhenItsFolderIsUnloaded) {
    Sound* title = Resources::FindMusic("audio/title.ogg");
    // Waiting to be faded in: the cross-fade ends in silence.
    services.PlayMusic(title, 0.0f);
    services.PlayMusic(Resources::FindMusic("levels/lake/theme.ogg"), 1.0f);
    Resources::UnloadDirectory("levels/lake");
    Frames(40);
    EXPECT_EQ(services.Music().Current(), nullptr);
    EXPECT_FALSE(MusicSourcePlays());

    // Fading out towards the title music: the title music still comes.
    services.PlayMusic(Resources::FindMusic("levels/lake/theme.ogg"), 0.0f);
    services.PlayMusic(title, 1.0f);
    Frames(2);
    Resources::UnloadDirectory("levels/lake");
    EXPECT_EQ(services.Music().Current(), nullptr);
    Frames(40);
    EXPECT_EQ(services.Music().Current(), title);
    EXPECT_TRUE(MusicSourcePlays());
}

TEST_F(MusicUnloadTest, MusicOfAnEmptiedCacheLeavesTheChannelSafeToShutDown) {
    services.PlayMusic(Resources::FindMusic("audio/title.ogg"), 0.0f);
    services.StopMusic(1.0f);
    Resources::Shutdown();
    EXPECT_EQ(services.Music().Current(), nullptr);
    Frames(40);
    services.Shutdown();
}

// A process that ends through exit() with music playing (a library ending
// it from inside a frame) destroys the engine-wide objects in the order
// they were made: here the screen services before the first sound, so the
// cache and its sounds go first. The services then shut down without
// reaching the sound. Runs in a fresh copy of the test program, where
// nothing was made before.
TEST(MusicAtExit, ServicesOutlivingTheCacheLeaveItsSoundsAlone) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static ScreenServices services;
            setenv("ALSOFT_DRIVERS", "null", 1);
            Audio::Startup();
            InstallAudioResourceLoaders();
            Resources::lookupEnabled = Resources::storeEnabled = true;
            WriteFile("title.ogg", EncodeTone({.rate = 22050, .seconds = 1.0}));
            services.PlayMusic(Resources::FindMusic("title.ogg"), 0.0f);
            std::exit(services.Music().Current() ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}
