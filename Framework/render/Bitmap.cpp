#include "render/Bitmap.h"

#include "core/Log.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/BlendMode.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <cstdio>
#include <cstring>

Bitmap::Bitmap() {
    Name.SetFirstString("NewBitmap");
    DeclareString("SpritePath", SpritePath, 1, this, "");
    DeclareBlendMode("BlendMode", BlendMode, this, kBlendBlockCopy);
    DeclareInt("FrameIndex", FrameIndex, 1, this, -1);
    DeclareFloat("AlphaMask", AlphaMask, 1, this, 0.5f);
}

Bitmap::~Bitmap() = default;

void Bitmap::SetOwnSprite(Sprite* value) {
    ownedSprite.reset();
    sprite = value;
    ownSprite = true;
}

void Bitmap::AdoptSprite(std::unique_ptr<Sprite> value) {
    ownedSprite = std::move(value);
    sprite = ownedSprite.get();
    ownSprite = true;
}

void Bitmap::LookUpSprite() {
    String path = FramePath(SpritePath.FirstString().CStr(), FrameIndex.FirstInt());
    sprite = path.Empty() ? nullptr : Resources::FindSprite(path.CStr());
}

bool Bitmap::Resolve() {
    if (!ownSprite && (SpritePath.IsChanged() || FrameIndex.IsChanged())) {
        LookUpSprite();
    }
    return Widget::Resolve();
}

void Bitmap::ApplyRenderState() {
    const int32_t mode = BlendMode.FirstInt();
    RenderStack::SetBlendMode(mode);
    if (mode == kBlendAlphaTest) {
        RenderStack::SetAlphaRef(AlphaMask.FirstFloat());
        const float* color = RenderStack::Current().color;
        RenderStack::SetColor(color[0], color[1], color[2], 1.0f);
    }
}

bool Bitmap::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    if (sprite) {
        ApplyRenderState();
        sprite->Draw();
    }
    return true;
}

bool Bitmap::HitTest(const Vec2& point) {
    if (noHit || !sprite) {
        return false;
    }
    return sprite->HitTest(WorldMatrix(), point, -1);
}

namespace {

// Length of the integer directive at `text` (just after a "%"), or 0 when it
// is not one: flags, a width, then d or i.
size_t IntegerDirectiveLength(const char* text) {
    size_t i = 0;
    // At most four flags and twelve characters before the conversion: the
    // directive must fit the small format buffer whole, or printf would see a
    // cut one. ("#" is no flag here: it is undefined for integers.)
    while (text[i] && std::strchr("-+ 0", text[i]) && i < 4) {
        ++i;
    }
    while (text[i] >= '0' && text[i] <= '9' && i < 12) {
        ++i;
    }
    return text[i] == 'd' || text[i] == 'i' ? i + 1 : 0;
}

} // namespace

bool FormatOneInteger(const char* pattern, int32_t number, String& out) {
    if (!pattern) {
        return false;
    }
    const char* directive = nullptr;
    size_t directiveLength = 0;
    for (const char* c = pattern; *c; ++c) {
        if (*c != '%') {
            continue;
        }
        size_t length = IntegerDirectiveLength(c + 1);
        if (c[1] == '%' || length == 0 || directive) {
            return false;
        }
        directive = c;
        directiveLength = length + 1;
        c += length;
    }
    if (!directive) {
        out = String(pattern);
        return true;
    }
    char format[16];
    char text[64];
    std::snprintf(format, sizeof format, "%.*s", static_cast<int>(directiveLength), directive);
    std::snprintf(text, sizeof text, format, number);
    out = String(std::string_view(pattern, static_cast<size_t>(directive - pattern)));
    out.Append(text);
    out.Append(directive + directiveLength);
    return true;
}

String FramePath(const char* path, int32_t frame) {
    if (!path || frame < 0) {
        return String(path);
    }
    String result;
    if (!FormatOneInteger(path, frame, result)) {
        static bool reported = false;
        if (!reported) {
            LogFormat(
                "Bitmap: the sprite path %s holds a directive other than one integer; used as it stands",
                path);
            reported = true;
        }
        return String(path);
    }
    return result;
}

Bitmap* MakeGlowCopy(Bitmap& source) {
    Sprite* picture = source.GetSprite();
    if (!picture || !source.scene || picture->Width() <= 0) {
        return nullptr;
    }
    auto* glow = ObjectCast<Bitmap>(source.scene->CloneElement(source));
    if (!glow) {
        return nullptr;
    }
    if (source.Parent()) {
        AttachChild(source.Parent(), glow);
    }
    auto halo = std::make_unique<Sprite>();
    if (!halo->Create(picture->Width() + 20, picture->Height() + 20)) {
        source.scene->DeleteLater(glow);
        return nullptr;
    }
    // The source's pixels at (10, 10), every colour replaced by its alpha.
    const uint8_t* from = picture->Pixels();
    uint8_t* to = halo->Pixels();
    const int32_t stride = halo->Width() * 4;
    for (int32_t y = 0; y < picture->Height(); ++y) {
        for (int32_t x = 0; x < picture->Width(); ++x) {
            const uint8_t* p = from + (static_cast<size_t>(y) * picture->Width() + x) * 4;
            uint8_t* q = to + static_cast<size_t>(y + 10) * stride + (x + 10) * 4;
            q[0] = q[1] = q[2] = p[3];
            q[3] = p[3];
        }
    }
    halo->BoxBlur(10);
    halo->MarkPixelsChanged();
    glow->AdoptSprite(std::move(halo));
    // The blur leaves every pixel opaque and carries the halo in the colour:
    // the copy adds its light, whatever blending the source draws with, so
    // its dark margin never hides what lies behind it.
    glow->BlendMode.SetFirstInt(kBlendAlphaAdd);
    glow->Position.SetFloat(0, source.Position.GetFloat(0) - 10.0f);
    glow->Position.SetFloat(1, source.Position.GetFloat(1) - 10.0f);
    return glow;
}
