#include "Synth.h"

#include "Canvas.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int32_t kRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

// A sine table with linear interpolation: fast also in unoptimised builds.
class SineTable {
public:
    SineTable() {
        for (size_t i = 0; i < table.size(); ++i) {
            table[i] = static_cast<float>(std::sin(kTwoPi * static_cast<double>(i) / kSize));
        }
    }
    // `phase` in cycles.
    float operator()(double phase) const {
        const double cycles = phase - std::floor(phase);
        const double at = cycles * kSize;
        const auto i = static_cast<size_t>(at);
        const float t = static_cast<float>(at - static_cast<double>(i));
        return table[i] + (table[i + 1] - table[i]) * t;
    }

private:
    static constexpr size_t kSize = 4096;
    std::array<float, kSize + 1> table{};
};

const SineTable& Sine() {
    static const SineTable sine;
    return sine;
}

// One additive partial: frequency ratio to the note, amplitude, decay speed.
struct Partial {
    float ratio, amplitude, decayScale;
};

void Normalise(Pcm& pcm, float peak) {
    float highest = 0.0f;
    for (float s : pcm.samples) {
        highest = std::max(highest, std::fabs(s));
    }
    if (highest > 0.0f) {
        const float scale = peak / highest;
        for (float& s : pcm.samples) {
            s *= scale;
        }
    }
}

// Short fades at both ends so that an effect never starts or stops with a step.
void SoftEnds(Pcm& pcm) {
    const int64_t frames = pcm.Frames();
    const int64_t fade = std::min<int64_t>(frames / 2, kRate / 500);
    for (int64_t i = 0; i < fade; ++i) {
        const float g = static_cast<float>(i) / static_cast<float>(fade);
        for (int32_t c = 0; c < pcm.channels; ++c) {
            pcm.samples[static_cast<size_t>(i * pcm.channels + c)] *= g;
            pcm.samples[static_cast<size_t>((frames - 1 - i) * pcm.channels + c)] *= g;
        }
    }
}

Pcm MonoOfLength(float seconds) {
    Pcm pcm;
    pcm.rate = kRate;
    pcm.channels = 1;
    pcm.samples.assign(static_cast<size_t>(std::max(1.0f, seconds * kRate)), 0.0f);
    return pcm;
}

// Adds a struck note (instant attack, exponential decay per partial).
void AddStruck(std::vector<float>& out, int64_t start, float hertz, float decay, float volume,
               const std::vector<Partial>& partials) {
    const auto& sine = Sine();
    const int64_t length = static_cast<int64_t>(out.size());
    const int64_t attack = kRate / 400;
    for (const Partial& p : partials) {
        const double step = hertz * p.ratio / kRate;
        const float rate = 1.0f / (decay * p.decayScale * kRate);
        float level = 1.0f;
        const float fall = std::exp(-rate * 6.9f);
        for (int64_t i = 0; start + i < length && level > 1e-4f; ++i) {
            const float rise = i < attack ? static_cast<float>(i) / attack : 1.0f;
            out[static_cast<size_t>(start + i)] += volume * p.amplitude * level * rise * sine(step * i);
            level *= fall;
        }
    }
}

// A two-pole resonant band-pass (state-variable filter) over white noise.
class NoiseBand {
public:
    explicit NoiseBand(uint32_t seed) : random(seed) {}
    float Next(float hertz, float q) {
        const float f = 2.0f * std::sin(3.14159265f * std::min(hertz, kRate * 0.2f) / kRate);
        const float input = random.Range(-1.0f, 1.0f);
        low += f * band;
        const float high = input - low - q * band;
        band += f * high;
        return band;
    }

private:
    Random random;
    float low = 0.0f, band = 0.0f;
};

} // namespace

bool NoteFrequency(const std::string& name, float& hertz) {
    static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.size() < 2 || name.size() > 3 || name[0] < 'A' || name[0] > 'G') {
        return false;
    }
    int semitone = kSemitones[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == '#' || name[at] == 'b') {
        semitone += name[at] == '#' ? 1 : -1;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') {
        return false;
    }
    const int midi = 12 * (name[at] - '0' + 1) + semitone;
    hertz = 440.0f * std::pow(2.0f, static_cast<float>(midi - 69) / 12.0f);
    return true;
}

