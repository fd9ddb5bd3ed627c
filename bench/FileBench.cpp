// Line-by-line reading through File::ReadLine, from a loose file and from the
// pack archive, against plain fgets of the same 50,000-line file. Each File
// benchmark reports "vs_fgets": its time per pass divided by the fgets
// reference measured in the same run (1.0 = as fast as fgets).
#include "io/File.h"
#include "io/PackArchive.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kLines = 50000;

struct BenchFiles {
    std::string folder;
    std::string text;
    std::string pack;
    size_t bytes = 0;
};

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(char((value >> shift) & 0xFF));
    }
}

// Lines shaped like those of scene and config files: a key, " = ", a value.
std::string MakeText() {
    std::string text;
    for (int i = 0; i < kLines; ++i) {
        text += "Element" + std::to_string(i % 97) + ".Property" + std::to_string(i) + " = ";
        text += std::string(size_t(i % 53), 'v') + ";\r\n";
    }
    return text;
}

const BenchFiles& Files() {
    static BenchFiles files = [] {
        BenchFiles made;
        char pattern[] = "/tmp/dunhaven-filebench-XXXXXX";
        made.folder = mkdtemp(pattern);
        made.text = made.folder + "/lines.txt";
        made.pack = made.folder + "/bench.pack";
        std::string text = MakeText();
        made.bytes = text.size();
        std::string name = "lines.txt";
        std::string pack;
        PutU32(pack, 1);
        pack.push_back(char(name.size()));
        pack += name;
        PutU32(pack, uint32_t(4 + 1 + name.size() + 8));
        PutU32(pack, uint32_t(text.size()));
        pack += text;
        for (const auto& [path, bytes] : {std::pair{made.text, text}, std::pair{made.pack, pack}}) {
            FILE* out = std::fopen(path.c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
        std::atexit([] { std::filesystem::remove_all(Files().folder); });
        return made;
    }();
    return files;
}

int ReadWithFgets() {
    FILE* stream = std::fopen(Files().text.c_str(), "rb");
    char line[4096];
    int lines = 0;
    while (std::fgets(line, sizeof line, stream)) {
        ++lines;
    }
    std::fclose(stream);
    return lines;
}

int ReadWithFile(int flags) {
    File file;
    file.Open(Files().text.c_str(), flags);
    String line;
    int lines = 0;
    while (file.ReadLine(line, true)) {
        ++lines;
    }
    return lines;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_LinesFgets(benchmark::State& state) {
    for (auto _ : state) {
        if (ReadWithFgets() != kLines) {
            state.SkipWithError("wrong line count");
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Files().bytes));
}

// Every iteration reads the file once with fgets and once through File, so
// both see the same machine load; the reported time is the File pass alone.
void RunFileBenchmark(benchmark::State& state, bool packed) {
    if (packed && !OpenArchive(Files().pack.c_str())) {
        state.SkipWithError("archive did not open");
        return;
    }
    int flags = packed ? kFileRead | kFileBinary : kFileRead | kFileBinary | kFileLooseOnly;
    double fileSeconds = 0;
    double fgetsSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadWithFgets());
        fgetsSeconds += Seconds(start);
        start = std::chrono::steady_clock::now();
        if (ReadWithFile(flags) != kLines) {
            state.SkipWithError("wrong line count");
        }
        double pass = Seconds(start);
        fileSeconds += pass;
        state.SetIterationTime(pass);
    }
    CloseArchive();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Files().bytes));
    state.counters["vs_fgets"] = fgetsSeconds > 0 ? fileSeconds / fgetsSeconds : 0;
}

void BM_LinesFileLoose(benchmark::State& state) {
    RunFileBenchmark(state, false);
}

void BM_LinesFilePacked(benchmark::State& state) {
    RunFileBenchmark(state, true);
}

} // namespace

BENCHMARK(BM_LinesFgets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesFileLoose)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinesFilePacked)->UseManualTime()->Unit(benchmark::kMillisecond);
