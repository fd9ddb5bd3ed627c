#include "play/Thing.h"

#include "render/Sprite.h"

Thing::Thing() {
    Name.SetFirstString("NewThing");
    DeclareString("sprite", sprite, 1, this, "");
}

Thing::~Thing() = default;

bool Thing::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    if (Sprite* picture = sprite.Get(0)) {
        picture->Draw();
    }
    return true;
}

bool Thing::HitTest(const Vec2& point) {
    const Sprite* picture = sprite.Get(0);
    return picture && picture->HitTest(WorldMatrix(), point, -1);
}
