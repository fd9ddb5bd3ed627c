#include "render/Splitmap.h"

#include "core/FrameTime.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// `value` wrapped into 0 ... size.
float Wrap(float value, float size) {
    if (!std::isfinite(value)) {
        return 0.0f;
    }
    value = std::fmod(value, size);
    return value < 0.0f ? value + size : value;
}

} // namespace

Splitmap::Splitmap() {
    Name.SetFirstString("NewSplitmap");
    DeclareFloat("offset", offset, 2, this, 0.0f);
    DeclareFloat("scroll", scroll, 2, this, 0.0f);
    FrameIndex.flags &= ~Var::kSaved;
}

void Splitmap::Update() {
    Bitmap::Update();
    const Sprite* picture = GetSprite();
    const float sx = scroll.GetFloat(0);
    const float sy = scroll.GetFloat(1);
    if (!picture || picture->Width() <= 0 || picture->Height() <= 0 || (sx == 0.0f && sy == 0.0f)) {
        return;
    }
    offset.SetFloat(0, Wrap(offset.GetFloat(0) - frameTime * sx, float(picture->Width())));
    offset.SetFloat(1, Wrap(offset.GetFloat(1) - frameTime * sy, float(picture->Height())));
}

bool Splitmap::Draw() {
    Sprite* picture = GetSprite();
    if (!Visible.FirstBool() || !picture || picture->Width() <= 0 || picture->Height() <= 0) {
        return Bitmap::Draw();
    }
    RenderStackScope shifted;
    RenderStack::SetTextureMatrix(Matrix4::Translation(offset.GetFloat(0) / float(picture->Width()),
                                                       offset.GetFloat(1) / float(picture->Height()), 0.0f));
    const bool bound = picture->Bind(!RenderStack::Current().modelView.IsTranslationOnly());
    if (bound) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    const bool drawn = Bitmap::Draw();
    if (bound) {
        // Every other user of the texture expects clamped edges.
        picture->Bind(false);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return drawn;
}
