#include "play/Entity.h"

#include "core/FrameTime.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

float Eased(float t, int32_t curve) {
    t = std::clamp(t, 0.0f, 1.0f);
    return curve == 2 ? (1.0f - std::cos(std::numbers::pi_v<float> * t)) / 2.0f : t;
}

Vec3 AsPoint(const float* items) {
    return Vec3{items[0], items[1], items[2]};
}

} // namespace

Entity::Entity() {
    Name.SetFirstString("NewEntity");
    fade.record.start[0] = fade.record.start[1] = fade.record.start[2] = fade.record.start[3] = 1.0f;
    std::copy(fade.record.start, fade.record.start + 4, fade.record.target);
}

Entity::~Entity() = default;

bool Entity::Resolve() {
    return Widget::Resolve();
}

void Entity::Update() {
    Widget::Update();
    StepMotion(move, Position, kMoveStart);
    StepMotion(fade, Color, kFadeStart);
}

void Entity::StepMotion(Motion& motion, Var& property, int32_t startCode) {
    Record& r = motion.record;
    if (r.duration == 0.0f) {
        return;
    }
    // 1. the eased point for the time so far
    const float t = r.elapsed / r.duration;
    const float eased = Eased(t, r.curve);
    for (int32_t i = 0; i < motion.count; ++i) {
        r.current[i] = r.start[i] + (r.target[i] - r.start[i]) * eased;
    }
    r.progress = std::clamp(t, 0.0f, 1.0f);
    // 2. the start message on the first step
    if (r.elapsed == 0.0f) {
        Send(startCode, r);
    }
    // 3. time runs on
    r.elapsed += frameTime;
    if (r.elapsed >= r.duration) {
        // 4. the end: the property lands exactly on the target
        std::copy(r.target, r.target + 4, r.current);
        r.progress = 1.0f;
        Record ended = r;
        r.duration = 0.0f;
        for (int32_t i = 0; i < motion.count; ++i) {
            property.SetFloat(i, ended.target[i]);
        }
        Send(startCode + 2, ended);
        return;
    }
    // 5. a step to the eased point of step 1
    Send(startCode + 1, r);
    for (int32_t i = 0; i < motion.count; ++i) {
        property.SetFloat(i, r.current[i]);
    }
}

void Entity::EndMotion(Motion& motion, int32_t endCode) {
    Record& r = motion.record;
    if (r.duration == 0.0f) {
        return;
    }
    const float eased = Eased(r.elapsed / r.duration, r.curve);
    for (int32_t i = 0; i < motion.count; ++i) {
        r.current[i] = r.start[i] + (r.target[i] - r.start[i]) * eased;
    }
    r.progress = std::clamp(r.elapsed / r.duration, 0.0f, 1.0f);
    Record ended = r;
    r.duration = 0.0f;
    Send(endCode, ended);
}

void Entity::Send(int32_t code, const Record& record) {
    sending = record;
    Message(code, this);
}

bool Entity::Message(int32_t message, Object* /*sender*/) {
    const Record& r = sending;
    switch (message) {
    case kMoveStart:
        OnMoveStart(AsPoint(r.target), r.duration);
        break;
    case kMoveStep:
        OnMoveStep(AsPoint(r.current), r.duration);
        break;
    case kMoveEnd:
        OnMoveEnd(AsPoint(r.target));
        break;
    case kFadeStart:
        OnFadeStart(r.target, r.duration);
        break;
    case kFadeStep:
        OnFadeStep(r.current, r.duration);
        break;
    case kFadeEnd:
        OnFadeEnd(r.target);
        break;
    case kHide:
        Visible.SetFirstBool(false);
        break;
    default:
        break;
    }
    return true;
}

void Entity::StartFade(const float colour[4], float duration, int32_t curve) {
    EndMotion(fade, kFadeEnd);
    Record& r = fade.record;
    fade.count = std::min<int32_t>(4, Color.GetCount());
    for (int32_t i = 0; i < 4; ++i) {
        r.start[i] = i < fade.count ? Color.GetFloat(i) : 1.0f;
        r.target[i] = colour[i];
        r.current[i] = r.start[i];
    }
    r.elapsed = 0.0f;
    r.progress = 0.0f;
    r.curve = curve;
    if (!(duration > 0.0f) || !std::isfinite(duration)) {
        r.duration = 0.0f;
        for (int32_t i = 0; i < fade.count; ++i) {
            Color.SetFloat(i, colour[i]);
        }
        return;
    }
    r.duration = duration;
}

bool MoveTo(Entity& entity, const Vec3& target, float duration) {
    Entity::Motion& move = entity.move;
    entity.EndMotion(move, Entity::kMoveEnd);
    Entity::Record& r = move.record;
    move.count = std::min<int32_t>(3, entity.Position.GetCount());
    const float to[3] = {target.x, target.y, target.z};
    for (int32_t i = 0; i < 3; ++i) {
        r.start[i] = i < move.count ? entity.Position.GetFloat(i) : 0.0f;
        r.target[i] = to[i];
        r.current[i] = r.start[i];
    }
    r.elapsed = 0.0f;
    r.progress = 0.0f;
    r.curve = 2;
    if (!(duration > 0.0f) || !std::isfinite(duration)) {
        r.duration = 0.0f;
        for (int32_t i = 0; i < move.count; ++i) {
            entity.Position.SetFloat(i, to[i]);
        }
        std::copy(r.target, r.target + 4, r.current);
        r.progress = 1.0f;
        entity.Send(Entity::kMoveEnd, r);
        return true;
    }
    r.duration = duration;
    return true;
}
