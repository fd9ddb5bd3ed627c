#include "anim/Randomizer.h"

#include "anim/EffectsHold.h"
#include "anim/Oscillator.h"
#include "core/FrameTime.h"
#include "core/Random.h"

#include <cmath>
#include <cstdlib>

Randomizer::Randomizer() {
    Name.SetFirstString("NewRandomizer");
    DeclareNodeList("nodes", nodes, this);
    DeclareBool("Enabled", Enabled, 1, this, true);
    DeclareString("Value", Value, 1, this, "");
    DeclareInt("Index", Index, 1, this, 0);
    DeclareFloat("Range", Range, 2, this, 0.0f);
    DeclareFloat("Rate", Rate, 1, this, 1.0f);
    DeclareFloat("Tween", Tween, 1, this, 0.0f);
}

void Randomizer::Update() {
    Element::Update();
    if (EffectsHeld() || !Enabled.FirstBool()) {
        return;
    }
    elapsed += frameTime;
    const float rate = Rate.FirstFloat();
    const float period = rate > 0.0f && std::isfinite(rate) ? rate : 1.0f;
    if (elapsed < period) {
        return;
    }
    const float min = Range.GetFloat(0);
    const float max = Range.GetFloat(1);
    if (min == max) {
        return; // nothing is written and the clock keeps running
    }
    const double span = std::fabs(std::trunc(double(max) - double(min)));
    const int32_t d = span > 1.0e9 ? 1000000000 : int32_t(span);
    const bool drawnBool = d > 1 ? std::rand() % d == 0 : (std::rand() & 1) != 0;
    const int32_t drawnInt =
        d > 0 ? std::rand() % d + int32_t(std::trunc(std::fmax(-1.0e9f, min))) : std::rand() % 2;
    const float drawnFloat = Random(min, max);
    const char* property = Value.FirstString().CStr();
    for (int32_t i = 0; i < nodes.ResolvedCount(); ++i) {
        Element* node = nodes.Get(i);
        Var* var = node ? node->FindProperty(property) : nullptr;
        if (!var) {
            continue;
        }
        switch (var->GetType()) {
        case kVarBool:
            var->SetBool(Index.FirstInt(), drawnBool);
            break;
        case kVarInt:
            var->SetInt(Index.FirstInt(), drawnInt);
            break;
        case kVarFloat:
            var->SetFloat(Index.FirstInt(), drawnFloat);
            break;
        default:
            break;
        }
    }
    elapsed = std::fmod(elapsed, period);
}
