#include "ItemChecks.h"

#include "CheckReport.h"
#include "Recording.h"

#include "core/ConfigTable.h"
#include "data/Globals.h"
#include "io/File.h"
#include "io/StringTable.h"
#include "play/ItemDatabase.h"
#include "ui/ConsoleCommands.h"

#include <string>

namespace {

std::string Setting(const char* name) {
    Globals* globals = GetGlobals();
    return (globals ? globals->GetString(name) : GlobalsDefault(name)).CStr();
}

std::string Filled(const char* setting, const String& name) {
    return FormatLevelPath(Setting(setting).c_str(), name.CStr()).CStr();
}

void ReportSkippedLines(const std::string& path, Recording& recording, CheckReport& report) {
    for (const std::string& line : recording.TakeLog()) {
        if (line.find(path) != std::string::npos) {
            report.Error(path, line.substr(line.find(':') == std::string::npos ? 0 : line.find(':') + 2));
        }
    }
}

} // namespace

void CheckItemDatabase(CheckReport& report, Recording& recording) {
    const std::string path = Setting("ItemConfigPath");
    if (path.empty() || !Exists(path.c_str())) {
        return;
    }
    recording.TakeLog();
    ItemDatabase items;
    if (!items.Load(path.c_str())) {
        report.Error(path, "the item database cannot be read");
        return;
    }
    ReportSkippedLines(path, recording, report);
    for (const ItemDatabase::Item& item : items.Items()) {
        const std::string label = "item " + Quoted(item.name.CStr());
        const std::string icon = Filled("ItemDirectory", item.name);
        if (!Exists(icon.c_str())) {
            report.Error(path, label + " has no icon " + icon);
        } else {
            recording.MarkUsed(icon);
        }
        String text;
        const std::string key = Filled("Path_ItemNames", item.name);
        if (!LookupString(key.c_str(), text)) {
            report.Error(path, label + " has no display name " + Quoted(key) + " in the string tables");
        }
        if (!item.soundPath.Empty()) {
            if (!Exists(item.soundPath.CStr())) {
                report.Error(path, label + " names the sound " + item.soundPath.CStr() + ", which is missing");
            } else {
                recording.MarkUsed(item.soundPath.CStr());
            }
        }
    }
    for (const ItemDatabase::Product& product : items.Products()) {
        for (const String* ingredient : {&product.first, &product.second}) {
            bool declared = false;
            for (const ItemDatabase::Item& item : items.Items()) {
                declared = declared || item.name == *ingredient;
            }
            if (!declared) {
                report.Error(path, "product " + Quoted(product.result.CStr()) + " needs " +
                                       Quoted(ingredient->CStr()) + ", which is no item");
            }
        }
    }
}
