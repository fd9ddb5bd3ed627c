#pragma once
// CameraShaker: shakes the whole screen through the screen camera.
//
// Every 1 / "frequency" seconds the pan heads for a new random point within
// ±"magnitude" pixels of the centre, moving there linearly from where it was;
// the extra zoom grows with the pan ("zoom" · (|pan| + 1) / half the display
// size) so that the shaken picture still covers the screen. A shaker with
// magnitude or frequency 0 (or a negative frequency) keeps the camera
// centred and unzoomed, every frame. All shakers write the same global
// camera: only one should be active at a time.

#include "core/Element.h"
#include "core/Matrix.h"

class CameraShaker : public Element {
    ENGINE_CLASS(CameraShaker, Element)

public:
    CameraShaker();

    void Update() override;

    Var magnitude;
    Var frequency;
    Var zoom;

private:
    float elapsed = 0.0f;
    Vec2 from;
    Vec2 to;
};
