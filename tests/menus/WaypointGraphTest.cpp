// Path search: on random graphs every found walk is as short as an
// exhaustive search says, whatever the order of nodes and edges, and
// unreachable goals are reported; unknown names and a start equal to the
// goal. The waypoints of a map scene: symmetric links, neighbour names that
// name nothing, full neighbour lists, and the walk queued on the marker.
#include "menus/WaypointGraph.h"

#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/GameDataFixture.h"
#include "menus/MapMarkers.h"
#include "menus/Waypoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

struct RandomGraph {
    std::vector<Vec2> points;
    std::vector<std::pair<int, int>> edges;
    std::vector<std::vector<double>> distance; ///< all pairs, exhaustive
};

RandomGraph MakeRandomGraph(std::mt19937& random, int count) {
    RandomGraph graph;
    std::uniform_real_distribution<float> coordinate(0.0f, 1000.0f);
    for (int i = 0; i < count; ++i) {
        graph.points.push_back(Vec2{coordinate(random), coordinate(random)});
    }
    std::uniform_int_distribution<int> pick(0, count - 1);
    for (int i = 0; i < count * 3 / 2; ++i) {
        const int a = pick(random);
        const int b = pick(random);
        if (a != b) {
            graph.edges.emplace_back(a, b);
        }
    }
    const double infinity = std::numeric_limits<double>::infinity();
    auto& d = graph.distance;
    d.assign(static_cast<size_t>(count), std::vector<double>(static_cast<size_t>(count), infinity));
    for (int i = 0; i < count; ++i) {
        d[i][i] = 0.0;
    }
    for (auto [a, b] : graph.edges) {
        const double length = std::hypot(double(graph.points[a].x) - graph.points[b].x,
                                         double(graph.points[a].y) - graph.points[b].y);
        d[a][b] = d[b][a] = std::min(d[a][b], length);
    }
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < count; ++j) {
                d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
            }
        }
    }
    return graph;
}

std::string Name(int i) {
    return "w" + std::to_string(i);
}

} // namespace

TEST(WaypointGraph, EveryFoundWalkIsTheShortestWhateverTheOrderOfNodesAndEdges) {
    std::mt19937 random(2024);
    int reachable = 0;
    int unreachable = 0;
    for (int round = 0; round < 40; ++round) {
        const int count = 8 + round % 20;
        const RandomGraph source = MakeRandomGraph(random, count);
        std::vector<int> order(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            order[static_cast<size_t>(i)] = i;
        }
        std::shuffle(order.begin(), order.end(), random);
        std::vector<std::pair<int, int>> edges = source.edges;
        std::shuffle(edges.begin(), edges.end(), random);

        WaypointGraph graph;
        for (int i : order) {
            ASSERT_TRUE(graph.AddNode(Name(i).c_str(), nullptr, source.points[static_cast<size_t>(i)]));
        }
        for (auto [a, b] : edges) {
            graph.AddEdge(Name(a).c_str(), Name(b).c_str());
            graph.AddEdge(Name(b).c_str(), Name(a).c_str());
        }
        graph.Finish();
        // Many searches on one graph: nothing of a search may leak into the next.
        for (int from = 0; from < count; from += 3) {
            for (int to = 0; to < count; to += 2) {
                const double best = source.distance[static_cast<size_t>(from)][static_cast<size_t>(to)];
                const bool found = graph.FindPath(Name(from).c_str(), Name(to).c_str());
                ASSERT_EQ(found, std::isfinite(best)) << "round " << round << ": " << from << " -> " << to;
                if (!found) {
                    EXPECT_TRUE(graph.Path().empty());
                    ++unreachable;
                    continue;
                }
                ++reachable;
                const auto& path = graph.Path();
                ASSERT_FALSE(path.empty());
                EXPECT_EQ(graph.Nodes()[static_cast<size_t>(path.front())].name, Name(from));
                EXPECT_EQ(graph.Nodes()[static_cast<size_t>(path.back())].name, Name(to));
                for (size_t i = 1; i < path.size(); ++i) {
                    const auto& adjacent = graph.Nodes()[static_cast<size_t>(path[i - 1])].adjacent;
                    ASSERT_NE(std::find(adjacent.begin(), adjacent.end(), path[i]), adjacent.end());
                }
                EXPECT_NEAR(graph.PathLength(), best, 1e-3)
                    << "round " << round << ": " << from << " -> " << to;
            }
        }
    }
    // The random graphs exercise both outcomes.
    EXPECT_GT(reachable, 200);
    EXPECT_GT(unreachable, 20);
}

