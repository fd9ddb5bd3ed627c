// Fuzz target: movie files on arbitrary bytes, read from memory through the
// engine's file interface: the Ogg demultiplexer, the Theora and Vorbis
// header and packet decoders and the picture conversion. The sound goes to a
// queue that plays whatever is queued by the next frame, so every input
// runs to its end (or the frame limit) without an audio device.
#include "audio/SourceQueue.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "io/MemoryFile.h"
#include "render/Sprite.h"
#include "video/Video.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

class InstantQueue : public PcmQueue {
public:
    bool Open(int) override { return true; }
    void Close() override { queued = 0; }
    void Reset() override { queued = 0; }
    bool Queue(int index, const void*, size_t bytes, int channels, int rate) override {
        if (index < 0 || index >= 32 || bytes == 0 || bytes > 16384 || channels < 1 || channels > 2 ||
            rate < 1) {
            std::abort();
        }
        ++queued;
        return true;
    }
    int UnqueueProcessed() override {
        const int done = queued;
        queued = 0;
        return done;
    }
    int QueuedCount() override { return queued; }
    int64_t ByteOffset() override { return 0; }
    bool IsStopped() override { return queued == 0; }
    void Play() override {}

private:
    int queued = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetLogToStandardOutput(false);
    frameTime = 0.05f;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Video video(std::make_unique<MemoryFile>(data, size), "fuzz");
    video.SetOutput(std::make_unique<InstantQueue>());
    if (!video.Start()) {
        return 0;
    }
    if (video.Width() < 1 || video.Height() < 1 || video.Width() > Sprite::kMaxTextureSide ||
        video.Height() > Sprite::kMaxTextureSide) {
        std::abort();
    }
    for (int frame = 0; frame < 400 && video.IsPlaying(); ++frame) {
        video.Update();
    }
    return 0;
}
