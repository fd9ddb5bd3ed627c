#pragma once
// Cursor: the game's mouse pointer, a sprite drawn at the mouse position.
//
// The sprite's hot spot (pixels from its top-left corner) lands on the mouse
// position. The cursor fades in and out over 1/8 s as screens show and hide
// it. The exit cursor is kept wholly inside the picture near its edges; the
// others may hang partly outside. Sprites belong to the resource cache.
//
// Positions are picture pixels, origin top left, y downwards, taken from the
// input manager's mouse state once per frame.

#include <cstdint>

class Sprite;

/// The cursor kinds and the global settings that name their sprites.
enum CursorKind : int32_t {
    kCursorDefault = 0,
    kCursorLink = 1,
    kCursorExit = 2,
    kCursorUse = 3,
    kCursorInfo = 4
};
constexpr int32_t kCursorKindCount = 5;

class Cursor {
public:
    /// Reads the cursor configuration named by the setting CursorConfigPath
    /// ("Sprite" path, "Hotspot.x", "Hotspot.y"; missing hot-spot keys give 0)
    /// and makes the cursor visible. False, with a log line and the cursor
    /// unchanged, when the file cannot be read or its sprite cannot be found.
    bool LoadConfig();
    /// The sprite of `kind` for the game's look (settings Cursor_Default …
    /// Cursor_Info, item 1 in the second look) and its hot spot (setting
    /// Cursor_Hotspots, items 2·kind and 2·kind + 1). A missing entry leaves
    /// no sprite. The exit cursor becomes the clamped sprite. Kinds outside
    /// 0..4 are ignored.
    void SetKind(int32_t kind, bool secondLook);
    void Show(bool visible);
    /// Per frame: takes the mouse position and moves alpha 8 × frameTime
    /// towards 1 (visible) or 0 (hidden).
    void Update();
    /// Draws the sprite with alpha blending at the mouse position minus the
    /// hot spot, the clamped sprite kept inside the picture. Nothing without a
    /// sprite, or when hidden and fully faded.
    void Draw();
    /// The top-left corner Draw uses for the current sprite and position.
    void DrawPosition(float& outX, float& outY) const;
    /// True when there is a sprite to point with.
    bool HasSprite() const { return sprite != nullptr; }
    /// Forgets every sprite (before the resource cache goes) and hides the cursor.
    void Reset();

    Sprite* sprite = nullptr;
    float hotspotX = 0.0f;
    float hotspotY = 0.0f;
    Sprite* clampedSprite = nullptr;
    bool visible = false;
    float alpha = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float previousX = 0.0f;
    float previousY = 0.0f;
    float deltaX = 0.0f;
    float deltaY = 0.0f;

private:
    // The kind and look of the last SetKind, so that setting the same kind
    // every frame looks nothing up again.
    int32_t lastKind = -1;
    bool lastSecondLook = false;
};

/// The one cursor.
Cursor& GetCursor();
