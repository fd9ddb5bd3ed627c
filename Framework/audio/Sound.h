#pragma once
// Sound: the resource object of one sound file, as the resource cache holds
// it. It owns one BaseSound implementation (a StaticSound from
// Resources::FindSound, a StreamedSound from Resources::FindMusic) and
// releases it when destroyed; game code plays, stops and queries the sound
// through Implementation().

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

/// The resource loaders of sounds (static) and music (streamed); called where
/// the resource cache is started.
void InstallAudioResourceLoaders();
