#pragma once
// Sound: the resource object of one sound file, as the resource cache holds
// it. It owns one BaseSound implementation (a StaticSound from
// Resources::FindSound, a StreamedSound from Resources::FindMusic) and
// releases it when destroyed; game code plays, stops and queries the sound
// through Implementation().
//
// Whoever keeps a plain pointer to a sound beyond one frame (the music
// channel) registers a gone-listener: it is told of every Sound just before
// it is destroyed, whether a folder of the game is unloaded, the cache shuts
// down or the process ends, and lets go of it then.

#include "audio/BaseSound.h"
#include "core/Object.h"

#include <memory>

class Sound : public Object {
    ENGINE_CLASS(Sound, Object)

public:
    /// Takes ownership of `implementation` (never null for a loaded sound).
    explicit Sound(std::unique_ptr<BaseSound> implementation);
    ~Sound() override;

    BaseSound* Implementation() const { return implementation.get(); }
    BaseSound* operator->() const { return implementation.get(); }

private:
    std::unique_ptr<BaseSound> implementation;
};

/// Hears of every Sound about to be destroyed (still whole during the call).
class SoundGoneObserver {
public:
    virtual void OnSoundGone(Sound* sound) = 0;

protected:
    ~SoundGoneObserver() = default;
};
/// Up to kMaxSoundGoneObservers observers; false, logged, when all slots are
/// taken. Adding one twice keeps one. An observer removes itself before it goes.
constexpr int kMaxSoundGoneObservers = 8;
bool AddSoundGoneObserver(SoundGoneObserver* observer);
void RemoveSoundGoneObserver(SoundGoneObserver* observer);

/// The resource loaders of sounds (static) and music (streamed); called where
/// the resource cache is started.
void InstallAudioResourceLoaders();
