#pragma once
// Object: the root of the engine's class tree.
//
// Every class answers its own class name and an is-a test by name, so that
// scene files can create objects by registered class name and code can ask
// IsA("Widget") instead of casting. Names compare byte for byte, case
// sensitively, and never match when empty or 64 characters or longer.
//
// Classes get both operations from ENGINE_CLASS(Class, Base), placed first in
// the class body; the base named there is the one IsA falls back to.

#include <cstdint>

/// True when `name` is a valid class name (1..63 characters) equal to `className`.
bool ClassNameMatches(const char* name, const char* className);

class Object {
public:
    Object() = default;
    virtual ~Object() = default;

    /// True if `name` is this object's class name or that of any base class.
    virtual bool IsA(const char* name) const { return ClassNameMatches(name, "Object"); }
    /// The class's own name as a constant text, e.g. "Widget".
    virtual const char* GetClassName() const { return "Object"; }

    static constexpr const char* StaticClassName() { return "Object"; }

    /// 0 at construction; the resource manager sets it to 1 on resources it preloads.
    int32_t preloadMark = 0;
};

#define ENGINE_CLASS(ClassType, BaseType)                                                                    \
public:                                                                                                      \
    using Super = BaseType;                                                                                  \
    static constexpr const char* StaticClassName() {                                                         \
        return #ClassType;                                                                                   \
    }                                                                                                        \
    const char* GetClassName() const override {                                                              \
        return #ClassType;                                                                                   \
    }                                                                                                        \
    bool IsA(const char* name) const override {                                                              \
        return ClassNameMatches(name, #ClassType) || BaseType::IsA(name);                                    \
    }                                                                                                        \
                                                                                                             \
private:

/// The object as T when it IsA(T's class name), else null. For code that must
/// reach a derived interface after the name test the design asks for.
template <typename T, typename From> T* ObjectCast(From* object) {
    return object && object->IsA(T::StaticClassName()) ? static_cast<T*>(object) : nullptr;
}
