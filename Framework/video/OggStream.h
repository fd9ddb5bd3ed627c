#pragma once
// The elementary streams of a movie file: OggStream is one logical stream of
// the Ogg container (its serial number, its page and packet buffer, and the
// count of header packets it has taken); VideoStream decodes Theora pictures
// and AudioStream decodes Vorbis sound into a PcmQueue.
//
// These headers use the codec libraries' own types and are included only by
// the video player and its tests; the rest of the engine sees video/Video.h.
//
// Audio buffering: a ring of kRingSize buffers remembers the bytes last
// queued in each; decoded samples gather in a staging area of kStagingBytes
// and are queued when the next samples would not fit. Samples become 16-bit
// as floor(s · 32767 + 0.5) clamped to −32768 … 32767, channels interleaved.

#include <ogg/ogg.h>
#include <theora/theoradec.h>
#include <vorbis/codec.h>

#include <array>
#include <cstddef>
#include <cstdint>

class PcmQueue;
struct YuvPicture;

class OggStream {
public:
    OggStream() = default;
    virtual ~OggStream();
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;

    /// Called once every header packet has been read; false when the
    /// decoder cannot be set up.
    virtual bool Init() = 0;

    /// Starts buffering the logical stream of `serial`.
    void Attach(int serial);
    /// Forgets the stream (it was not the one wanted).
    void Detach();
    bool IsAttached() const { return attached; }
    int Serial() const { return serial; }
    /// Takes the page when it belongs to this stream (true); an end-of-stream
    /// page marks the stream ended.
    bool PageIn(ogg_page& page);
    /// The next whole packet; false when none is buffered. A gap in the
    /// stream is skipped.
    bool PacketOut(ogg_packet& packet);
    /// True once the stream's last page has been taken.
    bool Ended() const { return ended; }
    /// Page bytes taken but not yet handed out as packets.
    size_t BufferedBytes() const;
    int HeaderCount() const { return headers; }

protected:
    ogg_stream_state state{};
    bool attached = false;
    bool ended = false;
    int serial = 0;
    int headers = 0;
};

class VideoStream : public OggStream {
public:
    VideoStream();
    ~VideoStream() override;

    /// Offers a header packet: 1 taken, 0 not a header (a picture packet),
    /// −1 not Theora or broken.
    int HeaderIn(ogg_packet& packet);
    /// Creates the decoder; false when that fails or it already exists.
    bool Init() override;
    bool HasDecoder() const { return decoder != nullptr; }

    enum class Frame { kNew, kSame, kSkipped, kBroken };
    /// Decodes one picture packet; with kNew, `picture` shows the decoded
    /// frame (valid until the next packet); kSame for a repeated frame;
    /// kSkipped when the packet cannot be decoded; kBroken when the decoder
    /// hands out planes that do not cover the frame of the headers.
    Frame Decode(ogg_packet& packet, YuvPicture& picture);

    const th_info& Info() const { return info; }

private:
    th_info info{};
    th_comment comment{};
    th_setup_info* setup = nullptr;
    th_dec_ctx* decoder = nullptr;
};

class AudioStream : public OggStream {
public:
    static constexpr int kRingSize = 32;
    static constexpr size_t kStagingBytes = 16384;

    /// Queues onto `output`, which outlives the stream.
    explicit AudioStream(PcmQueue& output);
    ~AudioStream() override;

    /// Offers a header packet: true when taken.
    bool HeaderIn(ogg_packet& packet);
    /// Starts the synthesis and opens the output with kRingSize buffers;
    /// false when either fails.
    bool Init() override;
    bool HasDecoder() const { return synthesis; }

    int Rate() const { return int(info.rate); }
    int Channels() const { return info.channels; }

    /// Feeds one sound packet to the synthesis (a broken one is skipped).
    void Decode(ogg_packet& packet);
    /// Stages decoded samples and queues full staging areas while fewer
    /// than kRingSize buffers are queued. True when samples are left over
    /// for later (the ring is full).
    bool StageDecoded();
    /// Queues what is staged, even when short (the stream's end).
    void FlushStaging();
    /// Unqueues the played buffers and counts their bytes.
    void CountPlayed();
    /// Seconds of sound played: played bytes plus the offset into the
    /// current buffer, over rate × channels × 2.
    double Clock();
    bool HasRoom() const { return queued < kRingSize; }
    int Queued() const { return queued; }
    size_t StagedBytes() const { return stagingBytes; }
    int64_t PlayedBytes() const { return playedBytes; }

private:
    /// Queues the staging area into the ring's next buffer.
    void QueueStaging();

    PcmQueue& output;
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    bool synthesis = false;
    bool outputOpen = false;
    std::array<size_t, kRingSize> bufferBytes{};
    int ringIndex = 0;
    int queued = 0;
    int64_t playedBytes = 0;
    size_t stagingBytes = 0;
    std::array<int16_t, kStagingBytes / 2> staging{};
};
