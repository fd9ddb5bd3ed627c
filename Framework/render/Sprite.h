#pragma once
// Sprite: a drawable 2-D picture and its texture slot.
//
// The sprite owns a copy of its pixels (4 bytes each: blue, green, red,
// alpha; rows top first) and draws them as one textured quad with its
// top-left corner at the local origin, x to the right, y downwards, one unit
// per pixel, through the current render state.
//
// Textures are uploaded on demand into one of 128 global slots. A texture is
// the smallest power of two at least the picture's size on each side, at
// most 1024 (and the context's maximum), created from the shared zero
// scratch buffer so that only the picture rectangle is copied in. A texture
// lives while its sprite is drawn every frame: EvictUnusedTextures, once per
// frame, deletes the textures of sprites not drawn since the last pass, and
// their next draw uploads them again from the kept pixels. A sprite that
// cannot get a texture (too large, no free slot) draws nothing and logs
// that once.
//
// A texture starts with nearest-neighbour filtering and switches to linear
// the first time the sprite is drawn with a modelview that is not a pure
// translation; it stays linear until the texture is deleted.
//
// Pixel changes while the sprite has a texture reach the screen through
// Upload(true) (or after eviction): drawing alone does not refresh a texture.
// Main thread only.

#include "core/Matrix.h"
#include "core/Object.h"
#include "core/String.h"

#include <cstdint>
#include <memory>

class Image;

class Sprite : public Object {
    ENGINE_CLASS(Sprite, Object)

public:
    /// Largest texture side a sprite gets (the scratch buffer's side).
    static constexpr int32_t kMaxTextureSide = 1024;

    Sprite() = default;
    ~Sprite() override;
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    /// Copies the image's picture; a delta image is expanded in place first.
    /// False (sprite empty) for an empty image or one that cannot be expanded.
    bool CreateFromImage(Image& image);
    /// An uninitialised picture of that size. False (sprite empty) for sizes
    /// ≤ 0 or of 2^30 pixels or more.
    bool Create(int32_t width, int32_t height);
    /// A fully transparent canvas with the image's picture copied in at
    /// (x, y). False unless the image fits inside the canvas there.
    bool CreatePlaced(int32_t canvasWidth, int32_t canvasHeight, Image& image, int32_t x, int32_t y);
    /// Deletes the texture and the pixels; the size becomes 0.
    void Release();

    /// Draws the picture; see the header comment.
    virtual void Draw();
    /// Draws only the rectangle of the picture at (x, y), w × h pixels, at
    /// its place in the picture, clipped to the picture; nothing when
    /// nothing of it is inside.
    void DrawPart(int32_t x, int32_t y, int32_t w, int32_t h);
    /// Binds the texture for a caller that draws its own quads (a batch of
    /// particles), uploading it first when needed, and marks the sprite drawn
    /// this frame. `transformed` switches to linear filtering as a turned or
    /// scaled Draw would. False, nothing bound, without pixels or a texture.
    bool Bind(bool transformed);

    /// Immediate (re)upload after pixel or brightness changes. With a texture
    /// and `force` false: false, nothing done. Otherwise takes a texture when
    /// there is none (false when too large or no slot is free) and copies the
    /// pixels in; true.
    bool Upload(bool force);
    /// Deletes the texture (if any) and marks the pixels changed, so that the
    /// next draw uploads again.
    void ReleaseTexture();

    /// The pixel's red, green, blue, alpha in 0 … 1 in `rgba` and true inside
    /// the picture; false outside.
    bool PixelColor(int32_t x, int32_t y, float rgba[4]) const;
    /// Up to 100 uniformly random pixels (rand() mod width, rand() mod
    /// height); the first that passes gives true and its position. The test:
    /// alpha/255 > 0.5, or with `colourTest` any of red, green, blue /255 > 0.1.
    bool RandomOpaquePoint(bool colourTest, int32_t& x, int32_t& y) const;
    /// Maps the screen `point` through the inverse of `world` into sprite
    /// pixels; false outside the picture. Inside, by `mode` (−1: the global
    /// hit mode): 0 hits where alpha/255 ≥ 0.1, 1 where red, green or blue
    /// /255 ≥ 0.1, anything else always.
    bool HitTest(const Matrix4& world, const Vec2& point, int32_t mode) const;
    /// Blurs the pixels in place (render/ImageBlur.h) and marks them changed.
    void BoxBlur(int32_t radius);

    /// Clamped to −1 … 1; applied at the next upload: blue, green and red
    /// each get brightness·64 (truncated) added, clamped to 0 … 255.
    void SetBrightness(float value);
    float Brightness() const { return brightness; }

    /// Marks the pixels changed since the last upload. A sprite with a
    /// texture shows the change after Upload(true) or ReleaseTexture.
    void MarkPixelsChanged() { dirty = true; }

    /// Names the sprite in log lines (normally its file path).
    void SetName(const char* text) { name = text; }
    const String& Name() const { return name; }

    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    uint8_t* Pixels() { return pixels.get(); }
    const uint8_t* Pixels() const { return pixels.get(); }
    /// Index into the slot table, −1 without a texture.
    int32_t Slot() const { return slot; }
    bool IsDirty() const { return dirty; }
    bool WasDrawn() const { return drawn; }
    int32_t TexWidth() const { return texWidth; }
    int32_t TexHeight() const { return texHeight; }
    float UMax() const { return uMax; }
    float VMax() const { return vMax; }
    /// The GL texture name, 0 without a texture.
    uint32_t TextureName() const;

private:
    friend void EvictUnusedTextures(bool keepDrawn);

    /// Takes a slot and creates a zero-filled texture; false (logged once)
    /// when the sprite is too large or every slot is taken.
    bool CreateTexture();
    /// Copies the pixels (brightness applied) into the bound texture.
    void TransferPixels();
    bool AllocatePixels(int32_t newWidth, int32_t newHeight);
    void ReportNoTexture(const char* reason);

    std::unique_ptr<uint8_t[]> pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t slot = -1;
    bool dirty = false;
    int32_t texWidth = 0;
    int32_t texHeight = 0;
    float uMax = 0.0f;
    float vMax = 0.0f;
    bool drawn = false;
    float brightness = 0.0f;
    bool reportedNoTexture = false;
    String name;
};

/// Number of texture slots.
constexpr int32_t kTextureSlotCount = 128;
/// Slots currently holding a texture.
int32_t UsedTextureSlots();
/// The sprite owning slot `index`, null when free or out of range.
const Sprite* TextureSlotOwner(int32_t index);
/// Whether slot `index` has been switched to linear filtering.
bool TextureSlotIsLinear(int32_t index);

/// With `keepDrawn` (once per frame, after presenting): the textures of
/// sprites drawn since the last pass stay and their drawn marks clear; every
/// other texture is deleted. Without: every texture is deleted (before a
/// display-mode change, or when all cached textures are dropped).
void EvictUnusedTextures(bool keepDrawn);

/// Hit mode used by HitTest(mode −1); 0 at start.
int32_t GlobalHitMode();
void SetGlobalHitMode(int32_t mode);
