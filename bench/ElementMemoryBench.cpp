// Memory per element: a scene file of 100,000 bitmaps with fifteen properties
// each (the shape of a large hidden-object scene) loaded with LoadScene, then
// measured two ways:
//   - heap_bytes_per_element: heap in use by the loaded scene (the key/value
//     table already released), from the C library's allocator statistics;
//   - resident_bytes_per_element: growth of the process's resident memory
//     over the load, which also holds what the load left behind.
// Run it on its own (--benchmark_filter=ElementMemory), so earlier benchmarks
// leave no freed memory for the scene to reuse.
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/SceneFile.h"
#include "core/Scene.h"
#include "platform/FreeMemory.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int kElements = 100000;

void WriteBitmapScene(const std::string& path) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out) {
        return;
    }
    for (int i = 0; i < kElements; ++i) {
        std::fprintf(out, "Widget = b%06d;\n", i);
    }
    for (int i = 0; i < kElements; ++i) {
        const char* name = "b";
        std::fprintf(out, "%s%06d.Type = Bitmap;\n", name, i);
        std::fprintf(out, "%s%06d.SpritePath = gui/objects/object%03d.png;\n", name, i, i % 500);
        std::fprintf(out, "%s%06d.BlendMode = 1;\n", name, i);
        std::fprintf(out, "%s%06d.FrameIndex = %d;\n", name, i, i % 4);
        std::fprintf(out, "%s%06d.AlphaMask = 0.250000;\n", name, i);
        for (int axis = 0; axis < 3; ++axis) {
            std::fprintf(out, "%s%06d.Position = %d.000000;\n", name, i, (i * (axis + 3)) % 900 - 450);
        }
        std::fprintf(out, "%s%06d.Rotation = %d.000000;\n", name, i, i % 360);
        std::fprintf(out, "%s%06d.Scale = 1.500000;\n%s%06d.Scale = 0.500000;\n", name, i, name, i);
        std::fprintf(out, "%s%06d.Pivot = 8.000000;\n%s%06d.Pivot = 4.000000;\n", name, i, name, i);
        for (int channel = 0; channel < 4; ++channel) {
            std::fprintf(out, "%s%06d.Color = 0.900000;\n", name, i);
        }
        std::fprintf(out, "%s%06d.Visible = %s;\n", name, i, i % 5 ? "true" : "false");
        std::fprintf(out, "%s%06d.Locked = false;\n", name, i);
    }
    std::fclose(out);
}

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

size_t ResidentBytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) {
        return 0;
    }
    const bool read = std::fscanf(statm, "%ld %ld", &pages, &resident) == 2;
    std::fclose(statm);
    return read ? size_t(resident) * size_t(sysconf(_SC_PAGESIZE)) : 0;
}

void BM_ElementMemory100000Bitmaps(benchmark::State& state) {
    const std::string path = "/tmp/dunhaven-bench-bitmaps-" + std::to_string(getpid()) + ".scene";
    WriteBitmapScene(path);
    ClearRegistry();
    RegisterEngineClasses();
    malloc_trim(0);
    double heapPerElement = 0, residentPerElement = 0;
    int64_t elements = 0;
    for (auto _ : state) {
        const size_t heapBefore = HeapInUse();
        const size_t residentBefore = ResidentBytes();
        std::unique_ptr<Scene> scene(LoadScene(path.c_str()));
        // As the game does after loading a level's scenes: the parse tables'
        // pages go back to the system.
        ReturnFreeMemoryToSystem();
        if (!scene) {
            state.SkipWithError("the bitmap scene did not load");
            break;
        }
        elements = scene->CountElements();
        heapPerElement = double(HeapInUse() - heapBefore) / double(kElements);
        residentPerElement = double(ResidentBytes() - residentBefore) / double(kElements);
    }
    std::remove(path.c_str());
    if (elements < kElements) {
        state.SkipWithError("the scene holds fewer elements than the file lists");
        return;
    }
    state.counters["heap_bytes_per_element"] = heapPerElement;
    state.counters["resident_bytes_per_element"] = residentPerElement;
}
BENCHMARK(BM_ElementMemory100000Bitmaps)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
