#pragma once
// Whole-picture drawing for the screen services: snapshots, backgrounds and
// coloured rectangles placed about the centre of the picture.
//
// Each call sets up the screen projection for the display size and a camera
// that puts the origin at the centre of the picture (integer halves of the
// display size), so that scaling and turning happen about the centre. The
// caller owns the render state: push a scope around these calls.

class Sprite;

struct PicturePlacement {
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float radians = 0.0f; ///< positive turns x towards y (clockwise on screen)
    float offsetX = 0.0f; ///< pixels, applied after scaling and turning
    float offsetY = 0.0f;
    /// Flipped about the horizontal centre line: frame-buffer read-backs
    /// (bottom row first) then show the right way up.
    bool mirrored = false;
};

/// Projection of the display size and the camera at the picture centre.
void SetCentredScreenView();
/// Draws `sprite` centred on the picture centre, placed as given, with the
/// current colour, blend mode and alpha test.
void DrawCentredPicture(Sprite& sprite, const PicturePlacement& placement);
/// Fills the whole picture with the colour (r, g, b, a) and the current
/// blending, texturing off for the rectangle.
void FillPicture(float r, float g, float b, float a);
