#pragma once
// The checks of board puzzles, for every scene file that holds a Leapfrog:
// puzzle links (help page, skip button and countdown) that name nothing, so
// that the puzzle would stay frozen; slots, pegs and neighbours that name
// nothing; and for every layout (LeapfrogConfig): pegs it puts on slots the
// board lacks, more gray items than gray pegs, the red peg on a gray peg's
// slot, and layouts the player cannot solve (a search over the board states
// from the layout finds no state without gray pegs). All are errors.

#include <string>

class CheckReport;

void CheckPuzzleFile(const std::string& path, CheckReport& report);
