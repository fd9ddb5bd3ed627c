// What the device actually plays, heard through the wave back-end's capture:
// pitch and level of effects and music, volume scaling, a looping stream
// without gaps, and music from the pack archive under sound effects.
#include "audio/Audio.h"
#include "audio/Sound.h"
#include "io/PackArchive.h"
#include "io/Resources.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"
#include "PackWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;

namespace {

using CapturedAudioTest = AudioDeviceTest;

Capture StopAndCapture() {
    Resources::Shutdown();
    Audio::Shutdown();
    Capture capture;
    EXPECT_TRUE(ReadCapture(capture));
    EXPECT_EQ(capture.rate, kCaptureRate);
    return capture;
}

// The loudest `frequency` amplitude among windows of `seconds` across the span.
double PeakToneAmplitude(const Capture& capture, Span span, double frequency, double seconds) {
    const size_t window = size_t(seconds * capture.rate);
    double peak = 0.0;
    for (size_t at = span.begin; at + window <= span.end; at += window / 2) {
        peak = std::max(peak, ToneAmplitude(capture.left, {at, at + window}, capture.rate, frequency));
    }
    return peak;
}

} // namespace

TEST_F(CapturedAudioTest, EffectSoundsAtItsPitchAndHalfVolumeHalvesIt) {
    WriteFile("tone.ogg", EncodeTone({.rate = 22050, .seconds = 0.4, .frequency = 660.0, .amplitude = 0.5}));
    BaseSound* tone = Resources::FindSound("tone.ogg")->Implementation();
    ASSERT_NE(tone->Play(false, 1.0f, 1.0f), Audio::kNoSource);
    PumpFor(0.6);
    ASSERT_NE(tone->Play(false, 0.5f, 1.0f), Audio::kNoSource);
    PumpFor(0.6);
    const Capture capture = StopAndCapture();

    const std::vector<Span> bursts = FindBursts(capture.left, capture.rate, 0.02f);
    ASSERT_EQ(bursts.size(), 2u);
    double amplitudes[2] = {};
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(double(bursts[i].Length()) / capture.rate, 0.4, 0.05);
        const Span middle = Trimmed(bursts[i], capture.rate, 0.05);
        EXPECT_NEAR(ZeroCrossingFrequency(capture.left, middle, capture.rate), 660.0, 3.0);
        amplitudes[i] = ToneAmplitude(capture.left, middle, capture.rate, 660.0);
    }
    // The device pans a mono source to the centre, putting about 0.6 of its
    // level on each stereo side (stereo sources keep theirs, see below).
    EXPECT_NEAR(amplitudes[0], 0.5 * 0.6, 0.04);
    EXPECT_NEAR(amplitudes[1] / amplitudes[0], 0.5, 0.03);
}

