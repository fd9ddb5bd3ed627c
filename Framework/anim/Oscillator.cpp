#include "anim/Oscillator.h"

#include "anim/EffectsHold.h"
#include "core/FrameTime.h"
#include "core/Random.h"

#include <cmath>
#include <numbers>

void DeclareNodeList(const char* name, Var& link, Element* owner) {
    DeclareNamedString(name, link, kMaxAnimatedNodes, owner);
    for (int32_t i = 1; i < kMaxAnimatedNodes; ++i) {
        link.SetString(i, "");
    }
}

Oscillator::Oscillator() {
    Name.SetFirstString("NewOscillator");
    DeclareNodeList("nodes", nodes, this);
    DeclareString("target", target, 1, this, "");
    DeclareInt("index", index, 1, this, 0);
    DeclareFloat("amplitudeRange", amplitudeRange, 2, this, 0.0f);
    DeclareFloat("frequencyRange", frequencyRange, 2, this, 0.0f);
    DeclareFloat("timeOffsetRange", timeOffsetRange, 2, this, 0.0f);
    DeclareFloat("valueOffsetRange", valueOffsetRange, 2, this, 0.0f);
    DeclareBool("enabled", enabled, 1, this, true);
}

bool Oscillator::Resolve() {
    auto draw = [](const Var& range, float& out) {
        if (range.IsChanged()) {
            out = Random(range.GetFloat(0), range.GetFloat(1));
        }
    };
    draw(amplitudeRange, amplitude);
    draw(frequencyRange, frequency);
    draw(timeOffsetRange, timeOffset);
    draw(valueOffsetRange, valueOffset);
    return Element::Resolve();
}

float Oscillator::Value() const {
    return std::sin((timeOffset + localTime) * frequency * 2.0f * std::numbers::pi_v<float>) * amplitude +
           valueOffset;
}

void Oscillator::Update() {
    Element::Update();
    if (EffectsHeld() || !enabled.FirstBool()) {
        return;
    }
    const float value = Value();
    const char* property = target.FirstString().CStr();
    for (int32_t i = 0; i < nodes.ResolvedCount(); ++i) {
        Element* node = nodes.Get(i);
        if (Var* var = node ? node->FindProperty(property) : nullptr) {
            WriteAnimatedValue(*var, index.FirstInt(), value);
        }
    }
    localTime += frameTime;
}
