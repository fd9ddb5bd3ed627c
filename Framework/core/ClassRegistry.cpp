#include "core/ClassRegistry.h"

#include <algorithm>
#include <cstring>

namespace {

struct Registry {
    std::vector<ClassEntry> entries;
    std::vector<String> categories;
    bool sorted = true;

    void Sort() {
        if (!sorted) {
            std::stable_sort(entries.begin(), entries.end(), [](const ClassEntry& a, const ClassEntry& b) {
                return a.className < b.className;
            });
            sorted = true;
        }
    }
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

bool RegisterClass(const char* name, ClassFactory factory, const char* category) {
    if (!name || !factory || FindClass(name)) {
        return false;
    }
    Registry& registry = TheRegistry();
    registry.entries.push_back(ClassEntry{factory, String(name), String(category)});
    registry.sorted = false;
    if (category && *category) {
        bool known = std::any_of(registry.categories.begin(), registry.categories.end(),
                                 [&](const String& c) { return c.Equals(category); });
        if (!known) {
            registry.categories.emplace_back(category);
        }
    }
    return true;
}

const ClassEntry* FindClass(const char* name) {
    if (!name) {
        return nullptr;
    }
    Registry& registry = TheRegistry();
    registry.Sort();
    auto it = std::lower_bound(
        registry.entries.begin(), registry.entries.end(), name,
        [](const ClassEntry& e, const char* key) { return std::strcmp(e.className.CStr(), key) < 0; });
    if (it != registry.entries.end() && it->className.Equals(name)) {
        return &*it;
    }
    return nullptr;
}

Object* CreateObject(const char* name) {
    const ClassEntry* entry = FindClass(name);
    return entry ? entry->factory() : nullptr;
}

const std::vector<ClassEntry>& RegisteredClasses() {
    TheRegistry().Sort();
    return TheRegistry().entries;
}

const std::vector<String>& ClassCategories() {
    return TheRegistry().categories;
}

void ClearRegistry() {
    TheRegistry().entries.clear();
    TheRegistry().categories.clear();
    TheRegistry().sorted = true;
}
