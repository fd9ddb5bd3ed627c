#pragma once
// EnergySparkles: the sparks that float up from where something happened and
// then home in on a target of the HUD (a found object's energy reaching the
// orb disc, say).
//
// Positions are scene pixels (origin at the screen centre, y down). A sparkle
// first floats: it rests until its time left reaches 1 s, then drifts with
// its velocity while it fades out. Then it homes: over exactly one second it
// moves from where it stopped to its target on a cosine ease, drawn stretched
// along its motion. Records are reused: spawning takes the first dead record,
// so a steady stream allocates nothing once the pool has grown to its peak.

#include "core/Matrix.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Sprite;

struct EnergySparkle {
    enum Mode : int32_t { kFloating = 0, kHoming = 1 };

    Vec3 position{};
    Vec3 velocity{};
    Vec3 start{};
    Vec3 target{};
    Vec3 homingDelta{}; ///< the last homing step's motion, for the stretch
    int32_t mode = kFloating;
    bool alive = false;
    float timeLeft = 0.0f;
    float life = 0.0f;
    float angle = 0.0f; ///< degrees
    float spin = 0.0f;  ///< degrees per second
};

class EnergySparkles {
public:
    /// Adds one sparkle at `start` bound for `target`; `spread` scales its
    /// float velocity per axis (0 keeps it still while it floats).
    /// `floatSpeed` is the velocity scale (Globals "VaporizeFloatSpeed").
    EnergySparkle& Spawn(const Vec3& start, const Vec3& target, const Vec3& spread, float floatSpeed);
    /// Advances every live sparkle by `dt` seconds.
    void Step(float dt);
    /// Draws the live sparkles with `sprite` centred on each, additively.
    /// Nothing without a sprite.
    void Draw(Sprite* sprite) const;
    /// Kills every sparkle (the records stay for reuse).
    void Clear();
    /// Makes room for `count` records at once.
    void Reserve(size_t count) { pool.reserve(count); }

    int32_t LiveCount() const;
    const std::vector<EnergySparkle>& Records() const { return pool; }

    /// Alpha of a sparkle as drawn: fading over its life while floating,
    /// 5 × time left (at most 1) while homing.
    static float Alpha(const EnergySparkle& sparkle);
    /// The homing stretch along the motion: min(3, 1.5 × (2|delta| + 1));
    /// across it the sparkle is scaled by 2 / stretch.
    static float Stretch(const EnergySparkle& sparkle);

private:
    std::vector<EnergySparkle> pool;
};
