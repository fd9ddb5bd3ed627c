#pragma once
// Emitter: a widget that spawns and animates sprite particles (sparkles,
// dust, smoke, bursts).
//
// Everything is set by properties. Particles spawn in bursts of "Quantity",
// automatically "Rate" times per second (from the emitter's second update
// on) or on a rising edge of "Spawn", at a random place: a box of half-size
// "PositionVariance" around the emitter's origin, or a random point of the
// Region or of the visible pixels of the Bitmap that "Pattern" names. They
// move with a random velocity under a constant "Influence" (pixels per
// second squared), may be pulled towards the "vortex" widget, drift
// sideways, spin, grow, and fade in and out over their "Lifetime" (seconds).
//
// Coordinates: without "BindParticles" particles live in scene coordinates
// and stay where they were spawned when the emitter moves; with it they live
// in the emitter's own space and move along. A pattern point is a place in
// the scene: it is used as it is, or mapped into the emitter's space when
// the particles are bound.
//
// Memory: particles are plain records in one pool that grows to the peak
// population (at most kMaxParticles) and is never compacted; dead records are
// reused lowest first. A steady emitter allocates nothing per frame. All
// particles of an emitter share one sprite and one blend mode and are drawn
// as one batch.
//
// "EmitterMode" 1 (model particles) is not drawn by this renderer: such an
// emitter still updates its particles, draws nothing and logs that once.

#include "core/Link.h"
#include "core/Widget.h"

#include <vector>

class Sprite;

struct Particle {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float vx = 0.0f, vy = 0.0f, vz = 0.0f;
    float life = 0.0f; ///< seconds left; dead at 0
    float totalLife = 0.0f;
    float frame = 0.0f;
    float frameRate = 0.0f;
    float alpha = 0.0f;
    float angle = 0.0f; ///< radians
    float spin = 0.0f;
    float scale = 1.0f;
    float grow = 0.0f;
    float driftTimer = 0.0f;
    float driftX = 0.0f, driftY = 0.0f, driftZ = 0.0f;
};

class Emitter : public Widget {
    ENGINE_CLASS(Emitter, Widget)

public:
    /// The largest pool an emitter keeps; spawns beyond it are dropped.
    static constexpr int32_t kMaxParticles = 100000;
    /// Bursts one update may spawn; a countdown further behind starts afresh.
    static constexpr int32_t kMaxBurstsPerUpdate = 1000;

    enum Mode : int32_t { kMode2D = 0, kMode3D = 1 };
    enum FadeBits : int32_t { kFadeIn = 1, kFadeOut = 2 };

    Emitter();
    ~Emitter() override;

    bool Resolve() override;
    void Update() override;
    bool Draw() override;

    /// Spawns one particle; null when the pool is full.
    Particle* SpawnParticle();
    /// "Quantity" particles, each at its own spawn position.
    void SpawnBurst();
    /// `count` particles (−1: "Quantity") placed at (x, y).
    void SpawnAt(int32_t count, float x, float y);
    /// Destroys every particle (the pool is kept).
    void Clear();

    /// Particles alive now.
    int32_t LiveCount() const;
    const std::vector<Particle>& Particles() const { return particles; }
    /// The particles' picture from "SpritePath", null when it was not found.
    Sprite* ParticleSprite() const { return sprites.empty() ? nullptr : sprites[0]; }
    /// Makes room for `count` particles at once, so that reaching that
    /// population allocates nothing more.
    void ReservePool(int32_t count);

    Var EmitterMode;
    Var SpritePath;
    Var ModelPath;
    Var TexturePath;
    Var BlendMode;
    Var BindParticles;
    Var Pattern;
    Var BaseScale;
    Var Rate;
    Var Quantity;
    Var Lifetime;
    Var Velocity;
    Var Spin;
    Var Grow;
    Var Influence;
    Var FrameRate;
    Var RateVariance;
    Var LifetimeVariance;
    Var PositionVariance;
    Var VelocityVariance;
    Var VelocityRange;
    Var SpinVariance;
    Var GrowVariance;
    Var FrameVariance;
    Var FrameRateVariance;
    Var Fade;
    Var FadeThreshold;
    Var DistributeVariance;
    Var AutoSpawn;
    Var Spawn;
    Var AlignParticles;
    Var AlignScaleX;
    Var AlignScaleY;
    Link<Widget> vortex;
    Var vortexInfluence;
    Var driftRange;
    Var driftRate;

private:
    /// A burst as auto-spawning and "Spawn" make it: the first particle's
    /// position shared by the rest unless "DistributeVariance".
    void SpawnSharedBurst();
    void SpawnPosition(Particle& particle);
    bool PatternPoint(Vec3& world) const;
    void AutoSpawnBursts(float dt);
    void UpdateParticle(Particle& particle, float dt, bool haveVortex, const Vec3& vortexPoint);
    void DrawParticles2D();

    std::vector<Particle> particles;
    std::vector<Sprite*> sprites; ///< at most one from "SpritePath"
    Widget* pattern = nullptr;
    float countdown = 0.0f;
    bool spawned = false;
    bool started = false;
    bool reportedModelMode = false;
    int32_t firstMaybeDead = 0; ///< no dead record below this index
    Matrix4 lastWorld;
    Vec3 influence;
};
