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

/// The scene's light on an object picture: its colours drawn toward their
/// grey by 1 - saturation, multiplied by the tint (mixed with white by the
/// tint's alpha), then darkened by up to `shade` away from the light's side
/// ("left", "right" or "top").
struct ObjectLight {
    float saturation = 1.0f;
    Colour tint{1, 1, 1, 0};
    float shade = 0.0f;
    std::string from = "left";
};
/// Reads the optional keys Saturation, Tint, Shade and LightFrom.
bool ReadObjectLight(const Recipe& recipe, ObjectLight& light, std::string& error);
void ApplyObjectLight(const ObjectLight& light, Canvas& canvas);
/// "U+1F511" or the character itself in UTF-8; 0 for anything else.
uint32_t ParseCharacter(const std::string& character);

/// Kind = clutter (Clutter.cpp): many object pictures of the emoji font in
/// one picture, each placed, sized, turned, lit and shadowed: the things of
/// a scene that are only there to be looked past.
bool MakeClutter(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error);
