#include "ui/TextLayout.h"

#include "render/FontBase.h"

#include <array>
#include <string>

namespace {

bool IsHardBreak(char c) {
    return c == '\n' || c == '\\';
}

bool IsSoftBreak(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

bool LayoutText(FontBase& font, const char* text, float width, TextLines& out, char linkOn, char linkOff) {
    out.Clear();
    if (!text || !*text) {
        return true;
    }
    std::string source(text);
    if (linkOn || linkOff) {
        for (char& c : source) {
            if (c == '<' && linkOn) {
                c = linkOn;
            } else if (c == '>' && linkOff) {
                c = linkOff;
            }
        }
    }
    // Advance of every byte value, measured once per layout on demand.
    std::array<int32_t, 256> advance;
    advance.fill(-1);
    auto advanceOf = [&](char c) {
        int32_t& cached = advance[static_cast<unsigned char>(c)];
        if (cached < 0) {
            const char one[2] = {c, '\0'};
            cached = font.TextWidth(one);
        }
        return cached;
    };
    auto store = [&](size_t start, size_t end, int64_t lineWidth) {
        out.lines.emplace_back(std::string_view(source.data() + start, end - start));
        out.widths.push_back(static_cast<float>(lineWidth));
    };

    const size_t length = source.size();
    size_t start = 0;
    while (start < length) {
        int64_t lineWidth = 0;
        size_t breakAt = std::string::npos; // the line's end at the last blank or tab
        int64_t widthAtBreak = 0;
        size_t i = start;
        bool ended = false;
        while (i < length) {
            const char c = source[i];
            if (IsHardBreak(c)) {
                store(start, i, lineWidth);
                start = i + 1;
                ended = true;
                break;
            }
            const int64_t grown = lineWidth + advanceOf(c);
            if (static_cast<float>(grown) >= width) {
                break;
            }
            if (IsSoftBreak(c)) {
                breakAt = i;
                widthAtBreak = lineWidth;
            }
            lineWidth = grown;
            ++i;
        }
        if (ended) {
            continue;
        }
        if (i == length) {
            store(start, length, lineWidth);
            break;
        }
        if (breakAt == std::string::npos) {
            out.unplacedFrom = start;
            return false; // a word wider than the width: the rest is dropped
        }
        store(start, breakAt, widthAtBreak);
        start = breakAt + 1;
    }
    return true;
}
