#include "render/ScreenFill.h"

#include "render/BlendMode.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"

ScreenFill::ScreenFill() {
    Name.SetFirstString("NewScreenFill");
    DeclareBlendMode("BlendMode", BlendMode, this, kBlendAlphaBlend);
    Position.flags &= ~Var::kSaved;
    Rotation.flags &= ~Var::kSaved;
    Scale.flags &= ~Var::kSaved;
}

bool ScreenFill::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    RenderStackScope fill;
    RenderStack::SetTexturing(false);
    RenderStack::SetBlending(true);
    RenderStack::SetBlendMode(BlendMode.FirstInt());
    RenderStack::SetModelMatrix(Matrix4::Identity());
    DrawScreenQuad();
    return true;
}
