#include "ui/MusicChannel.h"

#include "audio/Sound.h"

MusicChannel::MusicChannel() {
    AddSoundGoneObserver(this);
}

MusicChannel::~MusicChannel() {
    RemoveSoundGoneObserver(this);
}

void MusicChannel::SetPoster(MusicPoster value) {
    poster = std::move(value);
}

void MusicChannel::Post(int32_t code, void* data, float delay) {
    if (poster) {
        poster(code, data, delay);
    }
}

void MusicChannel::StartFade(float from, int32_t towards, float seconds) {
    level = from;
    direction = towards;
    speed = 1.0f / seconds;
}

void MusicChannel::Start(Sound* sound, float gain) {
    if (ops.play) {
        ops.play(sound, gain);
    }
    current = sound;
}

void MusicChannel::EndCurrent() {
    if (current && ops.stop) {
        ops.stop(current);
    }
    current = nullptr;
    stopTicket = nullptr;
}

void* MusicChannel::NewTicket() {
    if (++lastTicket == 0) {
        ++lastTicket;
    }
    return reinterpret_cast<void*>(lastTicket);
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
        Start(sound, level * musicVolume);
        return;
    }
    if (current) {
        StartFade(1.0f, -1, fade);
        pendingHalfFade = fade / 2.0f;
        incoming = sound;
        playTicket = stopTicket = NewTicket();
        Post(kStopMessage, stopTicket, fade / 2.0f);
        Post(kPlayMessage, playTicket, fade);
        return;
    }
    // A cross-fade still waiting in its silent half is overtaken.
    incoming = nullptr;
    playTicket = nullptr;
    StartFade(0.0f, +1, fade);
    Start(sound, 0.0f);
}

void MusicChannel::StopMusic(float fade) {
    incoming = nullptr;
    playTicket = nullptr;
    if (!current) {
        return;
    }
    if (fade <= 0.0f) {
        EndCurrent();
        return;
    }
    StartFade(1.0f, -1, fade);
    stopTicket = NewTicket();
    Post(kStopMessage, stopTicket, fade);
}

void MusicChannel::Update(float elapsed, float volume) {
    const bool volumeChanged = volume != musicVolume;
    musicVolume = volume;
    if (current && ops.service) {
        ops.service(current);
    }
    if (direction == 0) {
        // A new music volume (the options menu's slider) is heard at once.
        if (volumeChanged && current && ops.setGain) {
            ops.setGain(current, level * musicVolume);
        }
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
        if (data && data == playTicket && incoming) {
            Sound* sound = incoming;
            incoming = nullptr;
            playTicket = nullptr;
            PlayMusic(sound, pendingHalfFade);
        }
        return true;
    }
    if (code == kStopMessage) {
        if (!data) {
            StopMusic(0.0f);
        } else if (data == stopTicket) {
            // The fade-out is over; a cross-fade's new music is still to come.
            EndCurrent();
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

void MusicChannel::Forget(Sound* sound) {
    if (!sound) {
        return;
    }
    if (sound == current) {
        current = nullptr;
        stopTicket = nullptr;
        direction = 0;
        speed = 0.0f;
    }
    if (sound == incoming) {
        incoming = nullptr;
        playTicket = nullptr;
    }
}

MusicOps SoundMusicOps() {
    MusicOps ops;
    ops.play = [](Sound* sound, float gain) { (*sound)->Play(true, gain, 1.0f); };
    ops.stop = [](Sound* sound) { (*sound)->Stop(Audio::kNoSource); };
    ops.service = [](Sound* sound) { (*sound)->Update(); };
    ops.setGain = [](Sound* sound, float gain) { (*sound)->SetVolume(gain, Audio::kNoSource); };
    return ops;
}
