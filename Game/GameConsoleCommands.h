#pragma once
// The console commands the game serves today: the player's profile and
// progress files, and the screenshot tour of every level. Installed at
// start-up; the others of ConsoleGameCommands stay empty until the screens
// they need exist.

/// Fills the game's members of the console's command hooks.
void InstallGameConsoleCommands();
