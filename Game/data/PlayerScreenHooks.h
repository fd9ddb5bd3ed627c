#pragma once
// The player state's answers to the screen services (the save folder, the
// profile's look and progress) and to the level list (the bookkeeping around
// level loads).

/// Installs them for the screen services and the level list (start-up, once
/// the state exists), and lets the saved state ask the screen stack whether
/// a screen is open.
void InstallPlayerScreenHooks();
