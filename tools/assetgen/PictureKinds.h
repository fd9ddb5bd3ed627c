#pragma once
// The picture kinds' painters, shared between the files that hold them
// (Pictures.cpp dispatches; Landscape.cpp paints backgrounds), and the small
// helpers they all use. Each painter checks the recipe's keys, paints `canvas`
// and returns false with a "FILE:LINE: ..." error otherwise.

#include "Canvas.h"
#include "Pictures.h"
#include "Recipe.h"

#include <string>

/// Largest side of a picture, in pixels.
constexpr float kMaxSide = 4096.0f;

/// Reads "Size = W H" (required).
bool GetSize(const Recipe& recipe, int32_t& w, int32_t& h, std::string& error);
/// The colour with its red, green and blue scaled by `f`.
Colour Darker(const Colour& c, float f);

/// Kind = townmap (TownMap.cpp): a town seen from above; Kind = mapprop: its
/// pieces alone (the scenery that changes, markers, the walker).
bool MakeTownMap(const Recipe& recipe, Canvas& canvas, std::string& error);
bool MakeMapProp(const Recipe& recipe, Canvas& canvas, std::string& error);
bool MakeBackground(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error);
/// The harbour front of a background (Water, Quay, Bollards, KerbColour,
/// Lamp, Stall, Crate): nothing without a "Quay" line.
bool PaintHarbourFront(const Recipe& recipe, Canvas& canvas, const Colour& sunColour, float sunX,
                       const Colour& haze, const Colour& sea, uint32_t seed, std::string& error);

/// Kind = peg, pegboard and room (Board.cpp): the board puzzle's pieces and
/// the interior the demo's puzzle stands in.
bool MakePeg(const Recipe& recipe, Canvas& canvas, std::string& error);
bool MakePegBoard(const Recipe& recipe, Canvas& canvas, std::string& error);
bool MakeRoom(const Recipe& recipe, Canvas& canvas, std::string& error);

/// The room's floor boards at a pixel (x, y) of a picture width × height whose
/// floor starts at row floorLine: the board's index across the room, whether
/// the pixel lies on a seam between boards or on a joint between two lengths
/// of one board, and the depth coordinate along the boards (1000 at the floor
/// line, falling towards the viewer). Seams are straight lines meeting in one
/// vanishing point above the floor line. Above the floor: all zero.
struct FloorBoardPoint {
    int32_t board = 0;
    bool seam = false;
    bool joint = false;
    float along = 0.0f;
};
inline constexpr float kFloorBoardWidth = 64.0f;  ///< at the floor line, in pixels
inline constexpr float kFloorBoardLength = 230.0f; ///< in units of along
FloorBoardPoint FloorBoardAt(float x, float y, float width, float height, float floorLine, uint32_t seed);

/// Kind = lamproom (LampRoom.cpp): a lighthouse's lamp room at night.
bool MakeLampRoom(const Recipe& recipe, Canvas& canvas, std::string& error);

/// Kind = cutout (Cutout.cpp): pieces of another recipe's picture, cut along
/// polygons, for scenery drawn in front of a level's objects.
bool MakeCutout(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error);
