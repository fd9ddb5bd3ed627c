#include "play/Doodad.h"

#include "core/FrameTime.h"
#include "core/Log.h"
#include "data/Globals.h"
#include "render/BlendMode.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

FoundFlightHooks defaultHooks;
FoundFlightHooks* installedHooks = &defaultHooks;

constexpr float kPi = std::numbers::pi_v<float>;

// The blurred silhouette of `picture` on a canvas `radius` pixels larger on
// every side: every colour channel holds the picture's alpha, blurred with a
// box of 2·radius + 1; alpha is 255 everywhere. Null when it cannot be made.
std::unique_ptr<Sprite> BlurredSilhouette(const Sprite& picture, int32_t radius) {
    const int32_t w = picture.Width();
    const int32_t h = picture.Height();
    if (w <= 0 || h <= 0 || !picture.Pixels()) {
        return nullptr;
    }
    auto result = std::make_unique<Sprite>();
    if (!result->Create(w + 2 * radius, h + 2 * radius)) {
        return nullptr;
    }
    const int32_t stride = result->Width() * 4;
    std::memset(result->Pixels(), 0, static_cast<size_t>(stride) * result->Height());
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = picture.Pixels() + static_cast<size_t>(y) * w * 4;
        uint8_t* to = result->Pixels() + static_cast<size_t>(y + radius) * stride + radius * 4;
        for (int32_t x = 0; x < w; ++x, from += 4, to += 4) {
            to[0] = to[1] = to[2] = to[3] = from[3];
        }
    }
    result->BoxBlur(radius);
    return result;
}

int32_t GlowRadius() {
    Globals* globals = GetGlobals();
    const int32_t radius = globals ? globals->GetInt("Game_DoodadGlowSize") : 0;
    return std::clamp(radius, 1, Doodad::kMaxBlurRadius);
}

