#include "anim/Emitter.h"

#include "core/Redraw.h"
#include "anim/EffectsHold.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/Bitmap.h"
#include "render/BlendMode.h"
#include "render/Region.h"
#include "render/RenderState.h"
#include "render/Sprite.h"
#include "render/SpriteBatch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// ±v: a random value between −v and v.
float Spread(float v) {
    return Random(-v, v);
}

} // namespace

Emitter::Emitter() {
    Name.SetFirstString("NewEmitter");
    DeclareInt("EmitterMode", EmitterMode, 1, this, kMode2D);
    EmitterMode.AddValueName("2D", kMode2D);
    EmitterMode.AddValueName("3D", kMode3D);
    DeclareString("SpritePath", SpritePath, 1, this, "");
    DeclareString("ModelPath", ModelPath, 1, this, "");
    DeclareString("TexturePath", TexturePath, 1, this, "");
    DeclareInt("BlendMode", BlendMode, 1, this, kBlendAlphaBlend);
    BlendMode.AddValueName("Block Copy", kBlendBlockCopy);
    BlendMode.AddValueName("Alpha Blend", kBlendAlphaBlend);
    BlendMode.AddValueName("Alpha Add", kBlendAlphaAdd);
    BlendMode.AddValueName("Highlight", kBlendHighlight);
    BlendMode.AddValueName("Alpha Test", kBlendAlphaTest);
    BlendMode.AddValueName("Refract", kBlendRefract);
    DeclareBool("BindParticles", BindParticles, 1, this, false);
    DeclareString("Pattern", Pattern, 1, this, "");
    DeclareFloat("BaseScale", BaseScale, 1, this, 1.0f);
    DeclareFloat("Rate", Rate, 1, this, 5.0f);
    DeclareInt("Quantity", Quantity, 1, this, 1);
    DeclareFloat("Lifetime", Lifetime, 1, this, 1.0f);
    DeclareFloat("Velocity", Velocity, 3, this, 0.0f);
    DeclareFloat("Spin", Spin, 1, this, 0.0f);
    DeclareFloat("Grow", Grow, 1, this, 0.0f);
    DeclareFloat("Influence", Influence, 3, this, 0.0f);
    DeclareFloat("FrameRate", FrameRate, 1, this, 24.0f);
    DeclareFloat("RateVariance", RateVariance, 1, this, 0.0f);
    DeclareFloat("LifetimeVariance", LifetimeVariance, 1, this, 0.0f);
    DeclareFloat("PositionVariance", PositionVariance, 3, this, 0.0f);
    DeclareFloat("VelocityVariance", VelocityVariance, 3, this, 0.0f);
    DeclareFloat("VelocityRange", VelocityRange, 2, this, 0.0f);
    DeclareFloat("SpinVariance", SpinVariance, 1, this, 0.0f);
    DeclareFloat("GrowVariance", GrowVariance, 1, this, 0.0f);
    DeclareInt("FrameVariance", FrameVariance, 1, this, 0);
    DeclareFloat("FrameRateVariance", FrameRateVariance, 1, this, 0.0f);
    DeclareInt("Fade", Fade, 1, this, kFadeIn | kFadeOut);
    Fade.AddValueName("In", kFadeIn);
    Fade.AddValueName("Out", kFadeOut);
    Fade.AddValueName("Both", kFadeIn | kFadeOut);
    DeclareFloat("FadeThreshold", FadeThreshold, 2, this, 0.5f);
    DeclareBool("DistributeVariance", DistributeVariance, 1, this, false);
    DeclareBool("AutoSpawn", AutoSpawn, 1, this, true);
    DeclareBool("Spawn", Spawn, 1, this, false);
    DeclareBool("AlignParticles", AlignParticles, 1, this, false);
    DeclareFloat("AlignScaleX", AlignScaleX, 1, this, 1.0f);
    DeclareFloat("AlignScaleY", AlignScaleY, 1, this, -1.0f);
    DeclareNamedString("vortex", vortex, 1, this);
    DeclareFloat("vortexInfluence", vortexInfluence, 1, this, 0.0f);
    DeclareFloat("driftRange", driftRange, 1, this, 0.0f);
    DeclareFloat("driftRate", driftRate, 1, this, 0.0f);
}

