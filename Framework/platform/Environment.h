#pragma once
// Switches the process environment gives the game.

/// True when the environment variable `name` is set to "1".
bool EnvironmentFlag(const char* name);
