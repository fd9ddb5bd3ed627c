#include "menus/MapClasses.h"

#include "core/ClassRegistry.h"
#include "menus/MapChange.h"
#include "menus/MapMarkers.h"
#include "menus/MapScreen.h"
#include "menus/Waypoint.h"

void RegisterMapClasses() {
    RegisterClass("Waypoint", MakeObject<Waypoint>, "Game UI");
    RegisterClass("LevelMarker", MakeObject<LevelMarker>, "Game UI");
    RegisterClass("PlayerMarker", MakeObject<PlayerMarker>, "Game UI");
    RegisterClass("QuestMarker", MakeObject<QuestMarker>, "Game UI");
    RegisterClass("MapChange", MakeObject<MapChange>, "Game UI");
    RegisterClass("MapScreen", MakeObject<MapScreen>, "Game UI");
    RegisterClass("MapMenu", MakeObject<MapMenu>, "Game UI");
}
