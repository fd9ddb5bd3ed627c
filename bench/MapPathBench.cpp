// The map's walk search on a town of 500 waypoints (a 25 × 20 grid of
// crossings, every other street blocked, one far corner to the other),
// against a plain Dijkstra search over the same graph with a binary heap,
// measured in the same run; and the heap allocations of a search (none once
// the graph is finished).
#include "menus/WaypointGraph.h"

#include "support/AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kColumns = 25;
constexpr int kRows = 20;

std::string NodeName(int column, int row) {
    return "w" + std::to_string(row * kColumns + column);
}

// A grid of crossings 40 pixels apart, jittered, where a quarter of the
// streets are missing (the same streets every run).
WaypointGraph& Town() {
    static WaypointGraph graph = [] {
        WaypointGraph town;
        std::mt19937 random(7);
        std::uniform_real_distribution<float> jitter(-12.0f, 12.0f);
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                town.AddNode(NodeName(column, row).c_str(), nullptr,
                             Vec2{column * 40.0f + jitter(random), row * 40.0f + jitter(random)});
            }
        }
        std::bernoulli_distribution street(0.75);
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                const std::string here = NodeName(column, row);
                const bool edge = column == 0 || row == 0; // keep the corners joined
                if (column + 1 < kColumns && (edge || street(random))) {
                    town.AddEdge(here.c_str(), NodeName(column + 1, row).c_str());
                    town.AddEdge(NodeName(column + 1, row).c_str(), here.c_str());
                }
                if (row + 1 < kRows && (edge || street(random))) {
                    town.AddEdge(here.c_str(), NodeName(column, row + 1).c_str());
                    town.AddEdge(NodeName(column, row + 1).c_str(), here.c_str());
                }
            }
        }
        town.Finish();
        return town;
    }();
    return graph;
}

const std::string kFrom = NodeName(0, 0);
const std::string kTo = NodeName(kColumns - 1, kRows - 1);

void BM_MapFindPath(benchmark::State& state) {
    WaypointGraph& town = Town();
    size_t allocations = 0;
    for (auto _ : state) {
        testing_support::AllocationCounter counter;
        benchmark::DoNotOptimize(town.FindPath(kFrom.c_str(), kTo.c_str()));
        allocations += counter.Count();
    }
    state.counters["waypoints"] = double(town.NodeCount());
    state.counters["path_nodes"] = double(town.Path().size());
    state.counters["path_length"] = town.PathLength();
    state.counters["allocations_per_search"] =
        testing_support::AllocationCounter::Available() ? double(allocations) / state.iterations() : -1.0;
}
BENCHMARK(BM_MapFindPath)->Unit(benchmark::kMicrosecond);

// The reference: Dijkstra with std::priority_queue over the same nodes and
// edges, its distance table reused between searches.
void BM_MapDijkstraReference(benchmark::State& state) {
    const WaypointGraph& town = Town();
    const auto& nodes = town.Nodes();
    const int32_t from = town.Find(kFrom.c_str());
    const int32_t to = town.Find(kTo.c_str());
    std::vector<double> distance(nodes.size());
    std::vector<std::pair<double, int32_t>> storage;
    storage.reserve(nodes.size() * 4);
    double length = 0.0;
    for (auto _ : state) {
        std::fill(distance.begin(), distance.end(), std::numeric_limits<double>::infinity());
        storage.clear();
        std::priority_queue<std::pair<double, int32_t>, std::vector<std::pair<double, int32_t>>,
                            std::greater<>>
            queue(std::greater<>(), std::move(storage));
        distance[size_t(from)] = 0.0;
        queue.push({0.0, from});
        while (!queue.empty()) {
            const auto [d, node] = queue.top();
            queue.pop();
            if (node == to) {
                length = d;
                break;
            }
            if (d > distance[size_t(node)]) {
                continue;
            }
            for (int32_t next : nodes[size_t(node)].adjacent) {
                const Vec2 a = nodes[size_t(node)].position;
                const Vec2 b = nodes[size_t(next)].position;
                const double step = std::hypot(double(a.x - b.x), double(a.y - b.y));
                if (d + step < distance[size_t(next)]) {
                    distance[size_t(next)] = d + step;
                    queue.push({d + step, next});
                }
            }
        }
        benchmark::DoNotOptimize(length);
    }
    state.counters["path_length"] = length;
}
BENCHMARK(BM_MapDijkstraReference)->Unit(benchmark::kMicrosecond);

} // namespace
