#include "menus/MapChange.h"

MapChange::MapChange() {
    Name.SetFirstString("NewMapChange");
    DeclareString("Level", Level, 1, this, "");
    DeclareBool("Show", Show, 1, this, true);
    DeclareString("Target", Target, 1, this, "");
    DeclareBool("IsLevelLocation", IsLevelLocation, 1, this, false);
}
