#pragma once
// Link<T>: a string property whose items name other objects and resolve to
// pointers of type T.
//
// Element links name elements of the owner's scene (the entry becomes null
// when the element is missing or is not a T). Resource links (T is one of
// the resource classes) name paths that the resource manager looks up.
// Link<Scene> loads the named scene files and owns the scenes it loaded.
// Resolution runs in the owner's resolve step and only when the items
// changed since the last resolve.

#include "core/Element.h"
#include "core/Scene.h"
#include "core/SceneFile.h"

#include <cstring>
#include <type_traits>
#include <vector>

/// Looks up a resource of the class `className` by path; installed by the
/// resource manager. Null when none is installed or the resource is missing.
using ResourceFinder = Object* (*)(const char* className, const char* path);
void SetResourceFinder(ResourceFinder finder);
ResourceFinder GetResourceFinder();

/// True for the classes that resource links resolve through the resource manager.
constexpr bool IsResourceClassName(const char* name) {
    constexpr const char* kResourceClasses[] = {"Sprite", "Font",      "Sound",   "Anim",
                                                "Model",  "ModelAnim", "Texture", "Shader"};
    for (const char* resource : kResourceClasses) {
        const char* a = resource;
        const char* b = name;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == *b) {
            return true;
        }
    }
    return false;
}

template <typename T> class Link : public Var {
public:
    static constexpr bool kIsResource = IsResourceClassName(T::StaticClassName());
    static constexpr bool kOwnsScenes = std::is_same_v<T, Scene>;

    Link() = default;
    ~Link() override { ReleaseResolved(); }

    bool IsUnresolved(int32_t index) const override {
        return index < 0 || index >= static_cast<int32_t>(resolved.size()) || resolved[index] == nullptr ||
               !hasResolved;
    }
    bool HasUnresolved() const override {
        if (!hasResolved) {
            return true;
        }
        for (T* entry : resolved) {
            if (!entry) {
                return true;
            }
        }
        return false;
    }
    bool IsLink() const override { return true; }
    bool IsResourceLink() const override { return kIsResource; }
    const char* LinkedClassName() const override { return T::StaticClassName(); }

    bool Resolve() override {
        if (!IsChanged()) {
            return true;
        }
        ClearChanged();
        if (!hasResolved || static_cast<int32_t>(resolved.size()) != GetCount()) {
            ReleaseResolved();
            resolved.assign(static_cast<size_t>(GetCount()), nullptr);
            hasResolved = true;
        }
        for (size_t i = 0; i < resolved.size(); ++i) {
            ResolveItem(i, GetString(static_cast<int32_t>(i)).CStr());
        }
        return true;
    }

    /// The object item `index` resolved to, or null.
    T* Get(int32_t index = 0) const {
        return index >= 0 && index < static_cast<int32_t>(resolved.size()) ? resolved[index] : nullptr;
    }
    int32_t ResolvedCount() const { return static_cast<int32_t>(resolved.size()); }

private:
    void ResolveItem(size_t i, const char* text) {
        if constexpr (kIsResource) {
            // An empty path names no resource: nothing is looked up (or reported).
            if (!text || !text[0]) {
                resolved[i] = nullptr;
                return;
            }
            ResourceFinder finder = GetResourceFinder();
            Object* found = finder ? finder(T::StaticClassName(), text) : nullptr;
            resolved[i] = found && found->IsA(T::StaticClassName()) ? static_cast<T*>(found) : nullptr;
        } else if constexpr (kOwnsScenes) {
            delete resolved[i];
            resolved[i] = LoadScene(text).release();
        } else {
            if (!owner) {
                return;
            }
            Element* found = owner->scene ? owner->scene->FindElement(text, T::StaticClassName()) : nullptr;
            resolved[i] = static_cast<T*>(found);
        }
    }

    void ReleaseResolved() {
        if constexpr (kOwnsScenes) {
            for (T* scene : resolved) {
                delete scene;
            }
        }
        resolved.clear();
        hasResolved = false;
    }

    std::vector<T*> resolved;
    bool hasResolved = false;
};
