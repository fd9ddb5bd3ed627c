// Sounds on a real OpenAL device (OpenAL Soft's wave back-end): the source
// pool, instance limits, gains, music streaming and take-over, and the
// silent game without a device.
#include "audio/Audio.h"
#include "audio/Sound.h"
#include "audio/StaticSound.h"
#include "audio/StreamedSound.h"
#include "io/Resources.h"
#include "support/AllocationCounter.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

using namespace testing_support;

namespace {

using SoundDeviceTest = AudioDeviceTest;

int CountLines(const LogCapture& log, const std::string& fragment) {
    int count = 0;
    for (const std::string& line : log.Lines()) {
        count += line.find(fragment) != std::string::npos ? 1 : 0;
    }
    return count;
}

float SourceFloat(Audio::SourceId source, int parameter) {
    ALfloat value = 0.0f;
    alGetSourcef(source, parameter, &value);
    return value;
}

} // namespace

TEST_F(SoundDeviceTest, PoolHoldsTheSourcesAfterTheMusicSource) {
    const auto& pool = Audio::PoolSources();
    ASSERT_EQ(pool.size(), size_t(Audio::kMaxSources - 1));
    EXPECT_FALSE(Audio::IsPoolSource(Audio::MusicSource()));
    EXPECT_NE(Audio::MusicSource(), Audio::kNoSource);
    EXPECT_EQ(std::set<Audio::SourceId>(pool.begin(), pool.end()).size(), pool.size());
    EXPECT_EQ(Audio::FindFreeSource(), pool.front());
    EXPECT_FLOAT_EQ(Audio::GetSoundVolume(), 1.0f);
}

TEST_F(SoundDeviceTest, FortySoundsAtOnceBorrowAtMostThePool) {
    BaseSound* first = Effect("a.ogg");
    BaseSound* second = Effect("b.ogg");
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(first->SetMaxInstances(100));
    EXPECT_EQ(first->GetMaxInstances(), 2);
    EXPECT_FALSE(first->SetMaxInstances(Audio::kMaxSources));
    ASSERT_TRUE(first->SetMaxInstances(Audio::kMaxSources - 1));
    ASSERT_TRUE(second->SetMaxInstances(20));

    std::set<Audio::SourceId> used;
    int played = 0;
    for (int i = 0; i < 40; ++i) {
        const Audio::SourceId source = (i % 2 ? second : first)->Play(false, 1.0f, 1.0f);
        if (source != Audio::kNoSource) {
            ++played;
            EXPECT_TRUE(Audio::IsPoolSource(source));
            used.insert(source);
        }
    }
    EXPECT_EQ(played, Audio::kMaxSources - 1);
    EXPECT_EQ(used.size(), size_t(played));
    EXPECT_EQ(first->PlayingCount() + second->PlayingCount(), played);
    EXPECT_EQ(Audio::FindFreeSource(), Audio::kNoSource);

    // One stop frees exactly one source, which the next play takes.
    const Audio::SourceId stopped = *used.begin();
    first->Stop(stopped);
    second->Stop(stopped);
    EXPECT_EQ(Audio::FindFreeSource(), stopped);
    first->Stop(Audio::kNoSource);
    EXPECT_EQ(first->PlayingCount(), 0);
    EXPECT_GT(second->PlayingCount(), 0);
}

TEST_F(SoundDeviceTest, DefaultLimitLetsTwoInstancesPlay) {
    BaseSound* sound = Effect("ping.ogg");
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(sound->IsStreamed());
    const Audio::SourceId one = sound->Play(false, 1.0f, 1.0f);
    const Audio::SourceId two = sound->Play(true, 1.0f, 1.0f);
    EXPECT_NE(one, Audio::kNoSource);
    EXPECT_NE(two, Audio::kNoSource);
    EXPECT_EQ(sound->Play(false, 1.0f, 1.0f), Audio::kNoSource);
    EXPECT_EQ(sound->PlayingCount(), 2);
    EXPECT_TRUE(sound->IsPlaying());
    sound->Stop(one);
    EXPECT_EQ(sound->PlayingCount(), 1);
    EXPECT_NE(sound->Play(false, 1.0f, 1.0f), Audio::kNoSource);
}

