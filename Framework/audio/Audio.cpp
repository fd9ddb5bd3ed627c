#include "audio/Audio.h"

#include "core/Log.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>

namespace Audio {
namespace {

struct DeviceState {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    SourceId musicSource = kNoSource;
    std::vector<SourceId> pool;
    float soundVolume = 1.0f;
    uint32_t generation = 0;
};

DeviceState state;

void CloseDevice() {
    if (state.context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(state.context);
        state.context = nullptr;
    }
    if (state.device) {
        alcCloseDevice(state.device);
        state.device = nullptr;
    }
}

// Generates sources one at a time until the limit or the first OpenAL error,
// so a device with fewer sources still gives the game what it has.
std::vector<SourceId> GenerateSources() {
    std::vector<SourceId> made;
    alGetError();
    for (int i = 0; i < kMaxSources; ++i) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR || source == 0) {
            break;
        }
        made.push_back(source);
    }
    return made;
}

} // namespace

bool Startup() {
    if (state.device) {
        return true;
    }
    state.device = alcOpenDevice(nullptr);
    if (!state.device) {
        return false;
    }
    state.context = alcCreateContext(state.device, nullptr);
    if (!state.context || alcMakeContextCurrent(state.context) != ALC_TRUE) {
        CloseDevice();
        return false;
    }
    state.soundVolume = 1.0f;
    std::vector<SourceId> sources = GenerateSources();
    if (sources.empty()) {
        CloseDevice();
        return false;
    }
    state.musicSource = sources.front();
    state.pool.assign(sources.begin() + 1, sources.end());
    ++state.generation;
    return true;
}

void Shutdown() {
    if (!state.device) {
        return;
    }
    for (SourceId source : state.pool) {
        ALuint name = source;
        alSourceStop(name);
        alDeleteSources(1, &name);
    }
    state.pool.clear();
    if (state.musicSource != kNoSource) {
        ALuint name = state.musicSource;
        alSourceStop(name);
        alSourcei(name, AL_BUFFER, 0);
        alDeleteSources(1, &name);
        state.musicSource = kNoSource;
    }
    CloseDevice();
}

bool IsStarted() {
    return state.context != nullptr;
}

uint32_t Generation() {
    return state.generation;
}

SourceId FindFreeSource() {
    for (SourceId source : state.pool) {
        ALint sourceState = AL_INITIAL;
        alGetSourcei(source, AL_SOURCE_STATE, &sourceState);
        if (sourceState != AL_PLAYING) {
            return source;
        }
    }
    return kNoSource;
}

SourceId MusicSource() {
    return state.musicSource;
}

const std::vector<SourceId>& PoolSources() {
    return state.pool;
}

bool IsPoolSource(SourceId source) {
    return source != kNoSource && std::find(state.pool.begin(), state.pool.end(), source) != state.pool.end();
}

float GetSoundVolume() {
    return state.soundVolume;
}

void SetSoundVolume(float volume) {
    state.soundVolume = std::isnan(volume) ? 1.0f : std::clamp(volume, 0.0f, 1.0f);
}

} // namespace Audio
