#pragma once
// WaypointGraph: the map's paths as a graph of named nodes, and the search
// for the shortest walk between two of them.
//
// A node stands for one waypoint (level markers included) and is found by
// the waypoint's element name. Edges are directed as the waypoints list
// their neighbours; Waypoint makes the listing symmetric, so in practice
// every edge goes both ways. The cost of an edge and the estimate towards
// the goal are straight-line distances between node positions (map pixels),
// so the estimate never exceeds the true remaining cost and the first time
// the goal leaves the open list its path is the shortest one, whatever the
// order in which nodes were added.
//
// Positions come from the waypoints' world matrices at the start of each
// search (a node without a waypoint uses the position it was added with).
// All storage is sized by Finish(); a search allocates nothing.

#include "core/Matrix.h"

#include <cstdint>
#include <string>
#include <vector>

class Waypoint;

class WaypointGraph {
public:
    struct Node {
        std::string name;
        Waypoint* waypoint = nullptr; ///< not owned; null for a bare position
        Vec2 position;
        std::vector<int32_t> adjacent; ///< node indices, in neighbour order
        double g = 0.0;                ///< cost of the best known walk from the start
        double h = 0.0;                ///< straight-line estimate to the goal
        int32_t parent = -1;
        uint8_t list = 0; ///< 0 none, 1 open, 2 closed (this search)
    };

    void Clear();
    /// Adds a node; false (nothing added) for an empty or already used name.
    bool AddNode(const char* name, Waypoint* waypoint, Vec2 position = {});
    /// Adds the edge from → to; false when either name is unknown or the
    /// edge is there already.
    bool AddEdge(const char* from, const char* to);
    /// Builds the name index and sizes the search lists; call after the
    /// last AddNode and before FindPath.
    void Finish();
    /// Builds the graph from every waypoint of the list: one node each, and
    /// an edge for every entry of its neighbour table. Waypoints with a
    /// name used before are skipped with a log line.
    void Build(const std::vector<Waypoint*>& waypoints);

    /// Index of the node of that name, or -1.
    int32_t Find(const char* name) const;
    /// Searches the shortest walk from `from` to `to` and keeps it in Path()
    /// (start first, goal last; just the start when both are the same
    /// node). False, with an empty path, when a name is unknown (one log
    /// line) or the goal cannot be reached.
    bool FindPath(const char* from, const char* to);
    const std::vector<int32_t>& Path() const { return path; }
    /// Total length of the path found last (0 for none).
    double PathLength() const;

    const std::vector<Node>& Nodes() const { return nodes; }
    size_t NodeCount() const { return nodes.size(); }

private:
    void RefreshPositions();
    double Distance(int32_t a, int32_t b) const;
    /// The open entry with the lowest g + h, the earliest on ties; removed.
    int32_t TakeBestOpen();
    void TracePath(int32_t goal, int32_t start);

    std::vector<Node> nodes;
    std::vector<int32_t> byName; ///< node indices sorted by name
    std::vector<int32_t> open;
    std::vector<int32_t> path;
};
