#pragma once
// Figures of the real game on the demo data, measured side by side in one run:
//   - start to the first drawn frame of the title (a returning player's
//     start), with the file cache warm and with the game's files dropped from
//     it, against reading data.pack once in the same state;
//   - CPU of all the game's threads left alone on the title, the map and in
//     a level, with the ambient effects moving and held still;
//   - resident memory in each of those places, split into the anonymous
//     memory that is the game's own and the file-backed libraries (the
//     software renderer's LLVM and GL driver apart).
// Printed as a table; nothing is judged.

void RunFigures(const char* biggestLevel);
