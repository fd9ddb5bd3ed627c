#include "Glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <memory>

namespace {

struct FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeType() {
        if (face) {
            FT_Done_Face(face);
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }
    bool Open(const std::string& path, std::string& error) {
        if (FT_Init_FreeType(&library) != 0) {
            error = "the font library cannot start";
            return false;
        }
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            error = "font " + path + " cannot be opened";
            return false;
        }
        return true;
    }
};

// One glyph's coverage bitmap placed on the line.
struct PlacedGlyph {
    int32_t x = 0, top = 0, width = 0, rows = 0;
    std::vector<uint8_t> cover;
};

struct SetLine {
    std::vector<PlacedGlyph> glyphs;
    int32_t width = 0;
};

SetLine SetOneLine(FT_Face face, const std::string& text) {
    SetLine line;
    int64_t pen = 0;
    FT_UInt previous = 0;
    int32_t right = 0;
    for (uint32_t code : DecodeUtf8(text)) {
        const FT_UInt index = FT_Get_Char_Index(face, code);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern{};
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) {
                pen += kern.x;
            }
        }
        previous = index;
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        PlacedGlyph glyph;
        glyph.x = static_cast<int32_t>(pen >> 6) + slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int32_t>(slot->bitmap.width);
        glyph.rows = static_cast<int32_t>(slot->bitmap.rows);
        glyph.cover.resize(static_cast<size_t>(glyph.width) * glyph.rows);
        for (int32_t y = 0; y < glyph.rows; ++y) {
            const uint8_t* row = slot->bitmap.buffer + static_cast<ptrdiff_t>(y) * slot->bitmap.pitch;
            std::copy(row, row + glyph.width, glyph.cover.begin() + static_cast<ptrdiff_t>(y) * glyph.width);
        }
        right = std::max(right, glyph.x + glyph.width);
        pen += slot->advance.x;
        line.glyphs.push_back(std::move(glyph));
    }
    line.width = std::max(right, static_cast<int32_t>(pen >> 6));
    return line;
}

} // namespace

std::vector<uint32_t> DecodeUtf8(const std::string& text) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<uint8_t>(text[i]);
        int32_t extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2 : (byte >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) {
            codes.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t code = extra == 0 ? byte : (byte & (0x3F >> extra));
        bool good = true;
        for (int32_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            good = good && (next >> 6) == 2;
            code = (code << 6) | (next & 0x3F);
        }
        codes.push_back(good ? code : 0xFFFD);
        i += good ? extra + 1 : 1;
    }
    return codes;
}

bool RenderText(const std::string& fontPath, int32_t pixelSize, const std::vector<std::string>& lines,
                int32_t padding, float lineSpacing, Mask& out, std::string& error) {
    FreeType ft;
    if (!ft.Open(fontPath, error)) {
        return false;
    }
    if (FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        error = "font " + fontPath + " cannot be set to " + std::to_string(pixelSize) + " pixels";
        return false;
    }
    const int32_t ascent = static_cast<int32_t>(std::ceil(ft.face->size->metrics.ascender / 64.0));
    const int32_t descent = static_cast<int32_t>(std::ceil(-ft.face->size->metrics.descender / 64.0));
    const int32_t advance = static_cast<int32_t>(std::lround((ascent + descent) * lineSpacing));
    std::vector<SetLine> set;
    int32_t widest = 1;
    for (const std::string& text : lines) {
        set.push_back(SetOneLine(ft.face, text));
        widest = std::max(widest, set.back().width);
    }
    const int32_t count = static_cast<int32_t>(set.size());
    const int32_t height = ascent + descent + advance * std::max(0, count - 1);
    out = Mask(widest + 2 * padding, height + 2 * padding);
    for (int32_t l = 0; l < count; ++l) {
        const int32_t left = padding + (widest - set[l].width) / 2;
        const int32_t baseline = padding + ascent + advance * l;
        for (const PlacedGlyph& glyph : set[l].glyphs) {
            for (int32_t y = 0; y < glyph.rows; ++y) {
                for (int32_t x = 0; x < glyph.width; ++x) {
                    const int32_t tx = left + glyph.x + x, ty = baseline - glyph.top + y;
                    if (tx < 0 || ty < 0 || tx >= out.Width() || ty >= out.Height()) {
                        continue;
                    }
                    const float cover = glyph.cover[static_cast<size_t>(y) * glyph.width + x] / 255.0f;
                    out.At(tx, ty) = std::min(1.0f, out.At(tx, ty) + cover);
                }
            }
        }
    }
    return true;
}

bool RenderEmoji(const std::string& fontPath, uint32_t codepoint, int32_t size, Canvas& out, std::string& error) {
    FreeType ft;
    if (!ft.Open(fontPath, error)) {
        return false;
    }
    if (ft.face->num_fixed_sizes < 1 || FT_Select_Size(ft.face, 0) != 0) {
        error = "font " + fontPath + " has no bitmap strike";
        return false;
    }
    const FT_UInt index = FT_Get_Char_Index(ft.face, codepoint);
    if (index == 0 || FT_Load_Glyph(ft.face, index, FT_LOAD_COLOR) != 0) {
        error = "font " + fontPath + " has no character U+" + [&] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%04X", codepoint);
            return std::string(hex);
        }();
        return false;
    }
    const FT_Bitmap& bitmap = ft.face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_BGRA || bitmap.width == 0 || bitmap.rows == 0) {
        error = "font " + fontPath + " gives no colour picture for that character";
        return false;
    }
    const int32_t sw = static_cast<int32_t>(bitmap.width), sh = static_cast<int32_t>(bitmap.rows);
    const float scale = static_cast<float>(size) / static_cast<float>(std::max(sw, sh));
    const int32_t dw = std::max(1, static_cast<int32_t>(std::lround(sw * scale)));
    const int32_t dh = std::max(1, static_cast<int32_t>(std::lround(sh * scale)));
    const int32_t ox = (size - dw) / 2, oy = (size - dh) / 2;
    out = Canvas(size, size);
    // Area filter over premultiplied source pixels (FreeType gives them so).
    for (int32_t y = 0; y < dh; ++y) {
        const float y0 = y / scale, y1 = (y + 1) / scale;
        for (int32_t x = 0; x < dw; ++x) {
            const float x0 = x / scale, x1 = (x + 1) / scale;
            float sum[4] = {0, 0, 0, 0};
            float area = 0.0f;
            for (int32_t sy = static_cast<int32_t>(y0); sy < sh && sy < y1; ++sy) {
                const float wy = std::min(y1, sy + 1.0f) - std::max(y0, static_cast<float>(sy));
                for (int32_t sx = static_cast<int32_t>(x0); sx < sw && sx < x1; ++sx) {
                    const float wx = std::min(x1, sx + 1.0f) - std::max(x0, static_cast<float>(sx));
                    const uint8_t* p = bitmap.buffer + static_cast<ptrdiff_t>(sy) * bitmap.pitch + sx * 4;
                    const float weight = wx * wy;
                    sum[0] += p[2] * weight;
                    sum[1] += p[1] * weight;
                    sum[2] += p[0] * weight;
                    sum[3] += p[3] * weight;
                    area += weight;
                }
            }
            float* d = out.Pixel(ox + x, oy + y);
            for (int c = 0; c < 4; ++c) {
                d[c] = area > 0.0f ? sum[c] / area / 255.0f : 0.0f;
            }
        }
    }
    return true;
}
