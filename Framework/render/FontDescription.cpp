#include "render/FontDescription.h"

#include "core/ConfigTable.h"
#include "core/Log.h"
#include "core/Var.h"
#include "render/Image.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kDefaultAutoSpaceThreshold = 128;
constexpr int32_t kMaxTokens = 4;

/// Splits a value at blanks, tabs, CR and LF into at most kMaxTokens tokens;
/// returns how many there are (counting no further than kMaxTokens).
int32_t SplitTokens(const char* text, std::string (&tokens)[kMaxTokens]) {
    int32_t count = 0;
    const char* cursor = text;
    while (*cursor && count < kMaxTokens) {
        while (*cursor == ' ' || *cursor == '\t' || *cursor == '\r' || *cursor == '\n') {
            ++cursor;
        }
        const char* start = cursor;
        while (*cursor && *cursor != ' ' && *cursor != '\t' && *cursor != '\r' && *cursor != '\n') {
            ++cursor;
        }
        if (cursor > start) {
            tokens[count++].assign(start, size_t(cursor - start));
        }
    }
    return count;
}

void ReadInt(ConfigTable& table, const char* key, int32_t& out) {
    table.GetInt(0, key, out);
}

void ReadBool(ConfigTable& table, const char* key, bool& out) {
    table.GetBool(0, key, out);
}

struct GlyphSettings {
    bool autoSpace = false;
    int32_t autoSpaceOffset = 0;
    int32_t autoSpaceThreshold = kDefaultAutoSpaceThreshold;
};

bool ReadGlyphs(ConfigTable& table, const Image& image, const GlyphSettings& settings, FontDescription& out,
                const char* name) {
    const int32_t count = table.ValueCount("Glyph");
    const int64_t cellsInImage = int64_t(image.Height()) / out.cellSize;
    if (count > cellsInImage) {
        LogFormat("Font %s: %d glyph lines but the image holds only %lld cells of %d x %d pixels", name, count,
                  static_cast<long long>(cellsInImage), out.cellSize, out.cellSize);
        return false;
    }
    out.glyphs.reserve(size_t(count));
    std::string tokens[kMaxTokens];
    for (int32_t line = 0; line < count; ++line) {
        const String* value = table.Value(line, "Glyph");
        const int32_t found = value ? SplitTokens(value->CStr(), tokens) : 0;
        FontGlyph glyph;
        if (found < 1 || !ScanInt(tokens[0].c_str(), glyph.code)) {
            LogFormat("Font %s: glyph line %d has no character code", name, line + 1);
            return false;
        }
        if (found >= 2) {
            if (!ScanInt(tokens[1].c_str(), glyph.advance)) {
                LogFormat("Font %s: glyph line %d has an unreadable advance \"%s\"", name, line + 1,
                          tokens[1].c_str());
                return false;
            }
        } else if (settings.autoSpace) {
            glyph.advance = InkWidth(image, line, settings.autoSpaceThreshold) + settings.autoSpaceOffset;
        } else {
            glyph.advance = out.spaceWidth;
        }
        glyph.byte = static_cast<int8_t>(glyph.code);
        glyph.cell = line;
        out.glyphs.push_back(glyph);
    }
    return true;
}

bool ReadColorCodes(ConfigTable& table, FontDescription& out, const char* name) {
    const int32_t count = table.ValueCount("ColorCode");
    std::string tokens[kMaxTokens];
    for (int32_t line = 0; line < count; ++line) {
        const String* value = table.Value(line, "ColorCode");
        FontColorCode color;
        if (!value || SplitTokens(value->CStr(), tokens) < 4 || !ScanInt(tokens[0].c_str(), color.code) ||
            !ScanFloat(tokens[1].c_str(), color.red) || !ScanFloat(tokens[2].c_str(), color.green) ||
            !ScanFloat(tokens[3].c_str(), color.blue)) {
            LogFormat("Font %s: colour code line %d needs a code and three colour values", name, line + 1);
            return false;
        }
        out.colorCodes.push_back(color);
    }
    return true;
}

