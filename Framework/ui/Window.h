#pragma once
// Window: a frame with a background, both tiled from pieces.
//
// The window is a grid of ("area"[0] + 2) × ("area"[1] + 2) cells: a border
// row and column on each side around "area" middle tiles. Cell sizes come
// from the pieces: the top-left piece gives the border's width and height,
// the top piece the middle width, the left piece the middle height. Each cell
// draws its background piece (when "drawBackground") and then its frame piece
// (when "drawFrame"); the middle cells have a background only. A piece that
// did not load is skipped, so a window with missing pieces still draws what
// it has (the data checker reports the missing ones).
//
// Properties (scene-file keys, in this order): area (int[2]), segments (8
// sprite paths: top-left, top, top-right, left, right, bottom-left, bottom,
// bottom-right), backgrounds (9 sprite paths: the same order plus the
// centre), drawFrame, drawBackground.

#include "core/Link.h"
#include "core/Widget.h"
#include "render/Sprite.h"

class Window : public Widget {
    ENGINE_CLASS(Window, Widget)

public:
    static constexpr int32_t kSegmentCount = 8;
    static constexpr int32_t kBackgroundCount = 9;
    /// The default piece paths, in property order.
    static const char* const kDefaultSegments[kSegmentCount];
    static const char* const kDefaultBackgrounds[kBackgroundCount];

    Window();

    bool Draw() override;

    /// Border sizes (from the top-left piece) and middle tile sizes (top
    /// piece's width, left piece's height); 0 for a missing piece.
    int32_t BorderWidth() const;
    int32_t BorderHeight() const;
    int32_t TileWidth() const;
    int32_t TileHeight() const;
    /// The width and height of the middle (the tiles inside the border).
    int32_t InteriorWidth() const;
    int32_t InteriorHeight() const;

    Var area;
    Link<Sprite> segments;
    Link<Sprite> backgrounds;
    Var drawFrame;
    Var drawBackground;
};
