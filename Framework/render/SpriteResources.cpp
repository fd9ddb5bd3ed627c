// The resource rows the renderer owns: sprites and textures, each decoded
// from an image file through the file layer.
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/Sprite.h"
#include "render/Texture.h"
#include "render/WidgetRenderer.h"

#include <memory>

namespace {

Object* LoadSprite(const char* path) {
    Image image;
    // A sprite draws at most kMaxTextureSide pixels a side: a larger
    // picture is refused before it is decoded, whatever its file costs.
    image.LimitSides(uint32_t(Sprite::kMaxTextureSide));
    if (!image.Load(path)) {
        return nullptr;
    }
    auto sprite = std::make_unique<Sprite>();
    if (!sprite->CreateFromImage(image)) {
        return nullptr;
    }
    sprite->SetName(path);
    return sprite.release();
}

Object* LoadTexture(const char* path) {
    Image image;
    if (!image.Load(path)) {
        return nullptr;
    }
    auto texture = std::make_unique<Texture>();
    if (!texture->Create(image)) {
        return nullptr;
    }
    return texture.release();
}

} // namespace

Sprite* Resources::FindSprite(const char* path) {
    return static_cast<Sprite*>(Find(kSpriteRow, path));
}

Texture* Resources::FindTexture(const char* path) {
    return static_cast<Texture*>(Find(kTextureRow, path));
}

void InstallRenderResourceLoaders() {
    Resources::SetLoader(Resources::kSpriteRow, LoadSprite);
    Resources::SetLoader(Resources::kTextureRow, LoadTexture);
    InstallFontResourceLoader();
}

void StartResourcesAndRenderer() {
    Resources::lookupEnabled = true;
    Resources::storeEnabled = true;
    Resources::InstallLinkResolver();
    InstallRenderResourceLoaders();
    InstallWidgetRenderer();
}
