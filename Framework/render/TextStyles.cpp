#include "render/TextStyles.h"

#include "core/String.h"

#include <vector>

namespace {

struct TextStyle {
    Font* font = nullptr;
    String name;
};

std::vector<TextStyle>& Styles() {
    static std::vector<TextStyle> styles;
    return styles;
}

} // namespace

int32_t RegisterTextStyle(const char* name, Font* font) {
    const int32_t existing = FindTextStyle(name);
    if (existing >= 0) {
        return existing;
    }
    Styles().push_back({font, String(name)});
    return TextStyleCount() - 1;
}

const char* TextStyleName(int32_t number) {
    if (number < 0 || number >= TextStyleCount()) {
        return "";
    }
    return Styles()[size_t(number)].name.CStr();
}

Font* TextStyleFont(int32_t number) {
    if (number < 0 || number >= TextStyleCount()) {
        return nullptr;
    }
    return Styles()[size_t(number)].font;
}

int32_t FindTextStyle(const char* name) {
    const String wanted(name);
    for (size_t i = 0; i < Styles().size(); ++i) {
        if (Styles()[i].name == wanted) {
            return int32_t(i);
        }
    }
    return -1;
}

int32_t TextStyleCount() {
    return int32_t(Styles().size());
}

void ClearTextStyles() {
    Styles().clear();
}
