#pragma once
// MovieSoundQueue: where a movie's sound goes. It plays through a pool
// source of the audio device when one can be had; without a device (a
// machine with no sound card, audio not started) or a free source it plays
// in silence instead: the queued buffers count as played as the frame time
// passes (Advance), so the movie's pictures, which follow its sound, keep
// their pace.

#include "audio/SourceQueue.h"

#include <cstddef>
#include <cstdint>
#include <deque>

class MovieSoundQueue : public PcmQueue {
public:
    /// Always true: a device source when one is free, else silence.
    bool Open(int bufferCount) override;
    void Close() override;
    void Reset() override;
    bool Queue(int index, const void* samples, size_t bytes, int channels, int rate) override;
    int UnqueueProcessed() override;
    int QueuedCount() override;
    int64_t ByteOffset() override;
    bool IsStopped() override;
    void Play() override;

    /// Silent only: plays `seconds` of what is queued while playing; running
    /// dry stops it, as a device source stops.
    void Advance(double seconds);
    bool IsSilent() const { return silent; }

private:
    struct Buffer {
        size_t bytes = 0;
        double bytesPerSecond = 0.0;
    };

    SourceQueue device;
    bool silent = false;
    bool playing = false;
    std::deque<Buffer> buffers;
    double playedInFront = 0.0; ///< bytes of the oldest buffer played
    int processed = 0;          ///< played buffers not yet unqueued
};
