#include "audio/Sound.h"

#include "audio/StaticSound.h"
#include "audio/StreamedSound.h"
#include "core/Log.h"
#include "io/Resources.h"

namespace {

// Plain data without a destructor: sounds destroyed at process exit, in any
// order of static destruction, still find the table as it was.
struct GoneListener {
    SoundGoneListener listener;
    void* context;
};
GoneListener goneListeners[kMaxSoundGoneListeners];

} // namespace

bool AddSoundGoneListener(SoundGoneListener listener, void* context) {
    GoneListener* free = nullptr;
    for (GoneListener& slot : goneListeners) {
        if (slot.listener == listener && slot.context == context) {
            return true;
        }
        if (!slot.listener && !free) {
            free = &slot;
        }
    }
    if (!free) {
        LogLine("Sounds: no room for another listener; it will not hear of unloaded sounds");
        return false;
    }
    *free = {listener, context};
    return true;
}

void RemoveSoundGoneListener(SoundGoneListener listener, void* context) {
    for (GoneListener& slot : goneListeners) {
        if (slot.listener == listener && slot.context == context) {
            slot = {nullptr, nullptr};
        }
    }
}

Sound::Sound(std::unique_ptr<BaseSound> implementation) : implementation(std::move(implementation)) {}

Sound::~Sound() {
    for (const GoneListener& slot : goneListeners) {
        if (slot.listener) {
            slot.listener(slot.context, this);
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
