#include "render/Bitmap.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/BlendMode.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/Sprite.h"
#include "render/WidgetRenderer.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/PictureCompare.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using testing_support::Rgba;

namespace {

// A w × h picture of one colour; the left `clearColumns` columns transparent.
void WritePicture(const char* path, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b, uint8_t a,
                  uint32_t clearColumns = 0) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = x < clearColumns ? 0 : a;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

class BitmapDrawing : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        InstallWidgetRenderer();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        WritePicture("red.tga", 8, 8, 255, 0, 0, 255);
        WritePicture("half.tga", 8, 8, 0, 0, 255, 255, 4);
        WritePicture("grey.tga", 8, 8, 200, 200, 200, 100);
        frameTime = 1.0f / 65.0f;
    }

    Bitmap* Add(const char* name, const char* path, float x, float y, Widget* parent = nullptr) {
        auto* bitmap = static_cast<Bitmap*>(scene.CreateElement("Bitmap"));
        scene.RenameElement(*bitmap, name);
        bitmap->SpritePath.SetFirstString(path);
        bitmap->Position.SetFloat(0, x);
        bitmap->Position.SetFloat(1, y);
        if (parent) {
            AttachChild(parent, bitmap);
        }
        return bitmap;
    }

    // The scene's origin is the screen centre: with a 64 × 48 screen, scene
    // (0, 0) is pixel (32, 24).
    void DrawFrame() {
        ResetScreenCamera();
        scene.Update();
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 1.0f); // the clear takes the state's colour
        ClearScreen();
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        LoadScreenProjectionAndCamera();
        scene.Draw();
    }

    Scene scene;
};

constexpr testing_support::NearColour Near{2};

} // namespace

TEST(FramePath, SubstitutesOnlyOneIntegerDirective) {
    EXPECT_STREQ(FramePath("items/key%02d.png", 3).CStr(), "items/key03.png");
    EXPECT_STREQ(FramePath("a%d.png", -1).CStr(), "a%d.png");
    EXPECT_STREQ(FramePath("a%d.png", 7).CStr(), "a7.png");
    EXPECT_STREQ(FramePath("plain.png", 7).CStr(), "plain.png");
    testing_support::LogCapture log;
    EXPECT_STREQ(FramePath("a%s.png", 7).CStr(), "a%s.png"); // never a string directive
    EXPECT_STREQ(FramePath("a%d%d.png", 7).CStr(), "a%d%d.png");
    EXPECT_STREQ(FramePath("a%n.png", 7).CStr(), "a%n.png");
    // Directives too long for a whole format are not directives.
    EXPECT_STREQ(FramePath("a%------------d.png", 7).CStr(), "a%------------d.png");
    EXPECT_STREQ(FramePath("a%0123456789012d.png", 7).CStr(), "a%0123456789012d.png");
    EXPECT_STREQ(FramePath("a%-5d.png", 7).CStr(), "a7    .png");
}

TEST(ScreenCamera, PanTruncatesAndTheInverseMapsTheCursorBack) {
    SetDisplaySize(1024, 768);
    ResetScreenCamera();
    GetScreenCamera().pan = Vec2{0.6f, -0.6f};
    RebuildScreenCamera();
    EXPECT_FLOAT_EQ(GetScreenCamera().matrix.m[12], 512.0f);
    EXPECT_FLOAT_EQ(GetScreenCamera().matrix.m[13], 383.0f); // trunc(384 − 0.6)
    GetScreenCamera().extraZoom = Vec2{1.0f, 1.0f};
    RebuildScreenCamera();
    Vec2 scene = ScreenToScene(Vec2{612, 383});
    EXPECT_NEAR(scene.x, 50.0f, 1e-4);
    EXPECT_NEAR(scene.y, 0.0f, 1e-4);
    ResetScreenCamera();
    EXPECT_FLOAT_EQ(GetScreenCamera().baseZoom, 1.0f);
}

TEST_F(BitmapDrawing, DefaultBitmapDrawsItsSpriteWithoutBlending) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Bitmap* grey = Add("grey", "grey.tga", 0, 0);
    EXPECT_EQ(grey->BlendMode.FirstInt(), kBlendBlockCopy);
    DrawFrame();
    ASSERT_NE(grey->GetSprite(), nullptr);
    EXPECT_TRUE(Near(gl.ReadPixel(33, 25), 200, 200, 200)); // alpha ignored: block copy
    EXPECT_TRUE(Near(gl.ReadPixel(31, 25), 0, 0, 0));
}

TEST_F(BitmapDrawing, DepthDecidesWhatIsOnTopAndHiddenParentsHideChildren) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Bitmap* red = Add("red", "red.tga", 0, 0);
    Bitmap* blue = Add("blue", "half.tga", 0, 0);
    red->Position.SetFloat(2, 1.0f); // larger z draws later, on top
    blue->Position.SetFloat(2, -1.0f);
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(38, 26), 255, 0, 0));

    Bitmap* parent = Add("parent", "red.tga", -20, -20);
    Add("child", "red.tga", 30, 0, parent);
    parent->Visible.SetFirstBool(false);
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(13, 5), 0, 0, 0)); // the parent itself
    EXPECT_TRUE(Near(gl.ReadPixel(43, 5), 0, 0, 0)); // its visible child
}

