#pragma once
// PeriodicAnimator: drives a numbered set of property items with a periodic
// wave (sine, sawtooth, square or ramp).
//
// "target" is a pattern with at most one integer directive that names
// element, property and item joined by dots: light%d.Color.3 with
// "indexRange" (1, 3) drives item 3 of "Color" of light1, light2 and light3.
// A pattern without a directive names the same item for every number (it is
// then driven once per number, each time with its own random parameters,
// the last write winning). A pattern with any other printf directive ("%s",
// "%n", a second "%d") is refused with one log line and drives nothing.
//
// Each target gets its own amplitude, frequency, time offset and value
// offset, drawn at random between the "min, max" of the corresponding
// property ("2" means exactly 2) whenever "target" or "indexRange" changes.
// With x = (t + time offset) · frequency, each frame while "enabled":
//   Sine      sin(2πx) · amplitude + value offset
//   Sawtooth  (frac(x) − 0.5) · 2 · amplitude + value offset
//   Square    value offset + amplitude · sign(sin(2πx))
//   Ramp      frac(x) · amplitude + value offset
// and any other "behavior" gives 0. Values are written by the rules of
// anim/AnimatedValue.h. Targets name their element and are looked up each
// frame, so a deleted element simply stops being driven.

#include "core/Element.h"
#include "core/String.h"

#include <vector>

class PeriodicAnimator : public Element {
    ENGINE_CLASS(PeriodicAnimator, Element)

public:
    enum Behavior : int32_t { kSine = 0, kSawtooth = 1, kSquare = 2, kRamp = 3 };
    /// The most numbers one index range may cover.
    static constexpr int32_t kMaxTargets = 1024;

    struct Target {
        String element;
        String property;
        int32_t item = 0;
        float amplitude = 0.0f;
        float frequency = 0.0f;
        float timeOffset = 0.0f;
        float valueOffset = 0.0f;
    };

    PeriodicAnimator();

    bool Resolve() override;
    void Update() override;

    /// The wave of `behavior` for one target at the animator's time.
    static float WaveValue(int32_t behavior, const Target& target, float time);
    /// Reads "min" or "min, max" (commas or blanks between); a missing max is min.
    static void ParseRange(const char* text, float& min, float& max);

    const std::vector<Target>& Targets() const { return targets; }
    float LocalTime() const { return localTime; }

    Var behavior;
    Var target;
    Var indexRange;
    Var amplitude;
    Var frequency;
    Var timeOffset;
    Var valueOffset;
    Var enabled;

private:
    void RebuildTargets();

    std::vector<Target> targets;
    float localTime = 0.0f;
};
