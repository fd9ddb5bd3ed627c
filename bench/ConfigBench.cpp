// Key/value file costs: ConfigTable::Load of a 50,000-line scene file against
// reading the same file line by line through the file layer alone (the floor
// of any reader), and BuildScene of 5,000 elements from a loaded table.
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "io/File.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

const char* kScenePath = "/tmp/dunhaven-bench-50k.scene";
constexpr int kElements = 5000;

// 5,000 widgets, ten lines each: 50,000 lines.
void WriteSceneFile() {
    static bool written = false;
    if (written) {
        return;
    }
    FILE* out = std::fopen(kScenePath, "w");
    for (int i = 0; i < kElements; ++i) {
        std::fprintf(out, "Widget = w%04d;\n", i);
    }
    for (int i = 0; i < kElements; ++i) {
        // w0000 names no widget as parent, so it and its tree start at the top level.
        std::fprintf(out, "w%04d.Type = Widget;\nw%04d.Parent = %s%04d;\n", i, i, i == 0 ? "scene" : "w",
                     i / 10);
        std::fprintf(out,
                     "w%04d.Position = %d.000000;\nw%04d.Position = 5.500000;\nw%04d.Position = 0.000000;\n",
                     i, i, i, i);
        std::fprintf(out, "w%04d.Rotation = 12.000000;\nw%04d.Visible = true;\n", i, i);
        std::fprintf(out, "w%04d.Color = 1.000000;\n", i);
    }
    std::fclose(out);
    written = true;
}

void ReadLinesWithFileLayer(benchmark::State& state) {
    WriteSceneFile();
    String line;
    for (auto _ : state) {
        File file;
        file.Open(kScenePath, kFileRead);
        size_t lines = 0;
        // One pass, as the table's reader makes.
        while (file.ReadLine(line, true)) {
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(ReadLinesWithFileLayer)->Unit(benchmark::kMillisecond);

void ConfigTableLoad(benchmark::State& state) {
    WriteSceneFile();
    for (auto _ : state) {
        ConfigTable table;
        table.Load(kScenePath);
        benchmark::DoNotOptimize(table.Count());
    }
}
BENCHMARK(ConfigTableLoad)->Unit(benchmark::kMillisecond);

void BuildScene5000(benchmark::State& state) {
    WriteSceneFile();
    ClearRegistry();
    RegisterEngineClasses();
    ConfigTable table;
    table.Load(kScenePath);
    for (auto _ : state) {
        Scene scene;
        BuildScene(table, scene);
        benchmark::DoNotOptimize(scene.CountElements());
    }
}
BENCHMARK(BuildScene5000)->Unit(benchmark::kMillisecond);

} // namespace
