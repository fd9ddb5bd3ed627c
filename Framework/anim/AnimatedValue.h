#pragma once
// How the procedural animators (Oscillator, PeriodicAnimator, Randomizer)
// write a computed value into a property item of another element.

#include <cstdint>

class Var;

/// Writes `value` into item `index` of `property` by the property's type: a
/// float receives the value; an integer the value truncated toward zero
/// (saturated to 32 bits); a bool true when the truncated value is odd and
/// false when it is even; a string is left alone. A write marks the property
/// changed. False when nothing was written (a string, an item out of range,
/// a value that is not a number).
bool WriteAnimatedValue(Var& property, int32_t index, float value);

/// Up to this many elements one animator drives through its "nodes" link.
constexpr int32_t kMaxAnimatedNodes = 8;
