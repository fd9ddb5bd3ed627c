#pragma once
// The font baker: renders the Latin-1 characters of a TrueType or OpenType
// font at one pixel size into the engine's bitmap font format.
//
// Output, for OUT:
//   OUT.png     the glyph strip: N × N cells stacked vertically, one per
//               glyph, white (or the chosen colour) with the font's coverage
//               as alpha, outline and drop shadow composited beneath.
//   OUT.config  the font description: ImagePath (OUT.png relative to the
//               data root, forward slashes), Height, Descent, Inset,
//               SpaceWidth, and one "Glyph = code advance;" line per cell.
//
// Characters: 32..255 without 127..159, as the engine's signed byte codes
// (bytes 128..255 written as -128..-1). The space gets no cell: the engine
// advances it by SpaceWidth. Characters the font lacks get no cell either
// and are reported.
//
// Vertical layout: y = 0 is the top of the line box (the font's ascender
// line, raised by the outline width), y grows downwards, the baseline lies
// at y = ascender + outline, and the next line starts at y = Height (the
// font's line spacing plus twice the outline width). The engine's pen starts
// at (-Inset, -Descent), the top-left corner of the first cell, so Inset is
// the column and Descent + baseline y the row of the glyph origin in a cell.
// Advances are the font's hinted advances rounded to whole pixels, plus
// twice the outline width so that outlines do not cover the next glyph.
//
// The output depends only on the inputs: the same font, size and options
// always give the same bytes.

#include <cstdint>
#include <string>
#include <vector>

struct BakeColor {
    uint8_t r = 255;
    uint8_t g = 255;
    uint8_t b = 255;
    uint8_t a = 255;
};

struct BakeSettings {
    std::string fontPath;
    int32_t size = 0;     ///< pixel size (em height), 1..kMaxBakeSize
    std::string outBase;  ///< OUT: the files are OUT.config and OUT.png
    std::string root = "."; ///< the data root ImagePath is relative to
    BakeColor color;                  ///< glyph colour; alpha is the coverage
    int32_t outline = 0;              ///< outline width in pixels, 0 for none
    BakeColor outlineColor{0, 0, 0, 255};
    bool shadow = false;
    int32_t shadowX = 0;              ///< shadow offset in pixels, y downwards
    int32_t shadowY = 0;
    BakeColor shadowColor{0, 0, 0, 128};
};

constexpr int32_t kMaxBakeSize = 256;
constexpr int32_t kMaxBakeOutline = 16;
constexpr int32_t kMaxBakeShadowOffset = 64;

struct BakeResult {
    std::vector<int32_t> missing; ///< Latin-1 characters the font lacks
    int32_t glyphs = 0;           ///< cells written
    int32_t cellSize = 0;         ///< N
    std::string imagePath;        ///< as written into the description
};

/// Parses the command line (without the program name). False with `error`
/// set for bad usage.
bool ParseBakeArguments(const std::vector<std::string>& arguments, BakeSettings& settings, std::string& error);

/// The ImagePath for `pngPath` below `root`: relative, forward slashes.
/// False when the file would not lie below the root.
bool DataRelativePath(const std::string& pngPath, const std::string& root, std::string& relative);

/// Bakes and writes both files, creating OUT's folder when needed. False
/// with a one-line `error` on failure (unreadable font, no Unicode character
/// map, a strip larger than the engine loads, unwritable output); nothing is
/// left half-written.
bool BakeFont(const BakeSettings& settings, BakeResult& result, std::string& error);
