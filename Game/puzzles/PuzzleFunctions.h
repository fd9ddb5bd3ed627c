#pragma once
// Opening board puzzles from level scripts.

class ScriptState;

/// Loads the puzzle `name` afresh from Globals "Path_Puzzles" (the name
/// filled in twice; when that does not give a screen, the name itself is
/// tried as the path), starts it with `layout` and pushes it with
/// transition 1. False, with a log line and nothing pushed, when the file
/// holds no Puzzle, the layout is missing or the push is refused.
bool PlayPuzzle(const char* name, const char* layout);

/// Registers the level function PlayPuzzle (puzzle name, layout name) → bool.
void RegisterPuzzleFunctions(ScriptState& state);