TEST_F(SoundDeviceTest, EffectGainsCarryTheSoundVolumeAndMusicDoesNot) {
    BaseSound* effect = Effect("ping.ogg");
    WriteFile("music.ogg", EncodeTone({.rate = 22050, .seconds = 1.0}));
    Sound* music = Resources::FindMusic("music.ogg");
    ASSERT_TRUE(effect && music);
    Audio::SetSoundVolume(0.5f);
    const Audio::SourceId source = effect->Play(false, 0.8f, 1.5f);
    ASSERT_NE(source, Audio::kNoSource);
    EXPECT_FLOAT_EQ(SourceFloat(source, AL_GAIN), 0.4f);
    EXPECT_FLOAT_EQ(effect->GetVolume(source), 0.4f);
    EXPECT_FLOAT_EQ(SourceFloat(source, AL_PITCH), 1.5f);

    const Audio::SourceId other = effect->Play(false, 1.0f, 1.0f);
    effect->SetVolume(0.2f, Audio::kNoSource);
    EXPECT_FLOAT_EQ(effect->GetVolume(source), 0.1f);
    EXPECT_FLOAT_EQ(effect->GetVolume(other), 0.1f);
    effect->SetVolume(1.0f, other);
    EXPECT_FLOAT_EQ(effect->GetVolume(other), 0.5f);
    EXPECT_FLOAT_EQ(effect->GetVolume(source), 0.1f);

    EXPECT_EQ(music->Implementation()->Play(true, 0.8f, 1.0f), Audio::MusicSource());
    EXPECT_FLOAT_EQ(music->Implementation()->GetVolume(Audio::kNoSource), 0.8f);
    music->Implementation()->SetVolume(0.3f, Audio::kNoSource);
    EXPECT_FLOAT_EQ(SourceFloat(Audio::MusicSource(), AL_GAIN), 0.3f);
    EXPECT_EQ(SourceFloat(Audio::MusicSource(), AL_LOOPING), 0.0f);
}

TEST_F(SoundDeviceTest, KeptSourceLentToAnotherSoundIsLeftAlone) {
    BaseSound* first = Effect("first.ogg", 0.05);
    BaseSound* second = Effect("second.ogg");
    ASSERT_TRUE(first && second);
    const Audio::SourceId kept = first->Play(false, 1.0f, 1.0f);
    PumpFor(0.25);
    ASSERT_EQ(first->PlayingCount(), 0);
    const Audio::SourceId lent = second->Play(false, 0.7f, 1.0f);
    ASSERT_EQ(lent, kept);
    first->Stop(kept);
    first->SetVolume(0.0f, kept);
    EXPECT_TRUE(second->IsPlaying());
    EXPECT_FLOAT_EQ(second->GetVolume(lent), 0.7f);
    EXPECT_EQ(first->GetVolume(kept), 0.0f);
    // Nor can an effect reach the music source.
    EXPECT_EQ(first->GetVolume(Audio::MusicSource()), 0.0f);
}

