#pragma once
// FontMetrics: the advances and line height of a bitmap font, read from its
// description and picture without the graphics card, for measuring texts
// with the engine's own layout. Nothing draws through it.

#include "render/FontBase.h"
#include "render/FontDescription.h"

#include <map>
#include <memory>
#include <string>

class FontMetrics : public FontBase {
public:
    /// Reads the description and its picture; false when either fails.
    bool Load(const char* path) override;
    void Release() override {}
    int32_t TextWidth(const char* text) override;
    int32_t GlyphAdvance(int32_t code) override;
    /// Answers the advance itself as the index: nothing here draws.
    bool FindGlyph(int32_t code, int32_t& index) override;
    void Draw(const char*) override {}
    void SetColorCode(int32_t) override {}
    /// The distance of two lines in pixels, as the game's font gives it.
    int32_t Height() const { return description.height; }

private:
    FontDescription description;
    std::map<int32_t, int32_t> advances;
};

/// Fonts loaded once by path for one run of checks.
class FontMetricsCache {
public:
    /// The font of the description at `path`, or null when it does not load.
    FontMetrics* Find(const std::string& path);

private:
    std::map<std::string, std::unique_ptr<FontMetrics>> fonts;
};
