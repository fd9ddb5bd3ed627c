#pragma once
// Thing: an entity that shows a sprite; the base of pegs, map markers and
// dialogue actors. "sprite" names the picture for the resource cache.

#include "core/Link.h"
#include "play/Entity.h"

class Sprite;

class Thing : public Entity {
    ENGINE_CLASS(Thing, Entity)

public:
    Thing();
    ~Thing() override;

    /// False when "Visible" is false; true, drawing nothing, without a sprite.
    bool Draw() override;
    /// The sprite's pixel test with the engine's hit mode; false without a sprite.
    bool HitTest(const Vec2& point) override;

    Link<Sprite> sprite;
};