Pcm SynthClick(const ClickParams& params) {
    Pcm pcm = MonoOfLength(params.length);
    AddStruck(pcm.samples, 0, params.pitch, params.length * 0.35f, 1.0f,
              {{1.0f, 1.0f, 1.0f}, {2.01f, 0.35f, 0.6f}, {3.03f, 0.12f, 0.4f}});
    NoiseBand noise(params.seed);
    const int64_t burst = std::min<int64_t>(static_cast<int64_t>(pcm.samples.size()), kRate / 200);
    for (int64_t i = 0; i < burst; ++i) {
        const float env = 1.0f - static_cast<float>(i) / static_cast<float>(burst);
        pcm.samples[static_cast<size_t>(i)] += params.noise * env * env * 4.0f * noise.Next(params.pitch * 2.0f, 0.7f);
    }
    SoftEnds(pcm);
    Normalise(pcm, params.volume);
    return pcm;
}

Pcm SynthChime(const ChimeParams& params) {
    const float seconds = params.spacing * static_cast<float>(params.notes.size()) + params.decay * 1.2f;
    Pcm pcm = MonoOfLength(seconds);
    // Bell-like: a bright fundamental with slightly inharmonic upper partials.
    const std::vector<Partial> bell = {{1.0f, 1.0f, 1.0f}, {2.0f, 0.45f, 0.7f}, {3.01f, 0.22f, 0.5f},
                                       {4.17f, 0.12f, 0.35f}, {5.43f, 0.06f, 0.25f}};
    for (size_t n = 0; n < params.notes.size(); ++n) {
        const auto start = static_cast<int64_t>(params.spacing * static_cast<float>(n) * kRate);
        AddStruck(pcm.samples, start, params.notes[n], params.decay, 1.0f, bell);
    }
    SoftEnds(pcm);
    Normalise(pcm, params.volume);
    return pcm;
}

Pcm SynthWhoosh(const WhooshParams& params) {
    Pcm pcm = MonoOfLength(params.length);
    NoiseBand noise(params.seed);
    const auto frames = static_cast<int64_t>(pcm.samples.size());
    for (int64_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(frames);
        // Exponential sweep from `from` to `to`; a swelling, then fading body.
        const float hertz = params.from * std::pow(params.to / params.from, t);
        const float env = std::pow(std::sin(3.14159265f * std::pow(t, 0.7f)), 2.0f);
        pcm.samples[static_cast<size_t>(i)] = env * noise.Next(hertz, 0.35f);
    }
    SoftEnds(pcm);
    Normalise(pcm, params.volume);
    return pcm;
}

Pcm SynthFanfare(const FanfareParams& params) {
    float beats = 0.0f;
    for (const FanfareNote& note : params.notes) {
        beats += note.beats;
    }
    const float tail = 0.8f;
    Pcm pcm = MonoOfLength(beats * params.beat + tail);
    const auto& sine = Sine();
    // Brass-like: many harmonics falling off as 1/n, brighter as the note swells.
    auto addBrass = [&](int64_t start, int64_t length, float hertz, float volume) {
        const int64_t release = kRate / 8;
        for (int32_t h = 1; h <= 8; ++h) {
            const double step = hertz * h / kRate;
            for (int64_t i = 0; i < length + release && start + i < static_cast<int64_t>(pcm.samples.size()); ++i) {
                const float attack = std::min(1.0f, static_cast<float>(i) / (kRate * 0.03f));
                const float end = i < length ? 1.0f : 1.0f - static_cast<float>(i - length) / release;
                const float bright = std::pow(attack, static_cast<float>(h) * 0.5f);
                const float vibrato = 1.0f + 0.004f * std::sin(6.2831853f * 5.5f * i / kRate) * std::min(1.0f, i / (kRate * 0.15f));
                pcm.samples[static_cast<size_t>(start + i)] +=
                    volume * attack * end * bright / static_cast<float>(h) * sine(step * i * vibrato);
            }
        }
    };
    float at = 0.0f;
    for (size_t n = 0; n < params.notes.size(); ++n) {
        const FanfareNote& note = params.notes[n];
        const auto start = static_cast<int64_t>(at * params.beat * kRate);
        const bool last = n + 1 == params.notes.size();
        auto length = static_cast<int64_t>(note.beats * params.beat * kRate * (last ? 1.0f : 0.85f));
        if (last) {
            length += static_cast<int64_t>(tail * 0.5f * kRate);
        }
        if (note.hertz > 0.0f) {
            addBrass(start, length, note.hertz, 1.0f);
        }
        if (last) {
            for (float hertz : params.finalChord) {
                addBrass(start, length, hertz, 0.5f);
            }
        }
        at += note.beats;
    }
    SoftEnds(pcm);
    Normalise(pcm, params.volume);
    return pcm;
}

