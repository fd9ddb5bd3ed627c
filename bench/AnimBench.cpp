// Key-frame animation: one frame of an animation of 200 channels (50
// widgets, each moved, turned and faded) against writing the same 200 values
// straight into the same properties, measured in the same run; and the heap
// allocations of whole scene updates while the animation plays (zero in the
// steady state).
#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "anim/SceneAnims.h"
#include "core/ConfigTable.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "core/Widget.h"
#include "io/MemoryFile.h"

#include "support/AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidgets = 50;
constexpr const char* kChannels[] = {"Position.0", "Position.1", "Rotation.0", "Color.3"};
constexpr int kTimes = 64;

struct AnimatedScene {
    Scene scene;
    Anim anim;
    std::vector<Var*> targets; ///< in the anim's channel order
    std::vector<int32_t> items;

    AnimatedScene() {
        std::string text = "FrameCount = 48;\nFrameRate = 24;\n";
        for (int w = 0; w < kWidgets; ++w) {
            const std::string name = "w" + std::to_string(w);
            auto* widget = new Widget;
            widget->Name.SetFirstString(name.c_str());
            scene.AddElement(widget, name.c_str());
            for (int c = 0; c < 4; ++c) {
                const std::string key = name + "_" + std::to_string(c);
                text += "Channel = " + name + "." + kChannels[c] + "," + key + ";\n";
                for (int frame : {0, 12, 30, 48}) {
                    text += key + " = " + std::to_string(frame) + "," +
                            std::to_string((frame * 7 + w + c) % 360) + ";\n";
                }
            }
        }
        ConfigTable table;
        MemoryFile file(text.data(), text.size());
        table.Read(file, "bench.anim");
        anim.Load(table, "bench.anim");
        for (const AnimChannel& channel : anim.Channels()) {
            const std::string name = channel.name.CStr();
            const size_t dot = name.find('.');
            const size_t second = name.find('.', dot + 1);
            Element* element = scene.FindElement(name.substr(0, dot).c_str());
            targets.push_back(element->FindProperty(name.substr(dot + 1, second - dot - 1).c_str()));
            items.push_back(std::stoi(name.substr(second + 1)));
        }
    }
};

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void BM_Anim200ChannelsPerFrame(benchmark::State& state) {
    AnimatedScene bench;
    AnimControl control;
    control.Bind(&bench.scene, &bench.anim);
    if (control.Bindings().size() != 200) {
        state.SkipWithError("the animation did not bind 200 channels");
        return;
    }
    // The reference writes values computed beforehand for the same times.
    const float duration = bench.anim.Duration();
    const float dt = duration / kTimes;
    std::vector<float> values(size_t(kTimes) * 200);
    for (int t = 0; t < kTimes; ++t) {
        int c = 0;
        for (const AnimChannel& channel : bench.anim.Channels()) {
            const int32_t kind = DefaultInterpolation(*bench.targets[size_t(c)]);
            bench.anim.EvaluateChannel(channel, float(t) * dt, kind, values[size_t(t) * 200 + size_t(c)]);
            ++c;
        }
    }
    control.playing = control.looping = true;
    double engine = 0.0, reference = 0.0;
    int frame = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto engineStart = Clock::now();
        control.Advance(dt);
        const auto referenceStart = Clock::now();
        frame = (frame + 1) % kTimes;
        const float* row = &values[size_t(frame) * 200];
        for (size_t c = 0; c < 200; ++c) {
            bench.targets[c]->SetFloat(bench.items[c], row[c]);
        }
        const auto end = Clock::now();
        engine += Seconds(engineStart, referenceStart);
        reference += Seconds(referenceStart, end);
    }
    const double iterations = double(state.iterations());
    state.counters["engine_us"] = engine / iterations * 1e6;
    state.counters["reference_us"] = reference / iterations * 1e6;
    state.counters["engine/reference"] = engine / reference;
}
BENCHMARK(BM_Anim200ChannelsPerFrame)->Unit(benchmark::kMicrosecond);

void BM_AnimSceneUpdateAllocations(benchmark::State& state) {
    AnimatedScene bench;
    frameTime = 1.0f / 65.0f;
    PlayAnim(&bench.scene, &bench.anim, "bench", true);
    for (int i = 0; i < 10; ++i) {
        bench.scene.Update(); // past the first frames' growth
    }
    size_t allocations = 0;
    for (auto _ : state) {
        testing_support::AllocationCounter counter;
        bench.scene.Update();
        allocations += counter.Count();
    }
    if (!IsAnimPlaying(&bench.scene, "")) {
        state.SkipWithError("the animation stopped");
        return;
    }
    state.counters["allocations_per_frame"] = double(allocations) / double(state.iterations());
}
BENCHMARK(BM_AnimSceneUpdateAllocations)->Unit(benchmark::kMicrosecond);

} // namespace
