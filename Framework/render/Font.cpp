#include "render/Font.h"

#include "render/Font3D.h"

Font::Font() : implementation(std::make_unique<Font3D>()) {}

Font::~Font() = default;

bool Font::Load(const char* path) {
    return implementation->Load(path);
}

FontBase* Font::GetFontBase() {
    return implementation.get();
}

int32_t Font::TextWidth(const char* text) {
    return implementation->TextWidth(text);
}

void Font::Draw(const char* text) {
    implementation->Draw(text);
}

int32_t Font::Height() const {
    return implementation->Height();
}
