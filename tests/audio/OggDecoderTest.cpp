// The Ogg Vorbis decode path on its own, from memory: formats, lengths,
// damaged and hostile files, and the seamless loop of the stream decoder.
#include "audio/OggDecoder.h"
#include "audio/StreamedSound.h"
#include "io/MemoryFile.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using testing_support::EncodeTone;
using testing_support::LogCapture;
using testing_support::Tone;
using testing_support::WriteFile;

namespace {

std::vector<float> ToFloats(const std::vector<char>& bytes) {
    std::vector<float> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int16_t value = 0;
        std::memcpy(&value, bytes.data() + 2 * i, 2);
        out[i] = float(value) / 32768.0f;
    }
    return out;
}

bool Decode(const std::string& ogg, DecodedSound& out) {
    MemoryFile file(ogg.data(), ogg.size());
    return DecodeWholeFile(file, "memory.ogg", out);
}

// Ogg pages carry a CRC over the whole page (CRC field zeroed); a patched
// header needs a fresh one or the page is dropped before Vorbis sees it.
uint32_t OggCrc(const unsigned char* data, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(data[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return crc;
}

size_t PageSize(const std::string& ogg, size_t at) {
    const auto* page = reinterpret_cast<const unsigned char*>(ogg.data() + at);
    const int segments = page[26];
    size_t body = 0;
    for (int i = 0; i < segments; ++i) {
        body += page[27 + i];
    }
    return 27 + size_t(segments) + body;
}

void FixCrc(std::string& ogg, size_t pageStart) {
    const size_t size = PageSize(ogg, pageStart);
    std::memset(&ogg[pageStart + 22], 0, 4);
    const uint32_t crc = OggCrc(reinterpret_cast<const unsigned char*>(ogg.data() + pageStart), size);
    std::memcpy(&ogg[pageStart + 22], &crc, 4);
}

// The identification header is the first packet of the first page:
// "\x01vorbis", version (4 bytes), channels (1), rate (4).
std::string WithHeader(std::string ogg, int channels, uint32_t rate) {
    const size_t packet = ogg.find("\x01vorbis");
    ogg[packet + 11] = char(channels);
    std::memcpy(&ogg[packet + 12], &rate, 4);
    FixCrc(ogg, 0);
    return ogg;
}

// The granule position of the last page is the stream's stated length.
std::string WithStatedLength(std::string ogg, int64_t frames) {
    size_t last = 0;
    for (size_t at = 0; at < ogg.size(); at += PageSize(ogg, at)) {
        last = at;
    }
    std::memcpy(&ogg[last + 6], &frames, 8);
    FixCrc(ogg, last);
    return ogg;
}

} // namespace

TEST(OggDecoderTest, DecodesAToneWholeAtItsRateLengthPitchAndLevel) {
    for (const auto& [rate, channels] : {std::pair{22050, 1}, std::pair{44100, 2}}) {
        const std::string ogg = EncodeTone({.rate = rate, .channels = channels, .seconds = 0.5, .frequency = 440.0});
        DecodedSound sound;
        ASSERT_TRUE(Decode(ogg, sound));
        EXPECT_EQ(sound.rate, rate);
        EXPECT_EQ(sound.channels, channels);
        EXPECT_EQ(sound.samples.size(), size_t(rate / 2) * size_t(channels) * 2);
        const std::vector<float> values = ToFloats(sound.samples);
        size_t crossings = 0;
        float peak = 0.0f;
        for (size_t i = size_t(channels); i < values.size(); i += size_t(channels)) {
            crossings += values[i - size_t(channels)] < 0.0f && values[i] >= 0.0f;
            peak = std::max(peak, std::fabs(values[i]));
        }
        EXPECT_NEAR(double(crossings) / 0.5, 440.0, 6.0);
        EXPECT_NEAR(peak, 0.5f, 0.05f);
    }
}

TEST(OggDecoderTest, RefusesFilesThatAreNotUsableVorbis) {
    LogCapture log;
    const std::string ogg = EncodeTone({.rate = 22050, .seconds = 0.2});
    DecodedSound sound;
    EXPECT_FALSE(Decode("", sound));
    EXPECT_FALSE(Decode("OggS but nothing else of a real file", sound));
    EXPECT_FALSE(Decode(ogg.substr(0, 60), sound));
    EXPECT_TRUE(log.Contains("memory.ogg: not an Ogg Vorbis file"));

    // Vorbis itself refuses 0 channels and rate 0; three channels and an
    // absurd rate are valid Vorbis that the sound system cannot play.
    EXPECT_FALSE(Decode(WithHeader(ogg, 0, 22050), sound));
    EXPECT_FALSE(Decode(WithHeader(ogg, 1, 0), sound));
    EXPECT_FALSE(Decode(WithHeader(ogg, 3, 22050), sound));
    EXPECT_TRUE(log.Contains("3 channels"));
    EXPECT_FALSE(Decode(WithHeader(ogg, 1, 3000000), sound));
    EXPECT_TRUE(log.Contains("sample rate 3000000"));
    EXPECT_TRUE(sound.samples.empty());
}

TEST(OggDecoderTest, StatedLengthNeverDrivesTheAllocation) {
    LogCapture log;
    const std::string ogg = EncodeTone({.rate = 22050, .seconds = 0.3});
    DecodedSound sound;
    // A length past the memory limit is refused outright.
    EXPECT_FALSE(Decode(WithStatedLength(ogg, int64_t(1) << 40), sound));
    EXPECT_TRUE(log.Contains("too long"));
    // A length that is large but allowed holds only what actually decodes.
    ASSERT_TRUE(Decode(WithStatedLength(ogg, 20'000'000), sound));
    EXPECT_LE(sound.samples.size(), size_t(22050) * 2);
    EXPECT_LT(sound.samples.capacity(), size_t(4) << 20);
}

TEST(OggDecoderTest, TruncatedFileKeepsWhatDecodedAndDamageIsSurvived) {
    LogCapture log;
    const std::string ogg = EncodeTone({.rate = 22050, .seconds = 1.0});
    const size_t audioStart = PageSize(ogg, 0) + PageSize(ogg, PageSize(ogg, 0));
    const size_t middle = audioStart + (ogg.size() - audioStart) / 2;
    DecodedSound sound;
    ASSERT_TRUE(Decode(ogg.substr(0, middle), sound));
    EXPECT_GT(sound.samples.size(), 0u);
    EXPECT_LT(sound.samples.size(), size_t(22050) * 2);
    // Garbage in the middle of the audio data: the decoder skips or stops, never crashes.
    std::string damaged = ogg;
    for (size_t i = audioStart + 100; i < middle; ++i) {
        damaged[i] = char(i * 7);
    }
    Decode(damaged, sound);
    EXPECT_LE(sound.samples.size(), size_t(22050) * 2);
}

TEST(OggDecoderTest, LoopingFillContinuesSeamlesslyFromTheStart) {
    const std::string ogg = EncodeTone({.rate = 22050, .seconds = 0.25, .frequency = 300.0});
    DecodedSound whole;
    ASSERT_TRUE(Decode(ogg, whole));

    MemoryFile file(ogg.data(), ogg.size());
    OggDecoder decoder;
    ASSERT_TRUE(decoder.Open(file, "memory.ogg"));
    std::vector<char> block(whole.samples.size() * 3 + 100);
    size_t filled = 0;
    ASSERT_EQ(decoder.Fill(block.data(), block.size(), true, filled), OggDecoder::FillResult::kFull);
    ASSERT_EQ(filled, block.size());
    for (size_t i = 0; i < block.size(); ++i) {
        ASSERT_EQ(block[i], whole.samples[i % whole.samples.size()]) << "byte " << i;
    }
    // Without looping the end gives the rest and says so.
    ASSERT_TRUE(decoder.Rewind());
    EXPECT_EQ(decoder.Fill(block.data(), block.size(), false, filled), OggDecoder::FillResult::kEnd);
    EXPECT_EQ(filled, whole.samples.size());
}

TEST(OggDecoderTest, MusicChunksHoldOneSixteenthSecond) {
    EXPECT_EQ(StreamedSound::ChunkSizeFor(22050, 1), 2756u);
    EXPECT_EQ(StreamedSound::ChunkSizeFor(44100, 2), 11024u);
    // A music file opens without an audio device; its chunk size follows its format.
    WriteFile("mono.ogg", EncodeTone({.rate = 22050, .channels = 1, .seconds = 0.2}));
    WriteFile("stereo.ogg", EncodeTone({.rate = 44100, .channels = 2, .seconds = 0.2}));
    StreamedSound mono;
    StreamedSound stereo;
    ASSERT_TRUE(mono.Load("mono.ogg"));
    ASSERT_TRUE(stereo.Load("stereo.ogg"));
    EXPECT_EQ(mono.ChunkSize(), 2756u);
    EXPECT_EQ(stereo.ChunkSize(), 11024u);
    EXPECT_TRUE(mono.IsStreamed());
    EXPECT_EQ(mono.GetMaxInstances(), 1);
    EXPECT_FALSE(mono.SetMaxInstances(2));
    LogCapture log;
    EXPECT_FALSE(mono.Load("missing.ogg"));
    EXPECT_TRUE(log.Contains("missing.ogg"));
}
