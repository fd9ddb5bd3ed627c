// The level rules' walks over a crowded level: 150 doodads of 80 × 80 pixels
// laid 60 pixels apart, so that every point of the field lies under up to
// four of them, a third of them treasures and one in five a switch.
//   - hover: the cursor moves onto another doodad every frame, so the walk
//     that chooses the cursor runs in full each time (the collection of the
//     doodads under the cursor, sorted frontmost first, and the gadget look-ups);
//   - click: a click on a plain prop in front of others walks the stack
//     under the cursor and counts as a misclick (the penalty is off).
// The hover is measured as whole frames of the level's update with the
// cursor moving, less the same frames with it resting. Each is set against a
// bare loop that tests the same 150 rectangles
// against the same points and keeps the hits in a reserved array: the ratio
// engine / bare is what the rules add to the minimum work. Allocations per
// frame are counted once the level has settled.
#include "GameStartup.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "play/Doodad.h"
#include "play/QuestScreen.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "render/Sprite.h"
#include "ui/InputManagerCallback.h"
#include "ui/UI.h"

#include "support/AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kColumns = 15;
constexpr int kRows = 10;
constexpr int kSide = 80;
constexpr int kStep = 60;
constexpr int kLeft = -450;
constexpr int kTop = -300;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::string DoodadName(int i) {
    return "prop_" + std::to_string(i);
}

int DoodadX(int i) {
    return kLeft + (i % kColumns) * kStep;
}

int DoodadY(int i) {
    return kTop + (i / kColumns) * kStep;
}

void WriteLevel(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "levels/crowd");
    std::ofstream scene(folder / "levels/crowd/crowd.scene");
    scene << "Widget = options;\noptions.Type = LevelOptions;\noptions.GameMode = 0;\n";
    for (int i = 0; i < kColumns * kRows; ++i) {
        const std::string n = DoodadName(i);
        scene << "Widget = " << n << ";\n" << n << ".Type = Doodad;\n";
        scene << n << ".Position = " << DoodadX(i) << ";\n" << n << ".Position = " << DoodadY(i) << ";\n";
        scene << n << ".Position = " << i << ";\n";
        if (i % 3 == 0) {
            scene << n << ".fancyName = kind_" << i % 12 << ";\n";
        }
    }
    std::ofstream script(folder / "levels/crowd/crowd.lua");
    script << "function Initialize()\n  CreateTreasures()\n  EnableMisclickPenalty(false)\n";
    for (int i = 1; i < kColumns * kRows; i += 5) {
        script << "  CreateSwitch('switch_" << i << "', '" << DoodadName(i) << "', '" << DoodadName(i) << "')\n";
    }
    script << "end\n";
}

// The level loaded into a screen on top of the stack, with opaque pictures.
struct CrowdedLevel {
    CrowdedLevel() {
        folder = std::filesystem::temp_directory_path() / ("dunhaven-hover-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        setenv("XDG_DATA_HOME", (folder / "save").c_str(), 1);
        std::filesystem::current_path(folder);
        WriteLevel(folder);
        startup.RegisterGameStateClasses();
        startup.CreateGlobalObjects();
        CreateSaveFolders();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        LoadStateFile();
        SelectPlayer(CreatePlayer("Ann"));
        ResetScreenCamera();
        frameTime = 1.0f / 65.0f;
        loaded = quest.LoadLevel("crowd");
        for (int i = 0; loaded && i < kColumns * kRows; ++i) {
            auto picture = std::make_unique<Sprite>();
            picture->Create(kSide, kSide);
            std::fill(picture->Pixels(), picture->Pixels() + kSide * kSide * 4, uint8_t(255));
            auto* doodad = ObjectCast<Doodad>(quest.LevelScene()->FindElement(DoodadName(i).c_str()));
            loaded = doodad != nullptr;
            if (doodad) {
                doodad->AdoptSprite(std::move(picture));
            }
        }
        loaded = loaded && GetUI().PushScreen(&quest, 0);
    }
    void PointAt(int x, int y) {
        GetInputManager().mouseX = x + 512;
        GetInputManager().mouseY = y + 384;
    }

    std::filesystem::path folder;
    GameStartup startup;
    QuestScreen quest;
    bool loaded = false;
};

struct Rect {
    int left, top, right, bottom;
};

// The bare reference: the same rectangles tested frontmost first, the hits
// kept in an array that never grows.
size_t BareWalk(const std::vector<Rect>& rects, int x, int y, std::vector<int>& hits) {
    hits.clear();
    for (int i = static_cast<int>(rects.size()) - 1; i >= 0; --i) {
        const Rect& r = rects[static_cast<size_t>(i)];
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            hits.push_back(i);
        }
    }
    return hits.size();
}

