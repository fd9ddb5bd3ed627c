// The font row of the resource cache: a font description and its glyph
// image, loaded through the file layer into a Font.
#include "io/Resources.h"
#include "render/Font.h"
#include "render/RenderResources.h"

#include <memory>

namespace {

Object* LoadFont(const char* path) {
    auto font = std::make_unique<Font>();
    if (!font->Load(path)) {
        return nullptr;
    }
    return font.release();
}

} // namespace

Font* Resources::FindFont(const char* path) {
    return static_cast<Font*>(Find(kFontRow, path));
}

void InstallFontResourceLoader() {
    Resources::SetLoader(Resources::kFontRow, LoadFont);
}
