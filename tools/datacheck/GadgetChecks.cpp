#include "GadgetChecks.h"

#include "CheckReport.h"

#include "core/Scene.h"
#include "data/Globals.h"
#include "io/File.h"
#include "ui/ConsoleCommands.h"

#include <regex>

namespace {

// One call's arguments: the text of each quoted literal, "" for anything else.
std::vector<std::string> Arguments(const std::string& list) {
    std::vector<std::string> out;
    static const std::regex kLiteral(R"(^\s*(["'])([^"']*)\1\s*$)");
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) {
            comma = list.size();
        }
        const std::string argument = list.substr(start, comma - start);
        std::smatch match;
        out.push_back(std::regex_match(argument, match, kLiteral) ? match[2].str() : std::string());
        start = comma + 1;
    }
    return out;
}

// Which arguments of a creator name doodads of the scene (0-based).
std::vector<size_t> DoodadArguments(const std::string& function) {
    if (function == "CreateSimple" || function == "BindItem") {
        return {0};
    }
    if (function == "CreateLock") {
        return {1, 2};
    }
    if (function == "CreateSwitch" || function == "CreateToggle") {
        return {1, 2};
    }
    if (function == "StackItem" || function == "CreateLevelLink") {
        return {1};
    }
    return {};
}

} // namespace

void GadgetScan::Scan(const std::string& path, const std::string& text, Scene& scene, CheckReport& report) {
    static const std::regex kCall(
        R"(\b(CreateSimple|CreateLock|CreateSwitch|CreateToggle|BindItem|StackItem|CreateLevelLink|GiveItem|)"
        R"(GiveInventoryItem|RequireItem|SetActiveItem)\s*\(([^()\n]*)\))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kCall); it != std::sregex_iterator(); ++it) {
        const std::string function = (*it)[1];
        const std::vector<std::string> args = Arguments((*it)[2]);
        for (size_t index : DoodadArguments(function)) {
            const std::string& name = index < args.size() ? args[index] : std::string();
            if (!name.empty() && !scene.FindElement(name.c_str())) {
                report.Error(path, function + "(" + Quoted(args[0]) + "): the level's scene has no doodad " +
                                       Quoted(name));
            }
        }
        if (function == "CreateLock" && args.size() == 4 && !args[3].empty()) {
            keys.push_back(Use{path, args[3]});
        } else if (function == "CreateLevelLink" && args.size() >= 3 && !args[2].empty()) {
            links.push_back(Use{path, args[2]});
        } else if (function != "CreateLock" && function != "CreateLevelLink" && !args.empty() && !args[0].empty() &&
                   function.find("Create") != 0) {
            given.insert(args[0]);
        }
    }
}

void GadgetScan::Finish(const std::vector<std::vector<std::string>>& products, CheckReport& report) {
    for (const Use& link : links) {
        const std::string scene = FormatLevelPath(GetGlobals()->GetString("Path_LevelScenes").CStr(),
                                                  link.name.c_str()).CStr();
        if (!Exists(scene.c_str())) {
            report.Error(link.path, "CreateLevelLink leads to " + Quoted(link.name) +
                                        ", a level without a scene " + scene);
        }
    }
    // Products of items that can be had can be had too.
    for (bool grew = true; grew;) {
        grew = false;
        for (const std::vector<std::string>& product : products) {
            if (product.size() == 3 && given.count(product[1]) && given.count(product[2]) &&
                given.insert(product[0]).second) {
                grew = true;
            }
        }
    }
    for (const Use& key : keys) {
        if (!given.count(key.name)) {
            report.Error(key.path, "CreateLock needs the item " + Quoted(key.name) + ", which no level gives");
        }
    }
}