TEST_F(BitmapDrawing, ColourAndAlphaAreInheritedThroughTheTree) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Bitmap* parent = Add("parent", "red.tga", -30, -20);
    parent->Color.SetFloat(3, 0.5f);
    Bitmap* child = Add("child", "red.tga", 20, 0, parent);
    child->BlendMode.SetFirstInt(kBlendAlphaBlend);
    child->Color.SetFloat(3, 0.5f);
    DrawFrame();
    // 255 × 0.25 over black.
    EXPECT_TRUE(Near(gl.ReadPixel(23, 5), 64, 0, 0, 3));
}

TEST_F(BitmapDrawing, NestedRotationScaleAndPivotPlaceThePicture) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Widget* frame = static_cast<Widget*>(scene.CreateElement("Widget"));
    frame->Rotation.SetFirstFloat(90.0f);
    Bitmap* bar = Add("bar", "red.tga", 0, 0, frame);
    bar->Scale.SetFloat(0, 2.0f); // 16 × 8 before rotation; 8 wide and 16 tall after
    bar->Pivot.SetFloat(1, 8.0f); // the bottom-left corner lands on the frame's origin
    DrawFrame();
    // Rotating by 90° turns +x into +y: the bar runs from the centre downwards,
    // covering x 32..40 of the screen.
    EXPECT_TRUE(Near(gl.ReadPixel(35, 30), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(35, 22), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(29, 30), 0, 0, 0));
}

TEST_F(BitmapDrawing, AlphaTestDrawsOpaqueAboveTheMask) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePicture("faint.tga", 8, 8, 0, 255, 0, 150);
    WritePicture("strong.tga", 8, 8, 0, 255, 0, 220);
    Bitmap* faint = Add("faint", "faint.tga", -20, 0);
    Bitmap* strong = Add("strong", "strong.tga", 10, 0);
    for (Bitmap* b : {faint, strong}) {
        b->BlendMode.SetFirstInt(kBlendAlphaTest);
        b->AlphaMask.SetFirstFloat(0.8f);
    }
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(14, 26), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(44, 26), 0, 255, 0));
}

TEST_F(BitmapDrawing, HitTestsFollowTransparentPixelsOfRotatedBitmaps) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Bitmap* half = Add("half", "half.tga", 0, 0);
    half->Rotation.SetFirstFloat(180.0f); // the clear left half now lies right of x = −4
    DrawFrame();
    EXPECT_TRUE(half->HitTest(Vec2{-6.5f, -4.5f}));
    EXPECT_FALSE(half->HitTest(Vec2{-1.5f, -4.5f}));
    EXPECT_FALSE(half->HitTest(Vec2{3.0f, 3.0f}));
    EXPECT_TRUE(scene.HitTest(Vec2{-6.5f, -4.5f}));
    half->noHit = true;
    EXPECT_FALSE(scene.HitTest(Vec2{-6.5f, -4.5f}));
}

TEST_F(BitmapDrawing, FrameIndexPicksTheFileAndAMissingFileDrawsNothing) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePicture("key07.tga", 8, 8, 0, 0, 255, 255);
    Bitmap* key = Add("key", "key%02d.tga", 0, 0);
    DrawFrame();
    EXPECT_EQ(key->GetSprite(), nullptr);
    key->FrameIndex.SetFirstInt(7);
    DrawFrame();
    ASSERT_NE(key->GetSprite(), nullptr);
    EXPECT_TRUE(Near(gl.ReadPixel(34, 26), 0, 0, 255));
}

TEST_F(BitmapDrawing, GlowCopyIsAHaloAroundTheSource) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    Bitmap* source = Add("source", "red.tga", 0, 0);
    DrawFrame();
    Bitmap* glow = MakeGlowCopy(*source);
    ASSERT_NE(glow, nullptr);
    ASSERT_NE(glow->GetSprite(), nullptr);
    EXPECT_EQ(glow->GetSprite()->Width(), 28);
    EXPECT_FLOAT_EQ(glow->Position.GetFloat(0), -10.0f);
    float centre[4];
    ASSERT_TRUE(glow->GetSprite()->PixelColor(14, 14, centre));
    // The halo is carried in the colour (the blur leaves every alpha opaque).
    EXPECT_NEAR(centre[0], 64.0f / 441.0f, 0.01f); // 8 × 8 opaque pixels in a 21 × 21 box
    float corner[4];
    ASSERT_TRUE(glow->GetSprite()->PixelColor(0, 0, corner));
    EXPECT_LT(corner[0], centre[0] / 4);
    // Path changes no longer replace the halo.
    glow->SpritePath.SetFirstString("half.tga");
    scene.Update();
    EXPECT_EQ(glow->GetSprite()->Width(), 28);
}

// The glow is light added to what lies behind it: its dark margin leaves the
// picture below unchanged, even for a source drawn with alpha blending.
TEST_F(BitmapDrawing, GlowCopyAddsLightOverWhatLiesBehind) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePicture("green.tga", 64, 48, 0, 160, 0, 255);
    Bitmap* back = Add("back", "green.tga", -32, -24);
    back->Position.SetFloat(2, -5.0f);
    Bitmap* source = Add("source", "red.tga", 0, 0);
    source->BlendMode.SetFirstInt(kBlendAlphaBlend);
    DrawFrame();
    Bitmap* glow = MakeGlowCopy(*source);
    ASSERT_NE(glow, nullptr);
    glow->Position.SetFloat(2, 1.0f);
    DrawFrame();
    EXPECT_TRUE(Near(gl.ReadPixel(23, 15), 0, 160, 0, 12)); // the halo's corner, over the green
    EXPECT_GT(gl.ReadPixel(36, 28).g, 20);                  // over the red source: light added
}

