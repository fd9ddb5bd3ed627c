#pragma once
// GaussianBlurFill and NearestNeighborFill: marker widgets that carry a
// "Size" for the screens that look for them (a blurred or pixelated backdrop
// of that strength). Neither draws anything.

#include "core/Widget.h"

class GaussianBlurFill : public Widget {
    ENGINE_CLASS(GaussianBlurFill, Widget)

public:
    GaussianBlurFill();

    Var Size; ///< 5 by default; position, rotation, scale and pivot are not saved
};

class NearestNeighborFill : public Widget {
    ENGINE_CLASS(NearestNeighborFill, Widget)

public:
    NearestNeighborFill();

    Var Size; ///< 4 by default; rotation is not saved
};