TEST_F(CapturedAudioTest, LoopingMusicPlaysPastItsEndWithoutAGap) {
    WriteFile("loop.ogg",
              EncodeTone({.rate = 44100, .channels = 2, .seconds = 0.5, .frequency = 440.0, .amplitude = 0.4}));
    BaseSound* music = Resources::FindMusic("loop.ogg")->Implementation();
    ASSERT_NE(music->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    PumpFor(1.4, [&] { music->Update(); });
    EXPECT_TRUE(music->IsPlaying());
    music->Stop(Audio::kNoSource);
    const Capture capture = StopAndCapture();

    // One run of sound, no silent 10 ms anywhere in it, across two loop points.
    const std::vector<Span> bursts = FindBursts(capture.left, capture.rate, 0.05f, 0.005);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_GT(double(bursts[0].Length()) / capture.rate, 1.3);
    const Span middle = Trimmed(bursts[0], capture.rate, 0.05);
    EXPECT_NEAR(ZeroCrossingFrequency(capture.left, middle, capture.rate), 440.0, 2.0);
    // The level holds steady window by window: the stream never ran dry.
    const size_t window = size_t(capture.rate / 20);
    for (size_t at = middle.begin; at + window <= middle.end; at += window) {
        EXPECT_NEAR(ToneAmplitude(capture.left, {at, at + window}, capture.rate, 440.0), 0.4, 0.05)
            << "at " << double(at - bursts[0].begin) / capture.rate << " s";
    }
}

// A frame far longer than usual, the first after the tune starts and again
// later, is not heard: the stream queued enough ahead.
TEST_F(CapturedAudioTest, SlowFramesAfterMusicStartsAreNotHeard) {
    WriteFile("theme.ogg",
              EncodeTone({.rate = 44100, .channels = 2, .seconds = 3.0, .frequency = 440.0, .amplitude = 0.4}));
    BaseSound* music = Resources::FindMusic("theme.ogg")->Implementation();
    ASSERT_NE(music->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    PumpFor(0.3); // the slow first frame: nobody feeds the stream
    PumpFor(0.4, [&] { music->Update(); });
    PumpFor(0.3);
    PumpFor(0.3, [&] { music->Update(); });
    music->Stop(Audio::kNoSource);
    const Capture capture = StopAndCapture();

    const std::vector<Span> bursts = FindBursts(capture.left, capture.rate, 0.05f, 0.005);
    ASSERT_EQ(bursts.size(), 1u) << "the music broke off";
    EXPECT_GT(double(bursts[0].Length()) / capture.rate, 1.1);
}

TEST_F(CapturedAudioTest, MusicFromThePackIsHeardUnderSoundEffects) {
    WriteFile("packed/audio/theme.ogg",
              EncodeTone({.rate = 44100, .channels = 2, .seconds = 1.0, .frequency = 330.0, .amplitude = 0.3}));
    WriteFile("packed/audio/ping.ogg", EncodeTone({.rate = 22050, .seconds = 0.2, .frequency = 1320.0}));
    std::string error;
    ASSERT_TRUE(PackCreate("packed", "data.pack", error)) << error;
    std::filesystem::remove_all("packed");
    ASSERT_TRUE(OpenArchive("data.pack"));

    Sound* theme = Resources::FindMusic("audio/theme.ogg");
    Sound* ping = Resources::FindSound("audio/ping.ogg");
    ASSERT_TRUE(theme && ping);
    ASSERT_NE((*theme)->Play(true, 1.0f, 1.0f), Audio::kNoSource);
    PumpFor(0.5, [&] { (*theme)->Update(); });
    ASSERT_NE((*ping)->Play(false, 1.0f, 1.0f), Audio::kNoSource);
    PumpFor(0.8, [&] { (*theme)->Update(); });
    const Capture capture = StopAndCapture();

    const std::vector<Span> bursts = FindBursts(capture.left, capture.rate, 0.05f, 0.005);
    ASSERT_EQ(bursts.size(), 1u);
    const Span music = Trimmed(bursts[0], capture.rate, 0.05);
    ASSERT_GT(double(music.Length()) / capture.rate, 1.1);
    const size_t rate = size_t(capture.rate);
    const Span beforePing{music.begin, music.begin + rate * 3 / 10};
    const Span afterPing{music.end - rate * 3 / 10, music.end};
    // The music plays throughout, past the end of its file.
    EXPECT_NEAR(ToneAmplitude(capture.left, beforePing, capture.rate, 330.0), 0.3, 0.05);
    EXPECT_NEAR(ToneAmplitude(capture.left, afterPing, capture.rate, 330.0), 0.3, 0.05);
    // The effect is heard over it, only where it was played.
    EXPECT_LT(PeakToneAmplitude(capture, beforePing, 1320.0, 0.1), 0.02);
    EXPECT_GT(PeakToneAmplitude(capture, music, 1320.0, 0.1), 0.25);
    EXPECT_LT(PeakToneAmplitude(capture, afterPing, 1320.0, 0.1), 0.02);
}
