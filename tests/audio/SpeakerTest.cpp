// The Speaker element: a rising edge of "Play" sounds once at a random pitch
// and volume; it re-arms only after "Play" has been false.
#include "audio/Sound.h"
#include "audio/Speaker.h"
#include "core/ClassRegistry.h"
#include "core/Link.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace testing_support;

namespace {

class SpeakerTest : public AudioDeviceTest {
protected:
    void SetUp() override {
        AudioDeviceTest::SetUp();
        sound = Effect("audio/ping.ogg");
        ASSERT_NE(sound, nullptr);
        ASSERT_TRUE(sound->SetMaxInstances(4));
        speaker.Sound.SetFirstString("audio/ping.ogg");
    }

    // The scene's resolve step: only when something changed.
    void Set(Var& var, bool value) {
        var.SetFirstBool(value);
        Resolve();
    }
    void Resolve() {
        speaker.Resolve();
        speaker.ClearChangedMarks();
    }

    static Audio::SourceId PlayingSource() {
        for (Audio::SourceId source : Audio::PoolSources()) {
            ALint state = 0;
            alGetSourcei(source, AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING) {
                return source;
            }
        }
        return Audio::kNoSource;
    }

    static float SourceFloat(Audio::SourceId source, int parameter) {
        ALfloat value = 0.0f;
        alGetSourcef(source, parameter, &value);
        return value;
    }

    BaseSound* sound = nullptr;
    Speaker speaker;
};

} // namespace

TEST_F(SpeakerTest, DeclaresItsPropertiesWithTheirDefaults) {
    Speaker fresh;
    EXPECT_STREQ(fresh.GetClassName(), "Speaker");
    EXPECT_STREQ(fresh.Sound.FirstString().CStr(), "null");
    EXPECT_FALSE(fresh.Play.FirstBool());
    EXPECT_TRUE(fresh.Play.HasFlag(Var::kHintStep));
    EXPECT_FALSE(fresh.Play.HasFlag(Var::kHintLinear));
    ASSERT_EQ(fresh.volumeRange.GetCount(), 2);
    ASSERT_EQ(fresh.pitchRange.GetCount(), 2);
    EXPECT_FLOAT_EQ(fresh.volumeRange.GetFloat(1), 1.0f);
    EXPECT_FLOAT_EQ(fresh.pitchRange.GetFloat(0), 1.0f);
    // The default sound is no sound, and resolving it looks nothing up.
    LogCapture log;
    fresh.Resolve();
    EXPECT_EQ(fresh.ResolvedSound(), nullptr);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(SpeakerTest, RisingEdgePlaysOnceAtPitchOneAndAVolumeInRange) {
    speaker.volumeRange.SetFloat(0, 0.5f);
    Resolve();
    ASSERT_NE(speaker.ResolvedSound(), nullptr);
    EXPECT_EQ(sound->PlayingCount(), 0);

    Set(speaker.Play, true);
    ASSERT_EQ(sound->PlayingCount(), 1);
    const Audio::SourceId source = PlayingSource();
    EXPECT_FLOAT_EQ(SourceFloat(source, AL_PITCH), 1.0f);
    EXPECT_GE(SourceFloat(source, AL_GAIN), 0.5f);
    EXPECT_LT(SourceFloat(source, AL_GAIN), 1.0f);

    // Other changes while "Play" stays true do not play it again.
    speaker.volumeRange.SetFloat(1, 0.9f);
    Resolve();
    Set(speaker.Play, true);
    EXPECT_EQ(sound->PlayingCount(), 1);
    // After "Play" was false the next rising edge plays again.
    Set(speaker.Play, false);
    EXPECT_EQ(sound->PlayingCount(), 1);
    Set(speaker.Play, true);
    EXPECT_EQ(sound->PlayingCount(), 2);
}

TEST_F(SpeakerTest, PitchTakesTheFirstRandomNumberAndVolumeTheSecond) {
    speaker.pitchRange.SetFloat(1, 2.0f);
    speaker.volumeRange.SetFloat(0, 0.0f);
    Resolve();
    std::srand(1234);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(1234);
    Set(speaker.Play, true);
    const Audio::SourceId source = PlayingSource();
    ASSERT_NE(source, Audio::kNoSource);
    EXPECT_FLOAT_EQ(SourceFloat(source, AL_PITCH), 1.0f + float(first % 10000) * 0.0001f);
    EXPECT_FLOAT_EQ(SourceFloat(source, AL_GAIN), float(second % 10000) * 0.0001f);
}

TEST_F(SpeakerTest, LoadedWithPlayTrueStaysSilentUntilTheNextEdge) {
    RegisterClass("Speaker", MakeObject<Speaker>, "Effects");
    WriteFile("room.scene", "Widget = bell;\nbell.Type = Speaker;\nbell.Sound = audio/ping.ogg;\nbell.Play = true;\n");
    std::unique_ptr<Scene> scene(LoadScene("room.scene"));
    ClearRegistry();
    ASSERT_NE(scene, nullptr);
    auto* bell = ObjectCast<Speaker>(scene->FindElement("bell"));
    ASSERT_NE(bell, nullptr);
    scene->Update();
    EXPECT_EQ(bell->ResolvedSound(), Resources::FindSound("audio/ping.ogg"));
    EXPECT_TRUE(bell->Played());
    EXPECT_EQ(sound->PlayingCount(), 0);

    bell->Play.SetFirstBool(false);
    bell->Resolve();
    bell->Play.SetFirstBool(true);
    bell->Resolve();
    EXPECT_EQ(sound->PlayingCount(), 1);
}

TEST_F(SpeakerTest, MissingOrStreamedSoundsNeverPlay) {
    LogCapture log;
    speaker.Sound.SetFirstString("audio/missing.ogg");
    Resolve();
    Set(speaker.Play, false);
    Set(speaker.Play, true);
    EXPECT_EQ(speaker.ResolvedSound(), nullptr);

    WriteFile("audio/theme.ogg", EncodeTone({.rate = 22050, .seconds = 0.5}));
    ASSERT_NE(Resources::FindMusic("audio/theme.ogg"), nullptr);
    speaker.Sound.SetFirstString("audio/theme.ogg");
    Set(speaker.Play, false);
    Set(speaker.Play, true);
    EXPECT_EQ(speaker.ResolvedSound(), nullptr);
    EXPECT_TRUE(log.Contains("is loaded as music"));
    EXPECT_EQ(Audio::FindFreeSource(), Audio::PoolSources().front());
}
