#pragma once
// FontBase: the interface of a bitmap font.
//
// Text is a NUL-terminated string of bytes; each byte is taken as a signed
// 8-bit character code, so bytes 128..255 are the codes -128..-1. Distances
// are pixels of the logical screen, x to the right, y downwards. Drawing goes
// through the render stack's current model matrix and colour (the caller
// pushes and pops the render stack around it).

#include <cstdint>

class FontBase {
public:
    FontBase() = default;
    virtual ~FontBase() = default;
    FontBase(const FontBase&) = delete;
    FontBase& operator=(const FontBase&) = delete;

    /// Reads the description file and builds the textures; false on any failure.
    virtual bool Load(const char* path) = 0;
    /// Deletes the textures and frees every table.
    virtual void Release() = 0;
    /// Pen advance of the whole string in pixels; 0 for null.
    virtual int32_t TextWidth(const char* text) = 0;
    /// Advance of one character; 0 when it has no glyph.
    virtual int32_t GlyphAdvance(int32_t code) = 0;
    /// The glyph table index of the code, after substitution; false when none.
    virtual bool FindGlyph(int32_t code, int32_t& index) = 0;
    /// Draws the string at the current model matrix.
    virtual void Draw(const char* text) = 0;
    /// Switches the current colour to the colour code's, keeping the alpha.
    virtual void SetColorCode(int32_t code) = 0;
};
