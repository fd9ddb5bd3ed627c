#pragma once
// StaticSound: an effect decoded whole into one OpenAL buffer at load time.
//
// Each Play borrows a free pool source for as long as the instance plays; at
// most GetMaxInstances() instances (2 unless changed) play at once. The
// decoded samples are kept for the sound's lifetime. Gains are the volume
// times the global sound volume (Audio::GetSoundVolume). A source argument
// only ever reaches a pool source that is playing this sound's buffer, so a
// kept source that has since been lent to another sound is left alone.

#include "audio/BaseSound.h"
#include "audio/OggDecoder.h"

class StaticSound : public BaseSound {
public:
    static constexpr int kDefaultMaxInstances = 2;

    StaticSound() = default;
    ~StaticSound() override;

    bool Load(const char* path) override;
    void Release() override;
    void Update() override {}
    /// A pitch that is not positive plays at the recorded speed.
    Audio::SourceId Play(bool loop, float volume, float pitch) override;
    void Stop(Audio::SourceId source) override;
    bool IsPlaying() override { return PlayingCount() > 0; }
    bool IsStreamed() override { return false; }
    /// Refused when `count` exceeds the pool size (or is negative).
    bool SetMaxInstances(int count) override;
    int GetMaxInstances() override { return maxInstances; }
    int PlayingCount() override;
    void SetVolume(float volume, Audio::SourceId source) override;
    float GetVolume(Audio::SourceId source) override;

    int Rate() const { return decoded.rate; }
    int Channels() const { return decoded.channels; }
    /// AL_FORMAT_MONO16 or AL_FORMAT_STEREO16.
    int Format() const { return format; }
    /// The OpenAL buffer, 0 when there is none (no audio device).
    uint32_t Buffer() const { return buffer; }
    const std::vector<char>& Samples() const { return decoded.samples; }

private:
    /// True when `source` is a pool source holding this sound's buffer.
    bool OwnsSource(Audio::SourceId source) const;
    bool IsPlayingOn(Audio::SourceId source) const;
    /// True while the buffer belongs to the audio device that is open now.
    bool BufferAlive() const;

    DecodedSound decoded;
    int format = 0;
    uint32_t buffer = 0;
    uint32_t bufferGeneration = 0;
    int maxInstances = kDefaultMaxInstances;
};