Emitter::~Emitter() = default;

bool Emitter::Resolve() {
    const bool spriteChanged = SpritePath.IsChanged();
    const bool patternChanged = Pattern.IsChanged();
    const bool hidden = Visible.IsChanged() && !Visible.FirstBool();
    const bool resolved = Widget::Resolve();
    if (spriteChanged) {
        sprites.clear();
        Sprite* sprite = SpritePath.FirstString().Empty()
                             ? nullptr
                             : Resources::FindSprite(SpritePath.FirstString().CStr());
        if (sprite) {
            sprites.push_back(sprite);
        }
    }
    if (patternChanged) {
        Element* found = scene ? scene->FindElement(Pattern.FirstString().CStr()) : nullptr;
        pattern =
            found && (found->IsA("Region") || found->IsA("Bitmap")) ? static_cast<Widget*>(found) : nullptr;
    }
    if (spawned && !Spawn.FirstBool()) {
        spawned = false;
    }
    if (Spawn.FirstBool() && !spawned) {
        SpawnSharedBurst();
        spawned = true;
    }
    if (hidden) {
        Clear();
    }
    return resolved;
}

void Emitter::ReservePool(int32_t count) {
    particles.reserve(size_t(std::clamp(count, 0, kMaxParticles)));
}

int32_t Emitter::LiveCount() const {
    int32_t live = 0;
    for (const Particle& particle : particles) {
        live += particle.life > 0.0f ? 1 : 0;
    }
    return live;
}

void Emitter::Clear() {
    for (Particle& particle : particles) {
        particle.life = 0.0f;
    }
    firstMaybeDead = 0;
}

bool Emitter::PatternPoint(Vec3& world) const {
    if (const Region* region = ObjectCast<Region>(pattern)) {
        Vec3 local;
        if (!region->RandomPoint(local)) {
            return false;
        }
        world = region->WorldMatrix().TransformPoint(local);
        return true;
    }
    if (const Bitmap* bitmap = ObjectCast<Bitmap>(pattern)) {
        const Sprite* sprite = bitmap->GetSprite();
        int32_t px = 0;
        int32_t py = 0;
        if (!sprite || sprite->Width() <= 0 || !sprite->RandomOpaquePoint(false, px, py)) {
            return false;
        }
        world = bitmap->WorldMatrix().TransformPoint(Vec3{float(px), float(py), 0.0f});
        return true;
    }
    return false;
}

void Emitter::SpawnPosition(Particle& p) {
    const bool threeD = EmitterMode.FirstInt() == kMode3D;
    Vec3 world;
    if (pattern && PatternPoint(world)) {
        const Vec3 place = BindParticles.FirstBool() ? lastWorld.Inverse().TransformPoint(world) : world;
        p.x = place.x;
        p.y = place.y;
        p.z = place.z;
        return;
    }
    Vec3 local;
    if (!pattern) {
        local.x = Spread(PositionVariance.GetFloat(0));
        local.y = Spread(PositionVariance.GetFloat(1));
        local.z = threeD ? Spread(PositionVariance.GetFloat(2)) : 0.0f;
    }
    const Vec3 place = BindParticles.FirstBool() ? local : lastWorld.TransformPoint(local);
    p.x = place.x;
    p.y = place.y;
    p.z = place.z;
}

