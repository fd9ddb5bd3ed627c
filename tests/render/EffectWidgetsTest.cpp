// The effect widgets: polygons, cross-fading frames, light layers, screen
// fills, scrolling and waving pictures, as scene files build them.
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "io/Resources.h"
#include "render/FrameGroup.h"
#include "render/Image.h"
#include "render/Lightmap.h"
#include "render/Region.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/Splitmap.h"
#include "render/Sprite.h"
#include "render/WaveBitmap.h"
#include "render/WidgetRenderer.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/PictureCompare.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using testing_support::Rgba;

namespace {

// A w × h picture of one colour; with `stripeRow` ≥ 0 that row is white.
void WritePicture(const char* path, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b, uint8_t a,
                  int stripeRow = -1) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            const bool stripe = int(y) == stripeRow;
            p[0] = stripe ? 255 : b;
            p[1] = stripe ? 255 : g;
            p[2] = stripe ? 255 : r;
            p[3] = stripe ? 255 : a;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

class EffectWidgets : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        InstallWidgetRenderer();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        frameTime = 1.0f / 65.0f;
        std::srand(7);
    }

    template <typename T> T* Add(const char* name) {
        auto* element = static_cast<T*>(scene.CreateElement(T::StaticClassName()));
        scene.RenameElement(*element, name);
        return element;
    }

    void DrawFrame() {
        ResetScreenCamera();
        scene.Update();
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 1.0f);
        ClearScreen();
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        LoadScreenProjectionAndCamera();
        scene.Draw();
    }

    Scene scene;
};

constexpr testing_support::NearColour Near{3};

} // namespace

TEST_F(EffectWidgets, RegionCountsItsBottomEdgeButNotItsTopAndFollowsConcaveOutlines) {
    Region* square = Add<Region>("square");
    square->RegionText.SetFirstString("0,0,100,0,100,100,0,100");
    scene.Update();
    EXPECT_TRUE(square->HitTest(Vec2{50, 50}));
    EXPECT_FALSE(square->HitTest(Vec2{150, 50}));
    EXPECT_FALSE(square->HitTest(Vec2{50, 0}));
    EXPECT_TRUE(square->HitTest(Vec2{50, 100}));
    square->Position.SetFloat(0, 200.0f); // the point is mapped into the region's own pixels
    scene.Update();
    EXPECT_TRUE(square->HitTest(Vec2{250, 50}));
    EXPECT_FALSE(square->HitTest(Vec2{50, 50}));

    // A U: two arms joined at the bottom; the notch between them is outside.
    Region* u = Add<Region>("u");
    u->RegionText.SetFirstString("0,0, 30,0, 30,60, 70,60, 70,0, 100,0, 100,100, 0,100");
    scene.Update();
    EXPECT_TRUE(u->ContainsLocal(Vec2{15, 30}));
    EXPECT_TRUE(u->ContainsLocal(Vec2{85, 30}));
    EXPECT_FALSE(u->ContainsLocal(Vec2{50, 30}));
    EXPECT_TRUE(u->ContainsLocal(Vec2{50, 80}));
    Vec3 point;
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(u->RandomPoint(point));
        EXPECT_TRUE(u->ContainsLocal(Vec2{point.x, point.y})) << point.x << ", " << point.y;
    }
}

TEST_F(EffectWidgets, RegionTextThatDoesNotParseKeepsThePairsBeforeTheFaultAndIsReportedOnce) {
    std::vector<Vec2> vertices;
    const char* problem = nullptr;
    EXPECT_FALSE(ParsePolygon("0,0,10,0,10", vertices, &problem));
    EXPECT_EQ(vertices.size(), 2u);
    EXPECT_FALSE(ParsePolygon("0,0,ten,0", vertices, &problem));
    EXPECT_EQ(vertices.size(), 1u);
    EXPECT_TRUE(ParsePolygon("", vertices));
    EXPECT_TRUE(vertices.empty());

    testing_support::LogCapture log;
    Region* flat = Add<Region>("flat");
    flat->RegionText.SetFirstString("0,0,100,0,50,x");
    scene.Update();
    EXPECT_TRUE(log.Contains("Region flat"));
    Vec3 point;
    EXPECT_FALSE(flat->RandomPoint(point)); // two vertices: a box without height
    EXPECT_FALSE(flat->HitTest(Vec2{50, 0}));
}

