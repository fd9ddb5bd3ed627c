#include "audio/Sound.h"

#include "audio/StaticSound.h"
#include "audio/StreamedSound.h"
#include "io/Resources.h"

Sound::Sound(std::unique_ptr<BaseSound> implementation) : implementation(std::move(implementation)) {}

Sound::~Sound() {
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
