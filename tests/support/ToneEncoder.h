#pragma once
// Test tones as Ogg Vorbis files, made with the reference encoder, so tests
// and benchmarks can feed the sound decoders real data of known content.

#include <string>

namespace testing_support {

struct Tone {
    int rate = 44100;
    int channels = 1;
    double seconds = 1.0;
    double frequency = 440.0; ///< Hz; 0 gives silence
    double amplitude = 0.5;   ///< peak, 1 is full scale
    float quality = 0.3f;     ///< Vorbis VBR quality, -0.1..1
};

/// The whole Ogg Vorbis file of a sine tone, every channel alike; empty when
/// the encoder refuses the format.
std::string EncodeTone(const Tone& tone);

} // namespace testing_support
