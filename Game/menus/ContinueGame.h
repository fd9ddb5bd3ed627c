#pragma once
// ContinueGame: brings the current player back to where they were, with
// the title screen on top.
//
// 1. A finished game loads the last level set of Globals "Levels".
// 2. Otherwise, with "ShowMapOnLoad" set, the map becomes the screen (and the
//    flag is cleared) before the title is pushed.
// 3. Otherwise a valid "CurrentLevel" loads that level set.
// 4. The title screen is pushed on top (transition 1).
// A step whose screen class the game does not have (no map or level screen)
// or whose level set does not load is skipped with one log line: the
// player still lands on the title. False only when the title cannot be shown.

#include <functional>

bool ContinueGame();

/// The start-up loading the splash screen runs when it ends (the preload it
/// took over); installed by the game's start-up, empty otherwise.
std::function<void()>& DeferredStartupLoading();
