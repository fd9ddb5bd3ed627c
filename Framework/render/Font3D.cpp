#include "render/Font3D.h"

#include "core/ConfigTable.h"
#include "core/Log.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

Font3D::~Font3D() {
    Release();
}

bool Font3D::Load(const char* path) {
    Release();
    ConfigTable table;
    if (!path || !table.Load(path)) {
        LogFormat("Font %s: the description cannot be read", path ? path : "(null)");
        return false;
    }
    String imagePath;
    if (!table.GetString(0, "ImagePath", imagePath) || imagePath.Length() == 0) {
        LogFormat("Font %s: no ImagePath", path);
        return false;
    }
    if (!image.Load(imagePath.CStr()) || !image.ExpandDelta()) {
        LogFormat("Font %s: the glyph image %s cannot be loaded", path, imagePath.CStr());
        Release();
        return false;
    }
    FontDescription description;
    if (!ReadFontDescription(table, image, description, path)) {
        Release();
        return false;
    }
    height = description.height;
    descent = description.descent;
    inset = description.inset;
    spaceWidth = description.spaceWidth;
    alwaysFilter = description.alwaysFilter;
    colorCodes = std::move(description.colorCodes);
    lookups = std::move(description.lookups);
    glyphs = std::move(description.glyphs);
    cellSize = description.cellSize;
    if (!BuildTextures(path)) {
        Release();
        return false;
    }
    return true;
}

bool Font3D::BuildTextures(const char* path) {
    const int32_t maxSide = MaxTextureSize();
    if (!CellFitsTexture(cellSize, maxSide)) {
        LogFormat("Font %s: glyph cells of %d pixels do not fit the maximum texture size %d", path, cellSize,
                  maxSide);
        return false;
    }
    int32_t nextGlyph = 0;
    for (const FontTexturePlan& plan : PlanFontTextures(cellSize, GlyphCount(), maxSide)) {
        if (!UploadTexture(plan, nextGlyph)) {
            LogFormat("Font %s: a %d x %d glyph texture cannot be created", path, plan.width, plan.height);
            return false;
        }
        nextGlyph += plan.cells;
    }
    return true;
}

bool Font3D::UploadTexture(const FontTexturePlan& plan, int32_t firstGlyph) {
    const size_t rowBytes = size_t(plan.width) * 4;
    std::vector<uint8_t> texels;
    texels.resize(rowBytes * size_t(plan.height)); // zero: unused texels stay transparent black
    const int32_t columns = plan.width / cellSize;
    const int32_t textureIndex = TextureCount();
    const size_t cellRowBytes = size_t(cellSize) * 4;
    for (int32_t place = 0; place < plan.cells; ++place) {
        FontGlyph& glyph = glyphs[size_t(firstGlyph + place)];
        const int32_t x = (place % columns) * cellSize;
        const int32_t y = (place / columns) * cellSize;
        for (int32_t row = 0; row < cellSize; ++row) {
            const uint8_t* source = image.PixelAt(0, uint32_t(int64_t(glyph.cell) * cellSize + row));
            std::memcpy(texels.data() + size_t(y + row) * rowBytes + size_t(x) * 4, source, cellRowBytes);
        }
        glyph.texture = textureIndex;
        glyph.u = float(x) / float(plan.width);
        glyph.v = float(y) / float(plan.height);
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) {
        return false;
    }
    textures.push_back(name);
    textureSizes.push_back({{float(plan.width), float(plan.height)}});
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, plan.width, plan.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return true;
}

void Font3D::Release() {
    if (!textures.empty()) {
        glDeleteTextures(GLsizei(textures.size()), textures.data());
    }
    textures.clear();
    textureSizes.clear();
    glyphs.clear();
    glyphsSorted = false;
    colorCodes.clear();
    lookups.clear();
    image.Release();
    height = descent = inset = spaceWidth = cellSize = 0;
    alwaysFilter = false;
}