TEST_F(EffectWidgets, FrameGroupCrossFadesTheTwoFramesAroundItsIndex) {
    FrameGroup* group = Add<FrameGroup>("group");
    Widget* frames[5];
    for (int i = 0; i < 5; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "frame%d", i);
        frames[i] = Add<Widget>(name);
        AttachChild(group, frames[i]);
    }
    group->format.SetFirstString("frame%d");
    group->index.SetFirstFloat(2.25f);
    scene.Update();
    EXPECT_FLOAT_EQ(frames[2]->Color.GetFloat(3), 1.0f);
    EXPECT_FLOAT_EQ(frames[3]->Color.GetFloat(3), 0.375f);
    EXPECT_TRUE(frames[2]->Visible.FirstBool() && frames[3]->Visible.FirstBool());
    for (int i : {0, 1, 4}) {
        EXPECT_FALSE(frames[i]->Visible.FirstBool());
        EXPECT_FLOAT_EQ(frames[i]->Color.GetFloat(3), 0.0f);
    }
    group->index.SetFirstFloat(2.0f);
    scene.Update();
    EXPECT_FALSE(frames[3]->Visible.FirstBool());
    EXPECT_TRUE(frames[2]->Visible.FirstBool());

    // A pattern with a string directive is never formatted.
    testing_support::LogCapture log;
    group->format.SetFirstString("frame%s");
    group->index.SetFirstFloat(3.0f);
    scene.Update();
    EXPECT_TRUE(log.Contains("FrameGroup group"));
    EXPECT_TRUE(frames[2]->Visible.FirstBool());
}

TEST_F(EffectWidgets, SplitmapScrollsAQuarterWidthPerSecondAndWrapsEveryFourSeconds) {
    WritePicture("sky.tga", 256, 16, 0, 0, 255, 255);
    Splitmap* sky = Add<Splitmap>("sky");
    sky->SpritePath.SetFirstString("sky.tga");
    sky->scroll.SetFloat(0, 64.0f);
    frameTime = 0.25f;
    scene.Update(); // resolves the sprite
    sky->offset.SetFloat(0, 0.0f);
    for (int i = 0; i < 4; ++i) {
        scene.Update();
    }
    EXPECT_NEAR(sky->offset.GetFloat(0), 192.0f, 1e-3); // −64 wrapped into 0 … 256
    for (int i = 0; i < 12; ++i) {
        scene.Update();
    }
    const float wrapped = sky->offset.GetFloat(0);
    EXPECT_NEAR(std::min(wrapped, 256.0f - wrapped), 0.0f, 1e-3);
    EXPECT_FLOAT_EQ(sky->offset.GetFloat(1), 0.0f);
}

TEST_F(EffectWidgets, WaveBitmapMakesARoomierPictureAndShiftsItsColumns) {
    WritePicture("flag.tga", 100, 100, 255, 0, 0, 255, 0); // the top row white
    WaveBitmap* flag = Add<WaveBitmap>("flag");
    flag->SpritePath.SetFirstString("flag.tga");
    scene.Update();
    ASSERT_NE(flag->GetSprite(), nullptr);
    EXPECT_EQ(flag->GetSprite()->Height(), 122);
    EXPECT_EQ(flag->GetSprite()->Width(), 100);
    scene.Update(); // the first wave: phase 0
    // Column 0 has no shift: its top row lands at 61 − 50 = 11. Where the
    // sine peaks (x ≈ 25) the column is 9 or 10 rows lower.
    auto whiteRow = [&](int x) {
        float rgba[4];
        for (int y = 0; y < 122; ++y) {
            if (flag->GetSprite()->PixelColor(x, y, rgba) && rgba[1] > 0.9f) {
                return y;
            }
        }
        return -1;
    };
    EXPECT_EQ(whiteRow(0), 11);
    EXPECT_GE(whiteRow(25), 20);
    EXPECT_GT(flag->Phase(), 0.0f);

    testing_support::LogCapture log;
    flag->amplitude.SetFirstFloat(1.0e7f); // no picture that tall: stays still, reported
    scene.Update();
    EXPECT_EQ(flag->GetSprite(), nullptr);
    EXPECT_TRUE(log.Contains("WaveBitmap flag"));
}

TEST_F(EffectWidgets, LightLayersAddOverTheBaseOnlyWhileTheirLightIsOn) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePicture("hall.tga", 16, 16, 40, 40, 40, 255);
    WritePicture("hall_L1.tga", 16, 16, 0, 200, 0, 255);
    WritePicture("hall_L2.tga", 8, 8, 0, 0, 200, 255); // the wrong size: no layer
    Light* lamp = Add<Light>("lamp");
    Light* other = Add<Light>("other");
    other->Index.SetFirstInt(2);
    Lightmap* hall = Add<Lightmap>("hall");
    hall->SpritePath.SetFirstString("hall.tga");
    DrawFrame();
    ASSERT_EQ(hall->Layers().size(), 2u);
    EXPECT_TRUE(Near(gl.ReadPixel(36, 28), 40, 240, 40));
    for (const Lightmap::Layer& layer : hall->Layers()) {
        EXPECT_EQ(layer.sprite != nullptr, layer.index == 1);
    }

    lamp->Color.SetFloat(3, 0.0f);
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(36, 28), 40, 40, 40));
    lamp->Color.SetFloat(3, 1.0f);
    lamp->Visible.SetFirstBool(false);
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(36, 28), 40, 40, 40));
    lamp->Visible.SetFirstBool(true);
    lamp->Color.SetFloat(1, 0.5f); // the light's colour tints its layer
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(36, 28), 40, 140, 40));
}

