#include "data/State.h"

#include "core/Log.h"
#include "core/Tokenizer.h"
#include "data/Globals.h"

#include <algorithm>

namespace {

constexpr int32_t kDefaultJournalPages = 32;
// A settings file can ask for any page count; more than this is a damaged
// value, not a journal.
constexpr int32_t kMaxJournalPages = 1024;
constexpr const char* kDefaultFirstJournalPage = "memorial_plaza";

int32_t JournalPageCount() {
    Globals* settings = GetGlobals();
    if (!settings) {
        return kDefaultJournalPages;
    }
    const int32_t count = settings->GetInt("JournalPageCount");
    if (count < 0 || count > kMaxJournalPages) {
        LogFormat("JournalPageCount %d is out of range 0..%d; the journal keeps %d pages", count,
                  kMaxJournalPages, kDefaultJournalPages);
        return kDefaultJournalPages;
    }
    return count;
}

const char* FirstJournalPage() {
    Globals* settings = GetGlobals();
    return settings ? settings->GetString("FirstJournalPage").CStr() : kDefaultFirstJournalPage;
}

// The comma-separated tokens of a journal entry.
std::vector<String> Tokens(const String& entry) {
    std::vector<String> tokens;
    Tokenizer tokenizer(entry.CStr(), ",");
    String token;
    while (tokenizer.NextToken(token)) {
        tokens.push_back(token);
    }
    return tokens;
}

} // namespace

State::State() {
    DeclareInt("PlayerId", PlayerId, 1, this, -1);
    DeclareString("PlayerName", PlayerName, 1, this, "");
    DeclareBool("Active", Active, 1, this, false);
    DeclareFloat("HintCooldown", HintCooldown, 1, this, 0.0f);
    DeclareBool("ShowMapOnLoad", ShowMapOnLoad, 1, this, false);
    DeclareString("Inventory", Inventory, kInventorySlots, this, "");
    DeclareString("ActiveItem", ActiveItem, 1, this, "");
    DeclareInt("CurrentLevel", CurrentLevel, 1, this, 0);
    DeclareBool("Prompt_IgnoreSkipDialogue", Prompt_IgnoreSkipDialogue, 1, this, false);
    DeclareString("JournalElements", JournalElements, JournalPageCount(), this, "");
    DeclareString("ActiveJournalPage", ActiveJournalPage, 1, this, FirstJournalPage());
    DeclareBool("JournalUpdated", JournalUpdated, 1, this, false);
    DeclareInt("OrbCount", OrbCount, 1, this, -1);
    PlayerName.SetFirstString("DefaultPlayer");
}

// ---- inventory ------------------------------------------------------------------

bool State::AddToInventory(const char* name) {
    const int32_t slot = FirstEmptyInventorySlot();
    return slot >= 0 && Inventory.SetString(slot, name);
}

const String& State::InventoryItemAt(int32_t index) const {
    return Inventory.GetString(index);
}

bool State::RemoveInventoryItemAt(int32_t index) {
    if (index < 0 || index >= Inventory.GetCount() || Inventory.GetString(index).Empty()) {
        return false;
    }
    return Inventory.SetString(index, "");
}

int32_t State::FindInventoryItem(const char* name) const {
    for (int32_t i = 0; i < Inventory.GetCount(); ++i) {
        if (Inventory.GetString(i).Equals(name)) {
            return i;
        }
    }
    return -1;
}

int32_t State::FirstEmptyInventorySlot() const {
    return FindInventoryItem("");
}

bool State::HasItem(const char* name) const {
    return ActiveItem.FirstString().Equals(name) || FindInventoryItem(name) >= 0;
}

void State::CompactInventory() {
    int32_t next = 0;
    for (int32_t i = 0; i < Inventory.GetCount(); ++i) {
        const String item(Inventory.GetString(i));
        if (item.Empty()) {
            continue;
        }
        if (i != next) {
            Inventory.SetString(next, item.CStr());
            Inventory.SetString(i, "");
        }
        ++next;
    }
}

bool State::HasActiveItem() const {
    return !ActiveItem.FirstString().Empty();
}

void State::StowActiveItem() {
    if (!HasActiveItem()) {
        return;
    }
    AddToInventory(ActiveItem.FirstString().CStr());
    ActiveItem.SetFirstString("");
}

// ---- journal --------------------------------------------------------------------

int32_t State::FindJournalPage(const char* page) const {
    String name;
    for (int32_t i = 0; i < JournalElements.GetCount(); ++i) {
        if (JournalPageNameAt(i, name) && name.Equals(page)) {
            return i;
        }
    }
    return -1;
}

