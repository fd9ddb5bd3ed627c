// Sprite drawing cost: one frame of 1,000 sprite draws (100 sprites of 32 × 32
// drawn ten times each, every draw pushing the render stack, setting its
// model matrix, drawing and popping, then the per-frame eviction pass)
// against the bare OpenGL a hand-written loop needs for the same picture
// (push the matrix, load it, bind, one quad, pop). Both run in turn in every
// iteration in the same context, and the ratio engine / bare is reported,
// for the commands issued (submit) and for the whole frame up to glFinish.
//
// Needs a display (run under xvfb-run -a -s "-screen 0 1024x768x24"); without
// one the benchmark reports that it was skipped.
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"

#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kSprites = 100;
constexpr int kDrawsPerSprite = 10;
constexpr int kSide = 32;

Matrix4 PlaceOf(int sprite, int copy) {
    const int index = sprite * kDrawsPerSprite + copy;
    return Matrix4::Translation(float(index % 40) * 25.0f, float(index / 40) * 30.0f, 0.0f);
}

void EngineFrame(std::vector<std::unique_ptr<Sprite>>& sprites) {
    for (int copy = 0; copy < kDrawsPerSprite; ++copy) {
        for (int sprite = 0; sprite < kSprites; ++sprite) {
            RenderStackScope scope;
            RenderStack::SetModelMatrix(PlaceOf(sprite, copy));
            sprites[sprite]->Draw();
        }
    }
}

void BareFrame(const std::vector<GLuint>& textures) {
    glMatrixMode(GL_MODELVIEW);
    for (int copy = 0; copy < kDrawsPerSprite; ++copy) {
        for (int sprite = 0; sprite < kSprites; ++sprite) {
            glPushMatrix();
            glLoadMatrixf(PlaceOf(sprite, copy).m);
            glBindTexture(GL_TEXTURE_2D, textures[sprite]);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex3f(0, 0, 0);
            glTexCoord2f(1, 0);
            glVertex3f(kSide, 0, 0);
            glTexCoord2f(1, 1);
            glVertex3f(kSide, kSide, 0);
            glTexCoord2f(0, 1);
            glVertex3f(0, kSide, 0);
            glEnd();
            glPopMatrix();
        }
    }
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void BM_Draw1000Sprites(benchmark::State& state) {
    testing_support::GlTestContext window(kScreenWidth, kScreenHeight);
    if (!window.Available()) {
        state.SkipWithError("skipped: no display for an OpenGL context; run under xvfb-run");
        return;
    }
    std::vector<std::unique_ptr<Sprite>> sprites;
    std::vector<GLuint> textures(kSprites);
    glGenTextures(kSprites, textures.data());
    std::vector<uint8_t> pixels(kSide * kSide * 4);
    for (int i = 0; i < kSprites; ++i) {
        auto sprite = std::make_unique<Sprite>();
        sprite->Create(kSide, kSide);
        for (size_t byte = 0; byte < pixels.size(); ++byte) {
            pixels[byte] = uint8_t(byte * 7 + i);
        }
        std::copy(pixels.begin(), pixels.end(), sprite->Pixels());
        sprites.push_back(std::move(sprite));
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        // Without these the texture is incomplete (no mipmaps) and draws untextured.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    RenderStack::SetProjectionMatrix(MakeScreenProjection(kScreenWidth, kScreenHeight));
    double engineSubmit = 0, engineTotal = 0, bareSubmit = 0, bareTotal = 0;
    for (auto _ : state) {
        ClearScreen();
        glFinish();
        const auto engineStart = Clock::now();
        EngineFrame(sprites);
        const auto engineIssued = Clock::now();
        glFinish();
        EvictUnusedTextures(true);
        const auto engineEnd = Clock::now();

        ClearScreen();
        glFinish();
        const auto bareStart = Clock::now();
        BareFrame(textures);
        const auto bareIssued = Clock::now();
        glFinish();
        const auto bareEnd = Clock::now();

        engineSubmit += Seconds(engineStart, engineIssued);
        engineTotal += Seconds(engineStart, engineEnd);
        bareSubmit += Seconds(bareStart, bareIssued);
        bareTotal += Seconds(bareStart, bareEnd);
    }
    glDeleteTextures(kSprites, textures.data());
    const double iterations = double(state.iterations());
    state.counters["engine_submit_us"] = engineSubmit / iterations * 1e6;
    state.counters["bare_submit_us"] = bareSubmit / iterations * 1e6;
    state.counters["submit_engine/bare"] = engineSubmit / bareSubmit;
    state.counters["engine_frame_us"] = engineTotal / iterations * 1e6;
    state.counters["bare_frame_us"] = bareTotal / iterations * 1e6;
    state.counters["frame_engine/bare"] = engineTotal / bareTotal;
    state.counters["slots_used"] = UsedTextureSlots();
}
BENCHMARK(BM_Draw1000Sprites)->Unit(benchmark::kMillisecond);

} // namespace