TEST_F(EffectWidgets, LightLayerDrawsOnlyAroundItsLitPixelsAndAddsTheSameLightThere) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePicture("room.tga", 16, 16, 40, 40, 40, 255);
    WritePicture("room_L2.tga", 16, 16, 0, 0, 0, 255); // black adds nothing: no part to draw
    Image glow;
    ASSERT_TRUE(glow.Create(16, 16));
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            const bool lit = x >= 9 && x < 12 && y >= 5 && y < 7;
            uint8_t* p = glow.PixelAt(x, y);
            p[0] = 0;
            p[1] = lit ? 200 : 0;
            p[2] = x == 3 && y == 12 ? 90 : 0; // red under zero alpha adds nothing either
            p[3] = x == 3 && y == 12 ? 0 : 255;
        }
    }
    ASSERT_TRUE(glow.SaveTga("room_L1.tga"));
    Add<Light>("lamp");
    Add<Light>("dark")->Index.SetFirstInt(2);
    Lightmap* room = Add<Lightmap>("room");
    room->SpritePath.SetFirstString("room.tga");
    DrawFrame();
    ASSERT_EQ(room->Layers().size(), 2u);
    const Lightmap::Layer& lamp = room->Layers()[0].index == 1 ? room->Layers()[0] : room->Layers()[1];
    const Lightmap::Layer& dark = room->Layers()[0].index == 1 ? room->Layers()[1] : room->Layers()[0];
    EXPECT_EQ(lamp.litX, 8);
    EXPECT_EQ(lamp.litY, 4);
    EXPECT_EQ(lamp.litWidth, 5);
    EXPECT_EQ(lamp.litHeight, 4);
    EXPECT_EQ(dark.litWidth * dark.litHeight, 0);
    // The picture's top-left corner is the centre of the 64 x 48 screen.
    for (auto [x, y] : {std::pair{9, 5}, std::pair{11, 6}}) {
        EXPECT_TRUE(Near(gl.ReadPixel(32 + x, 24 + y), 40, 240, 40)) << x << ", " << y;
    }
    for (auto [x, y] : {std::pair{12, 6}, std::pair{8, 5}, std::pair{3, 12}, std::pair{0, 0}}) {
        EXPECT_TRUE(Near(gl.ReadPixel(32 + x, 24 + y), 40, 40, 40)) << x << ", " << y;
    }
}

TEST_F(EffectWidgets, SceneFileBuildsEveryEffectClassAndScreenFillCoversTheScreen) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    testing_support::WriteFile("effects.scene", "Widget = fill;\nWidget = area;\nWidget = blur;\n"
                                                "Widget = pixels;\nWidget = group;\n"
                                                "fill.Type = ScreenFill;\nfill.Color = 1;\nfill.Color = 0;\n"
                                                "fill.Color = 0;\nfill.Color = 0.5;\n"
                                                "area.Type = Region;\narea.Region = 0,0,4,0,4,4;\n"
                                                "blur.Type = GaussianBlurFill;\nblur.Size = 9;\n"
                                                "pixels.Type = NearestNeighborFill;\n"
                                                "group.Type = FrameGroup;\ngroup.format = f%d;\n");
    std::unique_ptr<Scene> loaded(LoadScene("effects.scene"));
    ASSERT_NE(loaded, nullptr);
    auto* area = ObjectCast<Region>(loaded->FindElement("area"));
    ASSERT_NE(area, nullptr);
    loaded->Update();
    EXPECT_EQ(area->Vertices().size(), 3u);
    EXPECT_EQ(loaded->FindElement("blur")->FindProperty("Size")->FirstInt(), 9);
    EXPECT_EQ(loaded->FindElement("pixels")->FindProperty("Size")->FirstInt(), 4);
    EXPECT_STREQ(FindClass("PeriodicAnimator")->category.CStr(), "Effects");

    ResetScreenCamera();
    RenderStack::SetColor(0.0f, 0.0f, 1.0f, 1.0f);
    ClearScreen();
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    LoadScreenProjectionAndCamera();
    loaded->Draw();
    for (auto [x, y] : {std::pair{0, 0}, std::pair{63, 47}, std::pair{32, 24}}) {
        EXPECT_TRUE(Near(gl.ReadPixel(x, y), 128, 0, 128, 4)) << x << ", " << y;
    }
}
