#pragma once
// TextButton: a button whose face is a frame tiled horizontally (left cap,
// middle tiles, right cap; one set per state up, down, over) with a caption
// and an optional icon. It behaves as a Button (messages 200 and 201, the
// press sound); the Button's own sprite paths are neither read nor written
// for it.
//
// Layout (at resolve time, in the state current then): the width needed is
// the caption's width plus the icon's, at least "MinWidth"; `tiles` is that
// width divided by the middle tile's width (truncated, so the frame can be a
// little narrower than the caption; at least 1 when any width is needed, so a
// face of one picture wider than the caption still shows; 0 with a negative
// "MinWidth"), and
// `totalWidth` the tiles plus both caps. "Alignment" anchors the frame at
// the position: 0 its left edge, 1 its right edge, 2 its centre. Only the
// frame's pixels count for hitting it (any pixel inside a piece).
//
// Properties (scene-file keys, in this order): Text (string-table key or the
// caption itself), Font (text style number), Left, Right, Center (3 sprite
// paths each, per state), TextOffset (float[2]), MinWidth, Alignment,
// TextAlignment (0 Left, 1 Right, 2 Center), icon (sprite link), iconAnchor
// (0 Before Text, 1 After Text, 2 Top Left, 3 Center, 4 Bottom Right),
// iconOffset (float[2]), drawFrame (bool).

#include "core/Link.h"
#include "render/Sprite.h"
#include "ui/Button.h"

class Font;

class TextButton : public Button {
    ENGINE_CLASS(TextButton, Button)

public:
    enum Align : int32_t { kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2 };
    enum IconAnchor : int32_t {
        kBeforeText = 0,
        kAfterText = 1,
        kTopLeft = 2,
        kIconCenter = 3,
        kBottomRight = 4
    };

    TextButton();

    bool Resolve() override;
    bool Draw() override;
    /// The widget matrix shifted left by totalWidth (Alignment 1) or half of
    /// it (2) for the world matrix.
    void GetMatrix(Matrix4& out, int index) const override;
    /// Any pixel of the current state's frame pieces.
    bool HitTest(const Vec2& point) override;

    int32_t tiles = 0;
    int32_t totalWidth = 0;
    const String& Caption() const { return caption; }

    Var Text;
    Var FontIndex; ///< the key "Font"
    Var Left;
    Var Right;
    Var Center;
    Var TextOffset;
    Var MinWidth;
    Var Alignment;
    Var TextAlignment;
    Link<Sprite> icon;
    Var iconAnchor;
    Var iconOffset;
    Var drawFrame;

private:
    void Layout();
    /// The frame piece (0 left, 1 middle, 2 right) of the current state.
    Sprite* Piece(int32_t piece) const;
    static int32_t WidthOf(const Sprite* sprite);

    Sprite* frame[3][3] = {}; ///< [state][left, middle, right]
    Font* font = nullptr;
    String caption = "null";
};
