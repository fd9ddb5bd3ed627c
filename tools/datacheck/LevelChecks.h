#pragma once
// The checks of the objects a level is made of, for one built and resolved
// element of a scene file: a hotspot whose region does not parse (or has
// fewer than 3 points) and a treasure whose type has no display name in the
// string tables (Globals "Path_TreasureNames" formatted with its fancyName, the name the
// goal list shows).
// Doodads' pictures and icons are links and plain picture paths, which the
// scene checks report already.

#include <string>

class CheckReport;
class Element;

void CheckLevelObject(const std::string& path, CheckReport& report, Element& element);
