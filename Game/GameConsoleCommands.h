#pragma once
// The console commands the game serves today: the player's profile and
// progress files, the screenshot tour of every level and the stories (with
// the script function ShowStory). Installed at
// start-up; the others of ConsoleGameCommands stay empty until the screens
// they need exist.

/// Fills the game's members of the console's command hooks.
void InstallGameConsoleCommands();
