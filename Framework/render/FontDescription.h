#pragma once
// FontDescription: the tables of a bitmap font, read from its key/value
// description and its glyph image, without any OpenGL.
//
// Description keys (one "Key = value;" per line, a key may repeat):
//   ImagePath           the glyph image (required; read by the caller)
//   Height, Descent, Inset, SpaceWidth   integers, default 0
//   AlwaysFilter, AutoSpace              "true"/"false", default false
//   AutoSpaceOffset     integer, default 0     (read only with AutoSpace)
//   AutoSpaceThreshold  integer, default 128   (read only with AutoSpace)
//   Glyph      code [advance]         one line per glyph, in image order
//   ColorCode  code red green blue    one line per colour code
//   Lookup     from to                one line per substitution
// Tokens are separated by blanks, tabs, CR and LF; integers read as "%d",
// floats as "%f". Codes are signed bytes (-128..127), as text bytes compare.
//
// Glyph image: N pixels wide, N being the cell size; the k-th "Glyph" line
// (from 0) shows the N × N cell whose top row is image row k·N.
//
// Texture plan: cells go on a grid of whole N × N squares in power-of-two
// textures no larger than the maximum side, row by row; each texture holds
// as many of the remaining cells as possible with the least unused area.

#include <cstdint>
#include <map>
#include <vector>

class ConfigTable;
class Image;

struct FontColorCode {
    int32_t code = 0;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
};

struct FontGlyph {
    int8_t byte = 0;       ///< the code as a byte
    int32_t advance = 0;   ///< pen advance in pixels
    float u = 0.0f;        ///< left edge of its place in the texture, 0..1
    float v = 0.0f;        ///< top edge of its place in the texture, 0..1
    int32_t texture = -1;  ///< index into the font's texture list
    int32_t code = 0;      ///< the code as written in the description
    int32_t cell = 0;      ///< its cell in the glyph image (its "Glyph" line)
};

struct FontDescription {
    int32_t height = 0;
    int32_t descent = 0;
    int32_t inset = 0;
    int32_t spaceWidth = 0;
    bool alwaysFilter = false;
    std::vector<FontColorCode> colorCodes; ///< in file order
    std::map<int32_t, int32_t> lookups;    ///< from-code → to-code
    std::vector<FontGlyph> glyphs;         ///< in "Glyph" line order
    int32_t cellSize = 0;                  ///< N, the image width
};

/// Fills `out` from the description table and the loaded glyph image. False,
/// with one log line naming `name` and the reason, for an empty image, a
/// "Glyph", "ColorCode" or "Lookup" line with too few or unreadable tokens,
/// or a glyph whose cell lies outside the image.
bool ReadFontDescription(ConfigTable& table, const Image& image, FontDescription& out, const char* name);

/// Largest column minus smallest column of the pixels of cell `cell` whose
/// alpha is at least `threshold`; N for a cell without such pixels.
int32_t InkWidth(const Image& image, int32_t cell, int32_t threshold);

struct FontTexturePlan {
    int32_t width = 0;
    int32_t height = 0;
    int32_t cells = 0; ///< how many glyph cells it holds, in table order
};

/// The textures for `glyphCount` cells of side `cellSize` with sides at most
/// `maxSide`. Empty when there is no glyph, or when the cell is empty or
/// larger than the maximum side (check CellFitsTexture first).
std::vector<FontTexturePlan> PlanFontTextures(int32_t cellSize, int32_t glyphCount, int32_t maxSide);
/// True when a cell of that side fits a texture of at most `maxSide`.
bool CellFitsTexture(int32_t cellSize, int32_t maxSide);