Vec3 Lerp(const Vec3& a, const Vec3& b, float t) {
    return Vec3{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

Vec3 PositionOf(const Widget& widget) {
    return Vec3{widget.Position.GetFloat(0), widget.Position.GetFloat(1), widget.Position.GetFloat(2)};
}

} // namespace

FoundFlightHooks& GetFoundFlightHooks() {
    return *installedHooks;
}

void SetFoundFlightHooks(FoundFlightHooks* hooks) {
    installedHooks = hooks ? hooks : &defaultHooks;
}

Doodad::Doodad() {
    Name.SetFirstString("NewDoodad");
    DeclareString("IconPath", IconPath, 1, this, "");
    DeclareString("fancyName", fancyName, 1, this, "");
    DeclareBool("used", used, 1, this, false);
    DeclareInt("shadowSize", shadowSize, 1, this, 0);
    DeclareFloat("shadowAlpha", shadowAlpha, 1, this, 0.5f);
    DeclareFloat("shadowOffset", shadowOffset, 2, this, 0.0f);
}

Doodad::~Doodad() = default;

bool Doodad::Resolve() {
    // The shadow follows the picture too: a shadow of the old picture would
    // outline something that is no longer there.
    const bool rebuild = shadowSize.IsChanged() || SpritePath.IsChanged() || FrameIndex.IsChanged();
    const bool resolved = Lightmap::Resolve();
    if (rebuild) {
        RebuildShadow();
    }
    return resolved;
}

namespace {

// Shadows already made, by picture and blur radius: a level shows the same
// picture many times, and every shadow made is a texture. Entries expire with
// the last doodad holding them.
struct ShadowKey {
    const Sprite* picture;
    int32_t width;
    int32_t height;
    int32_t radius;
    bool operator==(const ShadowKey&) const = default;
};

std::vector<std::pair<ShadowKey, std::weak_ptr<Sprite>>>& ShadowCache() {
    static std::vector<std::pair<ShadowKey, std::weak_ptr<Sprite>>> cache;
    return cache;
}

std::shared_ptr<Sprite> SharedShadow(const ShadowKey& key) {
    auto& cache = ShadowCache();
    std::erase_if(cache, [](const auto& entry) { return entry.second.expired(); });
    for (const auto& [held, shadow] : cache) {
        if (held == key) {
            return shadow.lock();
        }
    }
    return nullptr;
}

void KeepShadow(const ShadowKey& key, const std::shared_ptr<Sprite>& shadow) {
    ShadowCache().emplace_back(key, shadow);
}

} // namespace

void Doodad::RebuildShadow() {
    int32_t radius = shadowSize.FirstInt();
    if (radius > kMaxBlurRadius) {
        if (!reportedBigRadius) {
            LogFormat("Doodad %s: shadowSize %d is larger than %d; %d used", GetName(), radius,
                      kMaxBlurRadius, kMaxBlurRadius);
            reportedBigRadius = true;
        }
        radius = kMaxBlurRadius;
    }
    const Sprite* picture = Bitmap::GetSprite();
    if (radius <= 0 || !picture) {
        shadow.reset();
        return;
    }
    const ShadowKey key{picture, picture->Width(), picture->Height(), radius};
    if (std::shared_ptr<Sprite> shared = SharedShadow(key)) {
        shadow = std::move(shared);
        return;
    }
    std::unique_ptr<Sprite> made = BlurredSilhouette(*picture, radius);
    if (!made) {
        shadow.reset();
        return;
    }
    shadow = std::move(made);
    KeepShadow(key, shadow);
    // The blurred coverage becomes the alpha of a white picture, tinted black when drawn.
    uint8_t* p = shadow->Pixels();
    const size_t count = static_cast<size_t>(shadow->Width()) * shadow->Height();
    for (size_t i = 0; i < count; ++i, p += 4) {
        p[3] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
        p[0] = p[1] = p[2] = 255;
    }
    shadow->MarkPixelsChanged();
}

void Doodad::Update() {
    StepFoundAnimation();
    Lightmap::Update();
}

void Doodad::StepFoundAnimation() {
    if (foundTime <= 0.0f) {
        return;
    }
    if (foundTargetWidget) {
        foundTarget = PositionOf(*foundTargetWidget);
    }
    foundTime -= foundPhase == 0 ? 3.0f * frameTime : frameTime;
    if (foundTime > 0.0f) {
        return;
    }
    if (foundPhase <= 0) {
        foundTime = 0.0f;
        return;
    }
    --foundPhase;
    foundTime += 1.0f;
    if (foundTime <= 0.0f) {
        foundTime = 1.0e-6f; // a frame longer than a phase: the next phase still gets its frame
    }
    if (foundPhase == 0) {
        GetFoundFlightHooks().Arrived(*this, foundTarget);
    }
}

bool Doodad::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    const RenderState& current = RenderStack::Current();
    const float r = current.color[0];
    const float g = current.color[1];
    const float b = current.color[2];
    const float a = current.color[3];
    const Sprite* picture = Bitmap::GetSprite();
    if (shadow && picture) {
        RenderStackScope scope;
        const float x = shadowOffset.GetFloat(0) - float((shadow->Width() - picture->Width()) / 2);
        const float y = shadowOffset.GetFloat(1) - float((shadow->Height() - picture->Height()) / 2);
        RenderStack::SetModelMatrix(current.model * Matrix4::Translation(x, y, 0.0f));
        RenderStack::SetBlendMode(kBlendAlphaBlend);
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, shadowAlpha.FirstFloat() * a);
        shadow->Draw();
    }
    if (glow && picture) {
        RenderStackScope scope;
        const float radius = float((glow->Width() - picture->Width()) / 2);
        const float pulse = glowPulse == 1 ? 0.65f + 0.35f * std::sin(5.0f * float(totalTime)) : a;
        RenderStack::SetModelMatrix(current.model * Matrix4::Translation(-radius, -radius, 0.0f));
        RenderStack::SetBlendMode(kBlendAlphaAdd); // additive, no alpha test
        RenderStack::SetColor(0.0f, g, b, pulse);
        glow->Draw();
        RenderStack::SetColor(r, g, b, pulse);
        glow->Draw();
    }
    ApplyRenderState();
    return Lightmap::Draw();
}