Particle* Emitter::SpawnParticle() {
    // 1. The lowest dead record, or a new one.
    Particle* p = nullptr;
    const int32_t count = int32_t(particles.size());
    int32_t i = std::min(firstMaybeDead, count);
    while (i < count && particles[size_t(i)].life > 0.0f) {
        ++i;
    }
    if (i < count) {
        p = &particles[size_t(i)];
        firstMaybeDead = i + 1;
    } else if (count < kMaxParticles) {
        particles.emplace_back();
        p = &particles.back();
        firstMaybeDead = count + 1;
    } else {
        firstMaybeDead = count;
        return nullptr;
    }
    const bool threeD = EmitterMode.FirstInt() == kMode3D;
    // 2, 3. Where it starts.
    SpawnPosition(*p);
    // 4. Velocity, its speed clamped into "VelocityRange" when that is set.
    p->vx = Spread(VelocityVariance.GetFloat(0)) + Velocity.GetFloat(0);
    p->vy = Spread(VelocityVariance.GetFloat(1)) + Velocity.GetFloat(1);
    p->vz = 0.0f;
    const float lowest = VelocityRange.GetFloat(0);
    const float highest = VelocityRange.GetFloat(1);
    if (lowest != 0.0f || highest != 0.0f) {
        const float speed = std::sqrt(p->vx * p->vx + p->vy * p->vy);
        if (speed > 0.0f) {
            const float clamped = std::clamp(speed, std::min(lowest, highest), std::max(lowest, highest));
            p->vx *= clamped / speed;
            p->vy *= clamped / speed;
        }
    }
    if (threeD) {
        p->vz = Spread(VelocityVariance.GetFloat(2)) + Velocity.GetFloat(2);
    }
    // 5 to 10.
    p->life = p->totalLife = Spread(LifetimeVariance.FirstFloat()) + Lifetime.FirstFloat();
    p->spin = Spread(SpinVariance.FirstFloat()) + Spin.FirstFloat();
    p->angle = Spread(SpinVariance.FirstFloat());
    p->grow = Spread(GrowVariance.FirstFloat()) + Grow.FirstFloat();
    p->scale = Spread(GrowVariance.FirstFloat()) + BaseScale.FirstFloat();
    p->frameRate = Spread(FrameRateVariance.FirstFloat()) + FrameRate.FirstFloat();
    const int32_t frames = FrameVariance.FirstInt();
    p->frame = frames > 0 ? float(std::rand() % frames) : 0.0f;
    p->driftTimer = Random(0.0f, driftRate.FirstFloat());
    p->driftX = p->driftY = p->driftZ = 0.0f;
    p->alpha = (Fade.FirstInt() & kFadeIn) != 0 ? 0.0f : 1.0f;
    return p;
}

void Emitter::SpawnBurst() {
    const int32_t quantity = std::clamp(Quantity.FirstInt(), 0, kMaxParticles);
    for (int32_t n = 0; n < quantity; ++n) {
        SpawnParticle();
    }
}

void Emitter::SpawnSharedBurst() {
    const int32_t quantity = std::clamp(Quantity.FirstInt(), 0, kMaxParticles);
    if (quantity == 0) {
        return;
    }
    Particle* first = SpawnParticle();
    if (!first) {
        return;
    }
    const float x = first->x;
    const float y = first->y;
    const float z = first->z;
    const bool distribute = DistributeVariance.FirstBool();
    for (int32_t n = 1; n < quantity; ++n) {
        Particle* other = SpawnParticle();
        if (other && !distribute) {
            other->x = x;
            other->y = y;
            other->z = z;
        }
    }
}

void Emitter::SpawnAt(int32_t count, float x, float y) {
    const int32_t total = std::clamp(count < 0 ? Quantity.FirstInt() : count, 0, kMaxParticles);
    for (int32_t n = 0; n < total; ++n) {
        if (Particle* p = SpawnParticle()) {
            p->x = x;
            p->y = y;
        }
    }
}

void Emitter::AutoSpawnBursts(float dt) {
    const float rate = Rate.FirstFloat();
    const float variance = RateVariance.FirstFloat();
    // A rate that can never be positive spawns nothing (its interval would be
    // infinite or negative).
    if (!(rate > 0.0f) && !(variance > 0.0f)) {
        countdown = 0.0f;
        return;
    }
    countdown -= dt;
    int32_t bursts = 0;
    while (countdown <= 0.0f) {
        if (bursts == kMaxBurstsPerUpdate) {
            countdown = 0.0f;
            break;
        }
        SpawnSharedBurst();
        ++bursts;
        const float drawn = rate + Spread(variance);
        const float perSecond = drawn > 0.0f ? drawn : (rate > 0.0f ? rate : std::fabs(variance));
        countdown += 1.0f / perSecond;
    }
}