TEST(WaypointGraph, UnknownNamesLogOnceAndAStartEqualToTheGoalIsAOneNodeWalk) {
    WaypointGraph graph;
    graph.AddNode("a", nullptr, Vec2{0, 0});
    graph.AddNode("b", nullptr, Vec2{10, 0});
    graph.AddEdge("a", "b");
    graph.AddEdge("b", "a");
    EXPECT_FALSE(graph.AddNode("a", nullptr, Vec2{5, 5}));
    graph.Finish();
    LogCapture log;
    EXPECT_FALSE(graph.FindPath("a", "nowhere"));
    EXPECT_FALSE(graph.FindPath(nullptr, "a"));
    EXPECT_EQ(log.Lines().size(), 2u);
    ASSERT_TRUE(graph.FindPath("b", "b"));
    ASSERT_EQ(graph.Path().size(), 1u);
    EXPECT_EQ(graph.Nodes()[static_cast<size_t>(graph.Path()[0])].name, "b");
}

class WaypointSceneTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        startup.RegisterGameClasses();
    }
};

TEST_F(WaypointSceneTest, LinksBecomeSymmetricBadNamesAreErasedAndTheMarkerWalksThePath) {
    // "a" lists "b" and a name that is no waypoint; "b" lists nobody; "full"
    // has eight neighbours already, so "c" listing it cannot be linked back.
    std::string text =
        "Widget = a;\nWidget = b;\nWidget = c;\nWidget = full;\nWidget = picture;\nWidget = player;\n"
        "a.Type = LevelMarker;\na.Position = 0;\na.Position = 0;\na.neighbors = b;\na.neighbors = picture;\n"
        "b.Type = Waypoint;\nb.Position = 30;\nb.Position = 40;\n"
        "c.Type = LevelMarker;\nc.Position = 30;\nc.Position = 100;\nc.neighbors = b;\nc.neighbors = full;\n"
        "picture.Type = Bitmap;\nplayer.Type = PlayerMarker;\nplayer.speed = 50;\n"
        "full.Type = Waypoint;\n";
    for (int i = 0; i < 8; ++i) {
        text += "full.neighbors = x" + std::to_string(i) + ";\nWidget = x" + std::to_string(i) + ";\nx" +
                std::to_string(i) + ".Type = Waypoint;\n";
    }
    ASSERT_TRUE(WriteFile("map.scene", text));
    LogCapture log;
    std::unique_ptr<Scene> scene = LoadScene("map.scene");
    ASSERT_TRUE(scene);
    scene->Update();
    auto* a = static_cast<Waypoint*>(scene->FindElement("a", "Waypoint"));
    auto* b = static_cast<Waypoint*>(scene->FindElement("b", "Waypoint"));
    auto* c = static_cast<Waypoint*>(scene->FindElement("c", "Waypoint"));
    auto* full = static_cast<Waypoint*>(scene->FindElement("full", "Waypoint"));
    ASSERT_TRUE(a && b && c && full);
    EXPECT_EQ(a->neighbors.GetString(1), "");
    EXPECT_TRUE(log.Contains("picture"));
    EXPECT_EQ(b->NeighbourTable(), (std::vector<Waypoint*>{a, c}));
    EXPECT_EQ(b->neighbors.GetString(0), "a");
    EXPECT_EQ(b->neighbors.GetString(1), "c");
    EXPECT_EQ(full->NeighbourTable().size(), 8u);
    EXPECT_EQ(std::count(c->NeighbourTable().begin(), c->NeighbourTable().end(), full), 1);

    std::vector<Waypoint*> waypoints;
    for (const char* name : {"a", "b", "c", "full"}) {
        waypoints.push_back(static_cast<Waypoint*>(scene->FindElement(name, "Waypoint")));
    }
    WaypointGraph graph;
    graph.Build(waypoints);
    // Only through the link "b" gained from "c": c -> b -> a.
    ASSERT_TRUE(graph.FindPath("c", "a"));
    EXPECT_EQ(graph.Path().size(), 3u);
    EXPECT_FALSE(graph.FindPath("full", "a")); // "full" could not list "c": that link is one-way
    auto* player = static_cast<PlayerMarker*>(scene->FindElement("player", "PlayerMarker"));
    ASSERT_TRUE(graph.FindPath("c", "a"));
    ASSERT_TRUE(WalkPath(graph, *player));
    // 60 px to b at 50 px/s, then 50 px to a: steps at 0 and 1.2 s, arrival at 2.2 s.
    const auto& queued = player->Messages();
    ASSERT_EQ(queued.size(), 3u);
    EXPECT_EQ(queued[0].message, PlayerMarker::kWalkTo);
    EXPECT_EQ(queued[0].sender, b);
    EXPECT_FLOAT_EQ(queued[0].delay, 0.0f);
    EXPECT_EQ(queued[1].sender, a);
    EXPECT_FLOAT_EQ(queued[1].delay, 1.2f);
    EXPECT_EQ(queued[2].message, PlayerMarker::kArrived);
    EXPECT_FLOAT_EQ(queued[2].delay, 2.2f);
    EXPECT_TRUE(player->IsWalking());
}
