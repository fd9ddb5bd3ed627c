#pragma once
// The gadget checks of the level scripts: the literal names their gadget
// calls give. A scan of each script finds
//   CreateSimple, CreateLock, CreateSwitch, CreateToggle, BindItem, StackItem
//   and CreateLevelLink calls whose doodads the level's scene lacks;
// and remembers the level links, the keys of the locks, and every item the
// script hands out (BindItem, StackItem, GiveItem, GiveInventoryItem,
// RequireItem, SetActiveItem). Finish then reports the links to levels that
// have no scene, and the lock keys that no level gives, neither directly nor
// as the product of items that are given. Only quoted names are read: a name
// the script computes is not checked.

#include <set>
#include <string>
#include <vector>

class CheckReport;
class Scene;

class GadgetScan {
public:
    /// Scans one level's script text (read from `path`) against its scene.
    void Scan(const std::string& path, const std::string& text, Scene& scene, CheckReport& report);
    /// Reports what needs every level seen; `products` are the item
    /// database's (result, first, second) triples.
    void Finish(const std::vector<std::vector<std::string>>& products, CheckReport& report);

private:
    struct Use {
        std::string path;
        std::string name;
    };
    std::vector<Use> links;
    std::vector<Use> keys;
    std::set<std::string> given;
};
