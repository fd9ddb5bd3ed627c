// The level screen, the game's heaviest: a level of 150 doodads with drop
// shadows under a HUD of a bar, twelve list lines' worth of bitmaps and two
// emitters, with energy sparkles streaming. Reported per frame:
//   - the update (HUD steps, sparkles, both scenes) as time per element and
//     the heap allocations per frame once the pools have grown;
//   - the draw, submitted and finished (glFinish), against a bare OpenGL
//     loop that draws the same textured quads with the same blend states
//     (shadow then picture per doodad, the HUD bitmaps, every live particle
//     and sparkle additively): the ratio engine / bare, aim at most 1.5.
// Needs a display (xvfb-run -a -s "-screen 0 1024x768x24"); run it alone
// (--benchmark_filter=LevelScreen): it opens the game window itself.
#include "anim/Emitter.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "platform/GameWindow.h"
#include "play/Doodad.h"
#include "play/GameScreen.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/Sprite.h"
#include "ui/UI.h"

#include "support/AllocationCounter.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDoodads = 150;
constexpr int kPictures = 8;
constexpr int kHudBitmaps = 16;
constexpr const char* kFolder = "/tmp/dunhaven-level-bench";

std::string PicturePath(int i) {
    return std::string(kFolder) + "-" + std::to_string(i) + ".tga";
}

bool OpenContext() {
    static bool open = [] {
        if (!GameWindowExists() && !CreateGameWindow(1024, 768)) {
            return false;
        }
        InitRenderContext(1024, 768);
        ClearRegistry();
        RegisterEngineClasses();
        RegisterClass("Doodad", MakeObject<Doodad>, "Game Objects");
        RegisterClass("GameScreen", MakeObject<GameScreen>, "Game UI");
        StartResourcesAndRenderer();
        ResetScreenCamera();
        // Round-ish opaque shapes on transparency, 64 x 64, so shadows have a form.
        for (int i = 0; i < kPictures; ++i) {
            Image image;
            image.Create(64, 64);
            for (uint32_t y = 0; y < 64; ++y) {
                for (uint32_t x = 0; x < 64; ++x) {
                    uint8_t* p = image.PixelAt(x, y);
                    const int dx = int(x) - 32, dy = int(y) - 32;
                    p[0] = uint8_t(40 * i + x);
                    p[1] = uint8_t(90 + y);
                    p[2] = uint8_t(200 - 10 * i);
                    p[3] = dx * dx + dy * dy < (20 + i) * (20 + i) ? 255 : 0;
                }
            }
            image.SaveTga(PicturePath(i).c_str());
        }
        return true;
    }();
    return open;
}

/// The level: 150 doodads with shadows, scattered and turned.
std::string LevelText() {
    std::string names, body;
    for (int i = 0; i < kDoodads; ++i) {
        const std::string n = "d" + std::to_string(i);
        names += "Widget = " + n + ";\n";
        body += n + ".Type = Doodad;\n" + n + ".SpritePath = " + PicturePath(i % kPictures) + ";\n" + n +
                ".BlendMode = 1;\n" + n + ".shadowSize = 6;\n" + n + ".shadowOffset = 6;\n" + n +
                ".shadowOffset = 4;\n" + n + ".Rotation = " + std::to_string((i * 37) % 60 - 30) + ";\n" + n +
                ".Position = " + std::to_string((i * 53) % 900 - 480) + ";\n" + n +
                ".Position = " + std::to_string((i * 71) % 600 - 320) + ";\n" + n +
                ".Position = " + std::to_string(i % 5) + ";\n";
    }
    return names + body;
}