void Emitter::Update() {
    Widget::Update();
    if (EffectsHeld()) {
        return;
    }
    if (!started) {
        started = true;
        return;
    }
    lastWorld = WorldMatrix();
    influence = Vec3{Influence.GetFloat(0), Influence.GetFloat(1), Influence.GetFloat(2)};
    const float dt = frameTime;
    if (AutoSpawn.FirstBool()) {
        AutoSpawnBursts(dt);
    }
    if (EmitterMode.FirstInt() != kMode3D && sprites.empty()) {
        return;
    }
    const Widget* pull = vortex.Get(0);
    Vec3 vortexPoint;
    if (pull) {
        const Matrix4& w = pull->WorldMatrix();
        vortexPoint = Vec3{w.m[12], w.m[13], w.m[14]};
    }
    const int32_t count = int32_t(particles.size());
    bool anyAlive = false;
    for (int32_t i = 0; i < count; ++i) {
        Particle& particle = particles[size_t(i)];
        if (particle.life <= 0.0f) {
            continue;
        }
        anyAlive = true;
        UpdateParticle(particle, dt, pull != nullptr, vortexPoint);
        if (particle.life <= 0.0f && i < firstMaybeDead) {
            firstMaybeDead = i;
        }
    }
    // Live particles move: the picture changes every frame they live.
    if (anyAlive) {
        RequestRedraw();
    }
}

void Emitter::UpdateParticle(Particle& p, float dt, bool haveVortex, const Vec3& vortexPoint) {
    // Movement, pulled towards the vortex.
    if (haveVortex) {
        const float k = vortexInfluence.FirstFloat();
        p.x += dt * ((1.0f - k) * p.vx + k * 2.0f * (vortexPoint.x - p.x));
        p.y += dt * ((1.0f - k) * p.vy + k * 2.0f * (vortexPoint.y - p.y));
        p.z += dt * ((1.0f - k) * p.vz + k * 2.0f * (vortexPoint.z - p.z));
    } else {
        p.x += dt * p.vx;
        p.y += dt * p.vy;
        p.z += dt * p.vz;
    }
    // Sideways drift, changing direction at random times.
    const float range = driftRange.FirstFloat();
    if (range != 0.0f) {
        p.x += dt * p.driftX;
        p.y += dt * p.driftY;
        p.z += dt * p.driftZ;
        p.driftTimer -= dt;
        if (p.driftTimer <= 0.0f) {
            const float length = std::sqrt(p.vx * p.vx + p.vy * p.vy);
            const float speed = Random(-std::fabs(range), std::fabs(range));
            p.driftX = length > 0.0f ? -p.vy / length * speed : 0.0f;
            p.driftY = length > 0.0f ? p.vx / length * speed : 0.0f;
            p.driftZ = 0.0f;
            p.driftTimer = Random(0.0f, driftRate.FirstFloat());
        }
    }
    p.vx += dt * influence.x;
    p.vy += dt * influence.y;
    p.vz += dt * influence.z;
    // The property values are added again to the particle's own spin and
    // grow, which already include them.
    p.angle += dt * (Spin.FirstFloat() + p.spin);
    p.scale += dt * (Grow.FirstFloat() + p.grow);
    if (EmitterMode.FirstInt() != kMode3D && !sprites.empty()) {
        p.frame += dt * p.frameRate;
        const float frames = float(sprites.size());
        if (p.frame >= frames) {
            p.frame = std::fmod(p.frame, frames);
        }
        if (!(p.frame >= 0.0f)) {
            p.frame = 0.0f;
        }
    }
    // Fades over the lifetime.
    const int32_t fade = Fade.FirstInt();
    const float fadeIn = FadeThreshold.GetFloat(0);
    const float fadeOut = FadeThreshold.GetFloat(1);
    p.alpha = 1.0f;
    if ((fade & kFadeIn) != 0 && fadeIn != 0.0f && p.totalLife - p.life < fadeIn) {
        p.alpha = (p.totalLife - p.life) / fadeIn;
    }
    if ((fade & kFadeOut) != 0 && fadeOut != 0.0f && p.life < fadeOut) {
        p.alpha = p.life / fadeOut;
    }
    p.life = std::max(0.0f, p.life - dt);
}

