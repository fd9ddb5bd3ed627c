#include "FontMetrics.h"

#include "core/ConfigTable.h"
#include "render/Image.h"

bool FontMetrics::Load(const char* path) {
    ConfigTable table;
    String imagePath;
    Image image;
    if (!table.Load(path) || !table.GetString(0, "ImagePath", imagePath) || !image.Load(imagePath.CStr()) ||
        !image.ExpandDelta() || !ReadFontDescription(table, image, description, path)) {
        return false;
    }
    for (size_t i = 0; i < description.glyphs.size(); ++i) {
        advances.emplace(description.glyphs[i].code, description.glyphs[i].advance);
    }
    return true;
}

int32_t FontMetrics::TextWidth(const char* text) {
    int32_t width = 0;
    for (const char* c = text ? text : ""; *c; ++c) {
        width += GlyphAdvance(static_cast<int8_t>(*c));
    }
    return width;
}

int32_t FontMetrics::GlyphAdvance(int32_t code) {
    if (code == ' ') {
        return description.spaceWidth;
    }
    int32_t index = 0;
    return FindGlyph(code, index) ? index : 0;
}

bool FontMetrics::FindGlyph(int32_t code, int32_t& index) {
    auto found = advances.find(code);
    if (found == advances.end()) {
        const auto substitute = description.lookups.find(code);
        found = substitute == description.lookups.end() ? advances.end() : advances.find(substitute->second);
    }
    if (found == advances.end()) {
        return false;
    }
    index = found->second;
    return true;
}

FontMetrics* FontMetricsCache::Find(const std::string& path) {
    auto found = fonts.find(path);
    if (found == fonts.end()) {
        auto font = std::make_unique<FontMetrics>();
        if (!font->Load(path.c_str())) {
            font.reset();
        }
        found = fonts.emplace(path, std::move(font)).first;
    }
    return found->second.get();
}
