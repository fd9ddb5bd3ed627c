#pragma once
// The painted pieces of the town map, seen from above and a little from the
// south at dusk: houses with lit windows, market stalls, crates, boats, trees,
// the lighthouse, lantern posts and the walking traveller. The town map
// (TownMap.cpp) paints them into its picture and the "mapprop" kind paints
// them alone on transparent pictures, so a piece that changes on the map
// looks the same as the piece painted under it.
//
// Each painter draws into a canvas at absolute coordinates; `Stamp` gives it
// a small canvas round the piece and lays that over the big one, so a piece
// costs its own size, not the picture's.

#include "Canvas.h"

#include <cstdint>
#include <functional>

/// Paints with `paint` on a canvas covering x0, y0 to x1, y1 of `target` and
/// lays it over `target`. The painter gets the canvas and the offset to add
/// to absolute coordinates.
void Stamp(Canvas& target, float x0, float y0, float x1, float y1,
           const std::function<void(Canvas&, Point offset)>& paint);

struct HouseStyle {
    Colour roof{0.55f, 0.25f, 0.18f, 1};
    Colour wall{0.86f, 0.78f, 0.64f, 1};
    Colour window{1.0f, 0.8f, 0.42f, 1};
    bool gableFront = false; ///< the gable faces the viewer (else the long side)
    bool chimney = true;
    int32_t chimneySide = 0; ///< -1 left, 1 right, 0 either
    bool timber = false;     ///< dark beams on the wall
    float lit = 0.6f;        ///< share of the windows lit
    uint32_t seed = 1;
};

/// A house standing on (x, y), the middle of its front wall's foot: `width`
/// wide, its wall `wall` and its roof `roof` high. Shadow to the lower right.
void PaintHouse(Canvas& target, float x, float y, float width, float wall, float roof, const HouseStyle& style);
/// The margin a house's shadow and glow need round its wall and roof.
constexpr float kHouseMargin = 24.0f;

/// The market hall: a long hall with arched lit windows and a clock turret.
void PaintHall(Canvas& target, float x, float y, float width, const HouseStyle& style);
/// The boathouse: a wooden shed on the water's edge with a wide door.
void PaintBoathouse(Canvas& target, float x, float y, float width, const HouseStyle& style);
/// The lighthouse on (x, y): a white tower with red bands, its lamp room dark.
void PaintLighthouse(Canvas& target, float x, float y, float height);

/// A market stall on (x, y) (middle of its counter's foot), `width` wide:
/// a striped awning over a plank counter with wares; torn: the awning hangs
/// in rags.
void PaintStall(Canvas& target, float x, float y, float width, const Colour& stripe, bool torn, uint32_t seed);
/// A stack of crates and a barrel standing on (x, y).
void PaintCrates(Canvas& target, float x, float y, uint32_t seed);
/// A round tree crown with its trunk's foot at (x, y).
void PaintTree(Canvas& target, float x, float y, float radius, const Colour& leaves, uint32_t seed);
/// A boat on the water, its middle at (x, y), `length` long, turned by
/// `angle` degrees (0: bow to the right).
void PaintBoat(Canvas& target, float x, float y, float length, float angle, const Colour& hull, uint32_t seed);
/// A street lamp standing on (x, y) with its pool of warm light.
void PaintStreetLamp(Canvas& target, float x, float y);
/// A lantern post standing on (x, y): lit (a place to go) with a wide warm
/// glow, or done (a place restored) with a ribbon and a low steady light.
void PaintLanternPost(Canvas& target, float x, float y, bool lit);
/// The traveller standing on (x, y), frame `frame` of `frames` of a walk.
void PaintWalker(Canvas& target, float x, float y, int32_t frame, int32_t frames);
/// Smoke rising from a chimney top at (x, y).
void PaintSmoke(Canvas& target, float x, float y, uint32_t seed);
