#include "anim/SceneAnims.h"

#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "core/Scene.h"
#include "io/Resources.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The controls of one scene, sorted by name.
class AnimControls : public SceneAnimations {
public:
    struct Entry {
        String name;
        std::unique_ptr<AnimControl> control;
    };

    void Advance(float seconds) override {
        for (Entry& entry : entries) {
            entry.control->Advance(seconds);
        }
        // A control that binds nothing can never finish: it goes too.
        std::erase_if(entries,
                      [](const Entry& e) { return !e.control->playing || e.control->Bindings().empty(); });
    }

    void ForgetElements(const std::vector<Element*>& doomed) override {
        sorted.assign(doomed.begin(), doomed.end());
        std::sort(sorted.begin(), sorted.end());
        for (Entry& entry : entries) {
            entry.control->ForgetElements(sorted);
        }
        std::erase_if(entries, [](const Entry& e) { return e.control->Bindings().empty(); });
    }

    std::vector<Entry>::iterator LowerBound(const char* name) {
        return std::lower_bound(entries.begin(), entries.end(), name, [](const Entry& e, const char* n) {
            return std::strcmp(e.name.CStr(), n) < 0;
        });
    }

    AnimControl* Find(const char* name) {
        auto it = LowerBound(name);
        return it != entries.end() && it->name.Equals(name) ? it->control.get() : nullptr;
    }

    std::vector<Entry> entries;

private:
    std::vector<Element*> sorted;
};

AnimControls* ControlsOf(Scene* scene) {
    return scene ? static_cast<AnimControls*>(scene->animations.get()) : nullptr;
}

AnimControls& MakeControls(Scene& scene) {
    if (!scene.animations) {
        scene.animations = std::make_unique<AnimControls>();
    }
    return *static_cast<AnimControls*>(scene.animations.get());
}

} // namespace

bool PlayAnim(Scene* scene, Anim* anim, const char* name, bool looping, float* duration) {
    if (!scene || !anim) {
        return false;
    }
    if (!name) {
        name = "";
    }
    AnimControls& controls = MakeControls(*scene);
    // 1. The newer animation takes every channel it drives.
    for (auto& entry : controls.entries) {
        entry.control->YieldChannelsTo(*anim);
    }
    std::erase_if(controls.entries,
                  [](const AnimControls::Entry& e) { return e.control->Bindings().empty(); });
    // 2. The control of that name, or a new one.
    AnimControl* control = controls.Find(name);
    if (!control) {
        auto fresh = std::make_unique<AnimControl>();
        if (!fresh->Bind(scene, anim)) {
            return false;
        }
        control = fresh.get();
        controls.entries.insert(controls.LowerBound(name),
                                AnimControls::Entry{String(name), std::move(fresh)});
    }
    // 3. and 4.
    control->speed = 1.0f;
    control->looping = looping;
    control->playing = true;
    control->Apply(control->time);
    if (duration) {
        *duration = anim->Duration();
    }
    return true;
}

bool SetAnimPose(const char* path, Scene* scene) {
    Anim* anim = path ? Resources::FindAnim(path) : nullptr;
    if (!anim || !scene) {
        return false;
    }
    AnimControl pose;
    if (!pose.Bind(scene, anim)) {
        return false;
    }
    pose.Apply(anim->Duration());
    return true;
}

bool IsAnimPlaying(Scene* scene, const char* path) {
    AnimControls* controls = ControlsOf(scene);
    if (!path || !*path) {
        return controls && !controls->entries.empty();
    }
    Anim* anim = Resources::FindAnim(path);
    if (!anim || !controls) {
        return false;
    }
    return std::any_of(controls->entries.begin(), controls->entries.end(),
                       [anim](const AnimControls::Entry& e) { return e.control->DrivesAnyChannelOf(*anim); });
}

AnimControl* FindAnimControl(Scene* scene, const char* name) {
    AnimControls* controls = ControlsOf(scene);
    return controls && name ? controls->Find(name) : nullptr;
}

int32_t AnimControlCount(Scene* scene) {
    AnimControls* controls = ControlsOf(scene);
    return controls ? static_cast<int32_t>(controls->entries.size()) : 0;
}

bool AnimationPlayingOn(Element& element, const String& animation) {
    Scene* scene = ObjectCast<Scene>(&element);
    if (!scene) {
        scene = element.scene;
    }
    if (animation.Empty()) {
        return AnimControlCount(scene) > 0;
    }
    if (FindAnimControl(scene, animation.CStr())) {
        return true;
    }
    // Only a name that is a file path is looked up as one, so that a control
    // name never costs a file search every frame.
    const size_t length = animation.Length();
    const bool isPath = length > 5 && std::strcmp(animation.CStr() + length - 5, ".anim") == 0;
    return isPath && IsAnimPlaying(scene, animation.CStr());
}
