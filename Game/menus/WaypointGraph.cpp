#include "menus/WaypointGraph.h"

#include "core/Log.h"
#include "menus/Waypoint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void WaypointGraph::Clear() {
    nodes.clear();
    byName.clear();
    open.clear();
    path.clear();
}

bool WaypointGraph::AddNode(const char* name, Waypoint* waypoint, Vec2 position) {
    if (!name || !*name) {
        return false;
    }
    for (const Node& node : nodes) {
        if (node.name == name) {
            return false;
        }
    }
    Node node;
    node.name = name;
    node.waypoint = waypoint;
    node.position = position;
    nodes.push_back(std::move(node));
    byName.clear();
    return true;
}

bool WaypointGraph::AddEdge(const char* from, const char* to) {
    // Called while building, before the index exists: a linear look-up.
    int32_t a = -1;
    int32_t b = -1;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (from && nodes[i].name == from) {
            a = static_cast<int32_t>(i);
        }
        if (to && nodes[i].name == to) {
            b = static_cast<int32_t>(i);
        }
    }
    if (a < 0 || b < 0) {
        return false;
    }
    std::vector<int32_t>& adjacent = nodes[static_cast<size_t>(a)].adjacent;
    if (std::find(adjacent.begin(), adjacent.end(), b) != adjacent.end()) {
        return false;
    }
    adjacent.push_back(b);
    return true;
}

void WaypointGraph::Finish() {
    byName.resize(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        byName[i] = static_cast<int32_t>(i);
    }
    std::sort(byName.begin(), byName.end(), [this](int32_t a, int32_t b) {
        return nodes[static_cast<size_t>(a)].name < nodes[static_cast<size_t>(b)].name;
    });
    open.clear();
    open.reserve(nodes.size());
    path.clear();
    path.reserve(nodes.size());
}

void WaypointGraph::Build(const std::vector<Waypoint*>& waypoints) {
    Clear();
    nodes.reserve(waypoints.size());
    // A name index built as we go keeps this linear in the edge count for
    // large maps; AddNode's own duplicate check is then skipped.
    for (Waypoint* waypoint : waypoints) {
        const char* name = waypoint ? waypoint->GetName() : "";
        if (!*name) {
            continue;
        }
        Node node;
        node.name = name;
        node.waypoint = waypoint;
        nodes.push_back(std::move(node));
    }
    Finish();
    // Drop later nodes of a name already used (the first one keeps it).
    for (size_t i = 1; i < byName.size(); ++i) {
        const Node& a = nodes[static_cast<size_t>(byName[i - 1])];
        const Node& b = nodes[static_cast<size_t>(byName[i])];
        if (a.name == b.name) {
            LogFormat("Map: two waypoints are named \"%s\"; the later one is left out of the paths",
                      b.name.c_str());
        }
    }
    for (Node& node : nodes) {
        for (Waypoint* neighbour : node.waypoint->NeighbourTable()) {
            const int32_t index = Find(neighbour ? neighbour->GetName() : "");
            if (index >= 0 && nodes[static_cast<size_t>(index)].waypoint == neighbour &&
                std::find(node.adjacent.begin(), node.adjacent.end(), index) == node.adjacent.end()) {
                node.adjacent.push_back(index);
            }
        }
    }
}

int32_t WaypointGraph::Find(const char* name) const {
    if (!name || byName.size() != nodes.size()) {
        return -1;
    }
    // The first node of that name in adding order wins.
    auto it = std::lower_bound(byName.begin(), byName.end(), name, [this](int32_t index, const char* key) {
        return std::strcmp(nodes[static_cast<size_t>(index)].name.c_str(), key) < 0;
    });
    int32_t best = -1;
    for (; it != byName.end() && nodes[static_cast<size_t>(*it)].name == name; ++it) {
        if (best < 0 || *it < best) {
            best = *it;
        }
    }
    return best;
}

void WaypointGraph::RefreshPositions() {
    for (Node& node : nodes) {
        if (node.waypoint) {
            const Matrix4& world = node.waypoint->WorldMatrix();
            node.position = Vec2{world.m[12], world.m[13]};
        }
    }
}

double WaypointGraph::Distance(int32_t a, int32_t b) const {
    const Vec2& p = nodes[static_cast<size_t>(a)].position;
    const Vec2& q = nodes[static_cast<size_t>(b)].position;
    const double dx = static_cast<double>(p.x) - q.x;
    const double dy = static_cast<double>(p.y) - q.y;
    return std::sqrt(dx * dx + dy * dy);
}

int32_t WaypointGraph::TakeBestOpen() {
    size_t best = 0;
    for (size_t i = 1; i < open.size(); ++i) {
        const Node& candidate = nodes[static_cast<size_t>(open[i])];
        const Node& current = nodes[static_cast<size_t>(open[best])];
        if (candidate.g + candidate.h < current.g + current.h) {
            best = i;
        }
    }
    const int32_t index = open[best];
    open.erase(open.begin() + static_cast<std::ptrdiff_t>(best));
    return index;
}

void WaypointGraph::TracePath(int32_t goal, int32_t start) {
    path.clear();
    // Parents always point at nodes closed earlier, so the chain ends at the
    // start; the count bound only guards against a broken chain.
    for (int32_t at = goal; at >= 0 && path.size() < nodes.size();
         at = nodes[static_cast<size_t>(at)].parent) {
        path.push_back(at);
        if (at == start) {
            break;
        }
    }
    std::reverse(path.begin(), path.end());
}

bool WaypointGraph::FindPath(const char* from, const char* to) {
    path.clear();
    open.clear();
    const int32_t start = Find(from);
    const int32_t goal = Find(to);
    if (start < 0 || goal < 0) {
        LogFormat("Map: no path from \"%s\" to \"%s\": %s is not a waypoint", from ? from : "", to ? to : "",
                  start < 0 ? "the start" : "the goal");
        return false;
    }
    RefreshPositions();
    // Every search starts from clean scores: a node's g from an earlier
    // search would otherwise block a better walk this time.
    for (Node& node : nodes) {
        node.g = 0.0;
        node.h = 0.0;
        node.parent = -1;
        node.list = 0;
    }
    Node& first = nodes[static_cast<size_t>(start)];
    first.h = Distance(start, goal);
    first.list = 1;
    open.push_back(start);
    while (!open.empty()) {
        const int32_t current = TakeBestOpen();
        Node& node = nodes[static_cast<size_t>(current)];
        if (current == goal) {
            TracePath(goal, start);
            return true;
        }
        node.list = 2;
        for (int32_t next : node.adjacent) {
            Node& neighbour = nodes[static_cast<size_t>(next)];
            if (neighbour.list == 2) {
                continue;
            }
            const double g = node.g + Distance(current, next);
            if (neighbour.list == 0) {
                neighbour.list = 1;
                neighbour.parent = current;
                neighbour.g = g;
                neighbour.h = Distance(next, goal);
                open.push_back(next);
            } else if (g < neighbour.g) {
                neighbour.parent = current;
                neighbour.g = g;
            }
        }
    }
    return false;
}

double WaypointGraph::PathLength() const {
    double length = 0.0;
    for (size_t i = 1; i < path.size(); ++i) {
        length += Distance(path[i - 1], path[i]);
    }
    return length;
}
