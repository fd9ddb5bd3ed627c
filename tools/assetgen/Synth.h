#pragma once
// Synthesis of the demo's sound effects and music, all additive: sums of sine
// partials shaped by envelopes, plus filtered noise for clicks and whooshes.
//
// Samples are floats in −1 … 1, interleaved by channel. Music is rendered on
// a circular buffer whose length is a whole number of beats in samples, so a
// note that rings past the end continues at the start and the piece loops
// without a seam. Everything is deterministic: noise comes from a seeded
// generator, never from the clock.

#include <cstdint>
#include <string>
#include <vector>

struct Pcm {
    int32_t rate = 44100;
    int32_t channels = 1;
    std::vector<float> samples; // interleaved
    int64_t Frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

/// A note name such as "C4", "F#3" or "Bb2" as a frequency in Hz; false for
/// anything else (octaves 0 to 8).
bool NoteFrequency(const std::string& name, float& hertz);

struct ClickParams {
    float pitch = 1800, length = 0.05f, noise = 0.3f, volume = 0.7f;
    uint32_t seed = 1;
};
struct ChimeParams {
    std::vector<float> notes; // Hz, played one after another
    float spacing = 0.12f, decay = 0.8f, volume = 0.6f;
};
struct WhooshParams {
    float length = 0.5f, from = 400, to = 2400, volume = 0.6f;
    uint32_t seed = 1;
};
struct FanfareNote {
    float hertz = 0;  // 0: a rest
    float beats = 1;
};
struct FanfareParams {
    std::vector<FanfareNote> notes;
    std::vector<float> finalChord; // Hz, sounded with the last note
    float beat = 0.16f, volume = 0.6f;
};

Pcm SynthClick(const ClickParams& params);
Pcm SynthChime(const ChimeParams& params);
Pcm SynthWhoosh(const WhooshParams& params);
Pcm SynthFanfare(const FanfareParams& params);

struct MusicNote {
    float hertz = 0; // 0: a rest
    float beats = 1;
};
struct MusicParams {
    float tempo = 80;      // beats per minute
    int32_t beatsPerBar = 4;
    std::vector<std::vector<float>> chords;         // one per bar, Hz
    std::vector<std::vector<MusicNote>> melody;     // one line per bar
    float volume = 0.8f;
    uint32_t seed = 1;
};

/// Samples per beat, rounded, so that the loop is a whole number of samples.
int32_t SamplesPerBeat(float tempo, int32_t rate);
/// Stereo music, exactly bars × beatsPerBar × SamplesPerBeat frames long,
/// peak-normalised to `volume`.
Pcm SynthMusic(const MusicParams& params);
