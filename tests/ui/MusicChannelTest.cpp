// The music channel's fades and cross-fades, driven through a recording
// player and a deferred-message queue that runs like the input manager's.
#include "ui/MusicChannel.h"

#include "support/DeferredQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeTrack {
    const char* name;
    bool playing = false;
    float gain = -1.0f;
    int serviced = 0;
};

Sound* AsSound(FakeTrack& track) {
    return reinterpret_cast<Sound*>(&track);
}
FakeTrack& Track(Sound* sound) {
    return *reinterpret_cast<FakeTrack*>(sound);
}

class MusicChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        MusicOps ops;
        ops.play = [](Sound* sound, float gain) {
            Track(sound).playing = true;
            Track(sound).gain = gain;
        };
        ops.stop = [](Sound* sound) { Track(sound).playing = false; };
        ops.service = [](Sound* sound) { ++Track(sound).serviced; };
        ops.setGain = [](Sound* sound, float gain) { Track(sound).gain = gain; };
        channel.SetOps(ops);
        channel.SetPoster(deferred.Poster());
    }

    /// One frame as the game runs it: due deferred messages first (a delay
    /// of 0 or less is due), then the channel's update.
    void Frame(float elapsed) {
        deferred.Run(elapsed, [this](int32_t code, void* data) { channel.OnDeferredMessage(code, data); });
        channel.Update(elapsed, volume);
    }

    MusicChannel channel;
    testing_support::DeferredQueue deferred;
    float volume = 0.8f;
    FakeTrack a{"a"};
    FakeTrack b{"b"};
};

} // namespace

TEST_F(MusicChannelTest, FadeInFromSilenceScalesByTheMusicVolume) {
    channel.PlayMusic(AsSound(a), 2.0f);
    EXPECT_TRUE(a.playing);
    EXPECT_EQ(a.gain, 0.0f);
    Frame(0.5f);
    EXPECT_FLOAT_EQ(a.gain, 0.25f * volume);
    Frame(1.0f);
    Frame(1.0f);
    EXPECT_FLOAT_EQ(a.gain, volume);
    EXPECT_EQ(channel.Direction(), 0);
    // No fade runs: the gain is left alone, the stream still fed.
    a.gain = 0.3f;
    Frame(0.5f);
    EXPECT_EQ(a.gain, 0.3f);
    EXPECT_EQ(a.serviced, 4);
    // A new music volume is heard at once, with no fade running.
    volume = 0.4f;
    Frame(0.1f);
    EXPECT_FLOAT_EQ(a.gain, 0.4f);
}

TEST_F(MusicChannelTest, PlayingTheCurrentMusicOrNothingChangesNothing) {
    channel.PlayMusic(AsSound(a), 1.0f);
    channel.PlayMusic(AsSound(a), 1.0f);
    channel.PlayMusic(nullptr, 1.0f);
    EXPECT_TRUE(deferred.pending.empty());
    EXPECT_EQ(channel.Current(), AsSound(a));
    EXPECT_EQ(channel.Direction(), 1);
}

TEST_F(MusicChannelTest, CrossFadeLeavesASilentGapOfHalfTheFade) {
    channel.PlayMusic(AsSound(a), 0.0f);
    Frame(0.1f);
    const float fade = 2.0f;
    const float step = 0.05f;
    channel.PlayMusic(AsSound(b), fade);
    float time = 0.0f;
    float aStopped = -1.0f;
    float bStarted = -1.0f;
    for (int frame = 0; frame < 200; ++frame) {
        Frame(step);
        time += step;
        if (aStopped < 0.0f && !a.playing) {
            aStopped = time;
        }
        if (bStarted < 0.0f && b.playing) {
            bStarted = time;
            // Started silent; this frame's update already raised it one step.
            EXPECT_NEAR(b.gain, step / (fade / 2.0f) * volume, 1e-5);
        }
    }
    // The old music fades for half the fade, then silence for half the
    // fade, then the new music fades in over half the fade.
    EXPECT_NEAR(aStopped, fade / 2.0f, 2.5f * step);
    EXPECT_NEAR(bStarted - aStopped, fade / 2.0f, 2.5f * step);
    EXPECT_EQ(channel.Current(), AsSound(b));
    EXPECT_FLOAT_EQ(b.gain, volume);
    EXPECT_TRUE(deferred.pending.empty());
}

