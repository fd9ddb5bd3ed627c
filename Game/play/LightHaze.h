#pragma once
// LightHaze: a pulsing haze picture over a level.
//
// Its phase runs with the total time: "Oscillate" (0) gives
// 0.5 + 0.5 · sin(rate · t), "Cycle" (1) the fraction of rate · t; other
// behaviours keep the phase where it is. The picture is drawn in the haze's
// own "Color" with its alpha scaled by the phase, so the haze breathes
// in and out (Oscillate) or swells and drops (Cycle).

#include "render/Bitmap.h"

class LightHaze : public Bitmap {
    ENGINE_CLASS(LightHaze, Bitmap)

public:
    static constexpr int32_t kOscillate = 0;
    static constexpr int32_t kCycle = 1;

    LightHaze();
    ~LightHaze() override;

    /// The element update, then the phase.
    void Update() override;
    /// False when "Visible" is false; true, drawing nothing, without a picture.
    bool Draw() override;

    float Phase() const { return phase; }

    Var rate;
    Var behavior;

private:
    float phase = 0.0f;
};
