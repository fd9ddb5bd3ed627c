#pragma once
// Player profiles: the State children of the state root `gameState`.
//
// Exactly one child is Active after every operation here: the current player.
// A child whose PlayerId is 0 or more (or has no value) is a registered
// profile; at most one, the default player, has -1. The current player is
// cached and the cache is forgotten whenever the selection changes, the root
// is replaced or the cached profile is deleted. Names compare byte for byte.

#include <cstdint>

class State;
class String;

/// A name as a player typed it, made fit to be saved and found again: blanks
/// at both ends are trimmed into `out`. False (out unchanged) for a null name
/// or one holding control characters, which the save files cannot keep.
bool CleanPlayerName(const char* typed, String& out);

/// The current player: the cached one, else the first active child; null
/// when there is no root or no active child.
State* CurrentPlayer();
/// Forgets the cached current player (the root is about to change).
void ForgetCurrentPlayer();
/// Makes the profile with that id the only active one; false when none has it.
bool SelectPlayer(int32_t id);
State* FindPlayerById(int32_t id);
State* FindPlayerByName(const char* name);
/// 1 + the largest PlayerId (a profile without one counts as 0).
int32_t NextPlayerId();
bool IsRegistered(const State& player);

/// A new profile (not selected) named `name` (cleaned by CleanPlayerName), or
/// the default player adopted under that name; the new id, or -1 when the
/// name is refused or taken or no profile can be added. Stale files of the id
/// are deleted.
int32_t CreatePlayer(const char* name);
/// A copy of profile `id` under a new name (cleaned as above) and id (level
/// saves are not copied); the new id or -1.
int32_t CopyPlayer(int32_t id, const char* name);
/// Deletes the profile and its files, selects the first registered profile
/// that is left (or a new default player) and saves the state; false when no
/// profile has that id.
bool DeletePlayer(int32_t id);
/// Every property back to its default except the profile's id, name, element
/// name and selection.
void ResetPlayer(State& player);
