#include "audio/Speaker.h"

#include "audio/Sound.h"
#include "core/Log.h"
#include "io/Resources.h"

#include <cstdlib>
#include <cstring>

namespace {

// The property's default: no sound.
constexpr const char* kNoSound = "null";

// min + (rand mod 10000) × 0.0001 × (max − min), one random number per call.
float RandomInRange(const Var& range) {
    const float low = range.GetFloat(0);
    const float high = range.GetFloat(1);
    return low + static_cast<float>(std::rand() % 10000) * 0.0001f * (high - low);
}

} // namespace

Speaker::Speaker() {
    Name.SetFirstString("NewSpeaker");
    DeclareString("Sound", Sound, 1, this, kNoSound);
    DeclareBool("Play", Play, 1, this, false);
    Play.SetHint(Var::kHintStep);
    DeclareFloat("volumeRange", volumeRange, 2, this, 1.0f);
    DeclareFloat("pitchRange", pitchRange, 2, this, 1.0f);
}

bool Speaker::Resolve() {
    if (Sound.IsChanged()) {
        const char* path = Sound.FirstString().CStr();
        sound = nullptr;
        if (path[0] != '\0' && std::strcmp(path, kNoSound) != 0) {
            ::Sound* found = Resources::FindSound(path);
            if (found && found->Implementation()->IsStreamed()) {
                LogFormat("Speaker %s: %s is loaded as music and does not play as an effect", GetName(), path);
            } else {
                sound = found;
            }
        }
    }
    if (sound) {
        if (played) {
            if (!Play.FirstBool()) {
                played = false;
            }
        } else if (Play.FirstBool()) {
            PlayOnce();
            played = true;
        }
    }
    return Element::Resolve();
}

void Speaker::PlayOnce() {
    // Pitch takes the first random number, volume the second.
    const float pitch = RandomInRange(pitchRange);
    const float volume = RandomInRange(volumeRange);
    sound->Implementation()->Play(false, volume, pitch);
}

bool Speaker::OnLoaded() {
    played = Play.FirstBool();
    return Element::OnLoaded();
}