/// The HUD: the screen, 16 bitmaps and two emitters that keep spawning.
std::string HudText() {
    std::string names = "Widget = hud;\nWidget = burst;\nWidget = spark;\n";
    std::string body = "hud.Type = GameScreen;\nhud.energySprite = " + PicturePath(1) + ";\n";
    for (const char* emitter : {"burst", "spark"}) {
        const std::string e = emitter;
        body += e + ".Type = Emitter;\n" + e + ".SpritePath = " + PicturePath(2) + ";\n" + e +
                ".BlendMode = 2;\n" + e + ".Rate = 40;\n" + e + ".Lifetime = 1.5;\n" + e +
                ".VelocityVariance = 80;\n" + e + ".VelocityVariance = 80;\n" + e +
                ".VelocityVariance = 0;\n";
    }
    for (int i = 0; i < kHudBitmaps; ++i) {
        const std::string n = "h" + std::to_string(i);
        names += "Widget = " + n + ";\n";
        body += n + ".Type = Bitmap;\n" + n + ".SpritePath = " + PicturePath(i % kPictures) + ";\n" + n +
                ".BlendMode = 1;\n" + n + ".Position = " + std::to_string(i * 60 - 500) + ";\n" + n +
                ".Position = 300;\n" + n + ".Position = 10;\n";
    }
    return names + body;
}

std::unique_ptr<Scene> SceneFrom(const std::string& text, const char* name) {
    const std::string path = std::string(kFolder) + "-" + name + ".scene";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    return LoadScene(path.c_str());
}

/// The quads the engine drew this frame, as the bare loop draws them.
struct Quad {
    GLuint texture = 0;
    Matrix4 model;
    float size[2] = {0, 0};
    float color[4] = {1, 1, 1, 1};
    bool additive = false;
};

void BareDraw(const std::vector<Quad>& quads) {
    glMatrixMode(GL_MODELVIEW);
    for (const Quad& quad : quads) {
        if (quad.additive) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        } else {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        glColor4fv(quad.color);
        glPushMatrix();
        glLoadMatrixf(quad.model.m);
        glBindTexture(GL_TEXTURE_2D, quad.texture);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex3f(0, 0, 0);
        glTexCoord2f(1, 0);
        glVertex3f(quad.size[0], 0, 0);
        glTexCoord2f(1, 1);
        glVertex3f(quad.size[0], quad.size[1], 0);
        glTexCoord2f(0, 1);
        glVertex3f(0, quad.size[1], 0);
        glEnd();
        glPopMatrix();
    }
}

