#pragma once
// SourceQueue: 16-bit PCM played through one pool source as a queue of
// buffers, for callers above the audio layer that decode their own sound
// (the video player). PcmQueue is the interface they hold, so a test can put
// a clock of its own in place of the device.
//
// Buffers are named by their ring index 0 … count−1; they are queued in the
// order the caller chooses and come back processed in the order queued. A
// byte offset is the play position inside the buffer now playing. The source
// is borrowed from the pool only between Open and Close.

#include "audio/Audio.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class PcmQueue {
public:
    virtual ~PcmQueue() = default;
    /// Takes a free pool source and makes `bufferCount` buffers; the source
    /// does not loop. False (nothing held) without a device or a free source.
    virtual bool Open(int bufferCount) = 0;
    /// Resets the source, returns it to the pool and deletes the buffers.
    virtual void Close() = 0;
    /// Unqueues everything, stops, rewinds and detaches the buffers; the
    /// source stays borrowed.
    virtual void Reset() = 0;
    /// Fills buffer `index` with `bytes` of 16-bit samples (1 or 2 channels
    /// interleaved, `rate` Hz) and queues it; false when it could not be queued.
    virtual bool Queue(int index, const void* samples, size_t bytes, int channels, int rate) = 0;
    /// Unqueues the buffers that have played; their count.
    virtual int UnqueueProcessed() = 0;
    /// Buffers on the source, played or not.
    virtual int QueuedCount() = 0;
    /// Bytes of the current buffer already played.
    virtual int64_t ByteOffset() = 0;
    /// True when the source is not playing (never started, ran dry, stopped).
    virtual bool IsStopped() = 0;
    virtual void Play() = 0;
};

/// The device's implementation of PcmQueue.
class SourceQueue : public PcmQueue {
public:
    ~SourceQueue() override;
    bool Open(int bufferCount) override;
    void Close() override;
    void Reset() override;
    bool Queue(int index, const void* samples, size_t bytes, int channels, int rate) override;
    int UnqueueProcessed() override;
    int QueuedCount() override;
    int64_t ByteOffset() override;
    bool IsStopped() override;
    void Play() override;

    Audio::SourceId Source() const { return source; }

private:
    bool Alive() const;

    Audio::SourceId source = Audio::kNoSource;
    std::vector<uint32_t> buffers;
    uint32_t generation = 0;
};
