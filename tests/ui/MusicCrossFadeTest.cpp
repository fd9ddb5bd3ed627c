// A music cross-fade heard on a real OpenAL device (the wave back-end): the
// old tune fades and stops, half the fade passes in silence, the new tune
// fades in.
#include "ui/ScreenServices.h"

#include "audio/Audio.h"
#include "audio/Sound.h"
#include "io/Resources.h"
#include "support/AudioCapture.h"
#include "support/DeferredQueue.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

using namespace testing_support;

namespace {

/// The screen stack's share of a frame: due deferred messages, then the
/// music update, with the real time since the previous frame.
class MusicFrames {
public:
    explicit MusicFrames(ScreenServices& services) : services(services) {
        services.SetPoster(deferred.Poster());
        last = std::chrono::steady_clock::now();
    }
    void Frame() {
        const auto now = std::chrono::steady_clock::now();
        const float elapsed = std::chrono::duration<float>(now - last).count();
        last = now;
        deferred.Run(elapsed, [this](int32_t code, void* data) { services.OnDeferredMessage(code, data); });
        services.UpdateMusic(elapsed);
    }

private:
    ScreenServices& services;
    DeferredQueue deferred;
    std::chrono::steady_clock::time_point last;
};

} // namespace

TEST(MusicCrossFade, SilentGapOfHalfTheFadeBetweenTheTunes) {
    EngineSandbox sandbox;
    ASSERT_TRUE(StartCapturedAudio());
    InstallAudioResourceLoaders();
    Resources::lookupEnabled = Resources::storeEnabled = true;
    WriteFile("first.ogg", EncodeTone({.rate = 44100, .seconds = 1.0, .frequency = 440.0}));
    WriteFile("second.ogg", EncodeTone({.rate = 44100, .seconds = 1.0, .frequency = 660.0}));
    {
        ScreenServices services;
        MusicFrames frames(services);
        services.PlayMusic(Resources::FindMusic("first.ogg"), 0.0f);
        PumpFor(0.5, [&] { frames.Frame(); });
        services.PlayMusicByName("second.ogg"); // a fade of 1 s
        PumpFor(2.0, [&] { frames.Frame(); });
        EXPECT_EQ(services.Music().Current(), Resources::FindMusic("second.ogg"));
        EXPECT_EQ(services.Music().Direction(), 0);
        services.StopMusic(0.0f);
    }
    Resources::Shutdown();
    Audio::Shutdown();

    Capture capture;
    ASSERT_TRUE(ReadCapture(capture));
    const std::vector<Span> bursts = FindBursts(capture.left, capture.rate, 0.01f, 0.1);
    ASSERT_EQ(bursts.size(), 2u);
    const double gap = double(bursts[1].begin - bursts[0].end) / capture.rate;
    EXPECT_NEAR(gap, 0.5, 0.06);
    // The first tune played 0.5 s at full gain and 0.5 s fading; the second is
    // the other tune. The 0.5 s are counted in real frames, which a loaded
    // machine stretches: the gap above is what the fade decides.
    EXPECT_NEAR(double(bursts[0].Length()) / capture.rate, 1.0, 0.15);
    const Span second = Trimmed(bursts[1], capture.rate, 0.1);
    EXPECT_NEAR(ZeroCrossingFrequency(capture.left, second, capture.rate), 660.0, 10.0);
}
