// Fuzz target: the Ogg Vorbis decode paths on arbitrary bytes, read through
// the engine's file callbacks from memory: the whole-file decode of effects
// and the chunked, looping decode of music. No audio device is needed.
#include "audio/OggDecoder.h"
#include "core/Log.h"
#include "io/MemoryFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetLogToStandardOutput(false);
    return 0;
}

namespace {

void DecodeWhole(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    DecodedSound sound;
    if (!DecodeWholeFile(file, "fuzz", sound)) {
        return;
    }
    const size_t frameBytes = size_t(sound.channels) * 2;
    if (sound.channels < 1 || sound.channels > 2 || sound.samples.empty() || sound.samples.size() % frameBytes != 0 ||
        sound.samples.size() > kMaxDecodedBytes) {
        std::abort();
    }
}

// A few looping chunks of 1/16 s, as music streams them.
void DecodeChunks(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    OggDecoder decoder;
    if (!decoder.Open(file, "fuzz")) {
        return;
    }
    const size_t chunk = size_t(decoder.Rate() / 16) * decoder.FrameBytes();
    std::vector<char> block(chunk);
    for (int i = 0; i < 8; ++i) {
        size_t filled = 0;
        const OggDecoder::FillResult result = decoder.Fill(block.data(), block.size(), true, filled);
        if (filled > chunk || (result == OggDecoder::FillResult::kFull && filled != chunk)) {
            std::abort();
        }
        if (result != OggDecoder::FillResult::kFull) {
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodeWhole(data, size);
    DecodeChunks(data, size);
    return 0;
}
