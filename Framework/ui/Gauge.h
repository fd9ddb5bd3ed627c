#pragma once
// Gauge: an invisible element that shows a fraction by posing a key-frame
// animation at that fraction of its length.
//
// Every update applies "Anim" at "Value" × its duration without advancing
// it, then moves "Value" towards the target: with "Rate" (units per second)
// it steps by Rate × frame time and stops exactly at the target; with "Rate"
// 0 it jumps there. Code moves a gauge through SetTarget; a gauge loaded from
// a scene file starts with its target at the file's "Value", so it rests
// where the file put it until code moves it.
//
// Properties (scene-file keys, in this order): Anim (animation path), Value
// (float), Rate (float). The animation belongs to the resource cache; the
// gauge owns the control that poses it.

#include "anim/AnimControl.h"
#include "core/Element.h"

class Anim;

class Gauge : public Element {
    ENGINE_CLASS(Gauge, Element)

public:
    Gauge();

    /// Loads "Anim" when it changed and binds the control to the gauge's scene.
    bool Resolve() override;
    /// Timed messages, the pose at "Value", then one step towards the target.
    void Update() override;
    /// Takes the loaded "Value" as the target.
    bool OnLoaded() override;

    /// The value the gauge moves to.
    void SetTarget(float value) { target = value; }
    float Target() const { return target; }
    const Anim* LoadedAnim() const { return anim; }

    Var AnimPath;
    Var Value;
    Var Rate;

private:
    float target = 0.0f;
    Anim* anim = nullptr;
    AnimControl control;
};