TEST_F(MusicChannelTest, StopMusicFadesOutThenStops) {
    channel.PlayMusic(AsSound(a), 0.0f);
    EXPECT_FLOAT_EQ(a.gain, 1.0f); // the volume before the first update
    channel.StopMusic(1.0f);
    Frame(0.5f);
    EXPECT_FLOAT_EQ(a.gain, 0.5f * volume);
    EXPECT_TRUE(a.playing);
    for (int i = 0; i < 4; ++i) {
        Frame(0.5f);
    }
    EXPECT_FALSE(a.playing);
    EXPECT_EQ(channel.Current(), nullptr);
    channel.StopMusic(1.0f); // nothing to stop
    EXPECT_TRUE(deferred.pending.empty());
}

TEST_F(MusicChannelTest, MusicStartedWithoutFadeKeepsPlayingPastAnEarlierFadeOut) {
    channel.PlayMusic(AsSound(a), 0.0f);
    channel.StopMusic(1.0f);
    Frame(0.25f);
    channel.PlayMusic(AsSound(b), 0.0f);
    EXPECT_FALSE(a.playing);
    EXPECT_TRUE(b.playing);
    EXPECT_FLOAT_EQ(b.gain, volume);
    for (int i = 0; i < 10; ++i) {
        Frame(0.25f);
    }
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(channel.Current(), AsSound(b));
    EXPECT_FLOAT_EQ(b.gain, volume);
}

// A cross-fade's deferred messages outlive the fade when the music is
// stopped or replaced before they arrive: they must leave the new state alone.
TEST_F(MusicChannelTest, OvertakenCrossFadeNeverBringsItsMusicBack) {
    FakeTrack c{"c"};
    struct Case {
        const char* name;
        float at; // seconds into the fade of 2 s
        void (*overtake)(MusicChannel&, Sound* third);
        bool thirdPlays;
    };
    const Case cases[] = {
        {"stopped at once", 0.3f, [](MusicChannel& channel, Sound*) { channel.StopMusic(0.0f); }, false},
        {"replaced at once", 0.3f,
         [](MusicChannel& channel, Sound* third) { channel.PlayMusic(third, 0.0f); }, true},
        {"stopped in the silent half", 1.4f, [](MusicChannel& channel, Sound*) { channel.StopMusic(0.5f); },
         false},
        {"faded in from the silent half", 1.4f,
         [](MusicChannel& channel, Sound* third) { channel.PlayMusic(third, 0.5f); }, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        channel.Reset();
        deferred.pending.clear();
        a = {"a"};
        b = {"b"};
        c = {"c"};
        channel.PlayMusic(AsSound(a), 0.0f);
        channel.PlayMusic(AsSound(b), 2.0f);
        for (float time = 0.0f; time < test.at; time += 0.1f) {
            Frame(0.1f);
        }
        test.overtake(channel, AsSound(c));
        for (int frame = 0; frame < 40; ++frame) {
            Frame(0.1f);
            ASSERT_FALSE(b.playing) << "frame " << frame;
        }
        EXPECT_FALSE(a.playing);
        EXPECT_EQ(c.playing, test.thirdPlays);
        EXPECT_EQ(channel.Current(), test.thirdPlays ? AsSound(c) : nullptr);
        if (test.thirdPlays) {
            EXPECT_FLOAT_EQ(c.gain, volume);
        }
    }
}

// The same music asked for again after the first cross-fade was stopped:
// only the second cross-fade's messages count, each at its own time.
TEST_F(MusicChannelTest, RepeatedCrossFadeKeepsItsOwnTiming) {
    channel.PlayMusic(AsSound(a), 0.0f);
    channel.PlayMusic(AsSound(b), 2.0f);
    Frame(0.1f);
    Frame(0.1f);
    channel.StopMusic(0.0f);
    channel.PlayMusic(AsSound(a), 0.0f);
    Frame(0.1f);
    Frame(0.1f);
    Frame(0.1f);
    channel.PlayMusic(AsSound(b), 2.0f); // at 0.5 s
    float time = 0.5f;
    float aStopped = -1.0f;
    float bStarted = -1.0f;
    while (time < 4.0f) {
        Frame(0.1f);
        time += 0.1f;
        if (aStopped < 0.0f && !a.playing) {
            aStopped = time;
        }
        if (bStarted < 0.0f && b.playing) {
            bStarted = time;
        }
    }
    EXPECT_NEAR(aStopped, 0.5f + 1.0f, 0.15f);
    EXPECT_NEAR(bStarted, 0.5f + 2.0f, 0.15f);
    EXPECT_EQ(channel.Current(), AsSound(b));
}
