#pragma once
// AnimControl: plays one Anim on one scene.
//
// Bind resolves each channel name "element.Property.item" once to the
// property item it drives; channels that name no element, no property or an
// item past the property's count are skipped. Advance moves the clock by
// speed × dt seconds (looping wraps it, otherwise it stops at the ends) and
// Apply evaluates every bound channel at a time and writes the values:
//   bool:    1 sets it, 0 clears it, any other value leaves it;
//   integer: the value truncated toward zero;
//   float:   the value;
//   string:  left alone.
// A channel of kind 0 interpolates as the property's hint says (bool
// properties always step). The control owns neither the scene nor the anim;
// the scene's animation set (anim/SceneAnims.h) owns its controls.

#include "core/Object.h"

#include <cstdint>
#include <vector>

class Anim;
class Scene;
class Var;
struct AnimChannel;

class AnimControl : public Object {
    ENGINE_CLASS(AnimControl, Object)

public:
    struct Binding {
        Var* property = nullptr;
        int32_t item = 0;
        const AnimChannel* channel = nullptr; ///< belongs to the anim
    };

    /// Resolves the channels against the scene; false only when the scene or
    /// the anim is missing.
    bool Bind(Scene* scene, const Anim* anim);
    /// time += speed · dt, wrapped or clamped, then Apply(time). False when
    /// not playing, unbound, or the anim has no length.
    bool Advance(float dt);
    /// Writes every bound channel's value at `t` (clamped to the anim's
    /// length). False without anim, scene or bindings.
    bool Apply(float t);

    /// Forgets the bindings whose property belongs to one of the elements.
    void ForgetElements(const std::vector<class Element*>& sortedDoomed);
    /// Forgets the bindings whose channel name the anim also drives; true
    /// when any went.
    bool YieldChannelsTo(const Anim& newer);
    /// True when a binding drives a channel name of the anim.
    bool DrivesAnyChannelOf(const Anim& other) const;

    const std::vector<Binding>& Bindings() const { return bindings; }
    const Anim* GetAnim() const { return anim; }

    bool looping = false;
    float speed = 1.0f;
    float time = 0.0f;
    bool playing = false;

private:
    std::vector<Binding> bindings;
    Scene* target = nullptr;
    const Anim* anim = nullptr;
};

/// The interpolation kind a property's hint asks for: 0 (none) for
/// HintNone, else linear, angle or step by the first hint bit set; step for
/// a bool property.
int32_t DefaultInterpolation(const Var& property);
