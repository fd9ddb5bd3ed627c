#include "audio/Sound.h"

#include "audio/StaticSound.h"
#include "audio/StreamedSound.h"
#include "core/Log.h"
#include "io/Resources.h"

namespace {

// Plain data without a destructor: sounds destroyed at process exit, in any
// order of static destruction, still find the table as it was.
SoundGoneObserver* goneObservers[kMaxSoundGoneObservers];

} // namespace

bool AddSoundGoneObserver(SoundGoneObserver* observer) {
    SoundGoneObserver** free = nullptr;
    for (SoundGoneObserver*& slot : goneObservers) {
        if (slot == observer) {
            return true;
        }
        if (!slot && !free) {
            free = &slot;
        }
    }
    if (!free) {
        LogLine("Sounds: no room for another listener; it will not hear of unloaded sounds");
        return false;
    }
    *free = observer;
    return true;
}

void RemoveSoundGoneObserver(SoundGoneObserver* observer) {
    for (SoundGoneObserver*& slot : goneObservers) {
        if (slot == observer) {
            slot = nullptr;
        }
    }
}

Sound::Sound(std::unique_ptr<BaseSound> implementation) : implementation(std::move(implementation)) {}

Sound::~Sound() {
    for (SoundGoneObserver* observer : goneObservers) {
        if (observer) {
            observer->OnSoundGone(this);
        }
    }
    if (implementation) {
        implementation->Release();
    }
}

namespace {

template <typename Implementation> Object* LoadSound(const char* path) {
    auto implementation = std::make_unique<Implementation>();
    if (!implementation->Load(path)) {
        return nullptr;
    }
    return new Sound(std::move(implementation));
}

} // namespace

Sound* Resources::FindSound(const char* path) {
    return static_cast<Sound*>(Find(kSoundRow, path));
}

Sound* Resources::FindMusic(const char* path) {
    return static_cast<Sound*>(Find(kMusicRow, path));
}

void InstallAudioResourceLoaders() {
    Resources::SetLoader(Resources::kSoundRow, LoadSound<StaticSound>);
    Resources::SetLoader(Resources::kMusicRow, LoadSound<StreamedSound>);
}