bool State::JournalPageElements(const char* page, std::vector<String>& out) const {
    const int32_t index = FindJournalPage(page);
    if (index < 0) {
        return false;
    }
    std::vector<String> tokens = Tokens(JournalElements.GetString(index));
    out.assign(tokens.begin() + 1, tokens.end());
    return true;
}

bool State::PageHasElement(const char* page, const char* element) const {
    std::vector<String> elements;
    if (!JournalPageElements(page, elements)) {
        return false;
    }
    for (const String& name : elements) {
        if (name.Equals(element)) {
            return true;
        }
    }
    return false;
}

bool State::JournalPageNameAt(int32_t index, String& out) const {
    const String& entry = JournalElements.GetString(index);
    if (entry.Empty()) {
        return false;
    }
    std::vector<String> tokens = Tokens(entry);
    if (tokens.empty()) {
        return false;
    }
    out = tokens.front();
    return true;
}

bool State::AddJournalElement(const char* element, const char* page) {
    if (!element || !page || PageHasElement(page, element)) {
        return false;
    }
    std::vector<String> elements;
    if (!JournalPageElements(page, elements)) {
        elements.assign(1, String(page)); // a new page lists its own name first
    }
    elements.emplace_back(element);

    int32_t target = FindJournalPage(page);
    for (int32_t i = 0; target < 0 && i < JournalElements.GetCount(); ++i) {
        if (JournalElements.GetString(i).Empty()) {
            target = i;
        }
    }
    if (target < 0) {
        return false;
    }
    String text(page);
    for (const String& name : elements) {
        text += ",";
        text += name;
    }
    JournalElements.SetString(target, text.CStr());
    JournalUpdated.SetFirstBool(true);
    ActiveJournalPage.SetFirstString(page);
    return true;
}

bool State::TurnJournalPage(int32_t delta) {
    const int32_t target = FindJournalPage(ActiveJournalPage.FirstString().CStr()) + delta;
    String name;
    if (target < 0 || target >= JournalElements.GetCount() || !JournalPageNameAt(target, name)) {
        return false;
    }
    ActiveJournalPage.SetFirstString(name.CStr());
    return true;
}

bool State::HasNextJournalPage(const char* page) const {
    const int32_t index = FindJournalPage(page);
    return index >= 0 && index + 1 < JournalElements.GetCount() &&
           !JournalElements.GetString(index + 1).Empty();
}

// ---- orbs and levels ------------------------------------------------------------

bool State::OrbsActive() const {
    return OrbCount.GetCount() == 0 || OrbCount.FirstInt() >= 0;
}

void State::GiveOrb() {
    const int32_t count = OrbCount.FirstInt();
    if (count < kMaxOrbs) {
        OrbCount.SetFirstInt(count + 1);
    }
}

void State::StartOrbs() {
    OrbCount.SetFirstInt(0);
}

void State::ApplyLevelOrbCount() {
    Globals* settings = GetGlobals();
    if (!settings) {
        return;
    }
    const Var& counts = settings->Setting("Game_OrbCounts");
    const int32_t level = CurrentLevel.FirstInt();
    if (level >= 0 && level < counts.GetCount() && counts.GetInt(level) >= 0) {
        OrbCount.SetFirstInt(counts.GetInt(level));
    }
}

String State::LevelDiscColor() const {
    Globals* settings = GetGlobals();
    return settings ? settings->GetString("Game_DiscColors", CurrentLevel.FirstInt()) : String();
}

bool State::IsLevelPassed(const char* levelName) const {
    Globals* settings = GetGlobals();
    if (!settings || !levelName) {
        return false;
    }
    const Var& levels = settings->Setting("Levels");
    const int32_t count = std::min(settings->GetInt("LevelCount"), levels.GetCount());
    for (int32_t i = 0; i < count; ++i) {
        if (levels.GetString(i).Equals(levelName)) {
            return i < CurrentLevel.FirstInt();
        }
    }
    return false;
}

bool State::IsGameFinished() const {
    Globals* settings = GetGlobals();
    const Var* last = settings ? &settings->Setting("LastPlayableLevel") : nullptr;
    const bool hasValue = last && last->GetType() == kVarInt && last->GetCount() > 0;
    return CurrentLevel.FirstInt() >= (hasValue ? last->FirstInt() : 0);
}

bool State::InSecondWorld() const {
    return !IsGameFinished() && CurrentLevel.FirstInt() > 1;
}
