#include "video/OggStream.h"

#include "audio/SourceQueue.h"
#include "video/YuvConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

// ---- OggStream ----

OggStream::~OggStream() {
    if (attached) {
        ogg_stream_clear(&state);
    }
}

void OggStream::Attach(int serialNumber) {
    if (attached) {
        ogg_stream_clear(&state);
    }
    ogg_stream_init(&state, serialNumber);
    serial = serialNumber;
    attached = true;
    ended = false;
    headers = 0;
}

void OggStream::Detach() {
    if (attached) {
        ogg_stream_clear(&state);
    }
    attached = false;
    ended = false;
    headers = 0;
}

bool OggStream::PageIn(ogg_page& page) {
    if (!attached || ogg_page_serialno(&page) != serial || ogg_stream_pagein(&state, &page) != 0) {
        return false;
    }
    if (ogg_page_eos(&page)) {
        ended = true;
    }
    return true;
}

bool OggStream::PacketOut(ogg_packet& packet) {
    if (!attached) {
        return false;
    }
    for (;;) {
        const int result = ogg_stream_packetout(&state, &packet);
        if (result == 1) {
            return true;
        }
        if (result == 0) {
            return false;
        }
        // −1: a gap (lost or damaged page); the next packet follows it.
    }
}

size_t OggStream::BufferedBytes() const {
    return attached ? size_t(std::max<long>(0, state.body_fill - state.body_returned)) : 0;
}

// ---- VideoStream ----

VideoStream::VideoStream() {
    th_info_init(&info);
    th_comment_init(&comment);
}

VideoStream::~VideoStream() {
    if (decoder) {
        th_decode_free(decoder);
    }
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
}

int VideoStream::HeaderIn(ogg_packet& packet) {
    const int result = th_decode_headerin(&info, &comment, &setup, &packet);
    if (result > 0) {
        ++headers;
        return 1;
    }
    if (headers == 0) {
        // A refused first packet may have filled some fields; the next
        // stream offered starts clean.
        th_comment_clear(&comment);
        th_info_clear(&info);
        th_info_init(&info);
        th_comment_init(&comment);
    }
    return result == 0 ? 0 : -1;
}

bool VideoStream::Init() {
    if (decoder || !setup) {
        return false;
    }
    decoder = th_decode_alloc(&info, setup);
    return decoder != nullptr;
}

VideoStream::Frame VideoStream::Decode(ogg_packet& packet, YuvPicture& picture) {
    if (!decoder) {
        return Frame::kBroken;
    }
    ogg_int64_t granule = 0;
    const int result = th_decode_packetin(decoder, &packet, &granule);
    if (result == TH_DUPFRAME) {
        return Frame::kSame;
    }
    if (result != 0) {
        return Frame::kSkipped;
    }
    th_ycbcr_buffer planes;
    if (th_decode_ycbcr_out(decoder, planes) != 0) {
        return Frame::kBroken;
    }
    picture.chromaShiftX = (info.pixel_fmt & 1) ? 0 : 1;
    picture.chromaShiftY = (info.pixel_fmt & 2) ? 0 : 1;
    // The planes must cover the whole frame the headers promised, or the
    // conversion would read outside them.
    const int32_t width = int32_t(info.frame_width);
    const int32_t height = int32_t(info.frame_height);
    const int32_t chromaWidth = (width + picture.chromaShiftX) >> picture.chromaShiftX;
    const int32_t chromaHeight = (height + picture.chromaShiftY) >> picture.chromaShiftY;
    if (planes[0].width != width || planes[0].height != height || planes[1].width < chromaWidth ||
        planes[1].height < chromaHeight || planes[2].width < chromaWidth || planes[2].height < chromaHeight ||
        std::abs(planes[0].stride) < width || std::abs(planes[1].stride) < chromaWidth ||
        std::abs(planes[2].stride) < chromaWidth) {
        return Frame::kBroken;
    }
    picture.y = {planes[0].data, planes[0].stride};
    picture.cb = {planes[1].data, planes[1].stride};
    picture.cr = {planes[2].data, planes[2].stride};
    return Frame::kNew;
}

// ---- AudioStream ----

AudioStream::AudioStream(PcmQueue& queue) : output(queue) {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
}

AudioStream::~AudioStream() {
    if (outputOpen) {
        output.Close();
    }
    if (synthesis) {
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
}

bool AudioStream::HeaderIn(ogg_packet& packet) {
    if (vorbis_synthesis_headerin(&info, &comment, &packet) != 0) {
        if (headers == 0) {
            vorbis_comment_clear(&comment);
            vorbis_info_clear(&info);
            vorbis_info_init(&info);
            vorbis_comment_init(&comment);
        }
        return false;
    }
    ++headers;
    return true;
}

bool AudioStream::Init() {
    if (synthesis || headers < 3) {
        return false;
    }
    if (vorbis_synthesis_init(&dsp, &info) != 0) {
        return false;
    }
    if (vorbis_block_init(&dsp, &block) != 0) {
        vorbis_dsp_clear(&dsp);
        return false;
    }
    synthesis = true;
    outputOpen = output.Open(kRingSize);
    return outputOpen;
}

void AudioStream::Decode(ogg_packet& packet) {
    if (synthesis && vorbis_synthesis(&block, &packet) == 0) {
        vorbis_synthesis_blockin(&dsp, &block);
    }
}

bool AudioStream::StageDecoded() {
    if (!synthesis) {
        return false;
    }
    const int channels = info.channels;
    const size_t frameBytes = size_t(channels) * 2;
    float** pcm = nullptr;
    int frames = 0;
    while ((frames = vorbis_synthesis_pcmout(&dsp, &pcm)) > 0) {
        int taken = 0;
        while (taken < frames) {
            if (stagingBytes + frameBytes > kStagingBytes) {
                if (!HasRoom()) {
                    vorbis_synthesis_read(&dsp, taken);
                    return true;
                }
                QueueStaging();
            }
            const int fit = int((kStagingBytes - stagingBytes) / frameBytes);
            const int count = std::min(fit, frames - taken);
            int16_t* out = staging.data() + stagingBytes / 2;
            for (int i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c) {
                    const float sample = pcm[c][taken + i];
                    const float value = std::isnan(sample) ? 0.0f : std::floor(sample * 32767.0f + 0.5f);
                    *out++ = int16_t(std::clamp(value, -32768.0f, 32767.0f));
                }
            }
            stagingBytes += size_t(count) * frameBytes;
            taken += count;
        }
        vorbis_synthesis_read(&dsp, frames);
    }
    return false;
}

void AudioStream::FlushStaging() {
    if (stagingBytes > 0 && HasRoom()) {
        QueueStaging();
    }
}

void AudioStream::QueueStaging() {
    if (output.Queue(ringIndex, staging.data(), stagingBytes, info.channels, int(info.rate))) {
        bufferBytes[size_t(ringIndex)] = stagingBytes;
        ringIndex = (ringIndex + 1) % kRingSize;
        ++queued;
    }
    stagingBytes = 0;
}

void AudioStream::CountPlayed() {
    const int done = std::min(output.UnqueueProcessed(), queued);
    for (int i = 0; i < done; ++i) {
        const int oldest = (ringIndex - queued + kRingSize) % kRingSize;
        playedBytes += int64_t(bufferBytes[size_t(oldest)]);
        --queued;
    }
}

double AudioStream::Clock() {
    const double bytesPerSecond = double(info.rate) * info.channels * 2.0;
    if (bytesPerSecond <= 0.0) {
        return 0.0;
    }
    return double(playedBytes + output.ByteOffset()) / bytesPerSecond;
}
