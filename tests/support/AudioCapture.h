#pragma once
// Audio tests hear what the engine plays through OpenAL Soft's wave
// back-end: the device mixes in real time into a WAV file, which is read back
// after Audio::Shutdown and analysed.
//
// OpenAL Soft reads its configuration once per process, so the capture file
// is one per process (below the system temp folder, removed at exit); every
// Startup rewrites it from the beginning.

#include "support/EngineSandbox.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class BaseSound;

namespace testing_support {

constexpr int kCaptureRate = 44100;

/// Points OpenAL Soft at the wave back-end (stereo, 16-bit, kCaptureRate),
/// for devices opened from now on; false when the set-up cannot be written.
bool UseCaptureDevice();
/// UseCaptureDevice, then starts the audio device; false when it cannot be started.
bool StartCapturedAudio();

/// What the device wrote, read after Audio::Shutdown: the left channel as
/// floats in -1..1.
struct Capture {
    int rate = 0;
    int channels = 0;
    std::vector<float> left;
};
/// False when the capture file is missing or not a WAV file the device writes.
bool ReadCapture(Capture& out);
/// The same for a WAV file another process's device wrote to `path`.
bool ReadCapture(const std::string& path, Capture& out);

/// Runs `perFrame` (streams' updates) every few milliseconds for `seconds`
/// of real time.
void PumpFor(double seconds, const std::function<void()>& perFrame = {});

/// A span of samples [begin, end).
struct Span {
    size_t begin = 0;
    size_t end = 0;
    size_t Length() const { return end - begin; }
};
/// The runs of sound: windows of 10 ms whose peak exceeds `threshold`, with
/// gaps shorter than `minGapSeconds` bridged.
std::vector<Span> FindBursts(const std::vector<float>& samples, int rate, float threshold,
                             double minGapSeconds = 0.05);
/// The span with `trimSeconds` cut from each end.
Span Trimmed(Span span, int rate, double trimSeconds);
/// The amplitude of the sine component at `frequency` over the span (Goertzel).
double ToneAmplitude(const std::vector<float>& samples, Span span, int rate, double frequency);
/// The frequency from the rising zero crossings over the span.
double ZeroCrossingFrequency(const std::vector<float>& samples, Span span, int rate);

} // namespace testing_support

namespace testing_support {

/// Tests on a captured device: the device starts before the test, the sound
/// loaders are installed and the cache is on; afterwards the sandbox empties
/// the cache and closes the device.
class AudioDeviceTest : public ::testing::Test {
protected:
    EngineSandbox sandbox;
    void SetUp() override;
    /// Writes a 1320 Hz tone of `seconds` to `path` and finds it as an effect.
    static ::BaseSound* Effect(const char* path, double seconds = 1.0);
};

} // namespace testing_support
