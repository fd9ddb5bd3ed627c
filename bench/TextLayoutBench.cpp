// Word wrap of a 4,000-character page (words of 2 to 9 letters, a line feed
// every few sentences) into a 300-pixel column, against two references in
// the same run:
//   - one TextWidth of the whole page (the least any layout must read);
//   - the prefix-by-prefix wrap that measures every prefix of the rest anew,
//     quadratic in the line length.
// Ratios are layout / reference. The font sums a 256-entry advance table,
// as the bitmap font does, so no display is needed.
#include "render/FontBase.h"
#include "ui/TextLayout.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace {

class TableFont : public FontBase {
public:
    TableFont() {
        for (int32_t c = 0; c < 256; ++c) {
            advance[size_t(c)] = c == ' ' ? 4 : 6 + c % 4;
        }
    }
    bool Load(const char*) override { return true; }
    void Release() override {}
    int32_t TextWidth(const char* text) override {
        int32_t width = 0;
        for (; text && *text; ++text) {
            width += advance[static_cast<unsigned char>(*text)];
        }
        return width;
    }
    int32_t GlyphAdvance(int32_t code) override { return advance[static_cast<unsigned char>(code)]; }
    bool FindGlyph(int32_t, int32_t&) override { return false; }
    void Draw(const char*) override {}
    void SetColorCode(int32_t) override {}

private:
    std::array<int32_t, 256> advance{};
};

std::string Page() {
    std::string page;
    uint32_t seed = 12345;
    int words = 0;
    while (page.size() < 4000) {
        seed = seed * 1103515245u + 12345u;
        const int letters = 2 + int((seed >> 16) % 8);
        for (int i = 0; i < letters; ++i) {
            page += char('a' + (seed >> (i + 3)) % 26);
        }
        page += (++words % 60 == 0) ? '\n' : ' ';
    }
    page.resize(4000);
    return page;
}

// Wrap by measuring every prefix of the rest with TextWidth.
size_t PrefixWrap(FontBase& font, const std::string& text, float width) {
    size_t lines = 0, start = 0;
    std::string prefix;
    while (start < text.size()) {
        size_t breakAt = std::string::npos, i = start;
        for (; i < text.size(); ++i) {
            if (text[i] == '\n') {
                break;
            }
            prefix.assign(text, start, i - start + 1);
            if (static_cast<float>(font.TextWidth(prefix.c_str())) >= width) {
                break;
            }
            if (text[i] == ' ') {
                breakAt = i;
            }
        }
        ++lines;
        if (i == text.size()) {
            break;
        }
        if (text[i] == '\n') {
            start = i + 1;
        } else if (breakAt == std::string::npos) {
            break;
        } else {
            start = breakAt + 1;
        }
    }
    return lines;
}

template <typename F> double Seconds(F&& f, int repeats) {
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i) {
        f();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() / repeats;
}

void BM_LayoutPage(benchmark::State& state) {
    TableFont font;
    const std::string page = Page();
    TextLines lines;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayoutText(font, page.c_str(), 300.0f, lines));
    }
    const double layout = Seconds([&] { LayoutText(font, page.c_str(), 300.0f, lines); }, 200);
    const double read = Seconds([&] { benchmark::DoNotOptimize(font.TextWidth(page.c_str())); }, 2000);
    const double prefix = Seconds([&] { benchmark::DoNotOptimize(PrefixWrap(font, page, 300.0f)); }, 20);
    state.counters["lines"] = double(lines.lines.size());
    state.counters["layout_us"] = layout * 1e6;
    state.counters["vs_one_measure"] = layout / read;
    state.counters["vs_prefix_wrap"] = layout / prefix;
}
BENCHMARK(BM_LayoutPage)->Unit(benchmark::kMicrosecond);

} // namespace
