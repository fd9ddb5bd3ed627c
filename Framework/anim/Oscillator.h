#pragma once
// Oscillator: drives one property item of other elements with a sine wave.
//
// Each frame, while "enabled": v = sin((timeOffset + t) · frequency · 2π) ·
// amplitude + valueOffset, written (anim/AnimatedValue.h) into item "index"
// of the property named "target" of every element the "nodes" link resolves
// to (up to kMaxAnimatedNodes); t is the oscillator's own clock in seconds
// from 0, running only while enabled. Amplitude, frequency (cycles per
// second), time offset and value offset are drawn at random within their
// "...Range" property whenever that range changes, so a reloaded scene gets
// new phases.

#include "anim/AnimatedValue.h"
#include "core/Link.h"

class Oscillator : public Element {
    ENGINE_CLASS(Oscillator, Element)

public:
    Oscillator();

    bool Resolve() override;
    void Update() override;

    /// The value written at the oscillator's current time.
    float Value() const;
    float LocalTime() const { return localTime; }

    Link<Element> nodes;
    Var target;
    Var index;
    Var amplitudeRange;
    Var frequencyRange;
    Var timeOffsetRange;
    Var valueOffsetRange;
    Var enabled;

private:
    float amplitude = 0.0f;
    float frequency = 0.0f;
    float timeOffset = 0.0f;
    float valueOffset = 0.0f;
    float localTime = 0.0f;
};

/// Declares a "nodes"-style element link of kMaxAnimatedNodes items: the first
/// names the default link (the property's own name), the rest are empty.
void DeclareNodeList(const char* name, Var& link, Element* owner);
