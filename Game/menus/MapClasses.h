#pragma once
// The world map's element classes, registered by the game's start-up.

/// Registers the map screen, its menu, waypoints, markers and map changes
/// under "Game UI".
void RegisterMapClasses();
