#include "MapChecks.h"

#include "CheckReport.h"

#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Globals.h"
#include "menus/MapChange.h"
#include "menus/MapScreen.h"
#include "menus/Waypoint.h"
#include "menus/WaypointGraph.h"

#include <memory>
#include <set>
#include <vector>

namespace {

std::string Label(Element& element) {
    return ElementLabel(element.GetClassName(), element.GetName());
}

std::vector<std::string> LevelNames() {
    std::vector<std::string> names;
    Globals* globals = GetGlobals();
    if (!globals) {
        return names;
    }
    const Var& levels = globals->Setting("Levels");
    const int32_t count = std::min(globals->GetInt("LevelCount"), levels.GetCount());
    for (int32_t i = 0; i < count; ++i) {
        names.emplace_back(levels.GetString(i).CStr());
    }
    return names;
}

void CheckMarkers(const std::string& mapPath, CheckReport& report, Scene& map,
                  const std::vector<std::string>& levels) {
    const std::set<std::string> known(levels.begin(), levels.end());
    for (const std::string& level : levels) {
        if (!map.FindElement(level.c_str(), "LevelMarker")) {
            report.Error(mapPath,
                         "the level " + Quoted(level) + " has no LevelMarker of that name on the map");
        }
    }
    for (auto& entry : map.Elements().Entries()) {
        if (entry.value->IsA("LevelMarker") && !known.count(entry.value->GetName())) {
            report.Warning(mapPath, Label(*entry.value) + " names no entry of the Levels setting");
        }
    }
}

std::vector<Waypoint*> CheckNeighbours(const std::string& mapPath, CheckReport& report, Scene& map) {
    std::vector<Waypoint*> waypoints;
    for (auto& entry : map.Elements().Entries()) {
        auto* waypoint = ObjectCast<Waypoint>(entry.value);
        if (!waypoint) {
            continue;
        }
        waypoints.push_back(waypoint);
        for (int32_t i = 0; i < waypoint->neighbors.GetCount(); ++i) {
            const String& name = waypoint->neighbors.GetString(i);
            Element* found = name.Empty() ? nullptr : map.FindElement(name.CStr(), "Waypoint");
            if (!name.Empty() && (!found || found == waypoint)) {
                report.Error(mapPath, Label(*waypoint) + ": the neighbour " + Quoted(name.CStr()) +
                                          " is no other waypoint of the map");
            }
        }
    }
    return waypoints;
}

void CheckReach(const std::string& mapPath, CheckReport& report, Scene& map,
                std::vector<Waypoint*>& waypoints, const std::vector<std::string>& levels) {
    if (levels.empty() || !map.FindElement(levels[0].c_str(), "LevelMarker")) {
        return;
    }
    for (Waypoint* waypoint : waypoints) {
        waypoint->RebuildNeighbourTable();
    }
    map.Update();
    WaypointGraph graph;
    graph.Build(waypoints);
    for (Waypoint* waypoint : waypoints) {
        if (waypoint->IsA("LevelMarker") && !graph.FindPath(levels[0].c_str(), waypoint->GetName())) {
            report.Error(mapPath, Label(*waypoint) + " cannot be reached from the first level's marker " +
                                      Quoted(levels[0]));
        }
    }
}

void CheckChanges(const std::string& changesPath, CheckReport& report, Scene& changes, Scene& map,
                  const std::vector<std::string>& levels) {
    const std::set<std::string> known(levels.begin(), levels.end());
    for (auto& entry : changes.Elements().Entries()) {
        auto* change = ObjectCast<MapChange>(entry.value);
        if (!change) {
            continue;
        }
        const std::string level = change->Level.FirstString().CStr();
        const std::string target = change->Target.FirstString().CStr();
        if (!known.count(level)) {
            report.Error(changesPath,
                         Label(*change) + ": the level " + Quoted(level) + " is no entry of Levels");
        }
        if (target != MapChange::kSkyTarget &&
            (target.empty() || !ObjectCast<Widget>(map.FindElement(target.c_str())))) {
            report.Error(changesPath,
                         Label(*change) + ": the target " + Quoted(target) + " is no widget of the map");
        }
    }
}

} // namespace

void CheckMapScreenFile(const std::string& path, CheckReport& report) {
    std::unique_ptr<Scene> screenScene = LoadScene(path.c_str());
    if (!screenScene) {
        return; // the scene checks report a file that does not load
    }
    const std::vector<std::string> levels = LevelNames();
    for (auto& entry : screenScene->Elements().Entries()) {
        auto* screen = ObjectCast<MapScreen>(entry.value);
        if (!screen) {
            continue;
        }
        // The links' own checks report files that do not load.
        const std::string mapPath = screen->map.FirstString().CStr();
        std::unique_ptr<Scene> map = LoadScene(mapPath.c_str());
        if (!map) {
            continue;
        }
        CheckMarkers(mapPath, report, *map, levels);
        std::vector<Waypoint*> waypoints = CheckNeighbours(mapPath, report, *map);
        CheckReach(mapPath, report, *map, waypoints, levels);
        const std::string changesPath = screen->changesScene.FirstString().CStr();
        if (std::unique_ptr<Scene> changes = LoadScene(changesPath.c_str())) {
            CheckChanges(changesPath, report, *changes, *map, levels);
        }
    }
}