bool Emitter::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    if (EffectsHeld()) {
        return true;
    }
    RenderStackScope state;
    RenderStack::SetBlendMode(BlendMode.FirstInt());
    if (EmitterMode.FirstInt() == kMode3D) {
        if (!reportedModelMode) {
            LogFormat("Emitter %s: model particles (EmitterMode 1) are not drawn by this renderer",
                      GetName());
            reportedModelMode = true;
        }
        return true;
    }
    DrawParticles2D();
    return true;
}

void Emitter::DrawParticles2D() {
    if (sprites.empty()) {
        return;
    }
    const bool align = AlignParticles.FirstBool();
    const bool bound = BindParticles.FirstBool();
    int32_t live = 0;
    bool transformed = align || bound;
    for (const Particle& p : particles) {
        if (p.life > 0.0f) {
            ++live;
            transformed = transformed || p.angle != 0.0f || p.scale != 1.0f;
        }
    }
    // One sprite per emitter, so every particle whose frame selects it (frame
    // 0) goes into the one batch.
    Sprite& sprite = *sprites[0];
    if (live == 0 || !SpriteBatch::Begin(sprite, live, transformed)) {
        return;
    }
    // Corners are placed on the CPU in scene coordinates; the camera stays.
    const float* current = RenderStack::Current().color;
    const float base[4] = {current[0], current[1], current[2], current[3]};
    RenderStack::SetModelMatrix(Matrix4::Identity());
    const float halfW = float(sprite.Width() / 2);
    const float halfH = float(sprite.Height() / 2);
    const float alignX = AlignScaleX.FirstFloat();
    const float alignY = AlignScaleY.FirstFloat();
    for (const Particle& p : particles) {
        if (p.life <= 0.0f || int32_t(p.frame) != 0) {
            continue;
        }
        // M = Rz(theta) · S(sx, sy): column 0 is (c·sx, s·sx), column 1 (−s·sy, c·sy).
        float theta = p.angle;
        float sx = p.scale;
        float sy = p.scale;
        if (align) {
            const float speed = std::sqrt(p.vx * p.vx + p.vy * p.vy + p.vz * p.vz);
            theta = std::atan2(p.vy, p.vx);
            sx = std::max(0.0f, speed * alignX * 0.001f + 1.0f);
            sy = std::max(0.0f, speed * alignY * 0.001f + 1.0f);
        }
        const float c = std::cos(theta);
        const float s = std::sin(theta);
        QuadPlacement q;
        q.axisUX = c * sx;
        q.axisUY = s * sx;
        q.axisVX = -s * sy;
        q.axisVY = c * sy;
        q.originX = p.x - (q.axisUX * halfW + q.axisVX * halfH);
        q.originY = p.y - (q.axisUY * halfW + q.axisVY * halfH);
        q.z = p.z;
        if (bound) {
            // The emitter's world matrix on the left.
            const float* m = lastWorld.m;
            const QuadPlacement local = q;
            q.originX = m[0] * local.originX + m[4] * local.originY + m[8] * local.z + m[12];
            q.originY = m[1] * local.originX + m[5] * local.originY + m[9] * local.z + m[13];
            q.z = m[2] * local.originX + m[6] * local.originY + m[10] * local.z + m[14];
            q.axisUX = m[0] * local.axisUX + m[4] * local.axisUY;
            q.axisUY = m[1] * local.axisUX + m[5] * local.axisUY;
            q.axisVX = m[0] * local.axisVX + m[4] * local.axisVY;
            q.axisVY = m[1] * local.axisVX + m[5] * local.axisVY;
        }
        const float color[4] = {base[0], base[1], base[2], base[3] * p.alpha};
        SpriteBatch::Add(q, color);
    }
    SpriteBatch::Flush();
}
