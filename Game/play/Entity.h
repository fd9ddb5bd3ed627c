#pragma once
// Entity: a widget that glides to a target point and fades to a colour.
//
// A move runs over a duration in seconds of frame time along an eased
// curve (2: cosine ease in and out, 1: linear). Each update the entity
// sends itself, through Message, 2001 when the move starts, 2002 for every
// step and 2003 when it ends (the position is then exactly the target);
// fades do the same on "Color" with 2004 to 2006. 2007 hides the entity.
// Message answers true for every code and passes none on; the handlers
// read the record of the message being sent from CurrentRecord().
//
// Positions are the "Position" property (parent's pixels); colours are r,
// g, b, a in 0 … 1.

#include "core/Widget.h"

class Entity : public Widget {
    ENGINE_CLASS(Entity, Widget)

public:
    static constexpr int32_t kMoveStart = 2001;
    static constexpr int32_t kMoveStep = 2002;
    static constexpr int32_t kMoveEnd = 2003;
    static constexpr int32_t kFadeStart = 2004;
    static constexpr int32_t kFadeStep = 2005;
    static constexpr int32_t kFadeEnd = 2006;
    static constexpr int32_t kHide = 2007;

    /// What a move or fade message carries: points for moves, colours
    /// (four items) for fades.
    struct Record {
        float start[4] = {};
        float target[4] = {};
        float current[4] = {};
        float duration = 0.0f;
        float elapsed = 0.0f;
        float progress = 0.0f; ///< elapsed / duration: 0 at the start, 1 at the end
        int32_t curve = 2;
    };

    Entity();
    ~Entity() override;

    bool Resolve() override;
    /// The element update, then a step of the move, then of the fade.
    void Update() override;
    bool Message(int32_t message, Object* sender) override;

    virtual bool OnMoveStart(const Vec3& /*target*/, float /*duration*/) { return true; }
    virtual bool OnMoveStep(const Vec3& /*current*/, float /*duration*/) { return true; }
    virtual bool OnMoveEnd(const Vec3& /*target*/) { return true; }
    virtual bool OnFadeStart(const float* /*targetColour*/, float /*duration*/) { return true; }
    virtual bool OnFadeStep(const float* /*currentColour*/, float /*duration*/) { return true; }
    virtual bool OnFadeEnd(const float* /*targetColour*/) { return true; }

    /// Starts a fade of "Color" to `colour` (r, g, b, a), ending a running
    /// one first (2006). A duration of 0 or less sets the colour at once.
    void StartFade(const float colour[4], float duration, int32_t curve = 2);

    bool IsMoving() const { return move.record.duration != 0.0f; }
    bool IsFading() const { return fade.record.duration != 0.0f; }
    /// The record of the message being sent (valid during Message).
    const Record& CurrentRecord() const { return sending; }

private:
    friend bool MoveTo(Entity& entity, const Vec3& target, float duration);

    /// A running motion over `count` items of a property.
    struct Motion {
        Record record;
        int32_t count = 0;
    };
    void StepMotion(Motion& motion, Var& property, int32_t startCode);
    /// Ends a running motion where it stands (its end message, no change).
    void EndMotion(Motion& motion, int32_t endCode);
    void Send(int32_t code, const Record& record);

    Motion move;
    Motion fade;
    Record sending;
};

/// Starts a move of `entity` to `target` over `duration` seconds (cosine
/// ease), ending a running move first: that one gets its 2003 where it
/// stands. A duration of 0 or less (or not a number) places the entity at
/// the target at once with a single 2003. Always true.
bool MoveTo(Entity& entity, const Vec3& target, float duration);
