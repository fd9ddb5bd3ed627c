#pragma once
// ItemDatabase: the items every level shares, and what combining two gives.
//
// Read from the key/value file Globals "ItemConfigPath" (config/items.config):
//     Item    = NAME;                      declares an item
//     Product = RESULT INGREDIENT INGREDIENT;  (blanks or commas) combining
//                                          the two, in either order, gives
//                                          the result, itself an item
//     Sound   = ITEM SOUND;                the item's sound: Globals
//                                          "Path_ItemSounds" with SOUND
//     Persist = ITEM;                      a tool: not used up by combining
// Keys may repeat. Names compare exactly. A line that names too few names is
// skipped with one log line naming the file; a sound or persist line for an
// item never declared declares it, so nothing an author wrote is lost.
// Combination walks the products in file order and answers the first match.
// Sounds are loaded on first use.

#include "core/String.h"

#include <vector>

class ConfigTable;
class Sound;

class ItemDatabase {
public:
    struct Item {
        String name;
        String soundPath; ///< empty: the item has no sound of its own
        Sound* sound = nullptr;
        bool soundLooked = false;
        bool persist = false;
    };
    struct Product {
        String result;
        String first;
        String second;
    };

    /// Replaces the database with the file's; false, the database empty, when
    /// the file cannot be read.
    bool Load(const char* path);
    /// Replaces the database with the table's entries; `name` names the file
    /// in log lines.
    void Read(ConfigTable& table, const char* name);
    void Clear();

    bool Has(const char* name) const { return Find(name) != nullptr; }
    const Item* Find(const char* name) const;
    /// True when the item is a tool that combining does not use up.
    bool IsPersistent(const char* name) const;
    /// What combining `a` and `b` gives (either order); null when nothing.
    const String* Combine(const char* a, const char* b) const;
    /// The item's sound, loaded on the first call; null without one.
    Sound* SoundOf(const char* name);

    const std::vector<Item>& Items() const { return items; }
    const std::vector<Product>& Products() const { return products; }

private:
    Item& Declare(const String& name);
    Item* FindMutable(const char* name);

    std::vector<Item> items;
    std::vector<Product> products;
};

/// The database shared by every level (empty until LoadItemDatabase).
ItemDatabase& GetItemDatabase();
/// Loads the shared database from Globals "ItemConfigPath"; false when the
/// file is missing (an empty database: a game without items).
bool LoadItemDatabase();
/// Splits `text` at blanks, tabs and commas into its non-empty words.
std::vector<String> SplitNames(const char* text);
