// Movie pictures: decoding one 1024 x 768 key frame and converting it into
// sprite pixels, against the bare Theora decode of the same frame, measured
// in the same run (the ratio should stay under 2: the conversion costs no
// more than the decode).
#include "video/OggStream.h"
#include "video/YuvConversion.h"

#include "MovieWriter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

// A painted-looking picture: smooth gradients with some detail, so the key
// frame costs what a real one does.
void Paint(int32_t, std::vector<uint8_t>& bgra) {
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            uint8_t* p = &bgra[(size_t(y) * kWidth + x) * 4];
            const double wave = std::sin(x * 0.05) * std::cos(y * 0.07);
            p[0] = uint8_t(128 + 100 * wave);
            p[1] = uint8_t((x * 255) / kWidth);
            p[2] = uint8_t((y * 255) / kHeight);
            p[3] = 255;
        }
    }
}

// The movie's picture stream: its three headers and its first picture packet.
struct KeyFrame {
    std::string file;
    std::vector<std::vector<unsigned char>> packets;
    std::vector<ogg_packet> headers;

    KeyFrame() {
        MovieSettings settings{.width = kWidth, .height = kHeight, .quality = 40, .keyframeInterval = 1};
        Pcm sound;
        sound.rate = 22050;
        sound.samples.assign(4410, 0.0f);
        std::string error;
        file = EncodeMovie(settings, 2, Paint, sound, error);
        ogg_sync_state sync;
        ogg_sync_init(&sync);
        char* buffer = ogg_sync_buffer(&sync, long(file.size()));
        std::memcpy(buffer, file.data(), file.size());
        ogg_sync_wrote(&sync, long(file.size()));
        ogg_page page;
        ogg_stream_state stream{};
        bool found = false;
        while (ogg_sync_pageout(&sync, &page) == 1 && packets.size() < 4) {
            if (!found && ogg_page_bos(&page)) {
                ogg_stream_init(&stream, ogg_page_serialno(&page));
                found = true; // the writer puts the picture stream first
            }
            if (!found || ogg_stream_pagein(&stream, &page) != 0) {
                continue;
            }
            ogg_packet packet;
            while (packets.size() < 4 && ogg_stream_packetout(&stream, &packet) == 1) {
                packets.emplace_back(packet.packet, packet.packet + packet.bytes);
                headers.push_back(packet);
            }
        }
        for (size_t i = 0; i < headers.size(); ++i) {
            headers[i].packet = packets[i].data();
        }
        if (found) {
            ogg_stream_clear(&stream);
        }
        ogg_sync_clear(&sync);
    }
    bool Complete() const { return headers.size() == 4; }
    ogg_packet Picture() const { return headers[3]; }
};

const KeyFrame& Frame() {
    static const KeyFrame frame;
    return frame;
}

void BM_BareTheoraDecode(benchmark::State& state) {
    const KeyFrame& frame = Frame();
    if (!frame.Complete()) {
        state.SkipWithError("the test movie could not be made");
        return;
    }
    th_info info;
    th_comment comment;
    th_setup_info* setup = nullptr;
    th_info_init(&info);
    th_comment_init(&comment);
    for (int i = 0; i < 3; ++i) {
        ogg_packet header = frame.headers[size_t(i)];
        th_decode_headerin(&info, &comment, &setup, &header);
    }
    th_dec_ctx* decoder = th_decode_alloc(&info, setup);
    for (auto _ : state) {
        ogg_packet packet = frame.Picture();
        th_decode_packetin(decoder, &packet, nullptr);
        th_ycbcr_buffer planes;
        th_decode_ycbcr_out(decoder, planes);
        benchmark::DoNotOptimize(planes[0].data);
    }
    th_decode_free(decoder);
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
}
BENCHMARK(BM_BareTheoraDecode)->Unit(benchmark::kMillisecond);

void BM_DecodeAndConvert(benchmark::State& state) {
    const KeyFrame& frame = Frame();
    if (!frame.Complete()) {
        state.SkipWithError("the test movie could not be made");
        return;
    }
    VideoStream video;
    for (int i = 0; i < 3; ++i) {
        ogg_packet header = frame.headers[size_t(i)];
        video.HeaderIn(header);
    }
    video.Init();
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4);
    const th_info& info = video.Info();
    for (auto _ : state) {
        ogg_packet packet = frame.Picture();
        YuvPicture picture;
        if (video.Decode(packet, picture) == VideoStream::Frame::kNew) {
            ConvertYuvToBgr(picture, int32_t(info.pic_x), int32_t(info.pic_y), kWidth, kHeight, pixels.data(),
                            kWidth * 4);
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_DecodeAndConvert)->Unit(benchmark::kMillisecond);

} // namespace
