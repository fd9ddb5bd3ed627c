#include "ui/PausedView.h"

#include "render/BlendMode.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "ui/PictureDraw.h"

bool PausedView::Allocate() {
    return still.Create(DisplayWidth(), DisplayHeight());
}

void PausedView::Release() {
    still.Release();
}

bool PausedView::Capture() {
    if (!CaptureScreen(still)) {
        return false;
    }
    still.BoxBlur(kBlurRadius);
    return true;
}

void PausedView::Draw(const PausedCaption& caption) {
    RenderStackScope scope;
    SetCentredScreenView();
    RenderStack::SetDepthTest(false);
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    RenderStack::SetBlendMode(kBlendBlockCopy);
    if (still.Pixels()) {
        DrawCentredPicture(still, {.mirrored = true});
    }
    if (caption.text.Empty() || !caption.measure || !caption.draw) {
        return;
    }
    // Centred on the width of the font it is drawn in: measured in another
    // font, a caption in a smaller drawing font would sit left of centre.
    const float width = caption.draw->TextWidth(caption.text.CStr());
    const float height = caption.measure->HeightValue();
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    RenderStack::SetModelMatrix(Matrix4::Translation(-width / 2.0f, -2.0f * height, 0.0f));
    caption.draw->DrawText(caption.text.CStr());
}