int32_t SamplesPerBeat(float tempo, int32_t rate) {
    return static_cast<int32_t>(std::lround(60.0 * rate / tempo));
}

namespace {

// The music's circular stereo buffer: writes wrap around the loop.
class LoopBuffer {
public:
    explicit LoopBuffer(int64_t frames) : left(static_cast<size_t>(frames), 0.0f), right(static_cast<size_t>(frames), 0.0f) {}
    int64_t Frames() const { return static_cast<int64_t>(left.size()); }
    /// The buffer index of a frame, wrapped into the loop.
    size_t Wrap(int64_t frame) const { return static_cast<size_t>(((frame % Frames()) + Frames()) % Frames()); }
    void Add(size_t index, float value, float pan) {
        left[index] += value * (1.0f - pan);
        right[index] += value * (1.0f + pan);
    }
    // A ping-pong echo, run twice around the loop so its tail wraps in too.
    void Echo(int64_t delay, float feedback, float mix) {
        std::vector<float> echoLeft(left.size(), 0.0f), echoRight(right.size(), 0.0f);
        const int64_t n = Frames();
        for (int pass = 0; pass < 2; ++pass) {
            for (int64_t i = 0; i < n; ++i) {
                const auto from = static_cast<size_t>((i - delay + n * 4) % n);
                echoLeft[static_cast<size_t>(i)] = right[from] * mix + echoRight[from] * feedback;
                echoRight[static_cast<size_t>(i)] = left[from] * mix + echoLeft[from] * feedback;
            }
        }
        for (size_t i = 0; i < left.size(); ++i) {
            left[i] += echoLeft[i];
            right[i] += echoRight[i];
        }
    }
    Pcm Interleaved() const {
        Pcm pcm;
        pcm.rate = kRate;
        pcm.channels = 2;
        pcm.samples.resize(left.size() * 2);
        for (size_t i = 0; i < left.size(); ++i) {
            pcm.samples[i * 2] = left[i];
            pcm.samples[i * 2 + 1] = right[i];
        }
        return pcm;
    }

private:
    std::vector<float> left, right;
};

// A note with attack, sustain and release, made of partials, slightly detuned
// copies for warmth and an optional delayed vibrato.
struct Voice {
    std::vector<Partial> partials;
    float attack = 0.01f, release = 0.2f, detune = 0.0f, vibrato = 0.0f, decay = 0.0f;
};

void AddVoice(LoopBuffer& buffer, const Voice& voice, int64_t start, int64_t length, float hertz, float volume,
              float pan) {
    const auto& sine = Sine();
    const auto attack = static_cast<int64_t>(voice.attack * kRate);
    const auto release = static_cast<int64_t>(voice.release * kRate);
    const int copies = voice.detune > 0.0f ? 2 : 1;
    for (int copy = 0; copy < copies; ++copy) {
        const float tune = copies == 1 ? 1.0f : (copy == 0 ? 1.0f - voice.detune : 1.0f + voice.detune);
        for (const Partial& p : voice.partials) {
            const double step = static_cast<double>(hertz) * p.ratio * tune / kRate;
            double phase = copy * 0.25;
            const float fall = voice.decay > 0.0f ? std::exp(-1.0f / (voice.decay * p.decayScale * kRate)) : 1.0f;
            float level = 1.0f;
            size_t index = buffer.Wrap(start);
            const auto frames = static_cast<size_t>(buffer.Frames());
            for (int64_t i = 0; i < length + release; ++i, index = index + 1 == frames ? 0 : index + 1) {
                float env = i < attack ? static_cast<float>(i) / static_cast<float>(attack) : 1.0f;
                if (i >= length) {
                    const float t = static_cast<float>(i - length) / static_cast<float>(release);
                    env *= (1.0f - t) * (1.0f - t);
                }
                float wobble = 1.0f;
                if (voice.vibrato > 0.0f && i > kRate / 4) {
                    wobble += voice.vibrato * sine(5.0 * static_cast<double>(i) / kRate);
                }
                phase += step * wobble;
                buffer.Add(index, volume * p.amplitude * env * level * sine(phase) / copies, pan);
                level *= fall;
            }
        }
    }
}

} // namespace

