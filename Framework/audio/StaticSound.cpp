#include "audio/StaticSound.h"

#include "core/Log.h"
#include "io/File.h"

#include <AL/al.h>

#include <algorithm>

namespace {

// A pitch of 0 would hold the source playing forever and a negative one is
// refused by OpenAL (the source would keep its previous pitch): both play at
// the recorded speed instead.
float UsablePitch(float pitch) {
    return pitch > 0.0f ? pitch : 1.0f;
}

// Negative and NaN volumes are silence.
float EffectGain(float volume) {
    return std::max(0.0f, volume * Audio::GetSoundVolume());
}

} // namespace

StaticSound::~StaticSound() {
    Release();
}

bool StaticSound::Load(const char* soundPath) {
    Release();
    File file;
    if (!soundPath || !file.Open(soundPath, kFileRead | kFileBinary)) {
        LogFormat("Sound %s: the file cannot be opened", soundPath ? soundPath : "(null)");
        return false;
    }
    DecodedSound sound;
    const bool decodedWell = DecodeWholeFile(*file.Implementation(), soundPath, sound);
    file.Close();
    if (!decodedWell) {
        return false;
    }
    decoded = std::move(sound);
    format = decoded.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    maxInstances = kDefaultMaxInstances;
    path.Assign(soundPath);
    if (!Audio::IsStarted()) {
        return true;
    }
    alGetError();
    ALuint name = 0;
    alGenBuffers(1, &name);
    if (alGetError() != AL_NO_ERROR) {
        LogFormat("Sound %s: no OpenAL buffer is left; it stays silent", soundPath);
        return true;
    }
    alBufferData(name, format, decoded.samples.data(), static_cast<ALsizei>(decoded.samples.size()), decoded.rate);
    if (alGetError() != AL_NO_ERROR) {
        LogFormat("Sound %s: OpenAL refused the samples; it stays silent", soundPath);
        alDeleteBuffers(1, &name);
        return true;
    }
    buffer = name;
    bufferGeneration = Audio::Generation();
    return true;
}

void StaticSound::Release() {
    if (BufferAlive()) {
        // OpenAL keeps a buffer that any source still holds, playing or not.
        for (Audio::SourceId source : Audio::PoolSources()) {
            if (OwnsSource(source)) {
                alSourceStop(source);
                alSourcei(source, AL_BUFFER, 0);
            }
        }
        ALuint name = buffer;
        alDeleteBuffers(1, &name);
    }
    buffer = 0;
    decoded = DecodedSound{};
}

bool StaticSound::BufferAlive() const {
    return buffer != 0 && Audio::IsStarted() && bufferGeneration == Audio::Generation();
}

bool StaticSound::OwnsSource(Audio::SourceId source) const {
    if (!BufferAlive() || !Audio::IsPoolSource(source)) {
        return false;
    }
    ALint attached = 0;
    alGetSourcei(source, AL_BUFFER, &attached);
    return static_cast<ALuint>(attached) == buffer;
}

bool StaticSound::IsPlayingOn(Audio::SourceId source) const {
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING && OwnsSource(source);
}

Audio::SourceId StaticSound::Play(bool loop, float volume, float pitch) {
    if (!BufferAlive() || PlayingCount() >= maxInstances) {
        return Audio::kNoSource;
    }
    const Audio::SourceId source = Audio::FindFreeSource();
    if (source == Audio::kNoSource) {
        return Audio::kNoSource;
    }
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_PITCH, UsablePitch(pitch));
    alSourcef(source, AL_GAIN, EffectGain(volume));
    alSourcePlay(source);
    return source;
}

void StaticSound::Stop(Audio::SourceId source) {
    if (source != Audio::kNoSource) {
        if (OwnsSource(source)) {
            alSourceStop(source);
        }
        return;
    }
    if (!BufferAlive()) {
        return;
    }
    for (Audio::SourceId poolSource : Audio::PoolSources()) {
        if (IsPlayingOn(poolSource)) {
            alSourceStop(poolSource);
        }
    }
}

bool StaticSound::SetMaxInstances(int count) {
    if (count < 0 || count > static_cast<int>(Audio::PoolSources().size())) {
        return false;
    }
    maxInstances = count;
    return true;
}

int StaticSound::PlayingCount() {
    if (!BufferAlive()) {
        return 0;
    }
    int count = 0;
    for (Audio::SourceId source : Audio::PoolSources()) {
        count += IsPlayingOn(source) ? 1 : 0;
    }
    return count;
}

void StaticSound::SetVolume(float volume, Audio::SourceId source) {
    const float gain = EffectGain(volume);
    if (source != Audio::kNoSource) {
        if (OwnsSource(source)) {
            alSourcef(source, AL_GAIN, gain);
        }
        return;
    }
    if (!BufferAlive()) {
        return;
    }
    for (Audio::SourceId poolSource : Audio::PoolSources()) {
        if (IsPlayingOn(poolSource)) {
            alSourcef(poolSource, AL_GAIN, gain);
        }
    }
}

float StaticSound::GetVolume(Audio::SourceId source) {
    if (!OwnsSource(source)) {
        return 0.0f;
    }
    ALfloat gain = 0.0f;
    alGetSourcef(source, AL_GAIN, &gain);
    return gain;
}
