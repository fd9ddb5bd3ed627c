// Loading an effect against the bare library decode of the same file.
//
// A three-minute stereo 44100 Hz Vorbis file is encoded once. Each iteration
// loads it as a StaticSound (the file layer, the decoder callbacks and the
// whole-file decode; no audio device, so no OpenAL upload) and decodes the
// same bytes with vorbisfile alone (memory callbacks, ov_read into a buffer
// of the stated length), both timed, and reports the ratio engine / bare.
#include "audio/StaticSound.h"
#include "core/Log.h"
#include "support/ToneEncoder.h"

#include <benchmark/benchmark.h>

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Memory {
    const std::string* bytes;
    size_t position = 0;
};

size_t MemoryRead(void* out, size_t size, size_t count, void* source) {
    auto* memory = static_cast<Memory*>(source);
    const size_t left = memory->bytes->size() - memory->position;
    const size_t items = size == 0 ? 0 : std::min(count, left / size);
    std::memcpy(out, memory->bytes->data() + memory->position, items * size);
    memory->position += items * size;
    return items;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* memory = static_cast<Memory*>(source);
    const ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(memory->position)
                                                                         : ogg_int64_t(memory->bytes->size());
    if (base + offset < 0 || base + offset > ogg_int64_t(memory->bytes->size())) {
        return -1;
    }
    memory->position = size_t(base + offset);
    return 0;
}

long MemoryTell(void* source) {
    return long(static_cast<Memory*>(source)->position);
}

size_t BareDecode(const std::string& bytes) {
    Memory memory{&bytes};
    OggVorbis_File file;
    const ov_callbacks callbacks = {MemoryRead, MemorySeek, nullptr, MemoryTell};
    if (ov_open_callbacks(&memory, &file, nullptr, 0, callbacks) != 0) {
        return 0;
    }
    const size_t total = size_t(ov_pcm_total(&file, -1)) * size_t(ov_info(&file, -1)->channels) * 2;
    std::vector<char> samples(total);
    size_t decoded = 0;
    int link = 0;
    while (decoded < total) {
        const long got = ov_read(&file, samples.data() + decoded, int(std::min<size_t>(4096, total - decoded)), 0, 2,
                                 1, &link);
        if (got <= 0) {
            break;
        }
        decoded += size_t(got);
    }
    ov_clear(&file);
    benchmark::DoNotOptimize(samples.data());
    return decoded;
}

const std::string& MusicFile() {
    static const std::string bytes = testing_support::EncodeTone(
        {.rate = 44100, .channels = 2, .seconds = 180.0, .frequency = 440.0, .amplitude = 0.4});
    return bytes;
}

void BM_StaticSoundLoad(benchmark::State& state) {
    SetLogToStandardOutput(false);
    const std::string& bytes = MusicFile();
    const std::string path = "/tmp/dunhaven-sound-bench-" + std::to_string(getpid()) + ".ogg";
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    double engineSeconds = 0.0;
    double bareSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        StaticSound sound;
        if (!sound.Load(path.c_str())) {
            state.SkipWithError("the engine refused the file");
            break;
        }
        const auto middle = std::chrono::steady_clock::now();
        const size_t bareBytes = BareDecode(bytes);
        const auto end = std::chrono::steady_clock::now();
        if (bareBytes != sound.Samples().size()) {
            state.SkipWithError("the decodes differ in length");
            break;
        }
        engineSeconds += std::chrono::duration<double>(middle - start).count();
        bareSeconds += std::chrono::duration<double>(end - middle).count();
    }
    std::remove(path.c_str());
    const double iterations = double(state.iterations());
    state.counters["engine_ms"] = engineSeconds / iterations * 1e3;
    state.counters["bare_ms"] = bareSeconds / iterations * 1e3;
    state.counters["engine/bare"] = bareSeconds > 0 ? engineSeconds / bareSeconds : 0.0;
    state.counters["file_kB"] = double(bytes.size()) / 1024;
}

} // namespace

BENCHMARK(BM_StaticSoundLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