bool ReadLookups(ConfigTable& table, FontDescription& out, const char* name) {
    const int32_t count = table.ValueCount("Lookup");
    std::string tokens[kMaxTokens];
    for (int32_t line = 0; line < count; ++line) {
        const String* value = table.Value(line, "Lookup");
        int32_t from = 0;
        int32_t to = 0;
        if (!value || SplitTokens(value->CStr(), tokens) < 2 || !ScanInt(tokens[0].c_str(), from) ||
            !ScanInt(tokens[1].c_str(), to)) {
            LogFormat("Font %s: lookup line %d needs two character codes", name, line + 1);
            return false;
        }
        out.lookups[from] = to;
    }
    return true;
}

/// The texture for the next `remaining` cells: most cells held, then the
/// least area, then the squarer shape, then the narrower one.
FontTexturePlan ChooseTexture(int32_t cellSize, int32_t remaining, int32_t maxSide) {
    FontTexturePlan best;
    int64_t bestArea = 0;
    for (int64_t width = 1; width <= maxSide; width *= 2) {
        if (width < cellSize) {
            continue;
        }
        for (int64_t height = 1; height <= maxSide; height *= 2) {
            if (height < cellSize) {
                continue;
            }
            const int64_t capacity = (width / cellSize) * (height / cellSize);
            const int32_t held = int32_t(capacity < remaining ? capacity : remaining);
            const int64_t area = width * height;
            const bool better = held > best.cells ||
                                (held == best.cells &&
                                 (area < bestArea ||
                                  (area == bestArea && std::abs(width - height) < std::abs(best.width - best.height))));
            if (better) {
                best = {int32_t(width), int32_t(height), held};
                bestArea = area;
            }
        }
    }
    return best;
}

} // namespace

int32_t InkWidth(const Image& image, int32_t cell, int32_t threshold) {
    const int32_t size = int32_t(image.Width());
    int32_t smallest = size;
    int32_t largest = -1;
    for (int32_t row = 0; row < size; ++row) {
        const uint32_t y = uint32_t(int64_t(cell) * size + row);
        for (int32_t column = 0; column < size; ++column) {
            const uint8_t* pixel = image.PixelAt(uint32_t(column), y);
            if (pixel && pixel[3] >= threshold) {
                smallest = column < smallest ? column : smallest;
                largest = column > largest ? column : largest;
            }
        }
    }
    return largest < 0 ? size : largest - smallest;
}

bool ReadFontDescription(ConfigTable& table, const Image& image, FontDescription& out, const char* name) {
    out = FontDescription{};
    if (image.IsSparse() || !image.Pixels() || image.Width() == 0 || image.Width() > uint32_t(INT32_MAX)) {
        LogFormat("Font %s: the glyph image holds no picture", name);
        return false;
    }
    out.cellSize = int32_t(image.Width());
    ReadInt(table, "Height", out.height);
    ReadInt(table, "Descent", out.descent);
    ReadInt(table, "Inset", out.inset);
    ReadInt(table, "SpaceWidth", out.spaceWidth);
    ReadBool(table, "AlwaysFilter", out.alwaysFilter);
    GlyphSettings settings;
    ReadBool(table, "AutoSpace", settings.autoSpace);
    if (settings.autoSpace) {
        ReadInt(table, "AutoSpaceOffset", settings.autoSpaceOffset);
        ReadInt(table, "AutoSpaceThreshold", settings.autoSpaceThreshold);
    }
    return ReadGlyphs(table, image, settings, out, name) && ReadColorCodes(table, out, name) &&
           ReadLookups(table, out, name);
}

bool CellFitsTexture(int32_t cellSize, int32_t maxSide) {
    return cellSize > 0 && cellSize <= maxSide;
}

std::vector<FontTexturePlan> PlanFontTextures(int32_t cellSize, int32_t glyphCount, int32_t maxSide) {
    std::vector<FontTexturePlan> plans;
    if (!CellFitsTexture(cellSize, maxSide)) {
        return plans;
    }
    for (int32_t remaining = glyphCount; remaining > 0;) {
        const FontTexturePlan plan = ChooseTexture(cellSize, remaining, maxSide);
        plans.push_back(plan);
        remaining -= plan.cells;
    }
    return plans;
}
