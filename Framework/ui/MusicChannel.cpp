#include "ui/MusicChannel.h"

#include "audio/Sound.h"

void MusicChannel::SetPoster(MusicPoster value, void* context) {
    poster = value;
    posterContext = context;
}

void MusicChannel::Post(int32_t code, void* data, float delay) {
    if (poster) {
        poster(posterContext, code, data, delay);
    }
}

void MusicChannel::StartFade(float from, int32_t towards, float seconds) {
    level = from;
    direction = towards;
    speed = 1.0f / seconds;
}

void MusicChannel::PlayMusic(Sound* sound, float fade) {
    if (!sound || sound == current) {
        return;
    }
    if (fade <= 0.0f) {
        // The new music takes the source at once. Fading the old one out
        // here would fade the new one instead (the fade follows whatever is
        // current), and its deferred stop would end the new music.
        StopMusic(0.0f);
        level = 1.0f;
        direction = 0;
        speed = 0.0f;
        if (ops.play) {
            ops.play(sound, level * musicVolume);
        }
        current = sound;
        return;
    }
    if (current) {
        StartFade(1.0f, -1, fade);
        pendingHalfFade = fade / 2.0f;
        Post(kStopMessage, current, fade / 2.0f);
        Post(kPlayMessage, sound, fade);
        return;
    }
    StartFade(0.0f, +1, fade);
    if (ops.play) {
        ops.play(sound, 0.0f);
    }
    current = sound;
}

void MusicChannel::StopMusic(float fade) {
    if (!current) {
        return;
    }
    if (fade <= 0.0f) {
        if (ops.stop) {
            ops.stop(current);
        }
        current = nullptr;
        return;
    }
    StartFade(1.0f, -1, fade);
    Post(kStopMessage, current, fade);
}

void MusicChannel::Update(float elapsed, float volume) {
    musicVolume = volume;
    if (current && ops.service) {
        ops.service(current);
    }
    if (direction == 0) {
        return;
    }
    level += float(direction) * elapsed * speed;
    if (direction > 0 && level > 1.0f) {
        level = 1.0f;
        direction = 0;
        speed = 0.0f;
    } else if (direction < 0 && level < 0.0f) {
        level = 0.0f;
        direction = 0;
        speed = 0.0f;
    }
    if (current && ops.setGain) {
        ops.setGain(current, level * musicVolume);
    }
}

bool MusicChannel::OnDeferredMessage(int32_t code, void* data) {
    if (code == kPlayMessage) {
        PlayMusic(static_cast<Sound*>(data), pendingHalfFade);
        return true;
    }
    if (code == kStopMessage) {
        // The stop belongs to the music that was fading out; music started
        // since then keeps playing.
        if (!data || data == current) {
            StopMusic(0.0f);
        }
        return true;
    }
    return false;
}

void MusicChannel::Reset() {
    StopMusic(0.0f);
    level = 0.0f;
    direction = 0;
    speed = 0.0f;
    pendingHalfFade = 0.0f;
}

MusicOps SoundMusicOps() {
    MusicOps ops;
    ops.play = [](Sound* sound, float gain) { (*sound)->Play(true, gain, 1.0f); };
    ops.stop = [](Sound* sound) { (*sound)->Stop(Audio::kNoSource); };
    ops.service = [](Sound* sound) { (*sound)->Update(); };
    ops.setGain = [](Sound* sound, float gain) { (*sound)->SetVolume(gain, Audio::kNoSource); };
    return ops;
}
