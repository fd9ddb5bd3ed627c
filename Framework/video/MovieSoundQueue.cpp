#include "video/MovieSoundQueue.h"

#include "core/Log.h"

bool MovieSoundQueue::Open(int bufferCount) {
    Reset();
    silent = !device.Open(bufferCount);
    if (silent) {
        LogLine("Video: no sound source can be had; the movie plays in silence, timed by the frames");
    }
    return true;
}

void MovieSoundQueue::Close() {
    if (!silent) {
        device.Close();
    }
    Reset();
    silent = false;
}

void MovieSoundQueue::Reset() {
    if (!silent) {
        device.Reset();
    }
    buffers.clear();
    playedInFront = 0.0;
    processed = 0;
    playing = false;
}

bool MovieSoundQueue::Queue(int index, const void* samples, size_t bytes, int channels, int rate) {
    if (!silent) {
        return device.Queue(index, samples, bytes, channels, rate);
    }
    if (channels < 1 || rate < 1) {
        return false;
    }
    buffers.push_back({bytes, double(rate) * channels * 2.0});
    return true;
}

int MovieSoundQueue::UnqueueProcessed() {
    if (!silent) {
        return device.UnqueueProcessed();
    }
    const int done = processed;
    processed = 0;
    return done;
}

int MovieSoundQueue::QueuedCount() {
    return silent ? int(buffers.size()) + processed : device.QueuedCount();
}

int64_t MovieSoundQueue::ByteOffset() {
    return silent ? int64_t(playedInFront) : device.ByteOffset();
}

bool MovieSoundQueue::IsStopped() {
    return silent ? !playing : device.IsStopped();
}

void MovieSoundQueue::Play() {
    if (!silent) {
        device.Play();
        return;
    }
    playing = !buffers.empty();
}

void MovieSoundQueue::Advance(double seconds) {
    if (!silent || !playing) {
        return;
    }
    while (seconds > 0.0 && !buffers.empty()) {
        const Buffer& front = buffers.front();
        const double left = (double(front.bytes) - playedInFront) / front.bytesPerSecond;
        if (seconds < left) {
            playedInFront += seconds * front.bytesPerSecond;
            return;
        }
        seconds -= left;
        buffers.pop_front();
        playedInFront = 0.0;
        ++processed;
    }
    playing = !buffers.empty();
}