void Font3D::SortGlyphs() {
    // Stable, so that of two glyphs with one code the earlier line wins.
    std::stable_sort(glyphs.begin(), glyphs.end(),
                     [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    glyphsSorted = true;
    for (int32_t code = -128; code < 128; ++code) {
        byteGlyphs[code + 128] = ResolveCode(code);
    }
}

int32_t Font3D::FindCode(int32_t code) const {
    const auto found = std::lower_bound(glyphs.begin(), glyphs.end(), code,
                                        [](const FontGlyph& glyph, int32_t value) { return glyph.code < value; });
    return found != glyphs.end() && found->code == code ? int32_t(found - glyphs.begin()) : -1;
}

/// The glyph of the code, else of its substitute; -1 for neither.
int32_t Font3D::ResolveCode(int32_t code) const {
    const int32_t found = FindCode(code);
    if (found >= 0) {
        return found;
    }
    const auto substitute = lookups.find(code);
    return substitute != lookups.end() ? FindCode(substitute->second) : -1;
}

bool Font3D::FindGlyph(int32_t code, int32_t& index) {
    if (!glyphsSorted) {
        SortGlyphs();
    }
    const int32_t found = code >= -128 && code < 128 ? byteGlyphs[code + 128] : ResolveCode(code);
    if (found < 0) {
        return false;
    }
    index = found;
    return true;
}

int32_t Font3D::GlyphAdvance(int32_t code) {
    int32_t index = 0;
    return FindGlyph(code, index) ? glyphs[size_t(index)].advance : 0;
}

int32_t Font3D::TextWidth(const char* text) {
    if (!text) {
        return 0;
    }
    float width = 0.0f;
    for (const char* cursor = text; *cursor; ++cursor) {
        const int32_t code = static_cast<int8_t>(*cursor);
        int32_t index = 0;
        if (code == ' ') {
            width += float(spaceWidth);
        } else if (FindGlyph(code, index)) {
            width += float(glyphs[size_t(index)].advance);
        }
    }
    return int32_t(width);
}

void Font3D::SetColorCode(int32_t code) {
    for (const FontColorCode& color : colorCodes) {
        if (color.code == code) {
            const float alpha = RenderStack::Current().color[3];
            RenderStack::SetColor(color.red, color.green, color.blue, alpha);
            return;
        }
    }
}

namespace {

// Glyph squares waiting to be drawn: two triangles each, x y per vertex and
// u v per vertex. One shared buffer (drawing is main-thread only), flushed
// when it is full, when the texture or the colour changes and at the end of
// a string, so a string costs one draw call per texture and colour run.
constexpr int32_t kBatchGlyphs = 512;
constexpr int32_t kVerticesPerGlyph = 6;
float batchPositions[kBatchGlyphs * kVerticesPerGlyph * 2];
float batchTexCoords[kBatchGlyphs * kVerticesPerGlyph * 2];
int32_t batchGlyphs = 0;

void FlushBatch() {
    if (batchGlyphs == 0) {
        return;
    }
    glDrawArrays(GL_TRIANGLES, 0, batchGlyphs * kVerticesPerGlyph);
    batchGlyphs = 0;
}

// Same corners and the same diagonal as a square of side `side` at (x, y).
void AddGlyphSquare(float x, float y, float side, float u, float v, float du, float dv) {
    float* p = batchPositions + size_t(batchGlyphs) * kVerticesPerGlyph * 2;
    float* t = batchTexCoords + size_t(batchGlyphs) * kVerticesPerGlyph * 2;
    const float right = x + side;
    const float bottom = y + side;
    const float positions[12] = {x, y, right, y, right, bottom, x, y, right, bottom, x, bottom};
    const float coords[12] = {u, v, u + du, v, u + du, v + dv, u, v, u + du, v + dv, u, v + dv};
    std::memcpy(p, positions, sizeof positions);
    std::memcpy(t, coords, sizeof coords);
    ++batchGlyphs;
}

} // namespace

void Font3D::Draw(const char* text) {
    if (!text) {
        return;
    }
    Matrix4 origin = RenderStack::Current().model;
    // Whole pixels: with nearest filtering a fractional offset would shift
    // texel rows and columns unevenly across the string.
    origin.m[12] = std::trunc(origin.m[12]);
    origin.m[13] = std::trunc(origin.m[13]);
    origin.m[14] = std::trunc(origin.m[14]);
    RenderStack::SetModelMatrix(origin);
    // Glyph corners are placed on the CPU from the pen (whole pixels from a
    // whole-pixel origin), so one model matrix serves the whole string.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, batchPositions);
    glTexCoordPointer(2, GL_FLOAT, 0, batchTexCoords);
    batchGlyphs = 0;
    const float side = float(cellSize);
    float penX = float(-inset);
    const float penY = float(-descent);
    int32_t boundTexture = -1;
    float du = 0.0f;
    float dv = 0.0f;
    for (const char* cursor = text; *cursor; ++cursor) {
        const int32_t code = static_cast<int8_t>(*cursor);
        int32_t index = 0;
        if (code == ' ') {
            penX += float(spaceWidth);
        } else if (FindGlyph(code, index)) {
            const FontGlyph& glyph = glyphs[size_t(index)];
            if (glyph.texture != boundTexture) {
                FlushBatch();
                boundTexture = glyph.texture;
                glBindTexture(GL_TEXTURE_2D, textures[size_t(boundTexture)]);
                du = side / textureSizes[size_t(boundTexture)].size[0];
                dv = side / textureSizes[size_t(boundTexture)].size[1];
            }
            if (batchGlyphs == kBatchGlyphs) {
                FlushBatch();
            }
            AddGlyphSquare(penX, penY, side, glyph.u, glyph.v, du, dv);
            penX += float(glyph.advance);
        } else {
            // The colour applies to the glyphs after the code only.
            FlushBatch();
            SetColorCode(code);
        }
    }
    FlushBatch();
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}
