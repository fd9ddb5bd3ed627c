#pragma once
// Splitmap: a Bitmap whose picture scrolls and wraps around.
//
// "scroll" moves the picture by that many pixels per second (x, y); the
// current shift is "offset", kept within one picture width and height and
// written back every frame so that it can be saved and animated. Drawing
// shifts the texture coordinates by offset / size with the texture set to
// repeat, so what leaves one edge comes back at the other. The wrap is
// seamless for pictures whose sides are powers of two; other sizes show the
// texture's transparent padding in the seam. "FrameIndex" is not saved.

#include "render/Bitmap.h"

class Splitmap : public Bitmap {
    ENGINE_CLASS(Splitmap, Bitmap)

public:
    Splitmap();

    void Update() override;
    bool Draw() override;

    Var offset;
    Var scroll;
};
