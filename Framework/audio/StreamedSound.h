#pragma once
// StreamedSound: music decoded bit by bit while it plays.
//
// The file stays open from Load to Release. Playing queues chunks of 1/16 s
// ((rate div 16) × channels × 2 bytes) on the one music source through a
// ring of kRingSize OpenAL buffers; Update, called once per frame, adds at
// most one chunk, so the queue runs up to five seconds ahead of playback.
// Looping is done by seeking the decoder back to the start, not by OpenAL.
// The music source's gain is the volume itself: the global sound volume does
// not apply to music.
//
// All streamed sounds share the music source, so playing one takes the
// source over from any other. Afterwards the replaced sound's Update, Stop
// and SetVolume leave the source alone, and it reports that it is not
// playing. A stream that breaks while playing (or that holds no samples at
// all) is stopped and logged once, and stays silent until it is played
// again; a stream that is not looping plays out what it has queued, then
// stops.

#include "audio/BaseSound.h"
#include "audio/OggDecoder.h"
#include "io/File.h"

#include <array>
#include <vector>

class StreamedSound : public BaseSound {
public:
    static constexpr int kRingSize = 80;
    /// Chunks hold 1/kChunksPerSecond s of audio.
    static constexpr int kChunksPerSecond = 16;
    /// Chunks kept queued ahead of playback: one second.
    static constexpr int kLeadChunks = kChunksPerSecond;

    StreamedSound() = default;
    ~StreamedSound() override;

    bool Load(const char* path) override;
    void Release() override;
    void Update() override;
    /// Restarts the stream from its beginning on the music source; `pitch` is
    /// not used. kNoSource when there is no device or the stream gives nothing.
    Audio::SourceId Play(bool loop, float volume, float pitch) override;
    /// Stops the music source; the argument is not used.
    void Stop(Audio::SourceId source) override;
    bool IsPlaying() override;
    bool IsStreamed() override { return true; }
    bool SetMaxInstances(int) override { return false; }
    int GetMaxInstances() override { return 1; }
    int PlayingCount() override { return IsPlaying() ? 1 : 0; }
    /// The music source's gain; the source argument is not used.
    void SetVolume(float volume, Audio::SourceId source) override;
    float GetVolume(Audio::SourceId source) override;

    int Rate() const { return decoder.Rate(); }
    int Channels() const { return decoder.Channels(); }
    int Format() const { return format; }
    size_t ChunkSize() const { return chunkSize; }
    int RingIndex() const { return ringIndex; }
    bool Looping() const { return loop; }
    /// True once the stream could not be read on, until the next Play.
    bool Broken() const { return broken; }

    /// (rate div 16) × channels × 2.
    static size_t ChunkSizeFor(int rate, int channels);

private:
    enum class Fill { kQueued, kEnd, kBroken };
    /// Decodes the next chunk into the ring and queues it on the music source.
    Fill FillChunk();
    bool BuffersAlive() const;
    bool OwnsMusicSource() const;
    void DeleteBuffers();

    File file;
    OggDecoder decoder;
    int format = 0;
    size_t chunkSize = 0;
    std::vector<char> chunks; ///< kRingSize blocks of chunkSize bytes
    std::array<uint32_t, kRingSize> buffers{};
    bool haveBuffers = false;
    uint32_t bufferGeneration = 0;
    int ringIndex = 0;
    bool loop = true;
    bool endReached = false;
    bool broken = false;
};
