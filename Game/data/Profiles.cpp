#include "data/Profiles.h"

#include "core/EngineState.h"
#include "core/Scene.h"
#include "core/String.h"
#include "data/SaveFiles.h"
#include "data/State.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace {

State* cachedPlayer = nullptr;

// Calls `visit` for every State child in the root's current order until it
// returns true; returns the child it stopped at.
template <typename Visit> State* FindChild(Visit visit) {
    if (!gameState) {
        return nullptr;
    }
    for (auto& entry : gameState->Elements().Entries()) {
        State* player = ObjectCast<State>(entry.value);
        if (player && visit(*player)) {
            return player;
        }
    }
    return nullptr;
}

State* AddProfile() {
    return gameState ? ObjectCast<State>(gameState->CreateElement(State::StaticClassName())) : nullptr;
}

// Takes the profile out of the root at once and deletes it.
void RemoveProfile(State* player) {
    gameState->Elements().RemoveIf([player](auto& entry) { return entry.value == player; });
    if (cachedPlayer == player) {
        cachedPlayer = nullptr;
    }
    delete player;
}

} // namespace

bool CleanPlayerName(const char* typed, String& out) {
    if (!typed) {
        return false;
    }
    std::string_view name(typed);
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        out.Assign("");
        return true;
    }
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    out.Assign(name.data(), name.size());
    return true;
}

State* CurrentPlayer() {
    if (!cachedPlayer) {
        cachedPlayer = FindChild([](State& p) { return p.Active.GetCount() > 0 && p.Active.FirstBool(); });
    }
    return cachedPlayer;
}

void ForgetCurrentPlayer() {
    cachedPlayer = nullptr;
}

bool SelectPlayer(int32_t id) {
    cachedPlayer = nullptr;
    State* match = nullptr;
    FindChild([&](State& p) {
        const bool selected = p.PlayerId.FirstInt() == id;
        p.Active.SetFirstBool(selected);
        if (selected && !match) {
            match = &p;
        }
        return false;
    });
    cachedPlayer = match;
    return match != nullptr;
}

State* FindPlayerById(int32_t id) {
    return FindChild([id](State& p) { return p.PlayerId.FirstInt() == id; });
}

State* FindPlayerByName(const char* name) {
    return FindChild([name](State& p) { return p.PlayerName.FirstString().Equals(name); });
}

int32_t NextPlayerId() {
    int32_t largest = -1;
    FindChild([&](State& p) {
        largest = std::max(largest, p.PlayerId.GetCount() > 0 ? p.PlayerId.FirstInt() : 0);
        return false;
    });
    return largest == INT_MAX ? -1 : largest + 1;
}

bool IsRegistered(const State& player) {
    return player.PlayerId.GetCount() == 0 || player.PlayerId.FirstInt() >= 0;
}

int32_t CreatePlayer(const char* typedName) {
    String cleaned;
    if (!gameState || !CleanPlayerName(typedName, cleaned)) {
        return -1;
    }
    const char* name = cleaned.CStr();
    State* current = CurrentPlayer();
    const int32_t id = NextPlayerId();
    if (id < 0) {
        return -1;
    }
    if (current && !IsRegistered(*current)) {
        // The default player becomes the first profile.
        current->PlayerId.SetFirstInt(id);
        current->PlayerName.SetFirstString(name);
        DeletePlayerFiles(*current);
        return id;
    }
    if (FindPlayerByName(name)) {
        return -1;
    }
    State* player = AddProfile();
    if (!player) {
        return -1;
    }
    player->PlayerId.SetFirstInt(id);
    player->PlayerName.SetFirstString(name);
    DeletePlayerFiles(*player); // leftovers of an earlier profile with this number
    return id;
}

int32_t CopyPlayer(int32_t id, const char* typedName) {
    String cleaned;
    State* source = FindPlayerById(id);
    if (!source || !CleanPlayerName(typedName, cleaned) || FindPlayerByName(cleaned.CStr())) {
        return -1;
    }
    State* copy = AddProfile();
    if (!copy) {
        return -1;
    }
    // The copy keeps the element name the root gave it until the rename, and
    // it is not selected: the source stays the current player.
    const String ownName(copy->GetName());
    copy->CopyPropertiesFrom(*source);
    copy->Name.SetFirstString(ownName.CStr());
    copy->Active.SetFirstBool(false);
    if (!gameState->RenameElement(*copy, source->GetName())) {
        RemoveProfile(copy);
        return -1;
    }
    const int32_t newId = NextPlayerId();
    copy->PlayerId.SetFirstInt(newId);
    copy->PlayerName.SetFirstString(cleaned.CStr());
    return newId;
}

bool DeletePlayer(int32_t id) {
    State* player = FindPlayerById(id);
    if (!player) {
        return false;
    }
    DeletePlayerFiles(*player);
    ResetPlayer(*player);
    RemoveProfile(player);

    if (!FindChild([](State&) { return true; })) {
        if (State* fresh = AddProfile()) {
            fresh->Active.SetFirstBool(true);
        }
    }
    if (State* registered = FindChild([](State& p) { return IsRegistered(p); })) {
        SelectPlayer(registered->PlayerId.FirstInt());
    }
    if (!CurrentPlayer()) {
        // Only an inactive default player is left: it becomes the current one.
        if (State* first = FindChild([](State&) { return true; })) {
            first->Active.SetFirstBool(true);
        }
        cachedPlayer = nullptr;
    }
    if (State* current = CurrentPlayer()) {
        current->StowActiveItem();
    }
    SaveStateFile();
    return true;
}

void ResetPlayer(State& player) {
    const String name(player.PlayerName.FirstString());
    const int32_t id = player.PlayerId.FirstInt();
    const String elementName(player.GetName());
    const bool active = player.Active.FirstBool();
    State defaults;
    player.CopyPropertiesFrom(defaults);
    player.PlayerName.SetFirstString(name.CStr());
    player.PlayerId.SetFirstInt(id);
    player.Name.SetFirstString(elementName.CStr());
    player.Active.SetFirstBool(active);
}