Pcm SynthMusic(const MusicParams& params) {
    const int32_t beat = SamplesPerBeat(params.tempo, kRate);
    const int64_t bar = static_cast<int64_t>(beat) * params.beatsPerBar;
    const auto bars = static_cast<int64_t>(params.chords.size());
    LoopBuffer buffer(std::max<int64_t>(1, bar * bars));

    const Voice pad{{{1.0f, 1.0f, 1.0f}, {2.0f, 0.3f, 1.0f}, {3.0f, 0.12f, 1.0f}}, 0.5f, 1.0f, 0.0015f, 0.0f, 0.0f};
    const Voice bass{{{1.0f, 1.0f, 1.0f}, {2.0f, 0.4f, 0.6f}, {3.0f, 0.15f, 0.4f}}, 0.01f, 0.25f, 0.0f, 0.0f, 1.2f};
    const Voice pluck{{{1.0f, 1.0f, 1.0f}, {2.0f, 0.5f, 0.6f}, {3.0f, 0.25f, 0.4f}, {4.0f, 0.1f, 0.3f}},
                      0.004f, 0.3f, 0.0f, 0.0f, 0.45f};
    const Voice flute{{{1.0f, 1.0f, 1.0f}, {2.0f, 0.22f, 1.0f}, {3.0f, 0.07f, 1.0f}}, 0.05f, 0.18f, 0.0f, 0.004f, 0.0f};

    for (int64_t b = 0; b < bars; ++b) {
        const std::vector<float>& chord = params.chords[static_cast<size_t>(b)];
        if (chord.empty()) {
            continue;
        }
        const int64_t barStart = b * bar;
        // A sustained pad of the whole chord, overlapping into the next bar.
        for (size_t n = 0; n < chord.size(); ++n) {
            const float pan = chord.size() > 1 ? -0.4f + 0.8f * static_cast<float>(n) / (chord.size() - 1) : 0.0f;
            AddVoice(buffer, pad, barStart, bar, chord[n], 0.10f, pan);
        }
        // Bass: the chord's root an octave down, on the first and middle beat.
        for (int64_t half = 0; half < 2; ++half) {
            AddVoice(buffer, bass, barStart + half * bar / 2, bar / 2 - beat / 4, chord[0] * 0.5f, 0.32f, 0.0f);
        }
        // Arpeggio in eighth notes, an octave up, rising then falling.
        const int64_t eighth = beat / 2;
        const int32_t steps = params.beatsPerBar * 2;
        for (int32_t s = 0; s < steps; ++s) {
            const int32_t cycle = static_cast<int32_t>(chord.size()) * 2 - 2;
            int32_t index = cycle > 0 ? s % cycle : 0;
            if (index >= static_cast<int32_t>(chord.size())) {
                index = cycle - index;
            }
            const float pan = (s % 2 == 0) ? 0.35f : -0.35f;
            AddVoice(buffer, pluck, barStart + s * eighth, eighth, chord[static_cast<size_t>(index)] * 2.0f, 0.07f, pan);
        }
        // Melody.
        if (static_cast<size_t>(b) < params.melody.size()) {
            int64_t at = barStart;
            for (const MusicNote& note : params.melody[static_cast<size_t>(b)]) {
                const auto length = static_cast<int64_t>(std::lround(note.beats * beat));
                if (note.hertz > 0.0f) {
                    AddVoice(buffer, flute, at, length - beat / 16, note.hertz, 0.22f, 0.1f);
                }
                at += length;
            }
        }
    }
    buffer.Echo(beat * 3 / 4, 0.35f, 0.25f);
    Pcm pcm = buffer.Interleaved();
    Normalise(pcm, params.volume);
    return pcm;
}
