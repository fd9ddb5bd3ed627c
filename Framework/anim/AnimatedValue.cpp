#include "anim/AnimatedValue.h"

#include "core/Var.h"

#include <cmath>

bool WriteAnimatedValue(Var& property, int32_t index, float value) {
    if (!std::isfinite(value) || index < 0 || index >= property.GetCount()) {
        return false;
    }
    const double whole = std::trunc(double(value));
    switch (property.GetType()) {
    case kVarFloat:
        return property.SetFloat(index, value);
    case kVarInt:
        return property.SetInt(index, int32_t(std::fmax(-2147483648.0, std::fmin(2147483647.0, whole))));
    case kVarBool:
        return property.SetBool(index, std::fmod(whole, 2.0) != 0.0);
    default:
        return false;
    }
}
