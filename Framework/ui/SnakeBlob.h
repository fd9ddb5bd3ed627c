#pragma once
// SnakeBlob: a decoration drawn as a chain of square tiles on a grid.
//
// "layout" lists the cells as comma-separated integers, three per cell: x,
// y (grid units) and a connection mask (1 up, 2 down, 4 left, 8 right). A
// cell is drawn at (x × w, y × w) in the blob's own pixels, w being the width
// of the first segment sprite, with the segment its mask calls for:
// straight pieces, corners and end caps; masks without a piece of their own
// draw the horizontal one, and masks outside 0 … 15 are skipped. An
// incomplete last triple is ignored.
//
// Properties (scene-file keys, in this order): segments (10 sprite links:
// horizontal, vertical, top-left, top-right, bottom-left, bottom-right, cap
// left, cap right, cap top, cap bottom), layout (text).

#include "core/Link.h"
#include "core/Widget.h"
#include "render/Sprite.h"

#include <cstdint>
#include <vector>

class SnakeBlob : public Widget {
    ENGINE_CLASS(SnakeBlob, Widget)

public:
    struct Cell {
        int32_t x = 0;
        int32_t y = 0;
        int32_t code = 0;
    };
    static constexpr int32_t kSegmentCount = 10;

    SnakeBlob();

    /// Rebuilds the cells when "layout" changed.
    bool Resolve() override;
    /// Never takes the mouse.
    bool MouseButton(int32_t, bool) override { return false; }
    bool Draw() override;

    /// The "segments" index drawn for a connection mask; −1 outside 0 … 15.
    static int32_t SegmentFor(int32_t code);
    const std::vector<Cell>& Cells() const { return cells; }

    Link<Sprite> segments;
    Var layout;

private:
    void ParseLayout();
    std::vector<Cell> cells;
};
