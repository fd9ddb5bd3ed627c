#include "play/Treasures.h"

#include "core/Scene.h"
#include "play/Doodad.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool SameType(const Doodad& doodad, const char* type) {
    return !type || !*type || std::strcmp(doodad.fancyName.FirstString().CStr(), type) == 0;
}

bool Contains(const std::vector<String>& list, const String& type) {
    return std::any_of(list.begin(), list.end(), [&](const String& t) { return t == type; });
}

} // namespace

int32_t Treasures::RegisterAll(Scene& scene) {
    scene.Elements().Sort();
    for (auto& entry : scene.Elements().Entries()) {
        if (auto* doodad = ObjectCast<Doodad>(entry.value)) {
            Register(*doodad);
        }
    }
    return int32_t(registered.size());
}

void Treasures::Register(Doodad& doodad) {
    if (doodad.IsTreasure() && std::find(registered.begin(), registered.end(), &doodad) == registered.end()) {
        registered.push_back(&doodad);
    }
}

void Treasures::Clear() {
    registered.clear();
    targets.clear();
}

int32_t Treasures::Total(const char* type) const {
    return int32_t(std::count_if(registered.begin(), registered.end(),
                                 [&](const Doodad* d) { return SameType(*d, type); }));
}

int32_t Treasures::Found(const char* type) const {
    return int32_t(std::count_if(registered.begin(), registered.end(),
                                 [&](const Doodad* d) { return SameType(*d, type) && d->used.FirstBool(); }));
}

bool Treasures::HasUnfound() const {
    return !registered.empty() && Found("") < Total("");
}

std::vector<String> Treasures::Draw(int32_t count) const {
    std::vector<String> candidates;
    for (const Doodad* doodad : registered) {
        const String& type = doodad->fancyName.FirstString();
        if (!Contains(candidates, type) && !Contains(targets, type) && !IsComplete(type.CStr())) {
            candidates.push_back(type);
        }
    }
    std::vector<String> drawn;
    if (candidates.size() == 1 && count > 0) {
        drawn.push_back(candidates[0]);
        return drawn;
    }
    while (int32_t(drawn.size()) < count && !candidates.empty()) {
        const size_t pick = size_t(std::rand()) % candidates.size();
        drawn.push_back(candidates[pick]);
        candidates.erase(candidates.begin() + std::ptrdiff_t(pick));
    }
    return drawn;
}

bool Treasures::ChooseTargets() {
    std::vector<String> fresh = Draw(kMaxTargets - int32_t(targets.size()));
    targets.insert(targets.end(), fresh.begin(), fresh.end());
    return !targets.empty();
}

int32_t Treasures::ReplaceCompletedTargets() {
    int32_t complete = 0;
    for (const String& type : targets) {
        complete += IsComplete(type.CStr());
    }
    const std::vector<String> fresh = Draw(complete);
    size_t next = 0;
    for (String& type : targets) {
        if (next < fresh.size() && IsComplete(type.CStr())) {
            type = fresh[next++];
        }
    }
    return complete;
}

void Treasures::SetTargets(std::vector<String> types) {
    if (types.size() > size_t(kMaxTargets)) {
        types.resize(size_t(kMaxTargets));
    }
    targets = std::move(types);
}

Doodad* Treasures::Find(const char* name) const {
    for (Doodad* doodad : registered) {
        if (name && std::strcmp(doodad->GetName(), name) == 0) {
            return doodad;
        }
    }
    return nullptr;
}
