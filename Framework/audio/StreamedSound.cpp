#include "audio/StreamedSound.h"

#include "core/Log.h"

#include <AL/al.h>

#include <algorithm>

namespace {

// The streamed sound whose buffers the music source holds.
StreamedSound* musicOwner = nullptr;

void UnqueueProcessed(ALuint source) {
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint done = 0;
        alSourceUnqueueBuffers(source, 1, &done);
    }
}

// A stopped source counts every queued buffer as processed; detaching the
// buffer empties the queue in one step.
void StopAndEmpty(ALuint source) {
    alSourceStop(source);
    alSourceRewind(source);
    alSourcei(source, AL_BUFFER, 0);
}

ALint SourceState(ALuint source) {
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

} // namespace

StreamedSound::~StreamedSound() {
    Release();
}

size_t StreamedSound::ChunkSizeFor(int rate, int channels) {
    if (rate <= 0 || channels <= 0) {
        return 0;
    }
    return size_t(rate / kChunksPerSecond) * size_t(channels) * 2;
}

bool StreamedSound::Load(const char* soundPath) {
    Release();
    if (!soundPath || !file.Open(soundPath, kFileRead | kFileBinary)) {
        LogFormat("Music %s: the file cannot be opened", soundPath ? soundPath : "(null)");
        return false;
    }
    if (!decoder.Open(*file.Implementation(), soundPath)) {
        file.Close();
        return false;
    }
    format = decoder.Channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    chunkSize = ChunkSizeFor(decoder.Rate(), decoder.Channels());
    chunks.assign(chunkSize * kRingSize, 0);
    ringIndex = 0;
    endReached = false;
    path.Assign(soundPath);
    if (Audio::IsStarted()) {
        alGetError();
        alGenBuffers(kRingSize, buffers.data());
        if (alGetError() == AL_NO_ERROR) {
            haveBuffers = true;
            bufferGeneration = Audio::Generation();
        } else {
            LogFormat("Music %s: no OpenAL buffers are left; it stays silent", soundPath);
        }
    }
    return true;
}

void StreamedSound::Release() {
    if (musicOwner == this) {
        Stop(Audio::kNoSource);
        musicOwner = nullptr;
    }
    DeleteBuffers();
    decoder.Close();
    file.Close();
    chunks.clear();
    chunks.shrink_to_fit();
    chunkSize = 0;
    ringIndex = 0;
    broken = false;
}

void StreamedSound::DeleteBuffers() {
    if (BuffersAlive()) {
        alDeleteBuffers(kRingSize, buffers.data());
    }
    buffers.fill(0);
    haveBuffers = false;
}

bool StreamedSound::BuffersAlive() const {
    return haveBuffers && Audio::IsStarted() && bufferGeneration == Audio::Generation();
}

bool StreamedSound::OwnsMusicSource() const {
    return musicOwner == this && BuffersAlive();
}

StreamedSound::Fill StreamedSound::FillChunk() {
    if (endReached) {
        return Fill::kEnd;
    }
    char* block = chunks.data() + size_t(ringIndex) * chunkSize;
    size_t filled = 0;
    const OggDecoder::FillResult result = decoder.Fill(block, chunkSize, loop, filled);
    if (result == OggDecoder::FillResult::kBroken) {
        return Fill::kBroken;
    }
    if (result == OggDecoder::FillResult::kEnd) {
        // The last, shorter chunk still plays; nothing follows it.
        endReached = true;
        if (filled == 0) {
            return Fill::kEnd;
        }
    }
    const ALuint buffer = buffers[size_t(ringIndex)];
    alBufferData(buffer, format, block, static_cast<ALsizei>(filled), decoder.Rate());
    alSourceQueueBuffers(Audio::MusicSource(), 1, &buffer);
    return Fill::kQueued;
}

void StreamedSound::Update() {
    if (broken || !OwnsMusicSource()) {
        return;
    }
    const ALuint source = Audio::MusicSource();
    UnqueueProcessed(source);
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    // What played since the last frame is replaced up to the lead, and one
    // chunk more lets the queue grow towards the whole ring.
    const ALint target = std::min<ALint>(kRingSize, std::max<ALint>(queued + 1, kLeadChunks));
    bool added = false;
    while (queued < target) {
        const Fill fill = FillChunk();
        if (fill == Fill::kBroken) {
            LogFormat("Music %s stops: its stream cannot be read on", path.CStr());
            Stop(Audio::kNoSource);
            broken = true;
            return;
        }
        if (fill == Fill::kEnd) {
            // Once everything queued has played, the stream is over.
            if (queued == 0) {
                Stop(Audio::kNoSource);
            }
            break;
        }
        ringIndex = (ringIndex + 1) % kRingSize;
        ++queued;
        added = true;
    }
    if (added && SourceState(source) != AL_PLAYING) {
        alSourcePlay(source);
    }
}

Audio::SourceId StreamedSound::Play(bool looping, float volume, float) {
    if (!BuffersAlive()) {
        return Audio::kNoSource;
    }
    const ALuint source = Audio::MusicSource();
    // The source may still play another stream's queue: it is emptied first,
    // or the new stream would only start after the old one's queued chunks.
    StopAndEmpty(source);
    musicOwner = this;
    loop = looping;
    ringIndex = 0;
    endReached = false;
    broken = false;
    if (!decoder.Rewind()) {
        LogFormat("Music %s cannot seek to its start", path.CStr());
        broken = true;
        return Audio::kNoSource;
    }
    alSourcei(source, AL_LOOPING, AL_FALSE);
    alSourcef(source, AL_GAIN, std::max(0.0f, volume));
    Update();
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (queued == 0) {
        return Audio::kNoSource;
    }
    alSourceStop(source);
    alSourceRewind(source);
    alSourcePlay(source);
    return source;
}

void StreamedSound::Stop(Audio::SourceId) {
    if (!OwnsMusicSource()) {
        return;
    }
    StopAndEmpty(Audio::MusicSource());
    ringIndex = 0;
}

bool StreamedSound::IsPlaying() {
    return OwnsMusicSource() && SourceState(Audio::MusicSource()) == AL_PLAYING;
}

void StreamedSound::SetVolume(float volume, Audio::SourceId) {
    if (!BuffersAlive() || (musicOwner && musicOwner != this)) {
        return;
    }
    alSourcef(Audio::MusicSource(), AL_GAIN, std::max(0.0f, volume));
}

float StreamedSound::GetVolume(Audio::SourceId) {
    if (!Audio::IsStarted()) {
        return 0.0f;
    }
    ALfloat gain = 0.0f;
    alGetSourcef(Audio::MusicSource(), AL_GAIN, &gain);
    return gain;
}
