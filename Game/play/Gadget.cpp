#include "play/Gadget.h"

#include "core/ConfigTable.h"

namespace {

void WriteBool(ConfigTable& table, const String& key, bool value) {
    table.AddString(key.CStr(), value ? "true" : "false");
}

// A damaged value keeps what the gadget had.
void ReadBool(ConfigTable& table, const String& key, bool& out) {
    if (const String* text = table.Value(0, key.CStr())) {
        if (*text == "true") {
            out = true;
        } else if (*text == "false") {
            out = false;
        }
    }
}

} // namespace

// ---- Gadget ----

bool Gadget::HasObject(const char* element) const {
    if (!element) {
        return false;
    }
    for (const String& object : objects) {
        if (object.Equals(element)) {
            return true;
        }
    }
    return false;
}

String Gadget::Key(const char* suffix) const {
    return String("object_parameters.") + name + suffix;
}

void Gadget::Save(ConfigTable& table) const {
    WriteBool(table, Key(".enabled"), enabled);
    WriteBool(table, Key(".hints"), hints);
    WriteBool(table, Key(".ignore"), ignore);
    WriteBool(table, Key(".block"), block);
    WriteBool(table, Key(".used"), used);
}

void Gadget::Load(ConfigTable& table) {
    ReadBool(table, Key(".enabled"), enabled);
    ReadBool(table, Key(".hints"), hints);
    ReadBool(table, Key(".ignore"), ignore);
    ReadBool(table, Key(".block"), block);
    ReadBool(table, Key(".used"), used);
}

// ---- Lock ----

Lock::Lock(const char* lockName, const char* closed, const char* open, const char* key)
    : Gadget(lockName, 2), closedObject(closed ? closed : ""), openObject(open ? open : ""), keyItem(key ? key : "") {
    objects = {closedObject, openObject};
}

bool Lock::Matches(const char* text) const {
    return Gadget::Matches(text) || (text && (closedObject.Equals(text) || openObject.Equals(text)));
}

void Lock::Save(ConfigTable& table) const {
    Gadget::Save(table);
    WriteBool(table, Key(".active"), active);
    WriteBool(table, Key(".state"), state);
    WriteBool(table, Key(".expendKey"), expendKey);
}

void Lock::Load(ConfigTable& table) {
    Gadget::Load(table);
    ReadBool(table, Key(".active"), active);
    ReadBool(table, Key(".state"), state);
    ReadBool(table, Key(".expendKey"), expendKey);
}

// ---- Switch and Toggle ----

Switch::Switch(const char* switchName, const char* off, const char* on, int32_t kindCode)
    : Gadget(switchName, kindCode), offObject(off ? off : ""), onObject(on ? on : "") {
    objects = {offObject, onObject};
}

void Switch::Save(ConfigTable& table) const {
    Gadget::Save(table);
    WriteBool(table, Key(".state"), state);
}

void Switch::Load(ConfigTable& table) {
    Gadget::Load(table);
    ReadBool(table, Key(".state"), state);
}

// ---- Item ----

Item::Item(const char* itemName, const char* stacked) : Gadget(itemName, 5), stackedItem(stacked ? stacked : "") {
    objects = {name};
    gleam = true;
}

// ---- LevelLink ----

LevelLink::LevelLink(const char* linkName, const char* linkObject, const char* target, bool treasureOrQuestLink)
    : Gadget(linkName, 0), object(linkObject ? linkObject : ""), linkPath(target ? target : ""),
      treasureOrQuest(treasureOrQuestLink) {
    objects = {object};
}

bool LevelLink::Matches(const char* text) const {
    return Gadget::Matches(text) || (text && object.Equals(text));
}

void LevelLink::Save(ConfigTable& table) const {
    Gadget::Save(table);
    table.AddString(Key(".linkPath").CStr(), linkPath.CStr());
    WriteBool(table, Key(".treasureOrQuest"), treasureOrQuest);
}

void LevelLink::Load(ConfigTable& table) {
    Gadget::Load(table);
    String path;
    if (table.GetString(0, Key(".linkPath").CStr(), path) && !path.Empty()) {
        linkPath = path;
    }
    ReadBool(table, Key(".treasureOrQuest"), treasureOrQuest);
}

// ---- GadgetSet ----

bool GadgetSet::Add(std::unique_ptr<Gadget> gadget) {
    Gadget* added = gadget.get();
    owned.push_back(std::move(gadget));
    switch (added->GetType()) {
    case Gadget::kLockType:
        locks.push_back(static_cast<Lock*>(added));
        break;
    case Gadget::kSwitchType:
        switches.push_back(static_cast<Switch*>(added));
        break;
    case Gadget::kToggleType:
        toggles.push_back(static_cast<Toggle*>(added));
        break;
    case Gadget::kItemType:
        items.push_back(static_cast<Item*>(added));
        break;
    case Gadget::kLevelLinkType:
        links.push_back(static_cast<LevelLink*>(added));
        break;
    default:
        break;
    }
    auto [where, inserted] = byName.try_emplace(std::string(added->name.CStr()), added);
    where->second = added;
    return inserted;
}

Gadget* GadgetSet::Find(std::string_view gadgetName) const {
    auto where = byName.find(gadgetName);
    return where == byName.end() ? nullptr : where->second;
}

Gadget* GadgetSet::OwnerOf(const char* element) const {
    if (!element) {
        return nullptr;
    }
    if (Gadget* named = Find(element)) {
        return named;
    }
    for (const auto& gadget : owned) {
        if (gadget->HasObject(element)) {
            return gadget.get();
        }
    }
    return nullptr;
}

bool GadgetSet::IsObjectOfEnabled(const char* element) const {
    for (const auto& gadget : owned) {
        if (gadget->enabled && gadget->HasObject(element)) {
            return true;
        }
    }
    return false;
}

void GadgetSet::Save(ConfigTable& table) const {
    for (const auto& [gadgetName, gadget] : byName) {
        gadget->Save(table);
    }
}

void GadgetSet::Load(ConfigTable& table) {
    for (const auto& gadget : owned) {
        gadget->Load(table);
    }
}
