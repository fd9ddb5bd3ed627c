// Scene update cost: Scene::Update of 10,000 elements with delayed messages
// and tweens running, against a plain loop that only calls each element's
// virtual Update (the floor any scene update pays).
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kElements = 10000;

// Keeps its scene busy: every message it receives is posted again, and every
// finished tween starts anew, so the workload stays the same every frame.
class Busy : public Widget {
    ENGINE_CLASS(Busy, Widget)
public:
    bool Message(int32_t message, Object*) override {
        if (message == 7) {
            PostMessage(7, 0.05f);
        } else if (message == 103 && scene) {
            scene->StartTween(&Rotation, 0, 0.0f, 360.0f, 0.5f, 2);
        }
        return true;
    }
};

std::unique_ptr<Scene> MakeBusyScene() {
    ClearRegistry();
    RegisterEngineClasses();
    RegisterClass("Busy", MakeObject<Busy>, "");
    auto scene = std::make_unique<Scene>();
    std::vector<Widget*> parents;
    for (int i = 0; i < kElements; ++i) {
        // Named by hand: automatic names stop at 8191 per class name.
        auto* busy = new Busy;
        char name[16];
        std::snprintf(name, sizeof name, "e%05d", i);
        busy->Name.SetFirstString(name);
        scene->AddElement(busy, name);
        AttachChild(i % 10 != 0 ? parents.back() : scene.get(), busy); // trees ten deep
        parents.push_back(busy);
        if (i % 2 == 0) {
            busy->PostMessage(7, 0.01f * static_cast<float>(i % 5));
        }
        if (i % 4 == 0) {
            scene->StartTween(&busy->Rotation, 0, 0.0f, 360.0f, 0.5f, 2);
        }
    }
    scene->FindElement("e00000"); // name order, as after loading
    return scene;
}

void SceneUpdate(benchmark::State& state) {
    auto scene = MakeBusyScene();
    frameTime = 1.0f / 65.0f;
    for (int i = 0; i < 100; ++i) {
        scene->Update(); // reach the steady state
    }
    for (auto _ : state) {
        scene->Update();
    }
    state.counters["ns_per_element"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kElements,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(SceneUpdate)->Unit(benchmark::kMicrosecond);

void PlainVirtualUpdateLoop(benchmark::State& state) {
    auto scene = MakeBusyScene();
    std::vector<Element*> elements;
    for (auto& entry : scene->Elements().Entries()) {
        entry.value->Messages().clear();
        elements.push_back(entry.value);
    }
    frameTime = 1.0f / 65.0f;
    for (auto _ : state) {
        for (Element* element : elements) {
            element->Update();
        }
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_element"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kElements,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(PlainVirtualUpdateLoop)->Unit(benchmark::kMicrosecond);

} // namespace
