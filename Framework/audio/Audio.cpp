#include "audio/Audio.h"

#include "core/Log.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace Audio {
namespace {

struct DeviceState {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    SourceId musicSource = kNoSource;
    SourceId pool[kMaxSources] = {};
    bool borrowed[kMaxSources] = {};
    size_t poolCount = 0;
    float soundVolume = 1.0f;
    uint32_t generation = 0;
};

static_assert(std::is_trivially_destructible_v<DeviceState>, "the device state must outlive every sound");
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

std::span<const SourceId> Pool() {
    return {state.pool, state.poolCount};
}

// Generates sources one at a time until the limit or the first OpenAL error,
// so a device with fewer sources still gives the game what it has. The first
// becomes the music source, the others the pool; false when none was made.
bool GenerateSources() {
    alGetError();
    state.poolCount = 0;
    for (int i = 0; i < kMaxSources; ++i) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR || source == 0) {
            break;
        }
        if (i == 0) {
            state.musicSource = source;
        } else {
            state.borrowed[state.poolCount] = false;
            state.pool[state.poolCount++] = source;
        }
    }
    return state.musicSource != kNoSource;
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
    if (!GenerateSources()) {
        CloseDevice();
        return false;
    }
    ++state.generation;
    return true;
}

void Shutdown() {
    if (!state.device) {
        return;
    }
    for (SourceId source : Pool()) {
        ALuint name = source;
        alSourceStop(name);
        alDeleteSources(1, &name);
    }
    state.poolCount = 0;
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
    for (size_t i = 0; i < state.poolCount; ++i) {
        const SourceId source = state.pool[i];
        if (state.borrowed[i]) {
            continue;
        }
        ALint sourceState = AL_INITIAL;
        alGetSourcei(source, AL_SOURCE_STATE, &sourceState);
        if (sourceState != AL_PLAYING) {
            return source;
        }
    }
    return kNoSource;
}

void SetBorrowed(SourceId source, bool borrowed) {
    for (size_t i = 0; i < state.poolCount; ++i) {
        if (state.pool[i] == source) {
            state.borrowed[i] = borrowed;
        }
    }
}

SourceId MusicSource() {
    return state.musicSource;
}

std::span<const SourceId> PoolSources() {
    return Pool();
}

bool IsPoolSource(SourceId source) {
    const std::span<const SourceId> pool = Pool();
    return source != kNoSource && std::find(pool.begin(), pool.end(), source) != pool.end();
}

float GetSoundVolume() {
    return state.soundVolume;
}

void SetSoundVolume(float volume) {
    state.soundVolume = std::isnan(volume) ? 1.0f : std::clamp(volume, 0.0f, 1.0f);
}

} // namespace Audio
