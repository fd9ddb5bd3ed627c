#pragma once
// Text and emoji through FreeType.
//
// Text: lines of UTF-8 text set in one outline font at a pixel size, each line
// centred, rendered as an anti-aliased coverage mask with `padding` empty
// pixels on every side (room for outlines and shadows).
// Emoji: one character of a colour bitmap font (its fixed strike, loaded in
// colour), scaled with an area filter so that its longer side is `size`
// pixels, centred on a transparent square canvas of that side.

#include "Canvas.h"

#include <string>
#include <vector>

/// False with `error` set when the font cannot be opened or sized.
bool RenderText(const std::string& fontPath, int32_t pixelSize, const std::vector<std::string>& lines,
                int32_t padding, float lineSpacing, Mask& out, std::string& error);

/// False with `error` set when the font cannot be opened or has no such character.
bool RenderEmoji(const std::string& fontPath, uint32_t codepoint, int32_t size, Canvas& out, std::string& error);

/// Decodes UTF-8; malformed bytes become U+FFFD.
std::vector<uint32_t> DecodeUtf8(const std::string& text);
