#pragma once
// Gadget: a puzzle piece a level script declares over the doodads of its
// scene — a simple named object, a lock opened by a key item, a two-state
// switch, a script-driven toggle, an item (or a stack of items) to pick up,
// and a link to another level screen.
//
// A gadget is a record, not a scene element: it names its doodads by element
// name ("objects") and the level screen looks them up when a rule acts. The
// level screen owns every gadget through a GadgetSet for as long as it lives.
//
// Saved state: keys "object_parameters." + gadget name + ".enabled", ".hints",
// ".ignore", ".block", ".used" for every gadget; ".active", ".state",
// ".expendKey" for a lock; ".state" for a switch or toggle; ".linkPath" and
// ".treasureOrQuest" for a level link. Booleans are written "true"/"false"; a
// missing or damaged key keeps the gadget's current value.

#include "core/String.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ConfigTable;

class Gadget {
public:
    /// GetType's answers.
    enum Type : int32_t {
        kSimpleType = 0,
        kLockType = 2,
        kSwitchType = 3,
        kToggleType = 4,
        kItemType = 5,
        kLevelLinkType = 7,
    };

    Gadget(const char* gadgetName, int32_t kindCode) : name(gadgetName ? gadgetName : ""), kind(kindCode) {}
    virtual ~Gadget() = default;

    virtual int32_t GetType() const { return kSimpleType; }
    /// True when `text` is the gadget's name (locks and links also accept
    /// their objects).
    virtual bool Matches(const char* text) const { return text && name.Equals(text); }
    virtual void Save(ConfigTable& table) const;
    virtual void Load(ConfigTable& table);

    /// True when `element` is one of the gadget's objects.
    bool HasObject(const char* element) const;
    /// "object_parameters." + name + suffix.
    String Key(const char* suffix) const;

    String name;
    std::vector<String> objects;
    int32_t kind = 1;
    bool deferredFade = false;
    bool enabled = false;
    bool hints = true;
    bool ignore = false;
    bool block = true;
    bool gleam = false;
    bool used = false;
    /// Seconds to the next item sparkle.
    float gleamTimer = 0.0f;
    /// The gadget's own sound file; empty: the rule's default sound.
    String sound;
};

class Lock : public Gadget {
public:
    Lock(const char* lockName, const char* closed, const char* open, const char* key);
    int32_t GetType() const override { return kLockType; }
    bool Matches(const char* text) const override;
    void Save(ConfigTable& table) const override;
    void Load(ConfigTable& table) override;

    String closedObject;
    String openObject;
    String keyItem;
    bool active = false;
    bool state = false; ///< true: unlocked
    bool expendKey = true;
};

/// A switch shows its off object while its state is false and its on object
/// while true; a click flips it.
class Switch : public Gadget {
public:
    Switch(const char* switchName, const char* off, const char* on, int32_t kindCode = 3);
    int32_t GetType() const override { return kSwitchType; }
    void Save(ConfigTable& table) const override;
    void Load(ConfigTable& table) override;

    String offObject;
    String onObject;
    bool state = false;
};

/// A toggle looks like a switch, but a click only calls its hook: the script
/// decides whether its state changes.
class Toggle : public Switch {
public:
    Toggle(const char* toggleName, const char* off, const char* on) : Switch(toggleName, off, on, 4) {}
    int32_t GetType() const override { return kToggleType; }
};

class Item : public Gadget {
public:
    /// `stacked` empty: the item of the gadget's own name, its one object
    /// the doodad of that name; else a stack named `itemName` giving `stacked`.
    Item(const char* itemName, const char* stacked);
    int32_t GetType() const override { return kItemType; }
    /// The item a click on the gadget gives.
    const String& GivenItem() const { return stackedItem.Empty() ? name : stackedItem; }

    bool hideOnAcquire = true;
    bool carryOnAcquire = false;
    bool tweenOnAcquire = true;
    String stackedItem;
    String requiredTool;
};

class LevelLink : public Gadget {
public:
    LevelLink(const char* linkName, const char* linkObject, const char* target, bool treasureOrQuestLink);
    int32_t GetType() const override { return kLevelLinkType; }
    bool Matches(const char* text) const override;
    void Save(ConfigTable& table) const override;
    void Load(ConfigTable& table) override;

    String object;
    String linkPath; ///< the name of the level screen it shows
    bool treasureOrQuest = false;
    bool hint = true;
};

/// The level's gadgets: one map by name plus one list per kind in creation
/// order. A second gadget of a taken name replaces the first in the map; both
/// records stay (and stay in their kind lists).
class GadgetSet {
public:
    /// Takes `gadget`; false when its name was taken already.
    bool Add(std::unique_ptr<Gadget> gadget);
    /// The gadget of that name (the newest), or null.
    Gadget* Find(std::string_view gadgetName) const;
    /// The gadget named `element`, else the first (in creation order) having
    /// it among its objects; null when none.
    Gadget* OwnerOf(const char* element) const;
    /// True when `element` is an object of an enabled gadget.
    bool IsObjectOfEnabled(const char* element) const;
    bool Empty() const { return owned.empty(); }
    /// The current gadget of every name writes its keys.
    void Save(ConfigTable& table) const;
    /// Every record reads its keys.
    void Load(ConfigTable& table);

    const std::vector<std::unique_ptr<Gadget>>& All() const { return owned; }
    std::vector<Lock*> locks;
    std::vector<Switch*> switches;
    std::vector<Toggle*> toggles;
    std::vector<Item*> items;
    std::vector<LevelLink*> links;

private:
    std::vector<std::unique_ptr<Gadget>> owned;
    std::map<std::string, Gadget*, std::less<>> byName;
};
