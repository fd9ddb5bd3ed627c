#pragma once
// Bitmap: the widget that shows a Sprite chosen by path, with a blend mode.
//
// "SpritePath" names the picture for the resource cache; when "FrameIndex" is
// 0 or more it is substituted into the path's one integer directive
// (items/key%02d.png with 3 gives items/key03.png). The sprite is looked up
// again only when the path or the frame index changes, unless code set the
// sprite itself (own-sprite flag). The sprite is shared from the cache, or
// owned by the bitmap when it made it (a glow copy).

#include "core/Widget.h"

#include <memory>

class Sprite;

class Bitmap : public Widget {
    ENGINE_CLASS(Bitmap, Widget)

public:
    Bitmap();
    ~Bitmap() override;

    bool Resolve() override;
    bool Draw() override;
    void ApplyRenderState() override;
    bool HitTest(const Vec2& point) override;
    virtual Sprite* GetSprite() const { return sprite; }

    /// Shows a sprite the caller keeps alive; path changes no longer reload.
    void SetOwnSprite(Sprite* value);
    /// Shows a sprite the bitmap owns from now on; path changes no longer reload.
    void AdoptSprite(std::unique_ptr<Sprite> value);

    Var SpritePath;
    Var BlendMode;
    Var FrameIndex;
    Var AlphaMask;

    /// When set, HitTest always fails.
    bool noHit = false;

private:
    void LookUpSprite();

    Sprite* sprite = nullptr;
    std::unique_ptr<Sprite> ownedSprite;
    bool ownSprite = false;
};

/// The path "SpritePath" gives for a frame: `path` as it stands when `frame`
/// is negative, else with its single integer directive (%d, %i, with flags and
/// width) replaced by the frame. A path with any other directive is used as it
/// stands, so file data can never drive a printf of its own choosing.
String FramePath(const char* path, int32_t frame);

/// `pattern` with its single integer directive replaced by `number` (as it
/// stands when it has none) in `out`. False, `out` untouched, when the pattern
/// holds any other directive ("%s", "%n", "%%", a second "%d"): patterns come
/// from files and must never drive a printf of their own choosing.
bool FormatOneInteger(const char* pattern, int32_t number, String& out);

/// A halo for highlighting `source`: a clone in the same scene under the same
/// parent showing the source's alpha, 20 pixels larger, blurred, offset by
/// (−10, −10). Null when the source has no sprite or cannot be cloned.
Bitmap* MakeGlowCopy(Bitmap& source);
