#pragma once
// Treasures: the hidden objects of a level and the types the player is
// asked to find.
//
// A treasure is a Doodad whose "fancyName" (its type) is not empty; its
// "used" flag means found. total(t) counts the registered treasures of type
// t, found(t) those found, and t is complete when both are equal; the empty
// type stands for every treasure. Types compare exactly.
//
// The targets are at most twelve types, the list lines of the level screen.
// ChooseTargets draws new ones at random (rand() % count) among the
// incomplete types that are not targets yet, in registration order; when
// exactly one candidate is left it is taken without a draw. Completed targets
// are replaced in place, so a line keeps its place while the others change.

#include "core/String.h"

#include <cstdint>
#include <vector>

class Doodad;
class Scene;

class Treasures {
public:
    static constexpr int32_t kMaxTargets = 12;

    /// Registers every treasure of the scene in name order; returns how many.
    int32_t RegisterAll(Scene& scene);
    /// Registers one doodad (ignored unless it is a treasure not yet registered).
    void Register(Doodad& doodad);
    void Clear();

    int32_t Total(const char* type) const;
    int32_t Found(const char* type) const;
    bool IsComplete(const char* type) const { return Found(type) == Total(type); }
    /// Some registered treasure is still unfound.
    bool HasUnfound() const;

    /// Adds targets until twelve or no candidate is left; false when there
    /// is no target afterwards.
    bool ChooseTargets();
    /// Overwrites each complete target in place with a newly drawn type;
    /// returns how many were complete. A line with nothing left to draw keeps
    /// its complete type (the player sees it struck through).
    int32_t ReplaceCompletedTargets();
    void SetTargets(std::vector<String> types);

    const std::vector<String>& Targets() const { return targets; }
    const std::vector<Doodad*>& Registered() const { return registered; }
    Doodad* Find(const char* name) const;

private:
    /// Up to `count` new types drawn from the candidates.
    std::vector<String> Draw(int32_t count) const;

    std::vector<Doodad*> registered; ///< not owned; in registration order
    std::vector<String> targets;
};
