#include "FontBaker.h"

#include "PngWriter.h"
#include "platform/AtomicWrite.h"
#include "render/Image.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

// Sections: coverage maps and their operations; rendering a glyph with
// FreeType; cell layout and compositing; writing the two files.

namespace {

// ---- Coverage maps: 8-bit alpha over a rectangle in glyph space (pixels,
// origin at the pen position on the baseline, y downwards).

struct Coverage {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> alpha;

    uint8_t At(int32_t x, int32_t y) const {
        x -= x0;
        y -= y0;
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return 0;
        }
        return alpha[size_t(y) * size_t(width) + size_t(x)];
    }
    bool Empty() const { return width == 0 || height == 0; }
};

Coverage Blank(int32_t x0, int32_t y0, int32_t width, int32_t height) {
    Coverage blank;
    blank.x0 = x0;
    blank.y0 = y0;
    blank.width = std::max(width, 0);
    blank.height = std::max(height, 0);
    blank.alpha.assign(size_t(blank.width) * size_t(blank.height), 0);
    return blank;
}

/// The coverage grown by `radius` pixels in every direction (a round pen):
/// each pixel takes the largest coverage within the disc around it. Rows of
/// the disc are spans, so the search runs over horizontal maxima of each
/// span width, built one width from the previous.
Coverage Dilate(const Coverage& source, int32_t radius) {
    if (source.Empty() || radius <= 0) {
        return Coverage{};
    }
    Coverage grown =
        Blank(source.x0 - radius, source.y0 - radius, source.width + 2 * radius, source.height + 2 * radius);
    const size_t area = grown.alpha.size();
    const int32_t reach = radius * radius + radius; // a slightly full disc looks rounder
    // spans[w]: for every pixel of the grown area, the largest source value within w columns.
    std::vector<std::vector<uint8_t>> spans(size_t(radius) + 1, std::vector<uint8_t>(area, 0));
    for (int32_t y = 0; y < grown.height; ++y) {
        for (int32_t x = 0; x < grown.width; ++x) {
            spans[0][size_t(y) * size_t(grown.width) + size_t(x)] = source.At(grown.x0 + x, grown.y0 + y);
        }
    }
    for (int32_t w = 1; w <= radius; ++w) {
        for (int32_t y = 0; y < grown.height; ++y) {
            for (int32_t x = 0; x < grown.width; ++x) {
                const size_t at = size_t(y) * size_t(grown.width) + size_t(x);
                spans[size_t(w)][at] =
                    std::max({spans[size_t(w) - 1][at], source.At(grown.x0 + x - w, grown.y0 + y),
                              source.At(grown.x0 + x + w, grown.y0 + y)});
            }
        }
    }
    for (int32_t dy = -radius; dy <= radius; ++dy) {
        int32_t halfWidth = 0;
        while (halfWidth < radius && (halfWidth + 1) * (halfWidth + 1) + dy * dy <= reach) {
            ++halfWidth;
        }
        const std::vector<uint8_t>& span = spans[size_t(halfWidth)];
        for (int32_t y = 0; y < grown.height; ++y) {
            const int32_t from = y + dy;
            if (from < 0 || from >= grown.height) {
                continue;
            }
            for (int32_t x = 0; x < grown.width; ++x) {
                uint8_t& out = grown.alpha[size_t(y) * size_t(grown.width) + size_t(x)];
                out = std::max(out, span[size_t(from) * size_t(grown.width) + size_t(x)]);
            }
        }
    }
    return grown;
}

/// The larger of both coverages at every pixel, over the union of their areas.
Coverage Union(const Coverage& a, const Coverage& b) {
    if (a.Empty()) {
        return b;
    }
    if (b.Empty()) {
        return a;
    }
    const int32_t x0 = std::min(a.x0, b.x0);
    const int32_t y0 = std::min(a.y0, b.y0);
    const int32_t x1 = std::max(a.x0 + a.width, b.x0 + b.width);
    const int32_t y1 = std::max(a.y0 + a.height, b.y0 + b.height);
    Coverage both = Blank(x0, y0, x1 - x0, y1 - y0);
    for (int32_t y = 0; y < both.height; ++y) {
        for (int32_t x = 0; x < both.width; ++x) {
            both.alpha[size_t(y) * size_t(both.width) + size_t(x)] =
                std::max(a.At(x0 + x, y0 + y), b.At(x0 + x, y0 + y));
        }
    }
    return both;
}

