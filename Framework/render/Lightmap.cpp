#include "render/Lightmap.h"

#include "core/Scene.h"
#include "io/File.h"
#include "io/Resources.h"
#include "render/BlendMode.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The rectangle around the pixels that add light (some red, green or blue
// and some alpha), one pixel wider on each side within the picture, so that
// a filtered draw keeps the glow's soft rim.
void FindLitRectangle(const Sprite& sprite, Lightmap::Layer& layer) {
    const uint8_t* pixels = sprite.Pixels();
    const int32_t width = sprite.Width(), height = sprite.Height();
    int32_t left = width, top = height, right = -1, bottom = -1;
    for (int32_t y = 0; pixels && y < height; ++y) {
        const uint8_t* row = pixels + size_t(y) * size_t(width) * 4;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * 4;
            if (p[3] != 0 && (p[0] | p[1] | p[2]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        layer.litX = layer.litY = layer.litWidth = layer.litHeight = 0;
        return;
    }
    layer.litX = std::max(left - 1, 0);
    layer.litY = std::max(top - 1, 0);
    layer.litWidth = std::min(right + 2, width) - layer.litX;
    layer.litHeight = std::min(bottom + 2, height) - layer.litY;
}

} // namespace

Light::Light() {
    Name.SetFirstString("NewLight");
    DeclareInt("Index", Index, 1, this, 1);
    Position.flags &= ~Var::kSaved;
    Rotation.flags &= ~Var::kSaved;
    Scale.flags &= ~Var::kSaved;
    Pivot.flags &= ~Var::kSaved;
}

bool Light::IsOn() const {
    return Visible.FirstBool() && Color.GetCount() == 4 && Color.GetFloat(3) != 0.0f;
}

Lightmap::Lightmap() {
    Name.SetFirstString("NewLightmap");
}

Lightmap::~Lightmap() = default;

bool Lightmap::Resolve() {
    const bool pathChanged = SpritePath.IsChanged();
    const bool resolved = Bitmap::Resolve();
    if (pathChanged) {
        LoadLights();
    }
    return resolved;
}

Sprite* Lightmap::FindLightImage(const String& base, const String& extension, int32_t index) const {
    const Sprite* picture = Bitmap::GetSprite();
    if (!picture) {
        return nullptr;
    }
    const char* extensions[] = {extension.CStr(), "tga", "jpg", "png"};
    char path[512];
    for (const char* candidate : extensions) {
        const int length = std::snprintf(path, sizeof path, "%s_L%d.%s", base.CStr(), index, candidate);
        if (length <= 0 || size_t(length) >= sizeof path || !Exists(path)) {
            continue;
        }
        Sprite* light = Resources::FindSprite(path);
        if (light && light->Width() == picture->Width() && light->Height() == picture->Height()) {
            return light;
        }
    }
    return nullptr;
}

void Lightmap::LoadLights() {
    layers.clear();
    if (!scene) {
        return;
    }
    const char* path = SpritePath.FirstString().CStr();
    const char* dot = std::strchr(path, '.');
    const String base = dot ? String(std::string_view(path, size_t(dot - path))) : String(path);
    const String extension(dot ? dot + 1 : "");
    for (auto& entry : scene->Elements().Entries()) {
        const Light* light = ObjectCast<Light>(entry.value);
        if (!light) {
            continue;
        }
        Layer layer;
        layer.lightName = String(light->GetName());
        layer.index = light->Index.FirstInt();
        layer.sprite = FindLightImage(base, extension, layer.index);
        if (layer.sprite) {
            FindLitRectangle(*layer.sprite, layer);
        }
        layers.push_back(layer);
    }
}

bool Lightmap::Draw() {
    if (!Bitmap::Draw()) {
        return false;
    }
    if (layers.empty() || !scene) {
        return true;
    }
    float c[4];
    std::memcpy(c, RenderStack::Current().color, sizeof c);
    RenderStackScope lights;
    for (const Layer& layer : layers) {
        if (!layer.sprite) {
            continue;
        }
        const Light* light = ObjectCast<Light>(scene->FindElement(layer.lightName.CStr(), "Light"));
        if (!light || !light->IsOn()) {
            continue;
        }
        RenderStack::SetBlendMode(kBlendAlphaAdd);
        RenderStack::SetColor(c[0] * light->Color.GetFloat(0), c[1] * light->Color.GetFloat(1),
                              c[2] * light->Color.GetFloat(2), c[3] * light->Color.GetFloat(3));
        if (layer.sprite->Brightness() != 0.0f) {
            layer.sprite->Draw(); // brightened, even its black adds light
        } else {
            layer.sprite->DrawPart(layer.litX, layer.litY, layer.litWidth, layer.litHeight);
        }
    }
    return true;
}
