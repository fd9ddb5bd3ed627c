#include "play/ItemDatabase.h"

#include "audio/Sound.h"
#include "core/ConfigTable.h"
#include "core/Log.h"
#include "data/Globals.h"
#include "io/Resources.h"
#include "ui/ConsoleCommands.h"

#include <cstring>

namespace {

String GlobalText(const char* name) {
    Globals* globals = GetGlobals();
    return globals ? globals->GetString(name) : GlobalsDefault(name);
}

} // namespace

std::vector<String> SplitNames(const char* text) {
    std::vector<String> names;
    std::string word;
    for (const char* c = text ? text : "";; ++c) {
        if (*c == '\0' || *c == ' ' || *c == '\t' || *c == ',') {
            if (!word.empty()) {
                names.emplace_back(word.c_str());
                word.clear();
            }
            if (*c == '\0') {
                break;
            }
        } else {
            word += *c;
        }
    }
    return names;
}

void ItemDatabase::Clear() {
    items.clear();
    products.clear();
}

bool ItemDatabase::Load(const char* path) {
    ConfigTable table;
    if (!table.Load(path)) {
        Clear();
        return false;
    }
    Read(table, path);
    return true;
}

void ItemDatabase::Read(ConfigTable& table, const char* name) {
    Clear();
    for (int32_t index = 0; index < table.Count(); ++index) {
        const ConfigTable::Entry& entry = table.At(index);
        const char* key = entry.key.CStr();
        for (const String& value : entry.values) {
            const std::vector<String> names = SplitNames(value.CStr());
            if (std::strcmp(key, "Item") == 0 && names.size() == 1) {
                Declare(names[0]);
            } else if (std::strcmp(key, "Persist") == 0 && names.size() == 1) {
                Declare(names[0]).persist = true;
            } else if (std::strcmp(key, "Sound") == 0 && names.size() == 2) {
                Declare(names[0]).soundPath =
                    FormatLevelPath(GlobalText("Path_ItemSounds").CStr(), names[1].CStr());
            } else if (std::strcmp(key, "Product") == 0 && names.size() == 3) {
                Declare(names[0]);
                products.push_back(Product{names[0], names[1], names[2]});
            } else if (!std::strcmp(key, "Item") || !std::strcmp(key, "Persist") || !std::strcmp(key, "Sound") ||
                       !std::strcmp(key, "Product")) {
                LogFormat("%s: \"%s = %s\" does not name the right number of items; skipped", name, key,
                          value.CStr());
            } else {
                LogFormat("%s: unknown key \"%s\"; skipped", name, key);
            }
        }
    }
}

ItemDatabase::Item& ItemDatabase::Declare(const String& name) {
    if (Item* existing = FindMutable(name.CStr())) {
        return *existing;
    }
    Item item;
    item.name = name;
    items.push_back(item);
    return items.back();
}

ItemDatabase::Item* ItemDatabase::FindMutable(const char* name) {
    for (Item& item : items) {
        if (name && std::strcmp(item.name.CStr(), name) == 0) {
            return &item;
        }
    }
    return nullptr;
}

const ItemDatabase::Item* ItemDatabase::Find(const char* name) const {
    return const_cast<ItemDatabase*>(this)->FindMutable(name);
}

bool ItemDatabase::IsPersistent(const char* name) const {
    const Item* item = Find(name);
    return item && item->persist;
}

const String* ItemDatabase::Combine(const char* a, const char* b) const {
    if (!a || !b) {
        return nullptr;
    }
    for (const Product& product : products) {
        const bool straight = std::strcmp(product.first.CStr(), a) == 0 && std::strcmp(product.second.CStr(), b) == 0;
        const bool crossed = std::strcmp(product.first.CStr(), b) == 0 && std::strcmp(product.second.CStr(), a) == 0;
        if (straight || crossed) {
            return &product.result;
        }
    }
    return nullptr;
}

Sound* ItemDatabase::SoundOf(const char* name) {
    Item* item = FindMutable(name);
    if (!item || item->soundPath.Empty()) {
        return nullptr;
    }
    if (!item->soundLooked) {
        item->soundLooked = true;
        item->sound = Resources::FindSound(item->soundPath.CStr());
        if (!item->sound) {
            LogFormat("Item %s: its sound %s is missing", item->name.CStr(), item->soundPath.CStr());
        }
    }
    return item->sound;
}

ItemDatabase& GetItemDatabase() {
    static ItemDatabase database;
    return database;
}

bool LoadItemDatabase() {
    const String path = GlobalText("ItemConfigPath");
    if (!GetItemDatabase().Load(path.CStr())) {
        LogFormat("No item database at %s: the levels have no items to combine", path.CStr());
        return false;
    }
    return true;
}
