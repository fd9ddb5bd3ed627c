// Text cost per frame: 10,000 characters measured and drawn with a loaded
// bitmap font (100 lines of 100 characters with spaces and colour codes),
// each against a reference in the same run:
//   - TextWidth against a plain loop that sums a 256-entry advance table
//     over the same bytes;
//   - Draw against the same GL calls a hand-written loop needs for the same
//     glyphs (one modelview load and two textured triangles each, one bind
//     per line), without the font's look-ups, colour codes or render stack.
// Ratios are engine / reference. Needs a display (run under
// xvfb-run -a -s "-screen 0 1024x768x24"); without one it reports a skip.
#include "core/Log.h"
#include "render/Font.h"
#include "render/Font3D.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"

#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kLines = 100;
constexpr int kLineLength = 100;
constexpr int kCell = 8;
constexpr int kFirstCode = 33;
constexpr int kGlyphs = 94; // '!' .. '~'

/// A font of 94 glyphs of 8 × 8 (advance 6) in a temporary folder.
bool WriteBenchFont(const std::string& folder) {
    Image strip;
    if (!strip.Create(kCell, kCell * kGlyphs)) {
        return false;
    }
    for (uint32_t y = 0; y < strip.Height(); ++y) {
        for (uint32_t x = 0; x < kCell; ++x) {
            uint8_t* p = strip.PixelAt(x, y);
            p[0] = p[1] = p[2] = 255;
            p[3] = ((x + y) % 3) ? 255 : 0;
        }
    }
    if (!strip.SaveTga((folder + "/bench.tga").c_str())) {
        return false;
    }
    std::string text = "ImagePath = " + folder + "/bench.tga;\nHeight = 8;\nSpaceWidth = 4;\n";
    for (int code = kFirstCode; code < kFirstCode + kGlyphs; ++code) {
        text += "Glyph = " + std::to_string(code) + " 6;\n";
    }
    text += "ColorCode = 1 1 0 0;\nColorCode = 2 0 1 0;\n";
    FILE* out = std::fopen((folder + "/bench.config").c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

/// 100 lines of 100 characters: words of printable characters, spaces and
/// now and then a colour code.
std::vector<std::string> BenchLines() {
    std::vector<std::string> lines;
    for (int line = 0; line < kLines; ++line) {
        std::string text;
        for (int i = 0; i < kLineLength; ++i) {
            const int k = line * kLineLength + i;
            text += k % 7 == 6 ? ' ' : k % 31 == 30 ? char(1 + (k / 31) % 2) : char(kFirstCode + k % kGlyphs);
        }
        lines.push_back(text);
    }
    return lines;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

Matrix4 LinePlace(int line) {
    return Matrix4::Translation(4.0f, 4.0f + float(line) * 7.0f, 0.0f);
}

void EngineFrame(Font& font, const std::vector<std::string>& lines) {
    for (int line = 0; line < kLines; ++line) {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(LinePlace(line));
        font.Draw(lines[size_t(line)].c_str());
    }
}

/// The GL calls of the same glyphs, positions from a plain advance table.
void BareFrame(GLuint texture, float textureHeight, const std::vector<std::string>& lines) {
    glMatrixMode(GL_MODELVIEW);
    const float dv = kCell / textureHeight;
    for (int line = 0; line < kLines; ++line) {
        glBindTexture(GL_TEXTURE_2D, texture);
        float penX = 0.0f;
        for (const char c : lines[size_t(line)]) {
            if (c == ' ') {
                penX += 4.0f;
                continue;
            }
            if (c < kFirstCode) {
                continue;
            }
            const Matrix4 place = LinePlace(line) * Matrix4::Translation(penX, 0.0f, 0.0f);
            glLoadMatrixf(place.m);
            const float v = float(c - kFirstCode) * dv; // one column of cells stands in for the grid
            glBegin(GL_TRIANGLES);
            glTexCoord2f(0, v);
            glVertex3f(0, 0, 0);
            glTexCoord2f(1, v);
            glVertex3f(kCell, 0, 0);
            glTexCoord2f(1, v + dv);
            glVertex3f(kCell, kCell, 0);
            glTexCoord2f(0, v);
            glVertex3f(0, 0, 0);
            glTexCoord2f(1, v + dv);
            glVertex3f(kCell, kCell, 0);
            glTexCoord2f(0, v + dv);
            glVertex3f(0, kCell, 0);
            glEnd();
            penX += 6.0f;
        }
    }
}

struct BenchFont {
    std::string folder;
    Font font;
    bool loaded = false;
    BenchFont() {
        folder = (std::filesystem::temp_directory_path() / ("fontbench." + std::to_string(getpid()))).string();
        std::filesystem::create_directories(folder);
        SetLogToStandardOutput(false);
        loaded = WriteBenchFont(folder) && font.Load((folder + "/bench.config").c_str());
        SetLogToStandardOutput(true);
    }
    ~BenchFont() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

void BM_FontTextWidth10000Characters(benchmark::State& state) {
    testing_support::GlTestContext window(kScreenWidth, kScreenHeight);
    if (!window.Available()) {
        state.SkipWithError("skipped: no display for an OpenGL context; run under xvfb-run");
        return;
    }
    BenchFont bench;
    if (!bench.loaded) {
        state.SkipWithError("the benchmark font did not load");
        return;
    }
    const std::vector<std::string> lines = BenchLines();
    int32_t advances[256] = {};
    for (int code = kFirstCode; code < kFirstCode + kGlyphs; ++code) {
        advances[code] = 6;
    }
    advances[' '] = 4;
    double engine = 0, reference = 0;
    int64_t checksum = 0;
    for (auto _ : state) {
        const auto engineStart = Clock::now();
        for (const std::string& line : lines) {
            checksum += bench.font.TextWidth(line.c_str());
        }
        const auto referenceStart = Clock::now();
        for (const std::string& line : lines) {
            int32_t width = 0;
            for (const char* c = line.c_str(); *c; ++c) {
                width += advances[uint8_t(*c)];
            }
            benchmark::DoNotOptimize(width);
            checksum -= width;
        }
        const auto end = Clock::now();
        engine += Seconds(engineStart, referenceStart);
        reference += Seconds(referenceStart, end);
    }
    if (checksum != 0) {
        state.SkipWithError("the font and the reference measured different widths");
        return;
    }
    const double iterations = double(state.iterations());
    state.counters["engine_us"] = engine / iterations * 1e6;
    state.counters["reference_us"] = reference / iterations * 1e6;
    state.counters["engine/reference"] = engine / reference;
}
BENCHMARK(BM_FontTextWidth10000Characters)->Unit(benchmark::kMicrosecond);

void BM_FontDraw10000Characters(benchmark::State& state) {
    testing_support::GlTestContext window(kScreenWidth, kScreenHeight);
    if (!window.Available()) {
        state.SkipWithError("skipped: no display for an OpenGL context; run under xvfb-run");
        return;
    }
    BenchFont bench;
    if (!bench.loaded) {
        state.SkipWithError("the benchmark font did not load");
        return;
    }
    const std::vector<std::string> lines = BenchLines();
    // The reference draws from a texture of the same strip laid out as one column.
    Image strip;
    strip.Load((bench.folder + "/bench.tga").c_str());
    const int textureHeight = 1024;
    std::vector<uint8_t> texels(size_t(kCell) * textureHeight * 4, 0);
    std::copy(strip.Pixels(), strip.Pixels() + strip.PixelBytes(), texels.begin());
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kCell, textureHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    RenderStack::SetProjectionMatrix(MakeScreenProjection(kScreenWidth, kScreenHeight));

    double engineSubmit = 0, engineTotal = 0, bareSubmit = 0, bareTotal = 0;
    for (auto _ : state) {
        ClearScreen();
        glFinish();
        const auto engineStart = Clock::now();
        EngineFrame(bench.font, lines);
        const auto engineIssued = Clock::now();
        glFinish();
        const auto engineEnd = Clock::now();

        ClearScreen();
        glFinish();
        const auto bareStart = Clock::now();
        BareFrame(texture, float(textureHeight), lines);
        const auto bareIssued = Clock::now();
        glFinish();
        const auto bareEnd = Clock::now();

        engineSubmit += Seconds(engineStart, engineIssued);
        engineTotal += Seconds(engineStart, engineEnd);
        bareSubmit += Seconds(bareStart, bareIssued);
        bareTotal += Seconds(bareStart, bareEnd);
    }
    glDeleteTextures(1, &texture);
    const double iterations = double(state.iterations());
    state.counters["engine_submit_us"] = engineSubmit / iterations * 1e6;
    state.counters["bare_submit_us"] = bareSubmit / iterations * 1e6;
    state.counters["submit_engine/bare"] = engineSubmit / bareSubmit;
    state.counters["engine_frame_us"] = engineTotal / iterations * 1e6;
    state.counters["bare_frame_us"] = bareTotal / iterations * 1e6;
    state.counters["frame_engine/bare"] = engineTotal / bareTotal;
}
BENCHMARK(BM_FontDraw10000Characters)->Unit(benchmark::kMillisecond);

} // namespace