// ---- FreeType.

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
};

int32_t RoundPixels(FT_Pos value) {
    return int32_t((value + 32) >> 6); // 26.6 fixed point
}

struct BakedGlyph {
    int32_t code = 0; ///< Latin-1
    int32_t advance = 0;
    Coverage fill;
    Coverage outline;
    Coverage shadow;
};

bool RenderGlyph(FreeType& freeType, FT_UInt index, Coverage& fill, int32_t& advance) {
    if (FT_Load_Glyph(freeType.face, index, FT_LOAD_DEFAULT | FT_LOAD_RENDER) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = freeType.face->glyph;
    advance = RoundPixels(slot->advance.x);
    FT_Bitmap converted;
    FT_Bitmap_Init(&converted);
    // One byte per pixel, rows top first with a positive pitch, whatever the source.
    if (FT_Bitmap_Convert(freeType.library, &slot->bitmap, &converted, 1) != 0) {
        return false;
    }
    const int32_t levels = converted.num_grays > 1 ? converted.num_grays - 1 : 1;
    fill = Blank(slot->bitmap_left, -slot->bitmap_top, int32_t(converted.width), int32_t(converted.rows));
    for (int32_t y = 0; y < fill.height; ++y) {
        const uint8_t* row = converted.buffer + size_t(y) * size_t(converted.pitch);
        for (int32_t x = 0; x < fill.width; ++x) {
            fill.alpha[size_t(y) * size_t(fill.width) + size_t(x)] = uint8_t(row[x] * 255 / levels);
        }
    }
    FT_Bitmap_Done(freeType.library, &converted);
    return true;
}

bool OpenFont(const BakeSettings& settings, FreeType& freeType, std::string& error) {
    if (FT_Init_FreeType(&freeType.library) != 0) {
        error = "cannot start FreeType";
        return false;
    }
    // FreeType says little about files it cannot open; the system says why.
    if (FILE* probe = std::fopen(settings.fontPath.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        error = "cannot read the font file " + settings.fontPath + ": " + std::strerror(errno);
        return false;
    }
    if (const FT_Error failure =
            FT_New_Face(freeType.library, settings.fontPath.c_str(), 0, &freeType.face)) {
        error = settings.fontPath +
                (failure == FT_Err_Unknown_File_Format
                     ? " is not a font FreeType can read (unknown file format)"
                     : " is not a usable font (FreeType error " + std::to_string(failure) + ")");
        return false;
    }
    if (FT_Select_Charmap(freeType.face, FT_ENCODING_UNICODE) != 0) {
        error = settings.fontPath + " has no Unicode character map";
        return false;
    }
    if (FT_Set_Pixel_Sizes(freeType.face, 0, FT_UInt(settings.size)) != 0) {
        error = settings.fontPath + " cannot be set to " + std::to_string(settings.size) + " pixels";
        return false;
    }
    return true;
}

bool IsBakedCharacter(int32_t code) {
    return code >= 32 && code <= 255 && !(code >= 127 && code <= 159);
}

// ---- Layout and compositing.

struct CellLayout {
    int32_t size = 1;    ///< N
    int32_t originX = 0; ///< column of the glyph origin in a cell (Inset)
    int32_t originY = 0; ///< row of the baseline in a cell
};

void Extend(const Coverage& area, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) {
    if (area.Empty()) {
        return;
    }
    x0 = std::min(x0, area.x0);
    y0 = std::min(y0, area.y0);
    x1 = std::max(x1, area.x0 + area.width);
    y1 = std::max(y1, area.y0 + area.height);
}

CellLayout LayOutCells(const std::vector<BakedGlyph>& glyphs) {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 1;
    int32_t y1 = 1;
    for (const BakedGlyph& glyph : glyphs) {
        Extend(glyph.fill, x0, y0, x1, y1);
        Extend(glyph.outline, x0, y0, x1, y1);
        Extend(glyph.shadow, x0, y0, x1, y1);
    }
    CellLayout layout;
    layout.size = std::max(x1 - x0, y1 - y0);
    layout.originX = -x0;
    layout.originY = -y0;
    return layout;
}

struct Pixel {
    double r = 0, g = 0, b = 0, a = 0; // straight colour 0..1, alpha 0..1
};

/// Paints `color` with the coverage's alpha over `below` (straight alpha).
Pixel Over(const Pixel& below, const BakeColor& color, uint8_t coverage) {
    const double alpha = (color.a / 255.0) * (coverage / 255.0);
    Pixel out;
    out.a = alpha + below.a * (1.0 - alpha);
    if (out.a <= 0.0) {
        return Pixel{};
    }
    const double belowWeight = below.a * (1.0 - alpha);
    out.r = (color.r / 255.0 * alpha + below.r * belowWeight) / out.a;
    out.g = (color.g / 255.0 * alpha + below.g * belowWeight) / out.a;
    out.b = (color.b / 255.0 * alpha + below.b * belowWeight) / out.a;
    return out;
}

uint8_t ToByte(double value) {
    return uint8_t(std::clamp(value * 255.0 + 0.5, 0.0, 255.0));
}

void PaintCell(const BakedGlyph& glyph, const BakeSettings& settings, const CellLayout& layout,
               uint8_t* cell) {
    for (int32_t row = 0; row < layout.size; ++row) {
        for (int32_t column = 0; column < layout.size; ++column) {
            const int32_t x = column - layout.originX;
            const int32_t y = row - layout.originY;
            Pixel pixel;
            pixel = Over(pixel, settings.shadowColor, glyph.shadow.At(x, y));
            pixel = Over(pixel, settings.outlineColor, glyph.outline.At(x, y));
            pixel = Over(pixel, settings.color, glyph.fill.At(x, y));
            uint8_t* out = cell + (size_t(row) * size_t(layout.size) + size_t(column)) * 4;
            const uint8_t alpha = ToByte(pixel.a);
            // Fully transparent texels are 0, so that the strip compresses well.
            out[0] = alpha ? ToByte(pixel.b) : 0;
            out[1] = alpha ? ToByte(pixel.g) : 0;
            out[2] = alpha ? ToByte(pixel.r) : 0;
            out[3] = alpha;
        }
    }
}

// ---- Output.

std::string DescriptionText(const BakeSettings& settings, const BakeResult& result, const CellLayout& layout,
                            const std::vector<BakedGlyph>& glyphs, int32_t height, int32_t descent,
                            int32_t spaceWidth) {
    std::string text;
    auto line = [&text](const std::string& key, const std::string& value) {
        text += key + " = " + value + ";\n";
    };
    text += "# Baked from " + std::filesystem::path(settings.fontPath).filename().string() + " at " +
            std::to_string(settings.size) + " pixels; cells of " + std::to_string(layout.size) + " pixels.\n";
    line("ImagePath", result.imagePath);
    line("Height", std::to_string(height));
    line("Descent", std::to_string(descent));
    line("Inset", std::to_string(layout.originX));
    line("SpaceWidth", std::to_string(spaceWidth));
    line("AlwaysFilter", "false");
    line("AutoSpace", "false");
    for (const BakedGlyph& glyph : glyphs) {
        const int32_t signedCode = glyph.code > 127 ? glyph.code - 256 : glyph.code;
        line("Glyph", std::to_string(signedCode) + " " + std::to_string(glyph.advance));
    }
    return text;
}

bool RenderAll(const BakeSettings& settings, FreeType& freeType, std::vector<BakedGlyph>& glyphs,
               int32_t& spaceWidth, BakeResult& result, std::string& error) {
    const int32_t extra = 2 * settings.outline;
    spaceWidth = -1;
    for (int32_t code = 32; code <= 255; ++code) {
        if (!IsBakedCharacter(code)) {
            continue;
        }
        const FT_UInt index = FT_Get_Char_Index(freeType.face, FT_ULong(code));
        if (index == 0) {
            result.missing.push_back(code);
            continue;
        }
        BakedGlyph glyph;
        glyph.code = code;
        if (!RenderGlyph(freeType, index, glyph.fill, glyph.advance)) {
            error = "cannot render character " + std::to_string(code) + " of " + settings.fontPath;
            return false;
        }
        glyph.advance += extra;
        if (code == ' ') {
            spaceWidth = glyph.advance;
            continue;
        }
        glyph.outline = Dilate(glyph.fill, settings.outline);
        if (settings.shadow) {
            glyph.shadow = Union(glyph.fill, glyph.outline);
            glyph.shadow.x0 += settings.shadowX;
            glyph.shadow.y0 += settings.shadowY;
        }
        glyphs.push_back(std::move(glyph));
    }
    if (spaceWidth < 0) { // no space in the font: a quarter of the size
        spaceWidth = (settings.size + 2) / 4 + extra;
    }
    return true;
}

} // namespace

bool DataRelativePath(const std::string& pngPath, const std::string& root, std::string& relative) {
    namespace fs = std::filesystem;
    std::error_code failure;
    const fs::path file = fs::weakly_canonical(fs::absolute(pngPath, failure), failure);
    const fs::path base = fs::weakly_canonical(fs::absolute(root.empty() ? "." : root, failure), failure);
    if (failure) {
        return false;
    }
    const fs::path inside = file.lexically_relative(base);
    if (inside.empty() || inside.is_absolute() || *inside.begin() == "..") {
        return false;
    }
    relative = inside.generic_string();
    return true;
}

bool BakeFont(const BakeSettings& settings, BakeResult& result, std::string& error) {
    result = BakeResult{};
    const std::string pngPath = settings.outBase + ".png";
    const std::string configPath = settings.outBase + ".config";
    if (!DataRelativePath(pngPath, settings.root, result.imagePath)) {
        error = pngPath + " does not lie below the data root " + settings.root;
        return false;
    }
    FreeType freeType;
    if (!OpenFont(settings, freeType, error)) {
        return false;
    }
    std::vector<BakedGlyph> glyphs;
    int32_t spaceWidth = 0;
    if (!RenderAll(settings, freeType, glyphs, spaceWidth, result, error)) {
        return false;
    }
    const CellLayout layout = LayOutCells(glyphs);
    const FT_Size_Metrics& metrics = freeType.face->size->metrics;
    const int32_t ascender = RoundPixels(metrics.ascender) + settings.outline;
    const int32_t height = RoundPixels(metrics.height) + 2 * settings.outline;
    result.cellSize = layout.size;
    result.glyphs = int32_t(glyphs.size());

    const uint64_t stripPixels =
        uint64_t(layout.size) * uint64_t(layout.size) * std::max<uint64_t>(glyphs.size(), 1);
    if (stripPixels > Image::kMaxDecodedPixels) {
        error = "cells of " + std::to_string(layout.size) +
                " pixels make a glyph strip larger than the engine loads";
        return false;
    }
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(pngPath).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ignored);
    }
    const size_t cellBytes = size_t(layout.size) * size_t(layout.size) * 4;
    std::vector<uint8_t> strip(cellBytes * std::max<size_t>(glyphs.size(), 1), 0);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        PaintCell(glyphs[i], settings, layout, strip.data() + i * cellBytes);
    }
    const uint32_t stripHeight = uint32_t(layout.size) * uint32_t(std::max<size_t>(glyphs.size(), 1));
    if (!WritePng(pngPath.c_str(), strip.data(), uint32_t(layout.size), stripHeight, error)) {
        return false;
    }
    const std::string text =
        DescriptionText(settings, result, layout, glyphs, height, layout.originY - ascender, spaceWidth);
    if (!WriteFileAtomically(configPath.c_str(), text)) {
        error = "cannot write " + configPath + ": " + std::strerror(errno);
        std::remove(pngPath.c_str());
        return false;
    }
    return true;
}
