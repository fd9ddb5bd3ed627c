// The audio device's place in the game's start-up and shut-down: it opens
// with the game, takes the sound volume from the options, and its absence
// costs one log line, not the game.
#include "app/Application.h"
#include "app/GameHooks.h"
#include "audio/Audio.h"
#include "core/Element.h"
#include "core/EngineState.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"
#include "support/VirtualPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace testing_support;

namespace {

class SoundOptions : public Element {
public:
    SoundOptions() { DeclareFloat("SoundVolume", SoundVolume, 1, this, 0.25f); }
    Var SoundVolume;
};

struct SoundOptionsGame : GameHooks {
    bool CreateGlobalObjects() override {
        options = new SoundOptions;
        return true;
    }
    void DeleteStateAndOptions() override {
        delete options;
        options = nullptr;
    }
};

size_t CountLines(const LogCapture& log, const std::string& fragment) {
    return size_t(std::count_if(log.Lines().begin(), log.Lines().end(),
                                [&](const std::string& line) { return line.find(fragment) != std::string::npos; }));
}

} // namespace

TEST(AudioStartupTest, DeviceOpensWithTheGameAndTakesTheSoundVolumeOption) {
    VirtualPlatform platform;
    ScopedPlatform installed(platform);
    LogCapture log;
    ASSERT_TRUE(UseCaptureDevice());
    SoundOptionsGame game;
    ASSERT_TRUE(Startup(game));
    EXPECT_TRUE(Audio::IsStarted());
    EXPECT_FLOAT_EQ(Audio::GetSoundVolume(), 0.25f);
    EXPECT_EQ(CountLines(log, "No audio device"), 0u);
    Shutdown(game);
    EXPECT_FALSE(Audio::IsStarted());
}

// OpenAL Soft reads its configuration once per process: a fresh copy of the
// test program starts without any usable driver.
TEST(AudioStartupTest, WithoutADeviceTheGameStartsSilentWithOneLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            unsetenv("ALSOFT_CONF");
            VirtualPlatform platform;
            ScopedPlatform installed(platform);
            LogCapture log;
            SoundOptionsGame game;
            bool ok = Startup(game) && !Audio::IsStarted();
            ok = ok && CountLines(log, "No audio device: the game runs without sound") == 1;
            ok = ok && Audio::GetSoundVolume() == 0.25f;
            Shutdown(game);
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
