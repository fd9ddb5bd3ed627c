#include "LevelChecks.h"

#include "CheckReport.h"

#include "data/Globals.h"
#include "io/StringTable.h"
#include "play/Doodad.h"
#include "play/Hotspot.h"
#include "render/Region.h"
#include "ui/ConsoleCommands.h"

#include <vector>

namespace {

std::string Label(Element& element) {
    return ElementLabel(element.GetClassName(), element.GetName());
}

void CheckHotspot(const std::string& path, CheckReport& report, Hotspot& hotspot) {
    std::vector<Vec2> vertices;
    const char* problem = nullptr;
    const std::string text(hotspot.RegionText.FirstString().CStr());
    if (!ParsePolygon(text.c_str(), vertices, &problem)) {
        report.Error(path, Label(hotspot) + ": region " + Quoted(text) + " does not parse (" + problem +
                               "): the hotspot can never be clicked");
    } else if (vertices.size() < 3) {
        report.Error(path, Label(hotspot) + ": region " + Quoted(text) +
                               " has fewer than 3 points: the hotspot can never be clicked");
    }
}

void CheckTreasure(const std::string& path, CheckReport& report, Doodad& doodad) {
    Globals* globals = GetGlobals();
    const String pattern = globals ? globals->GetString("Path_TreasureNames") : GlobalsDefault("Path_TreasureNames");
    const String key = FormatLevelPath(pattern.CStr(), doodad.fancyName.FirstString().CStr());
    String text;
    if (!LookupString(key.CStr(), text)) {
        report.Error(path, Label(doodad) + ": the treasure type " +
                               Quoted(doodad.fancyName.FirstString().CStr()) + " has no name " +
                               Quoted(key.CStr()) + " in the string tables");
    }
}

} // namespace

void CheckLevelObject(const std::string& path, CheckReport& report, Element& element) {
    if (Hotspot* hotspot = ObjectCast<Hotspot>(&element)) {
        CheckHotspot(path, report, *hotspot);
        return; // a hotspot is never a treasure
    }
    if (Doodad* doodad = ObjectCast<Doodad>(&element); doodad && doodad->IsTreasure()) {
        CheckTreasure(path, report, *doodad);
    }
}
