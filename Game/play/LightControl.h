#pragma once
// LightControl: makes a light and a picture flicker, with now and then a spark.
//
// Draws nothing. The light rests at the bright alpha ("flickerRange"[1]) for
// a pause drawn from "flickerFrequency", then a burst drawn from
// "flickerPeriod" begins: one burst in "flickerOdds" alternates between the
// dim and the bright alpha every "flickerRate" seconds, the others only sit
// dim; one burst in "sparkOdds" starts with a burst of "emitter" and
// "sparkSound".
//
// A flicker rate at or below 0 would step without end in one frame, and
// odds below 1 would divide by zero: such values are used as 0.01 s and 1,
// with one log line per control.

#include "core/Element.h"
#include "core/Link.h"

class Emitter;
class Light;
class Sound;
class Widget;

class LightControl : public Element {
    ENGINE_CLASS(LightControl, Element)

public:
    static constexpr float kMinFlickerRate = 0.01f;

    LightControl();
    ~LightControl() override;

    /// Flicker steps, the burst timer, then the element update; only the
    /// element update while "enabled" is false.
    void Update() override;

    bool InBurst() const { return inBurst; }
    bool DimOnly() const { return dimOnly; }

    Link<Light> source;
    Link<Widget> widget;
    Link<Emitter> emitter;
    Link<Sound> sparkSound;
    Var flickerRate;
    Var flickerRange;
    Var flickerPeriod;
    Var flickerFrequency;
    Var flickerOdds;
    Var sparkOdds;
    Var enabled;

private:
    void StepFlicker();
    void StepBurst();
    void StartBurst();
    void SetAlphas(float alpha, bool onlyVisible);
    float Rate();
    int32_t Odds(const Var& odds);

    bool inBurst = false;
    float burstTimer = 0.0f;
    float stepTimer = 0.0f;
    bool stepPhase = false;
    bool dimOnly = true;
    bool reportedBadValues = false;
};
