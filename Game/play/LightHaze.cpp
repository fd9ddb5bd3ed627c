#include "play/LightHaze.h"

#include "core/FrameTime.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <cmath>

LightHaze::LightHaze() {
    Name.SetFirstString("NewLightHaze");
    DeclareFloat("rate", rate, 1, this, 0.5f);
    DeclareInt("behavior", behavior, 1, this, kOscillate);
    behavior.AddValueName("Oscillate", kOscillate);
    behavior.AddValueName("Cycle", kCycle);
    for (Var* var : {&Rotation, &Scale, &Pivot, &FrameIndex, &AlphaMask}) {
        var->flags &= ~Var::kSaved;
    }
}

LightHaze::~LightHaze() = default;

void LightHaze::Update() {
    Bitmap::Update();
    const double t = double(rate.FirstFloat()) * totalTime;
    switch (behavior.GetCount() > 0 ? behavior.FirstInt() : kOscillate) {
    case kCycle:
        phase = float(t - std::floor(t));
        break;
    case kOscillate:
        phase = float(0.5 + 0.5 * std::sin(t));
        break;
    default:
        break;
    }
}

bool LightHaze::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    Sprite* picture = GetSprite();
    if (!picture) {
        return true;
    }
    ApplyRenderState();
    RenderStack::SetColor(Color.GetFloat(0), Color.GetFloat(1), Color.GetFloat(2), Color.GetFloat(3) * phase);
    picture->Draw();
    return true;
}
