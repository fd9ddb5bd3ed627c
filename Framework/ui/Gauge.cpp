#include "ui/Gauge.h"

#include "anim/Anim.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "io/Resources.h"

#include <algorithm>
#include <cmath>

Gauge::Gauge() {
    Name.SetFirstString("NewGauge");
    DeclareString("Anim", AnimPath, 1, this, "");
    DeclareFloat("Value", Value, 1, this, 0.0f);
    DeclareFloat("Rate", Rate, 1, this, 0.0f);
}

bool Gauge::Resolve() {
    const bool result = Element::Resolve();
    if (AnimPath.IsChanged()) {
        const String& path = AnimPath.FirstString();
        anim = path.Empty() ? nullptr : Resources::FindAnim(path.CStr());
        if (!control.Bind(scene, anim) && anim) {
            LogFormat("Gauge %s: the animation '%s' could not be bound to its scene", GetName(), path.CStr());
            anim = nullptr;
        } else if (!anim && !path.Empty()) {
            LogFormat("Gauge %s: the animation '%s' does not load", GetName(), path.CStr());
        }
    }
    return result;
}

bool Gauge::OnLoaded() {
    target = Value.FirstFloat();
    return true;
}

void Gauge::Update() {
    Element::Update();
    const float value = Value.FirstFloat();
    if (anim) {
        control.Apply(value * anim->Duration());
    }
    const float rate = Rate.FirstFloat();
    if (value == target) {
        return;
    }
    float next = target;
    if (rate != 0.0f) {
        const float step = std::abs(rate) * frameTime;
        next = value < target ? std::min(value + step, target) : std::max(value - step, target);
    }
    Value.SetFirstFloat(next);
}
