#pragma once
// OggDecoder: one Ogg Vorbis stream decoded to 16-bit signed little-endian
// PCM, interleaved by channel, read through an engine file.
//
// The decoder reads, seeks and tells through a BaseFile (a loose file, an
// archive entry or a memory buffer) that the caller opens, keeps open while
// decoding and closes itself: the decoder never closes it. Only mono and
// stereo streams of a plausible sample rate are accepted, and every logical
// stream of a chained file must keep the first one's format. Nothing here
// touches OpenAL, so the decode path can run without an audio device.

#include "core/String.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class BaseFile;

class OggDecoder {
public:
    static constexpr int kMinRate = 16;
    static constexpr int kMaxRate = 192000;

    enum class FillResult {
        kFull,   ///< the block holds every byte asked for
        kEnd,    ///< the stream ended (not looping); `filled` bytes are valid
        kBroken, ///< the stream cannot be decoded further
    };

    OggDecoder();
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    /// Opens the stream on `file` (not owned). False, with a log line naming
    /// `path`, when it is not Ogg Vorbis or its format is unusable.
    bool Open(BaseFile& file, const char* path);
    void Close();
    bool IsOpen() const { return open; }

    int Rate() const { return rate; }
    int Channels() const { return channels; }
    /// Bytes of one sample frame (2 per channel).
    size_t FrameBytes() const { return size_t(channels) * 2; }
    /// Sample frames of all logical streams together; -1 when unknown.
    int64_t TotalFrames();

    /// Decodes at most `bytes` bytes (whole frames): the count decoded, 0 at
    /// the end of the stream, -1 when the stream is broken (logged once).
    long Read(char* out, size_t bytes);
    /// Back to the first sample; false when the stream cannot seek.
    bool Rewind();
    /// Fills `block` with exactly `bytes` bytes (a multiple of FrameBytes).
    /// At the end of the stream it rewinds and goes on when `loop` is set;
    /// a looping stream that gives no samples at all counts as broken.
    FillResult Fill(char* block, size_t bytes, bool loop, size_t& filled);

private:
    struct State;
    std::unique_ptr<State> vorbis;
    bool open = false;
    bool reportedBroken = false;
    int rate = 0;
    int channels = 0;
    String path;
};

/// A whole sound decoded into memory.
struct DecodedSound {
    int rate = 0;
    int channels = 0;
    std::vector<char> samples; ///< 16-bit signed little-endian, interleaved
};

/// The most bytes a whole-file decode produces (about twelve minutes of
/// stereo audio at 44100 Hz); longer files are refused.
constexpr size_t kMaxDecodedBytes = size_t(128) << 20;

/// Decodes the whole stream of `file` in reads of at most 4096 bytes, up to
/// the stream's stated length. False, with a log line naming `path`, for a
/// file that is not usable Ogg Vorbis, states no or an absurd length, breaks
/// while decoding, or gives no samples. A forged length costs no memory
/// beyond about 128 times the compressed size until the samples arrive.
bool DecodeWholeFile(BaseFile& file, const char* path, DecodedSound& out);
