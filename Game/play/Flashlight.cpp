#include "play/Flashlight.h"

#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/Scene.h"
#include "data/Globals.h"
#include "io/Resources.h"
#include "render/BlendMode.h"
#include "render/Lightmap.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/Sprite.h"
#include "ui/InputManagerCallback.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

float GlobalFloat(const char* name) {
    Globals* globals = GetGlobals();
    return globals ? globals->GetFloat(name) : 0.0f;
}

String GlobalText(const char* name) {
    Globals* globals = GetGlobals();
    return globals ? globals->GetString(name) : GlobalsDefault(name);
}

bool TweenRunsOn(const Scene& scene, const Var& var) {
    for (const Tween& tween : scene.Tweens()) {
        if (tween.target == &var) {
            return true;
        }
    }
    return false;
}

// The level picture: the widest picture of the scene that is not an object
// of the level (doodads are lightmaps too, but small ones).
const Bitmap* LevelPicture(Scene& scene, const Element& self) {
    const Bitmap* best = nullptr;
    int64_t bestArea = 0;
    for (auto& entry : scene.Elements().Entries()) {
        const Element* element = entry.value;
        if (element == &self || !element->IsA("Bitmap") || element->IsA("Doodad")) {
            continue;
        }
        const Sprite* picture = static_cast<const Bitmap*>(element)->GetSprite();
        if (!picture || !picture->Pixels()) {
            continue;
        }
        const int64_t area = int64_t(picture->Width()) * picture->Height();
        if (area > bestArea) {
            best = static_cast<const Bitmap*>(element);
            bestArea = area;
        }
    }
    return best;
}

} // namespace

Flashlight::Flashlight() {
    Name.SetFirstString("NewFlashlight");
    DeclareFloat("lightPos", lightPos, 2, this, 0.0f);
    DeclareBool("lockPos", lockPos, 1, this, false);
    for (Var* var : {&Rotation, &Scale, &Pivot, &SpritePath, &FrameIndex, &AlphaMask}) {
        var->flags &= ~Var::kSaved;
    }
}

Flashlight::~Flashlight() = default;

bool Flashlight::SwitchOn() {
    if (composed || work) {
        return false;
    }
    Setup();
    if (scene) {
        scene->StartTween(&Color, 3, 0.0f, 1.0f, kSwitchSeconds, kTweenEaseInOut);
    }
    return true;
}

void Flashlight::SwitchOff() {
    for (const DelayedMessage& pending : messages) {
        if (pending.message == kRemove) {
            return;
        }
    }
    if (!scene) {
        return;
    }
    for (Var* var : {&Color, &Position, &lightPos, &Scale, &Rotation}) {
        if (TweenRunsOn(*scene, *var)) {
            return;
        }
    }
    scene->StartTween(&Color, 3, 1.0f, 0.0f, kSwitchSeconds, kTweenEaseInOut);
    PostMessage(kRemove, kSwitchSeconds);
}

void Flashlight::Setup() {
    if (!scene) {
        return;
    }
    const String maskPath = GlobalText("FlashlightMaskPath");
    const String lightName = GlobalText("FlashlightLightName");
    mask = Resources::FindSprite(maskPath.CStr());
    light = ObjectCast<Light>(scene->FindElement(lightName.CStr(), "Light"));
    if (!mask || !light) {
        LogFormat("Flashlight %s: no %s \"%s\"; the flashlight stays dark", GetName(), mask ? "light" : "mask",
                  mask ? lightName.CStr() : maskPath.CStr());
        mask = nullptr;
        light = nullptr;
        return;
    }
    if (!composed) {
        composed = std::make_unique<Sprite>();
        if (!composed->Create(mask->Width(), mask->Height())) {
            composed.reset();
            return;
        }
    }
    if (!work) {
        work = std::make_unique<Sprite>();
        if (!work->Create(std::max(DisplayWidth(), 1), std::max(DisplayHeight(), 1))) {
            work.reset();
            return;
        }
        FillWorkImage();
    }
    BlendMode.SetFirstInt(kBlendAlphaAdd);
    Update();
}