TEST_F(SoundDeviceTest, PlayingAnotherStreamTakesTheMusicSourceOver) {
    WriteFile("one.ogg", EncodeTone({.rate = 22050, .seconds = 1.0}));
    WriteFile("two.ogg", EncodeTone({.rate = 44100, .channels = 2, .seconds = 1.0}));
    BaseSound* one = Resources::FindMusic("one.ogg")->Implementation();
    BaseSound* two = Resources::FindMusic("two.ogg")->Implementation();
    ASSERT_NE(one->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    PumpFor(0.1, [&] { one->Update(); });
    EXPECT_TRUE(one->IsPlaying());
    EXPECT_EQ(one->PlayingCount(), 1);

    ASSERT_EQ(two->Play(true, 0.6f, 1.0f), Audio::MusicSource());
    EXPECT_FALSE(one->IsPlaying());
    // The replaced stream's calls no longer touch the source.
    one->Update();
    one->Stop(Audio::kNoSource);
    one->SetVolume(0.1f, Audio::kNoSource);
    EXPECT_TRUE(two->IsPlaying());
    EXPECT_FLOAT_EQ(two->GetVolume(Audio::kNoSource), 0.6f);
    PumpFor(0.1, [&] { two->Update(); });
    EXPECT_TRUE(two->IsPlaying());
    two->Stop(Audio::kNoSource);
    EXPECT_FALSE(two->IsPlaying());
    EXPECT_EQ(two->PlayingCount(), 0);
}

TEST_F(SoundDeviceTest, QueueRunsUpToTheRingAheadOfPlayback) {
    WriteFile("long.ogg", EncodeTone({.rate = 22050, .seconds = 8.0}));
    auto* music = static_cast<StreamedSound*>(Resources::FindMusic("long.ogg")->Implementation());
    ASSERT_NE(music->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    ALint queued = 0;
    alGetSourcei(Audio::MusicSource(), AL_BUFFERS_QUEUED, &queued);
    EXPECT_EQ(queued, StreamedSound::kLeadChunks);
    for (int i = 0; i < StreamedSound::kRingSize + 20; ++i) {
        music->Update();
    }
    alGetSourcei(Audio::MusicSource(), AL_BUFFERS_QUEUED, &queued);
    EXPECT_EQ(queued, StreamedSound::kRingSize);
    EXPECT_EQ(music->RingIndex(), 0);
}

TEST_F(SoundDeviceTest, StreamingAndPlayingEffectsAllocateNothing) {
    if (!AllocationCounter::Available()) {
        GTEST_SKIP() << "the sanitizer's allocator is not counted";
    }
    WriteFile("loop.ogg", EncodeTone({.rate = 22050, .seconds = 0.3}));
    BaseSound* music = Resources::FindMusic("loop.ogg")->Implementation();
    BaseSound* effect = Effect("ping.ogg", 0.1);
    ASSERT_NE(music->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    music->Update();
    AllocationCounter counter;
    // Past the loop point of the file several times over.
    for (int frame = 0; frame < 40; ++frame) {
        music->Update();
        effect->Play(false, 1.0f, 1.0f);
        effect->PlayingCount();
    }
    EXPECT_EQ(counter.Count(), 0u);
}

TEST_F(SoundDeviceTest, StreamWithoutLoopPlaysOutThenStops) {
    WriteFile("short.ogg", EncodeTone({.rate = 22050, .seconds = 0.3}));
    BaseSound* music = Resources::FindMusic("short.ogg")->Implementation();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(music->Play(false, 1.0f, 1.0f), Audio::kNoSource);
    while (music->IsPlaying() && std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
        PumpFor(0.01, [&] { music->Update(); });
    }
    const double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(music->IsPlaying());
    EXPECT_GT(played, 0.25);
    EXPECT_LT(played, 2.0);
}

TEST_F(SoundDeviceTest, StreamThatBreaksWhilePlayingStopsAlone) {
    LogCapture log;
    WriteFile("music.ogg", EncodeTone({.rate = 22050, .seconds = 2.0}));
    BaseSound* music = Resources::FindMusic("music.ogg")->Implementation();
    BaseSound* effect = Effect("ping.ogg");
    ASSERT_NE(music->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    music->Update();
    std::filesystem::resize_file("music.ogg", 0);
    // Every frame goes on servicing the broken stream; it is stopped and
    // reported once.
    for (int i = 0; i < 200; ++i) {
        music->Update();
    }
    EXPECT_FALSE(music->IsPlaying());
    EXPECT_EQ(CountLines(log, "Music music.ogg stops"), 1);
    EXPECT_NE(effect->Play(false, 1.0f, 1.0f), Audio::kNoSource);
    music->Update();
}

// Only the Ogg pages before the first audio page: a valid stream of no
// samples. It plays nothing and says so in one line, however long it is fed.
TEST_F(SoundDeviceTest, MusicOfHeadersOnlyPlaysNothingAndSaysSoOnce) {
    LogCapture log;
    const std::string whole = EncodeTone({.rate = 22050, .seconds = 1.0});
    std::string headers;
    for (size_t at = 0; at + 27 <= whole.size();) {
        int64_t granule = 0;
        std::memcpy(&granule, whole.data() + at + 6, 8);
        const auto* page = reinterpret_cast<const unsigned char*>(whole.data() + at);
        size_t size = 27 + page[26];
        for (int i = 0; i < page[26]; ++i) {
            size += page[27 + i];
        }
        if (granule != 0) {
            break;
        }
        headers.append(whole, at, size);
        at += size;
    }
    ASSERT_FALSE(headers.empty());
    ASSERT_LT(headers.size(), whole.size());
    WriteFile("silent.ogg", headers);
    Sound* silent = Resources::FindMusic("silent.ogg");
    ASSERT_NE(silent, nullptr);
    EXPECT_EQ((*silent)->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    for (int frame = 0; frame < 100; ++frame) {
        (*silent)->Update();
    }
    EXPECT_FALSE((*silent)->IsPlaying());
    EXPECT_EQ(CountLines(log, "silent.ogg"), 1);
}

TEST_F(SoundDeviceTest, NotVorbisGivesNoResource) {
    LogCapture log;
    WriteFile("text.ogg", "this is not a sound");
    EXPECT_EQ(Resources::FindSound("text.ogg"), nullptr);
    EXPECT_EQ(Resources::FindMusic("text.ogg"), nullptr);
    EXPECT_EQ(Resources::FindSound("missing.ogg"), nullptr);
    EXPECT_TRUE(log.Contains("text.ogg: not an Ogg Vorbis file"));
}

// OpenAL Soft reads its configuration once per process, so the device-less
// run happens in a fresh copy of the test program.
TEST(SoundWithoutDeviceTest, EveryCallIsHarmless) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            WriteFile("none.conf", "[general]\ndrivers = no-such-driver\n");
            setenv("ALSOFT_CONF", "none.conf", 1);
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            bool ok = !Audio::Startup() && !Audio::IsStarted();
            ok = ok && Audio::FindFreeSource() == Audio::kNoSource && Audio::PoolSources().empty();
            WriteFile("tone.ogg", EncodeTone({.rate = 22050, .seconds = 0.2}));
            StaticSound effect;
            StreamedSound music;
            ok = ok && effect.Load("tone.ogg") && music.Load("tone.ogg");
            ok = ok && effect.Play(false, 1.0f, 1.0f) == Audio::kNoSource && effect.PlayingCount() == 0;
            ok = ok && music.Play(true, 1.0f, 1.0f) == Audio::kNoSource && !music.IsPlaying();
            effect.SetVolume(0.5f, Audio::kNoSource);
            effect.Stop(Audio::kNoSource);
            music.Update();
            music.SetVolume(0.5f, Audio::kNoSource);
            music.Stop(Audio::kNoSource);
            ok = ok && music.GetVolume(Audio::kNoSource) == 0.0f && !effect.IsPlaying();
            Audio::Shutdown();
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
