#include "ui/PictureDraw.h"

#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"

void SetCentredScreenView() {
    const int32_t width = DisplayWidth();
    const int32_t height = DisplayHeight();
    RenderStack::SetProjectionMatrix(MakeScreenProjection(width, height));
    RenderStack::SetCameraMatrix(Matrix4::Translation(float(width / 2), float(height / 2), 0.0f));
}

void DrawCentredPicture(Sprite& sprite, const PicturePlacement& placement) {
    const float halfWidth = float(sprite.Width()) / 2.0f;
    const float halfHeight = float(sprite.Height()) / 2.0f;
    const Matrix4 centre = Matrix4::Translation(-halfWidth, -halfHeight, 0.0f);
    const Matrix4 flip = Matrix4::Scaling(1.0f, placement.mirrored ? -1.0f : 1.0f, 1.0f);
    const Matrix4 scale = Matrix4::Scaling(placement.scaleX, placement.scaleY, 1.0f);
    const Matrix4 turn = Matrix4::RotationZ(placement.radians);
    const Matrix4 shift = Matrix4::Translation(placement.offsetX, placement.offsetY, 0.0f);
    RenderStack::SetModelMatrix(shift * turn * scale * flip * centre);
    RenderStack::SetTexturing(true);
    sprite.Draw();
}

void FillPicture(float r, float g, float b, float a) {
    RenderStack::SetModelMatrix(Matrix4::Identity());
    RenderStack::SetTexturing(false);
    RenderStack::SetColor(r, g, b, a);
    DrawScreenQuad();
    RenderStack::SetTexturing(true);
}
