#pragma once
// State: one player profile, a child of the state root scene `gameState`.
//
// PlayerId -1 marks the default player (no profile created yet); registered
// profiles count from 0. The inventory has 32 slots of item names, "" being
// an empty slot. Each journal entry is one text: the page name followed by
// the names of the elements revealed on it, all separated by commas, e.g.
// "plaza,plaza,statue". Level indices refer to the global setting Levels.
//
// hudVisible and mapChangePending are run-time flags, never saved.

#include "core/Element.h"
#include "core/String.h"

#include <vector>

class State : public Element {
    ENGINE_CLASS(State, Element)

public:
    static constexpr int32_t kInventorySlots = 32;
    /// Most orbs a profile can hold.
    static constexpr int32_t kMaxOrbs = 7;

    State();

    // Inventory.
    /// Writes the name into the first empty slot; false when all are taken.
    bool AddToInventory(const char* name);
    /// The slot's item, "" when out of range or empty.
    const String& InventoryItemAt(int32_t index) const;
    /// Empties a non-empty slot in range; the other slots do not move.
    bool RemoveInventoryItemAt(int32_t index);
    /// First slot holding exactly that name, or -1.
    int32_t FindInventoryItem(const char* name) const;
    int32_t FirstEmptyInventorySlot() const;
    /// The item in hand or one in the inventory has that name.
    bool HasItem(const char* name) const;
    /// Moves the items to the front in their order; the rest become empty.
    void CompactInventory();
    bool HasActiveItem() const;
    /// Puts the item in hand back into the inventory (dropped when it is full)
    /// and empties the hand.
    void StowActiveItem();

    // Journal.
    /// Index of the non-empty entry for that page, or -1.
    int32_t FindJournalPage(const char* page) const;
    /// The names after the page name; false when the page has no entry.
    bool JournalPageElements(const char* page, std::vector<String>& out) const;
    bool PageHasElement(const char* page, const char* element) const;
    /// The page name of entry `index`; false for an empty or out-of-range entry.
    bool JournalPageNameAt(int32_t index, String& out) const;
    /// Reveals the element on the page (making a new entry for a new page) and
    /// turns the journal to it; false when it was there or no entry is free.
    bool AddJournalElement(const char* element, const char* page);
    /// Moves ActiveJournalPage by `delta` entries; false when that entry is
    /// out of range or empty.
    bool TurnJournalPage(int32_t delta);
    /// The entry right after the page's entry exists and is not empty.
    bool HasNextJournalPage(const char* page) const;

    // Orbs and levels.
    bool OrbsActive() const;
    /// One more orb, at most kMaxOrbs; the first orb of an unset counter gives 0.
    void GiveOrb();
    void StartOrbs();
    /// Takes Game_OrbCounts[CurrentLevel] when it is in range and not negative.
    void ApplyLevelOrbCount();
    /// Game_DiscColors[CurrentLevel], or "" when out of range.
    String LevelDiscColor() const;
    /// The level is among the first LevelCount names and before CurrentLevel.
    bool IsLevelPassed(const char* levelName) const;
    /// CurrentLevel has reached LastPlayableLevel (0 when that has no value).
    bool IsGameFinished() const;
    /// Past the second level and not finished: the second world's look.
    bool InSecondWorld() const;

    Var PlayerId;
    Var PlayerName;
    Var Active;
    Var HintCooldown;
    Var ShowMapOnLoad;
    Var Inventory;
    Var ActiveItem;
    Var CurrentLevel;
    Var Prompt_IgnoreSkipDialogue;
    Var JournalElements;
    Var ActiveJournalPage;
    Var JournalUpdated;
    Var OrbCount;

    bool hudVisible = true;
    bool mapChangePending = false;
    /// The picture and text the item prompt shows next; never saved. The
    /// level rules set both before asking for the item prompt.
    String pendingItemImage;
    String pendingItemText;
};
