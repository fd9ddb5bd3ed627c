#include "support/ToneEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace testing_support {
namespace {

void AppendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
}

// Moves every finished packet of the analysis into the stream and every full
// page into `out`. A tone compresses so well that pages would hold seconds of
// audio; an eighth of a second per page keeps files seekable and cuttable the
// way real music is.
void Drain(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream, int rate, ogg_int64_t& pageGranule,
           std::string& out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            const bool pageFull = packet.granulepos - pageGranule >= rate / 8;
            while (pageFull ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
                AppendPage(out, page);
                pageGranule = ogg_page_granulepos(&page);
            }
        }
    }
}

} // namespace

std::string EncodeTone(const Tone& tone) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, tone.channels, tone.rate, tone.quality) != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::string out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) {
        AppendPage(out, page);
    }

    ogg_int64_t pageGranule = 0;
    const long frames = std::lround(tone.seconds * tone.rate);
    const double step = 2.0 * M_PI * tone.frequency / tone.rate;
    constexpr long kFramesPerWrite = 1024;
    for (long done = 0; done < frames;) {
        const long count = std::min(kFramesPerWrite, frames - done);
        float** channels = vorbis_analysis_buffer(&dsp, int(count));
        for (long i = 0; i < count; ++i) {
            const float value = float(tone.amplitude * std::sin(step * double(done + i)));
            for (int c = 0; c < tone.channels; ++c) {
                channels[c][i] = value;
            }
        }
        vorbis_analysis_wrote(&dsp, int(count));
        Drain(dsp, block, stream, tone.rate, pageGranule, out);
        done += count;
    }
    vorbis_analysis_wrote(&dsp, 0);
    Drain(dsp, block, stream, tone.rate, pageGranule, out);
    while (ogg_stream_flush(&stream, &page)) {
        AppendPage(out, page);
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace testing_support
