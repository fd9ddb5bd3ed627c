#pragma once
// Randomizer: writes a new random value into a property of other elements
// every "Rate" seconds.
//
// While "Enabled", once at least one period has passed (period = "Rate", or 1
// when "Rate" ≤ 0), one value is drawn within "Range" (min, max) and written
// into item "Index" of the property named "Value" of every element "nodes"
// resolves to, in the property's own type: a float random(min, max); an
// integer rand mod d + trunc(min) with d = |trunc(max − min)| (0 or 1 when d
// is 0); a bool true with chance 1/d when d > 1, else a coin toss. Strings
// are left alone. A range with min = max writes nothing. Several periods
// passed in one frame write the same value once and keep the remainder.
// "Tween" is stored only.

#include "anim/AnimatedValue.h"
#include "core/Link.h"

class Randomizer : public Element {
    ENGINE_CLASS(Randomizer, Element)

public:
    Randomizer();

    void Update() override;
    float Elapsed() const { return elapsed; }

    Link<Element> nodes;
    Var Enabled;
    Var Value;
    Var Index;
    Var Range;
    Var Rate;
    Var Tween;

private:
    float elapsed = 0.0f;
};
