#pragma once
// The journal's console commands.

/// Gives the current player every piece of every level's journal page: for
/// each name of the setting "Levels" whose page scene exists, each of the
/// page's top-level widgets. False without a current player or when no page
/// scene exists.
bool UnlockJournals();
/// Plays the journal gift on the topmost level screen; false without one.
bool GiveJournalOnTopLevel();