bool Doodad::HitTest(const Vec2& point) {
    const Sprite* picture = Bitmap::GetSprite();
    if (noHit || foundTime > 0.0f || !picture) {
        return false;
    }
    const Matrix4& world = WorldMatrix();
    if (!picture->HitTest(world, point, 2)) {
        return false;
    }
    constexpr float kOffsets[] = {-6.0f, -4.0f, -2.0f, 0.0f, 2.0f, 4.0f, 6.0f};
    for (float dx : kOffsets) {
        for (float dy : kOffsets) {
            if (picture->HitTest(world, Vec2{point.x + dx, point.y + dy}, 0)) {
                return true;
            }
        }
    }
    return false;
}

bool Doodad::GetHintPoint(Vec3& out) {
    const Sprite* picture = Bitmap::GetSprite();
    int32_t x = 0;
    int32_t y = 0;
    if (!picture || !picture->RandomOpaquePoint(false, x, y)) {
        return false;
    }
    out = WorldMatrix().TransformPoint(Vec3{float(x), float(y), 0.0f});
    return true;
}

namespace {

void StartFlight(Doodad& doodad, Widget* targetWidget, const Vec3& target) {
    doodad.foundStart = PositionOf(doodad);
    doodad.foundTargetWidget = targetWidget;
    doodad.foundTarget = targetWidget ? PositionOf(*targetWidget) : target;
    doodad.foundTime = 1.0f;
    doodad.foundPhase = 2;
    if (GetFoundFlightHooks().GameScreenShown()) {
        doodad.Visible.SetFirstBool(false);
        doodad.Color.SetFloat(3, 0.0f);
    }
}

} // namespace

void StartFoundFlight(Doodad& doodad, Widget* target) {
    StartFlight(doodad, target, Vec3{});
}

void StartFoundFlight(Doodad& doodad, const Vec3& target) {
    StartFlight(doodad, nullptr, target);
}

bool ShowGlow(Doodad& doodad) {
    const Sprite* picture = doodad.Bitmap::GetSprite();
    if (!picture) {
        return false;
    }
    if (!doodad.glow) {
        doodad.glow = BlurredSilhouette(*picture, GlowRadius());
        if (doodad.glow) {
            doodad.glow->MarkPixelsChanged();
        }
    }
    doodad.glowPulse = 1;
    return doodad.glow != nullptr;
}

bool FoundFlightPose(const Doodad& doodad, FoundIconPose& out) {
    const float time = doodad.foundTime;
    if (time <= 0.0f) {
        return false;
    }
    out = FoundIconPose{};
    switch (doodad.foundPhase) {
    case 2: // pop: swells to twice its size and back in the first half second
        out.position = doodad.foundStart;
        out.scale = 1.0f + std::sin(kPi * std::min(1.0f, 2.0f * (1.0f - time)));
        break;
    case 1: { // flight along an arc, turning twice
        const float d = (1.0f - std::cos(kPi * (1.0f - time))) / 2.0f;
        const float arc = 30.0f * std::sin(kPi * d);
        out.position = Lerp(doodad.foundStart, doodad.foundTarget, d);
        out.position.x += arc;
        out.position.y += arc;
        out.rotation = (doodad.foundTarget.x < doodad.foundStart.x ? -4.0f : 4.0f) * kPi * d;
        out.shadowPass = true;
        break;
    }
    default: // fade at the target
        out.position = doodad.foundTarget;
        out.alpha = time;
        break;
    }
    return true;
}

void DrawFoundFlightIcon(const Doodad& doodad) {
    FoundIconPose pose;
    Sprite* icon = doodad.IconPath.Get(0);
    if (!icon || !FoundFlightPose(doodad, pose)) {
        return;
    }
    const float px = doodad.Pivot.GetFloat(0);
    const float py = doodad.Pivot.GetFloat(1);
    RenderStackScope scope;
    RenderStack::SetModelMatrix(
        Matrix4::Translation(pose.position.x + px, pose.position.y + py, pose.position.z) *
        Matrix4::RotationZ(pose.rotation) * Matrix4::Scaling(pose.scale, pose.scale, 1.0f) *
        Matrix4::Translation(-px, -py, 0.0f));
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    if (pose.shadowPass) {
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 0.5f);
        icon->Draw();
    }
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, pose.alpha);
    icon->Draw();
}