void Flashlight::FillWorkImage() {
    const int32_t w = work->Width();
    const int32_t h = work->Height();
    std::memset(work->Pixels(), 0, size_t(w) * h * 4);
    const Bitmap* level = LevelPicture(*scene, *this);
    if (!level) {
        return;
    }
    const Sprite& picture = *level->GetSprite();
    // The picture's top-left corner in work-image pixels (scene origin at the centre).
    const int32_t left = int32_t(level->Position.GetFloat(0)) + w / 2;
    const int32_t top = int32_t(level->Position.GetFloat(1)) + h / 2;
    const int32_t x0 = std::max(left, 0);
    const int32_t x1 = std::min(left + picture.Width(), w);
    if (x1 <= x0) {
        return;
    }
    for (int32_t y = std::max(top, 0); y < std::min(top + picture.Height(), h); ++y) {
        const uint8_t* from = picture.Pixels() + (size_t(y - top) * picture.Width() + (x0 - left)) * 4;
        std::memcpy(work->Pixels() + (size_t(y) * w + x0) * 4, from, size_t(x1 - x0) * 4);
    }
}

bool Flashlight::Resolve() {
    const bool resolved = Bitmap::Resolve();
    Compose();
    return resolved;
}

void Flashlight::Compose() {
    if (!mask || !light || !composed || !work || mask->Width() <= 0 || mask->Height() <= 0 ||
        !mask->Pixels()) {
        return;
    }
    const int32_t mw = mask->Width();
    const int32_t mh = mask->Height();
    const int32_t ww = work->Width();
    const int32_t wh = work->Height();
    uint8_t* out = composed->Pixels();
    std::memset(out, 0, size_t(mw) * mh * 4);
    const int32_t left = int32_t(lightPos.GetFloat(0)) + ww / 2;
    const int32_t top = int32_t(lightPos.GetFloat(1)) + wh / 2;
    const int32_t x0 = std::max(left, 0);
    const int32_t x1 = std::min(left + mw, ww);
    for (int32_t y = std::max(top, 0); y < std::min(top + mh, wh) && x1 > x0; ++y) {
        const uint8_t* from = work->Pixels() + (size_t(y) * ww + x0) * 4;
        const uint8_t* alpha = mask->Pixels() + (size_t(y - top) * mw + (x0 - left)) * 4;
        uint8_t* to = out + (size_t(y - top) * mw + (x0 - left)) * 4;
        for (int32_t x = x0; x < x1; ++x, from += 4, alpha += 4, to += 4) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = alpha[3];
        }
    }
    composed->MarkPixelsChanged();
}

void Flashlight::Update() {
    if (mask && !lockPos.FirstBool()) {
        const InputManagerCallback& input = GetInputManager();
        const Vec2 mouse = ScreenToScene(Vec2{float(input.mouseX), float(input.mouseY)});
        const float x = std::trunc(mouse.x - float(mask->Width() / 2) + shake.x);
        const float y = std::trunc(mouse.y - float(mask->Height() / 2) + shake.y);
        lightPos.SetFloat(0, x);
        lightPos.SetFloat(1, y);
        Position.SetFloat(0, x);
        Position.SetFloat(1, y);
        Position.SetFloat(2, 1000.0f);
    }
    StepShake();
    Bitmap::Update();
}

void Flashlight::StepShake() {
    shakeTimer -= frameTime;
    const float magnitude = GlobalFloat("Game_FlashlightShakeMagnitude");
    if (shakeTimer < 0.0f) {
        shakeTimer = GlobalFloat("Game_FlashlightShakeFrequency");
        shakeTarget = Vec2{Random(-magnitude, magnitude), Random(-magnitude, magnitude)};
        return;
    }
    const float dx = shakeTarget.x - shake.x;
    const float dy = shakeTarget.y - shake.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0f) {
        const float step = magnitude * frameTime;
        shake.x += dx / length * step;
        shake.y += dy / length * step;
    }
}

bool Flashlight::Message(int32_t message, Object* /*sender*/) {
    if (message != kRemove) {
        return false;
    }
    if (scene) {
        scene->DeleteLater(this);
    }
    return true;
}

bool Flashlight::Draw() {
    const bool drawn = Bitmap::Draw();
    if (!drawn || !composed) {
        return drawn;
    }
    ApplyRenderState();
    if (composed->IsDirty()) {
        composed->Upload(true);
    }
    composed->Draw();
    return true;
}
