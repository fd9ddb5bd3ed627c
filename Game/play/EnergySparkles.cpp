#include "play/EnergySparkles.h"

#include "render/BlendMode.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

/// A uniform draw in [0, 1) in steps of 0.0001, on the C library generator.
float UnitDraw() {
    return float(std::rand() % 10000) * 0.0001f;
}

constexpr float kDegreesToRadians = std::numbers::pi_v<float> / 180.0f;

Vec3 Lerp(const Vec3& a, const Vec3& b, float t) {
    return Vec3{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

} // namespace

EnergySparkle& EnergySparkles::Spawn(const Vec3& start, const Vec3& target, const Vec3& spread,
                                     float floatSpeed) {
    auto dead = std::find_if(pool.begin(), pool.end(), [](const EnergySparkle& s) { return !s.alive; });
    EnergySparkle& sparkle = dead != pool.end() ? *dead : pool.emplace_back();
    sparkle = EnergySparkle{};
    sparkle.alive = true;
    sparkle.mode = EnergySparkle::kFloating;
    sparkle.life = sparkle.timeLeft = 1.0f + UnitDraw();
    sparkle.angle = 360.0f * UnitDraw() - 180.0f;
    sparkle.spin = 2.0f * UnitDraw() + 2.0f;
    if (UnitDraw() < 0.5f) {
        sparkle.spin = -sparkle.spin;
    }
    sparkle.velocity.x = floatSpeed * (UnitDraw() - 4.0f) * spread.x;
    sparkle.velocity.y = floatSpeed * (3.0f * UnitDraw() - 8.0f) * spread.y;
    sparkle.velocity.z = 0.0f;
    sparkle.position = start;
    sparkle.start = start;
    sparkle.target = target;
    return sparkle;
}

void EnergySparkles::Step(float dt) {
    for (EnergySparkle& s : pool) {
        if (!s.alive) {
            continue;
        }
        if (s.mode == EnergySparkle::kFloating) {
            // The float waits out the part of its life above one second.
            if (s.timeLeft <= 1.0f) {
                s.position = Vec3{s.position.x + s.velocity.x * dt, s.position.y + s.velocity.y * dt,
                                  s.position.z + s.velocity.z * dt};
            }
        } else {
            const float t = std::max(s.timeLeft, 0.0f);
            const float ease = (1.0f - std::cos((1.0f - t) * std::numbers::pi_v<float>)) * 0.5f;
            const Vec3 next = Lerp(s.start, s.target, ease);
            s.homingDelta = Vec3{next.x - s.position.x, next.y - s.position.y, next.z - s.position.z};
            s.position = next;
        }
        s.angle += dt * s.spin;
        s.timeLeft -= dt;
        if (s.timeLeft > 0.0f) {
            continue;
        }
        if (s.mode == EnergySparkle::kHoming) {
            s.position = s.target;
            s.alive = false;
        } else {
            s.mode = EnergySparkle::kHoming;
            s.timeLeft = 1.0f;
            s.start = s.position;
        }
    }
}

void EnergySparkles::Clear() {
    for (EnergySparkle& s : pool) {
        s.alive = false;
    }
}

int32_t EnergySparkles::LiveCount() const {
    return int32_t(std::count_if(pool.begin(), pool.end(), [](const EnergySparkle& s) { return s.alive; }));
}

float EnergySparkles::Alpha(const EnergySparkle& s) {
    if (s.mode == EnergySparkle::kHoming) {
        return std::clamp(5.0f * s.timeLeft, 0.0f, 1.0f);
    }
    return s.life > 0.0f ? std::clamp((s.life - s.timeLeft) / s.life, 0.0f, 1.0f) : 0.0f;
}

float EnergySparkles::Stretch(const EnergySparkle& s) {
    const float length = std::sqrt(s.homingDelta.x * s.homingDelta.x + s.homingDelta.y * s.homingDelta.y);
    return std::min(3.0f, 1.5f * (2.0f * length + 1.0f));
}

void EnergySparkles::Draw(Sprite* sprite) const {
    if (!sprite) {
        return;
    }
    const float halfWidth = float(sprite->Width()) * 0.5f;
    const float halfHeight = float(sprite->Height()) * 0.5f;
    RenderStackScope scope;
    RenderStack::SetBlendMode(kBlendAlphaAdd);
    for (const EnergySparkle& s : pool) {
        if (!s.alive) {
            continue;
        }
        Matrix4 shape;
        if (s.mode == EnergySparkle::kHoming) {
            const float stretch = Stretch(s);
            shape = Matrix4::RotationZ(std::atan2(s.homingDelta.y, s.homingDelta.x)) *
                    Matrix4::Scaling(stretch, 2.0f / stretch, 1.0f);
        } else {
            shape = Matrix4::RotationZ(s.angle * kDegreesToRadians);
        }
        RenderStack::SetModelMatrix(Matrix4::Translation(s.position.x, s.position.y, s.position.z) * shape *
                                    Matrix4::Translation(-halfWidth, -halfHeight, 0.0f));
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, Alpha(s));
        sprite->Draw();
    }
}
