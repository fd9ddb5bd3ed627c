#include "OggWriter.h"

#include <cerrno>
#include <cstring>

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kSerialNumber = 0x44484e31;
constexpr int64_t kBlock = 1024;

struct Encoder {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool dspReady = false;
    Encoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder() {
        if (dspReady) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
};

bool WritePage(std::FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), file) ==
               static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), file) ==
               static_cast<size_t>(page.body_len);
}

// Moves every finished packet into the stream and every full page to the file.
bool Drain(Encoder& e, std::FILE* file) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
        vorbis_analysis(&e.block, nullptr);
        vorbis_bitrate_addblock(&e.block);
        while (vorbis_bitrate_flushpacket(&e.dsp, &packet) == 1) {
            ogg_stream_packetin(&e.stream, &packet);
            while (ogg_stream_pageout(&e.stream, &page) != 0) {
                if (!WritePage(file, page)) {
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace

bool WriteOggVorbis(const std::string& path, const Pcm& pcm, float quality, std::string& error) {
    if (pcm.channels < 1 || pcm.channels > 2 || pcm.Frames() == 0) {
        error = "nothing to encode for " + path;
        return false;
    }
    Encoder e;
    if (vorbis_encode_init_vbr(&e.info, pcm.channels, pcm.rate, quality) != 0) {
        error = "the Vorbis encoder refuses " + std::to_string(pcm.channels) + " channels at " +
                std::to_string(pcm.rate) + " Hz";
        return false;
    }
    vorbis_comment_add_tag(&e.comment, "ENCODER", "assetgen");
    vorbis_analysis_init(&e.dsp, &e.info);
    vorbis_block_init(&e.dsp, &e.block);
    ogg_stream_init(&e.stream, kSerialNumber);
    e.dspReady = true;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&e.dsp, &e.comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&e.stream, &header);
    ogg_stream_packetin(&e.stream, &commentPacket);
    ogg_stream_packetin(&e.stream, &codebooks);
    ogg_page page;
    bool ok = true;
    while (ok && ogg_stream_flush(&e.stream, &page) != 0) {
        ok = WritePage(file.get(), page);
    }
    const int64_t frames = pcm.Frames();
    for (int64_t at = 0; ok && at < frames; at += kBlock) {
        const int64_t count = std::min(kBlock, frames - at);
        float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(count));
        for (int64_t i = 0; i < count; ++i) {
            for (int32_t c = 0; c < pcm.channels; ++c) {
                buffer[c][i] = pcm.samples[static_cast<size_t>((at + i) * pcm.channels + c)];
            }
        }
        vorbis_analysis_wrote(&e.dsp, static_cast<int>(count));
        ok = Drain(e, file.get());
    }
    vorbis_analysis_wrote(&e.dsp, 0);
    ok = ok && Drain(e, file.get());
    while (ok && ogg_stream_flush(&e.stream, &page) != 0) {
        ok = WritePage(file.get(), page);
    }
    if (!ok || std::fflush(file.get()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
