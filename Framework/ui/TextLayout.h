#pragma once
// TextLayout: word wrap of a text into lines no wider than a given width, as
// text boxes and text windows lay out their text.
//
// Widths are pixels of the font's pen advance. A font's text width is the sum
// of its characters' advances, so the layout measures each character once and
// keeps running sums: laying out n characters costs O(n) advance look-ups
// (measuring every prefix anew would cost O(n²)).
//
// Rules, repeated until the text is used up:
// - A line feed or a backslash ends the line there; the character is not shown.
// - While the line so far is narrower than the width, it grows by a character;
//   a blank or tab inside it is a place to break (after that character).
// - When the line would reach the width, it ends at the last break place; the
//   blank or tab there is not part of the stored line. Without a break place
//   the layout stops: the lines before it are kept and the answer is false.
// - The rest of a text narrower than the width is its last line.
// Link markup ('<' and '>') is replaced before measuring, when asked.

#include "core/String.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FontBase;

struct TextLines {
    std::vector<String> lines;
    std::vector<float> widths;
    /// Where a layout that stopped found no place to break: the offset in the
    /// text of the line that could not be placed; npos after a layout that
    /// placed everything.
    size_t unplacedFrom = static_cast<size_t>(-1);
    void Clear() {
        lines.clear();
        widths.clear();
        unplacedFrom = static_cast<size_t>(-1);
    }
};

/// Lays `text` out into `out` (cleared first) within `width` pixels. True when
/// the whole text was placed. `linkOn`/`linkOff`, when not 0, replace every
/// '<' and '>' of the text.
bool LayoutText(FontBase& font, const char* text, float width, TextLines& out, char linkOn = 0, char linkOff = 0);
