#include "audio/SourceQueue.h"

#include <AL/al.h>

SourceQueue::~SourceQueue() {
    Close();
}

bool SourceQueue::Alive() const {
    return source != Audio::kNoSource && Audio::IsStarted() && generation == Audio::Generation();
}

bool SourceQueue::Open(int bufferCount) {
    Close();
    if (!Audio::IsStarted() || bufferCount <= 0) {
        return false;
    }
    const Audio::SourceId free = Audio::FindFreeSource();
    if (free == Audio::kNoSource) {
        return false;
    }
    buffers.assign(size_t(bufferCount), 0);
    alGetError();
    alGenBuffers(bufferCount, buffers.data());
    if (alGetError() != AL_NO_ERROR) {
        buffers.clear();
        return false;
    }
    source = free;
    generation = Audio::Generation();
    Audio::SetBorrowed(source, true);
    Reset();
    alSourcei(source, AL_LOOPING, AL_FALSE);
    alSourcef(source, AL_PITCH, 1.0f);
    alSourcef(source, AL_GAIN, 1.0f);
    return true;
}

void SourceQueue::Close() {
    if (Alive()) {
        Reset();
        alDeleteBuffers(ALsizei(buffers.size()), buffers.data());
        Audio::SetBorrowed(source, false);
    }
    buffers.clear();
    source = Audio::kNoSource;
}

void SourceQueue::Reset() {
    if (!Alive()) {
        return;
    }
    // A stopped source counts every queued buffer as processed, and detaching
    // the buffer empties the queue in one step.
    alSourceStop(source);
    alSourceRewind(source);
    alSourcei(source, AL_BUFFER, 0);
}

bool SourceQueue::Queue(int index, const void* samples, size_t bytes, int channels, int rate) {
    if (!Alive() || index < 0 || size_t(index) >= buffers.size() || bytes == 0) {
        return false;
    }
    alGetError();
    const ALuint buffer = buffers[size_t(index)];
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, samples, ALsizei(bytes),
                 rate);
    alSourceQueueBuffers(source, 1, &buffer);
    return alGetError() == AL_NO_ERROR;
}

int SourceQueue::UnqueueProcessed() {
    if (!Alive()) {
        return 0;
    }
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    int count = 0;
    for (; count < processed; ++count) {
        ALuint done = 0;
        alSourceUnqueueBuffers(source, 1, &done);
    }
    return count;
}

int SourceQueue::QueuedCount() {
    if (!Alive()) {
        return 0;
    }
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    return queued;
}

int64_t SourceQueue::ByteOffset() {
    if (!Alive()) {
        return 0;
    }
    ALint offset = 0;
    alGetSourcei(source, AL_BYTE_OFFSET, &offset);
    return offset < 0 ? 0 : offset;
}

bool SourceQueue::IsStopped() {
    if (!Alive()) {
        return true;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state != AL_PLAYING;
}

void SourceQueue::Play() {
    if (Alive()) {
        alSourcePlay(source);
    }
}
