// The game cursor: sprites and hot spots from the settings by kind and
// world, the exit cursor kept inside the picture, the fade, the start-up
// configuration, and drawing at the pointer in picture pixels.
#include "ui/Cursor.h"
#include "core/Element.h"
#include "core/EngineState.h"
#include "core/FrameTime.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"
#include "ui/InputManagerCallback.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

void WritePicture(const char* path, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = 255;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

// The cursor settings as the game declares them: two sprite paths per kind
// and ten hot-spot floats.
class CursorSettings : public Element {
    ENGINE_CLASS(CursorSettings, Element)

public:
    CursorSettings() {
        DeclareString("CursorConfigPath", CursorConfigPath, 1, this, "config/cursor.config");
        DeclareString("Cursor_Default", Default, 2, this, "");
        Default.SetString(0, "default0.tga");
        Default.SetString(1, "default1.tga");
        DeclareString("Cursor_Link", Link, 1, this, "link0.tga");
        DeclareString("Cursor_Exit", Exit, 2, this, "exit.tga");
        DeclareFloat("Cursor_Hotspots", Hotspots, 10, this, 0.0f);
        for (int i = 0; i < 10; ++i) {
            Hotspots.SetFloat(i, static_cast<float>(i + 1));
        }
    }
    Var CursorConfigPath;
    Var Default;
    Var Link;
    Var Exit;
    Var Hotspots;
};

class CursorTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        InstallRenderResourceLoaders();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        WritePicture("default0.tga", 16, 16, 255, 0, 0);
        WritePicture("default1.tga", 16, 16, 0, 255, 0);
        WritePicture("link0.tga", 16, 16, 0, 0, 255);
        WritePicture("exit.tga", 32, 32, 255, 255, 0);
        SetDisplaySize(1024, 768);
        globals = &settings;
        GetInputManager().Install();
    }

    void MoveTo(int x, int y) {
        GetInputManager().OnMouseMove(x, y);
        cursor.Update();
    }

    CursorSettings settings;
    Cursor cursor;
};

} // namespace

TEST_F(CursorTest, KindAndWorldChooseTheSpriteAndTheHotSpot) {
    cursor.SetKind(kCursorDefault, false);
    ASSERT_NE(cursor.sprite, nullptr);
    EXPECT_EQ(cursor.sprite->Name(), String("default0.tga"));
    EXPECT_FLOAT_EQ(cursor.hotspotX, 1.0f);
    EXPECT_FLOAT_EQ(cursor.hotspotY, 2.0f);
    cursor.SetKind(kCursorDefault, true);
    ASSERT_NE(cursor.sprite, nullptr);
    EXPECT_EQ(cursor.sprite->Name(), String("default1.tga"));
    cursor.SetKind(kCursorLink, false);
    EXPECT_FLOAT_EQ(cursor.hotspotX, 3.0f);
    EXPECT_FLOAT_EQ(cursor.hotspotY, 4.0f);
    EXPECT_EQ(cursor.clampedSprite, nullptr);
    // The link cursor has no second-world entry: no sprite, nothing drawn.
    cursor.SetKind(kCursorLink, true);
    EXPECT_EQ(cursor.sprite, nullptr);
    EXPECT_FALSE(cursor.HasSprite());
    // Kinds without a setting read hot spots only; out-of-range kinds are ignored.
    cursor.SetKind(kCursorInfo, false);
    EXPECT_FLOAT_EQ(cursor.hotspotX, 9.0f);
    EXPECT_FLOAT_EQ(cursor.hotspotY, 10.0f);
    cursor.SetKind(7, false);
    EXPECT_FLOAT_EQ(cursor.hotspotX, 9.0f);
}

