#pragma once
// Font3D: a bitmap font drawn as one textured square per character.
//
// Load reads a key/value description (format in FontDescription.h), loads its
// glyph image and copies every N × N cell into OpenGL textures (nearest
// filtering, so text stays crisp on whole pixels). Draw places the string at
// the current model matrix with its translation truncated to whole pixels;
// the pen starts at (-Inset, -Descent) and each glyph's cell has its top-left
// corner at the pen. Colour codes inside the text switch red, green and blue
// and keep the current alpha; after the string the colour is opaque white.
// Draw computes the glyph corners on the CPU and submits them as client-side
// vertex arrays, one draw call per run of glyphs of one texture and colour;
// it leaves the model matrix at the truncated origin and the client arrays
// disabled: callers push and pop the render stack around Draw.
//
// The glyph table is sorted by code on the first look-up after loading.
// Draw, TextWidth and the look-ups allocate nothing. Main thread only, with
// the GL context current for Load, Draw and Release.

#include "render/FontBase.h"
#include "render/FontDescription.h"
#include "render/Image.h"

#include <cstdint>
#include <vector>

class Font3D : public FontBase {
public:
    Font3D() = default;
    ~Font3D() override;

    /// False (font empty) when the description cannot be read, its image
    /// cannot be loaded, a glyph, colour-code or lookup line is malformed, a
    /// glyph's cell lies outside the image, or the cell is larger than the
    /// maximum texture size. Logs one line naming the file and the reason.
    bool Load(const char* path) override;
    void Release() override;
    int32_t TextWidth(const char* text) override;
    int32_t GlyphAdvance(int32_t code) override;
    bool FindGlyph(int32_t code, int32_t& index) override;
    void Draw(const char* text) override;
    void SetColorCode(int32_t code) override;

    int32_t Height() const { return height; }
    int32_t Descent() const { return descent; }
    int32_t Inset() const { return inset; }
    int32_t SpaceWidth() const { return spaceWidth; }
    bool AlwaysFilter() const { return alwaysFilter; }
    /// N, the side of a glyph cell in pixels.
    int32_t CellSize() const { return cellSize; }
    int32_t GlyphCount() const { return int32_t(glyphs.size()); }
    /// Glyph `index` as FindGlyph returns it (0 … GlyphCount() - 1).
    const FontGlyph& Glyph(int32_t index) const { return glyphs[size_t(index)]; }
    int32_t TextureCount() const { return int32_t(textures.size()); }
    /// Width and height of texture `index`.
    const float* TextureSize(int32_t index) const { return textureSizes[size_t(index)].size; }

private:
    struct TextureExtent {
        float size[2] = {0.0f, 0.0f};
    };

    bool BuildTextures(const char* path);
    bool UploadTexture(const FontTexturePlan& plan, int32_t firstGlyph);
    void SortGlyphs();
    int32_t FindCode(int32_t code) const;
    int32_t ResolveCode(int32_t code) const;

    int32_t height = 0;
    int32_t descent = 0;
    int32_t inset = 0;
    int32_t spaceWidth = 0;
    bool alwaysFilter = false;
    std::vector<FontColorCode> colorCodes;
    std::map<int32_t, int32_t> lookups;
    Image image;
    int32_t cellSize = 0;
    std::vector<FontGlyph> glyphs;
    bool glyphsSorted = false;
    /// Per text byte (code + 128) the glyph index FindGlyph gives, -1 for
    /// none; filled when the table is sorted, so text needs no search.
    int32_t byteGlyphs[256] = {};
    std::vector<uint32_t> textures;
    std::vector<TextureExtent> textureSizes;
};
