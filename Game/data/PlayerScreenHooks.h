#pragma once
// The player state's answers to the screen services: the save folder, the
// profile's world and progress, and the bookkeeping around level loads.

/// Installs them for the screen services (start-up, once the state exists),
/// and lets the saved state ask the screen stack whether a screen is open.
void InstallPlayerScreenHooks();