TEST_F(CursorTest, TheExitCursorStaysWhollyInsideThePictureOthersMayHangOut) {
    cursor.SetKind(kCursorExit, false);
    ASSERT_NE(cursor.sprite, nullptr);
    EXPECT_EQ(cursor.clampedSprite, cursor.sprite);
    float x = 0.0f;
    float y = 0.0f;
    MoveTo(1020, 766); // hot spot (5, 6), sprite 32 x 32
    cursor.DrawPosition(x, y);
    EXPECT_FLOAT_EQ(x, 1024.0f - 32.0f);
    EXPECT_FLOAT_EQ(y, 768.0f - 32.0f);
    MoveTo(2, 3);
    cursor.DrawPosition(x, y);
    EXPECT_FLOAT_EQ(x, 0.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    MoveTo(500, 400);
    cursor.DrawPosition(x, y);
    EXPECT_FLOAT_EQ(x, 495.0f);
    EXPECT_FLOAT_EQ(y, 394.0f);
    cursor.SetKind(kCursorDefault, false);
    MoveTo(1020, 2);
    cursor.DrawPosition(x, y);
    EXPECT_FLOAT_EQ(x, 1019.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    MoveTo(0, 0);
    cursor.DrawPosition(x, y);
    EXPECT_FLOAT_EQ(x, -1.0f);
    EXPECT_FLOAT_EQ(y, -2.0f);
}

TEST_F(CursorTest, AlphaFadesAnEighthOfASecondEachWayAndTheDeltaFollowsThePointer) {
    frameTime = 0.05f;
    cursor.Show(true);
    MoveTo(10, 20);
    EXPECT_NEAR(cursor.alpha, 0.4f, 1e-6f);
    MoveTo(13, 16);
    EXPECT_NEAR(cursor.alpha, 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(cursor.deltaX, 3.0f);
    EXPECT_FLOAT_EQ(cursor.deltaY, -4.0f);
    EXPECT_FLOAT_EQ(cursor.previousX, 10.0f);
    MoveTo(13, 16);
    EXPECT_FLOAT_EQ(cursor.alpha, 1.0f);
    EXPECT_FLOAT_EQ(cursor.deltaX, 0.0f);
    cursor.Show(false);
    cursor.Update();
    EXPECT_NEAR(cursor.alpha, 0.6f, 1e-6f);
    for (int i = 0; i < 5; ++i) {
        cursor.Update();
    }
    EXPECT_FLOAT_EQ(cursor.alpha, 0.0f);
}

TEST_F(CursorTest, TheConfigurationNamesTheFirstSpriteAndItsHotSpot) {
    LogCapture log;
    EXPECT_FALSE(cursor.LoadConfig());
    EXPECT_TRUE(log.Contains("config/cursor.config"));
    ASSERT_TRUE(WriteFile("config/cursor.config", "Sprite = missing.tga;\n"));
    EXPECT_FALSE(cursor.LoadConfig());
    EXPECT_TRUE(log.Contains("missing.tga"));
    EXPECT_FALSE(cursor.visible);
    EXPECT_EQ(cursor.sprite, nullptr);
    // The path comes from the settings; missing hot-spot keys give 0.
    settings.CursorConfigPath.SetFirstString("config/other.config");
    ASSERT_TRUE(WriteFile("config/other.config", "Sprite = link0.tga;\nHotspot.y = 4.5;\n"));
    ASSERT_TRUE(cursor.LoadConfig());
    ASSERT_NE(cursor.sprite, nullptr);
    EXPECT_EQ(cursor.sprite->Name(), String("link0.tga"));
    EXPECT_FLOAT_EQ(cursor.hotspotX, 0.0f);
    EXPECT_FLOAT_EQ(cursor.hotspotY, 4.5f);
    EXPECT_TRUE(cursor.visible);
}

TEST_F(CursorTest, DrawsAtThePointerMinusTheHotSpotWhateverTheCamera) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    SetDisplaySize(64, 48);
    RenderStack::SetProjectionMatrix(MakeScreenProjection(64, 48));
    // A scene camera that would move anything it applied to.
    RenderStack::SetCameraMatrix(Matrix4::Translation(32.0f, 24.0f, 0.0f));
    cursor.SetKind(kCursorDefault, false); // 16 x 16 red, hot spot (1, 2)
    cursor.Show(true);
    frameTime = 1.0f;
    MoveTo(11, 12);
    RenderStack::SetColor(0.0f, 0.0f, 0.0f, 1.0f); // the clear colour
    ClearScreen();
    cursor.Draw();
    EXPECT_EQ(RenderStack::Top(), 0);
    const auto inside = gl.ReadPixel(10, 10);
    EXPECT_GT(inside.r, 200);
    EXPECT_LT(inside.g, 50);
    EXPECT_LT(gl.ReadPixel(9, 10).r, 50);
    EXPECT_LT(gl.ReadPixel(10, 9).r, 50);
    EXPECT_GT(gl.ReadPixel(25, 25).r, 200);
    EXPECT_LT(gl.ReadPixel(26, 26).r, 50);
    // Hidden and faded out: nothing drawn.
    cursor.Show(false);
    cursor.Update();
    ClearScreen();
    cursor.Draw();
    EXPECT_LT(gl.ReadPixel(12, 12).r, 50);
}