/// The same number of quads, shapes and states as the engine's frame:
/// shadow and picture per doodad, each HUD bitmap, each live particle and sparkle.
std::vector<Quad> QuadsLike(Scene& level, Scene& hud, GameScreen& screen,
                            const std::vector<GLuint>& textures) {
    std::vector<Quad> quads;
    const Matrix4& camera = GetScreenCamera().matrix;
    int n = 0;
    for (const auto& entry : level.Elements().Entries()) {
        if (Doodad* doodad = ObjectCast<Doodad>(entry.value)) {
            Quad shadow;
            shadow.texture = textures[n % kPictures];
            shadow.model = camera * doodad->WorldMatrix() * Matrix4::Translation(-2, -2, 0);
            shadow.size[0] = shadow.size[1] = 76;
            shadow.color[0] = shadow.color[1] = shadow.color[2] = 0;
            shadow.color[3] = 0.5f;
            quads.push_back(shadow);
            Quad picture;
            picture.texture = textures[n++ % kPictures];
            picture.model = camera * doodad->WorldMatrix();
            picture.size[0] = picture.size[1] = 64;
            quads.push_back(picture);
        }
    }
    for (const auto& entry : hud.Elements().Entries()) {
        if (Emitter* emitter = ObjectCast<Emitter>(entry.value)) {
            for (int i = 0; i < emitter->LiveCount(); ++i) {
                Quad particle;
                particle.texture = textures[2];
                particle.model =
                    camera * Matrix4::Translation(float(i % 40) * 20 - 400, float(i / 40) * 20, 0);
                particle.size[0] = particle.size[1] = 64;
                particle.additive = true;
                quads.push_back(particle);
            }
        } else if (Bitmap* bitmap = ObjectCast<Bitmap>(entry.value)) {
            Quad picture;
            picture.texture = textures[n++ % kPictures];
            picture.model = camera * bitmap->WorldMatrix();
            picture.size[0] = picture.size[1] = 64;
            quads.push_back(picture);
        }
    }
    for (int i = 0; i < screen.Sparkles().LiveCount(); ++i) {
        Quad sparkle;
        sparkle.texture = textures[1];
        sparkle.model = camera * Matrix4::Translation(float(i % 30) * 30 - 450, -200, 0);
        sparkle.size[0] = sparkle.size[1] = 64;
        sparkle.additive = true;
        quads.push_back(sparkle);
    }
    return quads;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void BM_LevelScreenFrame(benchmark::State& state) {
    if (!OpenContext()) {
        state.SkipWithError("skipped: no display; run under xvfb-run");
        return;
    }
    std::unique_ptr<Scene> hudScene = SceneFrom(HudText(), "hud");
    GameScreen* screen = hudScene ? ObjectCast<GameScreen>(hudScene->FindElement("hud")) : nullptr;
    if (!screen || !GetUI().PushScreen(screen, 0)) {
        state.SkipWithError("the HUD scene did not load");
        return;
    }
    frameTime = 1.0f / 65.0f;
    if (!screen->ShowLevelScene(SceneFrom(LevelText(), "level"), "bench")) {
        state.SkipWithError("the level scene did not load");
        GetUI().DropScreen(screen);
        hudScene.release(); // the stack releases it
        return;
    }
    const auto frameStep = [&](int frame) {
        if (frame % 2 == 0) {
            screen->SpawnEnergySparkle(Vec3{float(frame % 400) - 200, 200, 0}, Vec3{400, 340, 0},
                                       Vec3{1, 1, 0});
        }
        hudScene->Update();
    };
    for (int i = 0; i < 200; ++i) {
        frameStep(i); // pools and draw lists reach their steady size
        LoadScreenProjectionAndCamera();
        screen->Draw();
    }
    std::vector<GLuint> textures(kPictures);
    glGenTextures(kPictures, textures.data());
    for (int i = 0; i < kPictures; ++i) {
        Image image;
        image.Load(PicturePath(i).c_str());
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, image.Pixels());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    const size_t elements = hudScene->Elements().Size() + screen->LevelScene()->Elements().Size();
    double update = 0, engineSubmit = 0, engineTotal = 0, bareSubmit = 0, bareTotal = 0;
    size_t allocations = 0, quadsDrawn = 0;
    int frame = 200;
    for (auto _ : state) {
        {
            testing_support::AllocationCounter counter;
            const auto start = Clock::now();
            frameStep(frame++);
            update += Seconds(start, Clock::now());
            allocations += counter.Count();
        }
        ClearScreen();
        glFinish();
        const auto engineStart = Clock::now();
        LoadScreenProjectionAndCamera();
        screen->Draw();
        const auto engineIssued = Clock::now();
        glFinish();
        const auto engineEnd = Clock::now();
        EvictUnusedTextures(true);

        state.PauseTiming();
        const std::vector<Quad> quads = QuadsLike(*screen->LevelScene(), *hudScene, *screen, textures);
        quadsDrawn += quads.size();
        state.ResumeTiming();
        ClearScreen();
        glFinish();
        const auto bareStart = Clock::now();
        BareDraw(quads);
        const auto bareIssued = Clock::now();
        glFinish();
        const auto bareEnd = Clock::now();
        RenderStack::Init(); // the bare loop changed GL behind the render stack's back

        engineSubmit += Seconds(engineStart, engineIssued);
        engineTotal += Seconds(engineStart, engineEnd);
        bareSubmit += Seconds(bareStart, bareIssued);
        bareTotal += Seconds(bareStart, bareEnd);
    }
    glDeleteTextures(kPictures, textures.data());
    const double iterations = double(state.iterations());
    state.counters["elements"] = double(elements);
    state.counters["update_ns_per_element"] = update / iterations / double(elements) * 1e9;
    state.counters["allocations_per_frame"] =
        testing_support::AllocationCounter::Available() ? double(allocations) / iterations : -1.0;
    state.counters["quads_per_frame"] = double(quadsDrawn) / iterations;
    state.counters["sparkles_live"] = screen->Sparkles().LiveCount();
    state.counters["submit_engine/bare"] = engineSubmit / bareSubmit;
    state.counters["frame_engine/bare"] = engineTotal / bareTotal;
    state.counters["engine_frame_us"] = engineTotal / iterations * 1e6;
    state.counters["bare_frame_us"] = bareTotal / iterations * 1e6;
    GetUI().DropScreen(screen);
    hudScene.release(); // the stack releases it
    GetUI().Update();
}
BENCHMARK(BM_LevelScreenFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace
