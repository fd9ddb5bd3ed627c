#pragma once
// MapChange: one change of the map's scenery, made when a level is completed.
//
// Lives in the map's "changes" scene. When the level named "Level" (an
// entry of the Globals "Levels") is completed, the widget of the map scene
// named "Target" appears ("Show" true) or disappears ("Show" false). The
// target name "sky" switches the map's backdrop instead. "IsLevelLocation"
// picks the louder of the two change sounds.

#include "core/Element.h"

class MapChange : public Element {
    ENGINE_CLASS(MapChange, Element)

public:
    static constexpr const char* kSkyTarget = "sky";

    MapChange();

    Var Level;
    Var Show;
    Var Target;
    Var IsLevelLocation;
};
