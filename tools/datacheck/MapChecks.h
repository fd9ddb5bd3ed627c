#pragma once
// The checks of the world map, for every scene file that holds a MapScreen:
// Globals "Levels" entries without a LevelMarker of that name in the map
// scene and level markers that name no level (errors / warnings), waypoint
// neighbours that name no waypoint, level markers the walk cannot reach
// from the first level's marker, and map changes whose level is no
// "Levels" entry or whose target is no widget of the map (errors).

#include <string>

class CheckReport;

void CheckMapScreenFile(const std::string& path, CheckReport& report);
