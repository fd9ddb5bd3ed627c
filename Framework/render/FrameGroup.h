#pragma once
// FrameGroup: cross-fades through numbered children.
//
// "format" names the children with one integer directive (frame%d names
// frame0, frame1, ...); "index" selects the position between them. With
// f = trunc(index) and u = 1 − (index − f), the child named format(f) shows
// at alpha min(1, 1.5·u) and format(f + 1) at min(1, 1.5·(1 − u)); every other
// child is hidden with alpha 0. Animating "index" thus fades through the
// frames with a 50 % overlap. Applied in the resolve step when "format" or
// "index" changed. A format with any directive but one integer is refused
// (logged once) and nothing is changed.

#include "core/Widget.h"

class FrameGroup : public Widget {
    ENGINE_CLASS(FrameGroup, Widget)

public:
    FrameGroup();

    bool Resolve() override;

    Var format;
    Var index;

private:
    void ApplyIndex();

    bool reportedBadFormat = false;
};