std::vector<Rect> Rects() {
    std::vector<Rect> rects;
    for (int i = 0; i < kColumns * kRows; ++i) {
        rects.push_back({DoodadX(i), DoodadY(i), DoodadX(i) + kSide, DoodadY(i) + kSide});
    }
    return rects;
}

// Near doodad i's top left corner, where the three before it (left, above,
// above left) overlap it.
void PointOf(int i, int& x, int& y) {
    x = DoodadX(i) + 10;
    y = DoodadY(i) + 10;
}

// One level for both benchmarks: a screen popped from the stack is released
// later, so a second level in its place would not be pushed.
CrowdedLevel& Level() {
    static CrowdedLevel* level = new CrowdedLevel;
    return *level;
}

void BM_LevelHoverWalk(benchmark::State& state) {
    CrowdedLevel& level = Level();
    if (!level.loaded) {
        state.SkipWithError("the crowded level did not load");
        return;
    }
    const std::vector<Rect> rects = Rects();
    std::vector<int> hits;
    hits.reserve(rects.size());
    for (int i = 0; i < 200; ++i) { // pools and lists reach their steady size
        int x = 0, y = 0;
        PointOf(i % static_cast<int>(rects.size()), x, y);
        level.PointAt(x, y);
        level.quest.Update();
    }
    // The same frames with the cursor resting: the walk is not asked again.
    double still = 0;
    for (int i = 0; i < 1000; ++i) {
        const auto start = Clock::now();
        level.quest.Update();
        still += Seconds(start, Clock::now());
    }
    double engine = 0, bare = 0;
    size_t allocations = 0, found = 0;
    int frame = 0;
    for (auto _ : state) {
        int x = 0, y = 0;
        PointOf(frame++ * 7 % static_cast<int>(rects.size()), x, y);
        level.PointAt(x, y);
        {
            testing_support::AllocationCounter counter;
            const auto start = Clock::now();
            level.quest.Update();
            engine += Seconds(start, Clock::now());
            allocations += counter.Count();
        }
        const auto start = Clock::now();
        found += BareWalk(rects, x, y, hits);
        benchmark::DoNotOptimize(hits.data());
        bare += Seconds(start, Clock::now());
    }
    const double iterations = double(state.iterations());
    state.counters["doodads_under_cursor"] = double(found) / iterations;
    state.counters["hover_frame_us"] = engine / iterations * 1e6;
    state.counters["bare_walk_us"] = bare / iterations * 1e6;
    state.counters["still_frame_us"] = still / 1000.0 * 1e6;
    state.counters["walk_us"] = (engine - still / 1000.0 * iterations) / iterations * 1e6;
    state.counters["walk_engine/bare"] = (engine - still / 1000.0 * iterations) / bare;
    state.counters["allocations_per_frame"] =
        testing_support::AllocationCounter::Available() ? double(allocations) / iterations : -1.0;
}
BENCHMARK(BM_LevelHoverWalk)->Unit(benchmark::kMicrosecond)->Iterations(3000);

void BM_LevelClickWalk(benchmark::State& state) {
    CrowdedLevel& level = Level();
    if (!level.loaded) {
        state.SkipWithError("the crowded level did not load");
        return;
    }
    const std::vector<Rect> rects = Rects();
    std::vector<int> hits;
    hits.reserve(rects.size());
    // A plain prop (neither treasure nor switch) in the middle of the field.
    const int prop = 7 * kColumns + 7;
    int x = 0, y = 0;
    PointOf(prop, x, y);
    level.PointAt(x, y);
    for (int i = 0; i < 50; ++i) {
        level.quest.MouseButton(0, true);
        level.quest.MouseButton(0, false);
    }
    double engine = 0, bare = 0;
    size_t allocations = 0;
    for (auto _ : state) {
        {
            testing_support::AllocationCounter counter;
            const auto start = Clock::now();
            level.quest.MouseButton(0, true);
            level.quest.MouseButton(0, false);
            engine += Seconds(start, Clock::now());
            allocations += counter.Count();
        }
        const auto start = Clock::now();
        BareWalk(rects, x, y, hits);
        benchmark::DoNotOptimize(hits.data());
        bare += Seconds(start, Clock::now());
    }
    const double iterations = double(state.iterations());
    state.counters["click_us"] = engine / iterations * 1e6;
    state.counters["bare_walk_us"] = bare / iterations * 1e6;
    state.counters["click_engine/bare"] = engine / bare;
    state.counters["allocations_per_click"] =
        testing_support::AllocationCounter::Available() ? double(allocations) / iterations : -1.0;
}
BENCHMARK(BM_LevelClickWalk)->Unit(benchmark::kMicrosecond)->Iterations(3000);

} // namespace
