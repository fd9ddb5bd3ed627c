#include "anim/PeriodicAnimator.h"

#include "anim/AnimatedValue.h"
#include "anim/EffectsHold.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/Scene.h"
#include "render/Bitmap.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

PeriodicAnimator::PeriodicAnimator() {
    Name.SetFirstString("NewPeriodicAnimator");
    DeclareInt("behavior", behavior, 1, this, kSine);
    behavior.AddValueName("Sine", kSine);
    behavior.AddValueName("Sawtooth", kSawtooth);
    behavior.AddValueName("Square", kSquare);
    behavior.AddValueName("Ramp", kRamp);
    DeclareString("target", target, 1, this, "");
    DeclareInt("indexRange", indexRange, 2, this, 0);
    DeclareString("amplitude", amplitude, 1, this, "1");
    DeclareString("frequency", frequency, 1, this, "1");
    DeclareString("timeOffset", timeOffset, 1, this, "0");
    DeclareString("valueOffset", valueOffset, 1, this, "0");
    DeclareBool("enabled", enabled, 1, this, true);
}

void PeriodicAnimator::ParseRange(const char* text, float& min, float& max) {
    float numbers[2] = {0.0f, 0.0f};
    int found = 0;
    const char* cursor = text ? text : "";
    while (*cursor && found < 2) {
        while (*cursor == ',' || *cursor == ' ' || *cursor == '\t') {
            ++cursor;
        }
        if (!*cursor) {
            break;
        }
        char* end = nullptr;
        const float value = std::strtof(cursor, &end);
        if (end == cursor) {
            break; // not a number: the rest is ignored
        }
        numbers[found++] = std::isfinite(value) ? value : 0.0f;
        cursor = end;
    }
    min = numbers[0];
    max = found == 2 ? numbers[1] : numbers[0];
}

bool PeriodicAnimator::Resolve() {
    const bool rebuild = target.IsChanged() || indexRange.IsChanged();
    const bool resolved = Element::Resolve();
    if (rebuild) {
        RebuildTargets();
    }
    return resolved;
}

void PeriodicAnimator::RebuildTargets() {
    targets.clear();
    const char* pattern = target.FirstString().CStr();
    if (!scene || !*pattern) {
        return;
    }
    float ranges[4][2];
    const Var* texts[4] = {&amplitude, &frequency, &timeOffset, &valueOffset};
    for (int i = 0; i < 4; ++i) {
        ParseRange(texts[i]->FirstString().CStr(), ranges[i][0], ranges[i][1]);
    }
    const int64_t first = indexRange.GetInt(0);
    int64_t last = indexRange.GetInt(1);
    if (last - first >= kMaxTargets) {
        LogFormat("PeriodicAnimator %s: the index range %lld to %lld is longer than %d; cut short", GetName(),
                  (long long)first, (long long)last, kMaxTargets);
        last = first + kMaxTargets - 1;
    }
    String name;
    for (int64_t n = first; n <= last; ++n) {
        if (!FormatOneInteger(pattern, int32_t(n), name)) {
            LogFormat("PeriodicAnimator %s: the target %s holds a directive other than one integer; refused",
                      GetName(), pattern);
            targets.clear();
            return;
        }
        // element.property.item
        const char* text = name.CStr();
        const char* dot1 = std::strchr(text, '.');
        const char* dot2 = dot1 ? std::strchr(dot1 + 1, '.') : nullptr;
        if (!dot1 || !dot2 || dot1 == text || dot2 == dot1 + 1 || !dot2[1]) {
            continue;
        }
        Target entry;
        entry.element = String(std::string_view(text, size_t(dot1 - text)));
        entry.property = String(std::string_view(dot1 + 1, size_t(dot2 - dot1 - 1)));
        Element* element = scene->FindElement(entry.element.CStr());
        Var* property = element ? element->FindProperty(entry.property.CStr()) : nullptr;
        if (!property || !ScanInt(dot2 + 1, entry.item) || entry.item < 0 ||
            entry.item >= property->GetCount()) {
            continue;
        }
        entry.amplitude = Random(ranges[0][0], ranges[0][1]);
        entry.frequency = Random(ranges[1][0], ranges[1][1]);
        entry.timeOffset = Random(ranges[2][0], ranges[2][1]);
        entry.valueOffset = Random(ranges[3][0], ranges[3][1]);
        targets.push_back(std::move(entry));
    }
}

float PeriodicAnimator::WaveValue(int32_t behavior, const Target& t, float time) {
    const float x = (time + t.timeOffset) * t.frequency;
    const float twoPi = 2.0f * std::numbers::pi_v<float>;
    auto fraction = [](float v) {
        const float f = std::fmod(v, 1.0f);
        return f < 0.0f ? f + 1.0f : f;
    };
    switch (behavior) {
    case kSine:
        return std::sin(twoPi * x) * t.amplitude + t.valueOffset;
    case kSawtooth:
        return (fraction(x) - 0.5f) * 2.0f * t.amplitude + t.valueOffset;
    case kSquare: {
        const float s = std::sin(twoPi * x);
        return t.valueOffset + t.amplitude * float((s > 0.0f) - (s < 0.0f));
    }
    case kRamp:
        return fraction(x) * t.amplitude + t.valueOffset;
    default:
        return 0.0f;
    }
}

void PeriodicAnimator::Update() {
    Element::Update();
    if (EffectsHeld() || !enabled.FirstBool()) {
        return;
    }
    const int32_t wave = behavior.GetCount() > 0 ? behavior.FirstInt() : kSine;
    for (const Target& t : targets) {
        Element* element = scene ? scene->FindElement(t.element.CStr()) : nullptr;
        if (Var* property = element ? element->FindProperty(t.property.CStr()) : nullptr) {
            WriteAnimatedValue(*property, t.item, WaveValue(wave, t, localTime));
        }
    }
    localTime += frameTime;
}
