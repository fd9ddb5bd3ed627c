#pragma once
// BaseSound: what every sound resource does, whether it is decoded whole into
// memory (StaticSound, effects) or streamed while it plays (StreamedSound,
// music). The virtual operations keep a fixed slot order.
//
// Volumes are OpenAL gains (0 silent, 1 as recorded); pitch 1 is the
// recorded speed. A source is an Audio::SourceId; Audio::kNoSource means
// "none" both as an argument and as a result. Without an audio device every
// operation is harmless: Play answers none and the queries answer 0.

#include "audio/Audio.h"
#include "core/String.h"

class BaseSound {
public:
    BaseSound() = default;
    virtual ~BaseSound() = default;
    BaseSound(const BaseSound&) = delete;
    BaseSound& operator=(const BaseSound&) = delete;

    /// Reads the sound file at `path` (loose or from the archive); false
    /// (logged) when it cannot be used.
    virtual bool Load(const char* path) = 0;
    /// Gives back everything Load took (OpenAL buffers, samples, the file).
    virtual void Release() = 0;
    /// Per-frame work while the sound plays (streaming); nothing otherwise.
    virtual void Update() = 0;
    /// Starts the sound; the source it plays on, or kNoSource when it does not play.
    virtual Audio::SourceId Play(bool loop, float volume, float pitch) = 0;
    /// Stops the sound on `source`, or every instance for kNoSource.
    virtual void Stop(Audio::SourceId source) = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsStreamed() = 0;
    /// Sets how many instances may play at once; false (unchanged) when refused.
    virtual bool SetMaxInstances(int count) = 0;
    virtual int GetMaxInstances() = 0;
    /// The number of instances playing now.
    virtual int PlayingCount() = 0;
    /// Sets the gain on `source`, or on every instance for kNoSource.
    virtual void SetVolume(float volume, Audio::SourceId source) = 0;
    /// The gain of `source` (for streams: of the music source); 0 when unknown.
    virtual float GetVolume(Audio::SourceId source) = 0;

    const String& Path() const { return path; }

protected:
    String path;
};
