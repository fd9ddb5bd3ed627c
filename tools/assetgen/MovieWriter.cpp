#include "MovieWriter.h"

#include <ogg/ogg.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr int kVideoSerial = 0x44484e56;
constexpr int kAudioSerial = 0x44484e41;

struct TimedPage {
    std::string bytes;
    double time = 0.0; ///< when its last packet ends, seconds
};

void AppendPage(std::vector<TimedPage>& pages, const ogg_page& page, double time) {
    TimedPage& out = pages.emplace_back();
    out.bytes.assign(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
    out.bytes.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
    out.time = time;
}

uint8_t ClampByte(double value) {
    return uint8_t(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

struct MovieWriter::State {
    MovieSettings settings;
    th_info videoInfo{};
    th_enc_ctx* video = nullptr;
    ogg_stream_state videoStream{};
    vorbis_info audioInfo{};
    vorbis_comment audioComment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state audioStream{};
    bool audioReady = false;
    std::string headers;
    std::vector<TimedPage> videoPages, audioPages;
    std::vector<uint8_t> planes[3];
    int64_t framesAdded = 0;
    std::vector<uint8_t> lastFrame;

    ~State() {
        if (video) {
            th_encode_free(video);
            ogg_stream_clear(&videoStream);
        }
        th_info_clear(&videoInfo);
        if (audioReady) {
            ogg_stream_clear(&audioStream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&audioComment);
        vorbis_info_clear(&audioInfo);
    }

    double VideoTime(ogg_int64_t granule) const {
        return granule < 0 ? 0.0 : th_granule_time(video, granule);
    }

    void DrainVideoPages(bool flush) {
        ogg_page page;
        while (flush ? ogg_stream_flush(&videoStream, &page) : ogg_stream_pageout(&videoStream, &page)) {
            AppendPage(videoPages, page, VideoTime(ogg_page_granulepos(&page)));
        }
    }

    void DrainAudio(bool flush) {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&audioStream, &packet);
                while (ogg_stream_pageout(&audioStream, &page)) {
                    AppendPage(audioPages, page, double(ogg_page_granulepos(&page)) / settings.rate);
                }
            }
        }
        while (flush && ogg_stream_flush(&audioStream, &page)) {
            AppendPage(audioPages, page, double(ogg_page_granulepos(&page)) / settings.rate);
        }
    }

    // BT.601 studio range; chroma is the mean of each 2×2 block.
    void ToYuv(const uint8_t* bgra) {
        const int32_t w = settings.width, h = settings.height;
        const int32_t fw = int32_t(videoInfo.frame_width), fh = int32_t(videoInfo.frame_height);
        planes[0].assign(size_t(fw) * fh, 16);
        planes[1].assign(size_t(fw / 2) * (fh / 2), 128);
        planes[2].assign(size_t(fw / 2) * (fh / 2), 128);
        auto at = [&](int32_t x, int32_t y) {
            return bgra + (size_t(std::min(y, h - 1)) * w + size_t(std::min(x, w - 1))) * 4;
        };
        for (int32_t y = 0; y < fh; ++y) {
            for (int32_t x = 0; x < fw; ++x) {
                const uint8_t* p = at(x, y);
                planes[0][size_t(y) * fw + x] =
                    ClampByte(16 + (65.481 * p[2] + 128.553 * p[1] + 24.966 * p[0]) / 255);
            }
        }
        for (int32_t y = 0; y < fh / 2; ++y) {
            for (int32_t x = 0; x < fw / 2; ++x) {
                double r = 0, g = 0, b = 0;
                for (int32_t k = 0; k < 4; ++k) {
                    const uint8_t* p = at(2 * x + (k & 1), 2 * y + (k >> 1));
                    b += p[0] / 1020.0, g += p[1] / 1020.0, r += p[2] / 1020.0;
                }
                planes[1][size_t(y) * (fw / 2) + x] = ClampByte(128 - 37.797 * r - 74.203 * g + 112.0 * b);
                planes[2][size_t(y) * (fw / 2) + x] = ClampByte(128 + 112.0 * r - 93.786 * g - 18.214 * b);
            }
        }
    }

    bool EncodeFrame(const uint8_t* bgra, bool last) {
        ToYuv(bgra);
        th_ycbcr_buffer buffer;
        const int32_t fw = int32_t(videoInfo.frame_width), fh = int32_t(videoInfo.frame_height);
        for (int i = 0; i < 3; ++i) {
            buffer[i].width = i == 0 ? fw : fw / 2;
            buffer[i].height = i == 0 ? fh : fh / 2;
            buffer[i].stride = buffer[i].width;
            buffer[i].data = planes[i].data();
        }
        if (th_encode_ycbcr_in(video, buffer) != 0) {
            return false;
        }
        ogg_packet packet;
        while (th_encode_packetout(video, last ? 1 : 0, &packet) > 0) {
            ogg_stream_packetin(&videoStream, &packet);
            // A page per picture keeps the pages of the two streams finely
            // interleaved, as a player reading in time order wants them.
            DrainVideoPages(true);
        }
        return true;
    }
};

MovieWriter::MovieWriter() = default;
MovieWriter::~MovieWriter() = default;

bool MovieWriter::Open(const MovieSettings& settings, std::string& error) {
    state = std::make_unique<State>();
    State& s = *state;
    s.settings = settings;
    if (settings.width < 1 || settings.height < 1 || settings.width > 4096 || settings.height > 4096 ||
        settings.fpsNumerator == 0 || settings.fpsDenominator == 0) {
        error = "the picture size or frame rate is out of range";
        return false;
    }
    th_info_init(&s.videoInfo);
    s.videoInfo.frame_width = uint32_t((settings.width + 15) & ~15);
    s.videoInfo.frame_height = uint32_t((settings.height + 15) & ~15);
    s.videoInfo.pic_width = uint32_t(settings.width);
    s.videoInfo.pic_height = uint32_t(settings.height);
    s.videoInfo.pic_x = 0;
    s.videoInfo.pic_y = 0;
    s.videoInfo.fps_numerator = settings.fpsNumerator;
    s.videoInfo.fps_denominator = settings.fpsDenominator;
    s.videoInfo.aspect_numerator = 1;
    s.videoInfo.aspect_denominator = 1;
    s.videoInfo.colorspace = TH_CS_UNSPECIFIED;
    s.videoInfo.pixel_fmt = TH_PF_420;
    s.videoInfo.quality = std::clamp(settings.quality, 0, 63);
    s.videoInfo.target_bitrate = 0;
    s.videoInfo.keyframe_granule_shift = 6;
    s.video = th_encode_alloc(&s.videoInfo);
    if (!s.video) {
        error = "the Theora encoder refuses the settings";
        return false;
    }
    int interval = std::max(1, settings.keyframeInterval);
    th_encode_ctl(s.video, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &interval, sizeof(interval));
    ogg_stream_init(&s.videoStream, kVideoSerial);

    vorbis_info_init(&s.audioInfo);
    vorbis_comment_init(&s.audioComment);
    if (vorbis_encode_init_vbr(&s.audioInfo, settings.channels, settings.rate, settings.soundQuality) != 0) {
        error = "the Vorbis encoder refuses the sound format";
        return false;
    }
    vorbis_analysis_init(&s.dsp, &s.audioInfo);
    vorbis_block_init(&s.dsp, &s.block);
    ogg_stream_init(&s.audioStream, kAudioSerial);
    s.audioReady = true;

    // Headers: each stream's first page alone, the Theora one first, then
    // the rest of both streams' headers.
    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    ogg_page page;
    std::vector<TimedPage> firstPages, restPages;
    bool first = true;
    while (th_encode_flushheader(s.video, &comment, &packet) > 0) {
        ogg_stream_packetin(&s.videoStream, &packet);
        if (first) {
            while (ogg_stream_flush(&s.videoStream, &page)) {
                AppendPage(firstPages, page, 0.0);
            }
            first = false;
        }
    }
    th_comment_clear(&comment);
    ogg_packet identification, commentHeader, codebooks;
    vorbis_analysis_headerout(&s.dsp, &s.audioComment, &identification, &commentHeader, &codebooks);
    ogg_stream_packetin(&s.audioStream, &identification);
    while (ogg_stream_flush(&s.audioStream, &page)) {
        AppendPage(firstPages, page, 0.0);
    }
    while (ogg_stream_flush(&s.videoStream, &page)) {
        AppendPage(restPages, page, 0.0);
    }
    ogg_stream_packetin(&s.audioStream, &commentHeader);
    ogg_stream_packetin(&s.audioStream, &codebooks);
    while (ogg_stream_flush(&s.audioStream, &page)) {
        AppendPage(restPages, page, 0.0);
    }
    for (const TimedPage& p : firstPages) {
        s.headers += p.bytes;
    }
    for (const TimedPage& p : restPages) {
        s.headers += p.bytes;
    }
    return true;
}

bool MovieWriter::AddFrame(const uint8_t* bgra) {
    if (!state || !state->video) {
        return false;
    }
    State& s = *state;
    // Each picture is encoded when the next arrives, so the last one can be
    // marked as the end of the stream.
    if (!s.lastFrame.empty() && !s.EncodeFrame(s.lastFrame.data(), false)) {
        return false;
    }
    s.lastFrame.assign(bgra, bgra + size_t(s.settings.width) * s.settings.height * 4);
    ++s.framesAdded;
    return true;
}

bool MovieWriter::AddSound(const float* samples, int64_t frames) {
    if (!state || !state->audioReady) {
        return false;
    }
    State& s = *state;
    constexpr int64_t kBlock = 1024;
    for (int64_t done = 0; done < frames;) {
        const int64_t count = std::min(kBlock, frames - done);
        float** channels = vorbis_analysis_buffer(&s.dsp, int(count));
        for (int64_t i = 0; i < count; ++i) {
            for (int32_t c = 0; c < s.settings.channels; ++c) {
                channels[c][i] = samples[(done + i) * s.settings.channels + c];
            }
        }
        vorbis_analysis_wrote(&s.dsp, int(count));
        s.DrainAudio(false);
        done += count;
    }
    return true;
}

std::string MovieWriter::Finish() {
    if (!state || !state->video) {
        return {};
    }
    State& s = *state;
    if (!s.lastFrame.empty()) {
        s.EncodeFrame(s.lastFrame.data(), true);
    }
    s.DrainVideoPages(true);
    vorbis_analysis_wrote(&s.dsp, 0);
    s.DrainAudio(true);
    // Pages in time order; at equal times the pictures go first.
    std::string out = s.headers;
    size_t v = 0, a = 0;
    while (v < s.videoPages.size() || a < s.audioPages.size()) {
        const bool takeVideo = a >= s.audioPages.size() ||
                               (v < s.videoPages.size() && s.videoPages[v].time <= s.audioPages[a].time);
        out += takeVideo ? s.videoPages[v++].bytes : s.audioPages[a++].bytes;
    }
    state.reset();
    return out;
}

std::string EncodeMovie(MovieSettings settings, int32_t frames,
                        const std::function<void(int32_t frame, std::vector<uint8_t>& bgra)>& picture,
                        const Pcm& sound, std::string& error) {
    settings.rate = sound.rate;
    settings.channels = sound.channels;
    MovieWriter writer;
    if (!writer.Open(settings, error)) {
        return {};
    }
    std::vector<uint8_t> pixels(size_t(settings.width) * settings.height * 4, 0);
    for (int32_t i = 0; i < frames; ++i) {
        picture(i, pixels);
        if (!writer.AddFrame(pixels.data())) {
            error = "the Theora encoder refuses a picture";
            return {};
        }
    }
    if (!writer.AddSound(sound.samples.data(), sound.Frames())) {
        error = "the Vorbis encoder refuses the sound";
        return {};
    }
    return writer.Finish();
}
