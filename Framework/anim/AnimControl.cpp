#include "anim/AnimControl.h"

#include "anim/Anim.h"
#include "core/Element.h"
#include "core/Scene.h"
#include "core/Var.h"

#include <algorithm>
#include <cmath>
#include <cstring>

int32_t DefaultInterpolation(const Var& property) {
    if (property.GetType() == kVarBool) {
        return kInterpolateStep;
    }
    if (property.HasFlag(Var::kHintNone)) {
        return kInterpolateDefault;
    }
    if (property.HasFlag(Var::kHintLinear)) {
        return kInterpolateLinear;
    }
    if (property.HasFlag(Var::kHintAngle)) {
        return kInterpolateAngle;
    }
    if (property.HasFlag(Var::kHintStep)) {
        return kInterpolateStep;
    }
    return kInterpolateDefault;
}

namespace {

// "element.Property.item" split at its first two dots; false when it has
// fewer, or the item is not an integer.
bool SplitChannelName(const String& name, String& element, String& property, int32_t& item) {
    const char* text = name.CStr();
    const char* firstDot = std::strchr(text, '.');
    if (!firstDot) {
        return false;
    }
    const char* secondDot = std::strchr(firstDot + 1, '.');
    if (!secondDot) {
        return false;
    }
    element.Assign(text, static_cast<size_t>(firstDot - text));
    property.Assign(firstDot + 1, static_cast<size_t>(secondDot - firstDot - 1));
    return ScanInt(secondDot + 1, item);
}

void Write(Var& property, int32_t item, float value) {
    switch (property.GetType()) {
    case kVarBool:
        if (value == 1.0f && !property.GetBool(item)) {
            property.SetBool(item, true);
        } else if (value == 0.0f && property.GetBool(item)) {
            property.SetBool(item, false);
        }
        break;
    case kVarInt: {
        // Truncated toward zero; values beyond the integers saturate.
        const double whole = std::trunc(static_cast<double>(value));
        int32_t number = 0;
        if (whole >= 2147483647.0) {
            number = INT32_MAX;
        } else if (whole <= -2147483648.0) {
            number = INT32_MIN;
        } else if (!std::isnan(whole)) {
            number = static_cast<int32_t>(whole);
        }
        property.SetInt(item, number);
        break;
    }
    case kVarFloat:
        property.SetFloat(item, value);
        break;
    default:
        break;
    }
}

} // namespace

bool AnimControl::Bind(Scene* scene, const Anim* newAnim) {
    bindings.clear();
    target = scene;
    anim = newAnim;
    if (!scene || !newAnim) {
        return false;
    }
    String elementName, propertyName;
    for (const AnimChannel& channel : newAnim->Channels()) {
        int32_t item = 0;
        if (!SplitChannelName(channel.name, elementName, propertyName, item)) {
            continue;
        }
        Element* element = scene->FindElement(elementName.CStr());
        Var* property = element ? element->FindProperty(propertyName.CStr()) : nullptr;
        if (!property || item < 0 || item >= property->GetCount()) {
            continue;
        }
        bindings.push_back(Binding{property, item, &channel});
    }
    return true;
}

bool AnimControl::Apply(float t) {
    if (!anim || !target || bindings.empty()) {
        return false;
    }
    t = std::clamp(t, 0.0f, std::max(0.0f, anim->Duration()));
    for (const Binding& binding : bindings) {
        float value = 0.0f;
        if (anim->EvaluateChannel(*binding.channel, t, DefaultInterpolation(*binding.property), value)) {
            Write(*binding.property, binding.item, value);
        }
    }
    return true;
}

bool AnimControl::Advance(float dt) {
    if (!playing || !anim || !target || bindings.empty()) {
        return false;
    }
    const float duration = anim->Duration();
    time += speed * dt;
    if (!std::isfinite(time)) {
        time = 0.0f;
    }
    // Reaching the end exactly counts: a control that lands on its last
    // frame shows the end pose and stops in the same update.
    if (time >= duration || time < 0.0f) {
        if (duration <= 0.0f) {
            // A pose without length: shown once; unless looping it is over.
            time = 0.0f;
            Apply(0.0f);
            playing = looping;
            return false;
        }
        if (looping) {
            time = std::fmod(time, duration);
            if (time < 0.0f) {
                time += duration;
            }
        } else {
            time = std::clamp(time, 0.0f, duration);
            playing = false;
        }
    }
    return Apply(time);
}

void AnimControl::ForgetElements(const std::vector<Element*>& sortedDoomed) {
    std::erase_if(bindings, [&](const Binding& b) {
        return std::binary_search(sortedDoomed.begin(), sortedDoomed.end(), b.property->owner);
    });
}

bool AnimControl::YieldChannelsTo(const Anim& newer) {
    const size_t before = bindings.size();
    std::erase_if(bindings, [&](const Binding& b) { return newer.FindChannel(b.channel->name.CStr()); });
    return bindings.size() != before;
}

bool AnimControl::DrivesAnyChannelOf(const Anim& other) const {
    return std::any_of(bindings.begin(), bindings.end(), [&](const Binding& b) {
        return other.FindChannel(b.channel->name.CStr()) != nullptr;
    });
}
