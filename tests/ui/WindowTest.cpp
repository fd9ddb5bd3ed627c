// Windows drawn on real pixels: the frame's corners and tiled edges around
// the tiled background, and a text window's wrapped text inside its frame.
#include "ui/TextWindow.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "render/ScreenFrame.h"
#include "render/WidgetRenderer.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

using testing_support::Rgba;

namespace {

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};
constexpr Rgba kWhite{255, 255, 255, 255}, kYellow{255, 255, 0, 255}, kCyan{0, 255, 255, 255};
constexpr Rgba kMagenta{255, 0, 255, 255}, kGrey{128, 128, 128, 255}, kBlack{0, 0, 0, 255};

// A w × h TGA whose pixel (x, y) is `pixel(x, y)`.
void WritePicture(const std::string& path, uint32_t w, uint32_t h, const std::function<Rgba(int, int)>& pixel) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const Rgba p = pixel(int(x), int(y));
            uint8_t* out = image.PixelAt(x, y);
            out[0] = p.b;
            out[1] = p.g;
            out[2] = p.r;
            out[3] = p.a;
        }
    }
    ASSERT_TRUE(image.SaveTga(path.c_str()));
}

void WriteSolid(const std::string& path, uint32_t w, uint32_t h, Rgba colour) {
    WritePicture(path, w, h, [colour](int, int) { return colour; });
}

bool Is(Rgba p, Rgba expected) {
    return std::abs(p.r - expected.r) <= 2 && std::abs(p.g - expected.g) <= 2 && std::abs(p.b - expected.b) <= 2;
}

// Pieces: corners 4 × 4, edge tiles 2 wide (top, bottom) and 3 high (left,
// right). The top tile's columns are green then blue and the left tile's
// rows yellow, yellow, cyan, so tiling (and not stretching) shows as a
// repeating pattern. The background pieces are grey round a magenta middle.
class WindowDrawing : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        InstallWidgetRenderer();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
    }

    void WritePieces() {
        WriteSolid("TL.tga", 4, 4, kRed);
        WritePicture("T.tga", 2, 4, [](int x, int) { return x == 0 ? kGreen : kBlue; });
        WriteSolid("TR.tga", 4, 4, kWhite);
        WritePicture("L.tga", 4, 3, [](int, int y) { return y < 2 ? kYellow : kCyan; });
        WritePicture("R.tga", 4, 3, [](int, int y) { return y < 2 ? kYellow : kCyan; });
        WriteSolid("BL.tga", 4, 4, kBlue);
        WritePicture("B.tga", 2, 4, [](int x, int) { return x == 0 ? kGreen : kBlue; });
        WriteSolid("BR.tga", 4, 4, kGreen);
        for (const char* corner : {"TL", "TR", "BL", "BR"}) {
            WriteSolid(std::string("fill_") + corner + ".tga", 4, 4, kGrey);
        }
        WriteSolid("fill_T.tga", 2, 4, kGrey);
        WriteSolid("fill_B.tga", 2, 4, kGrey);
        WriteSolid("fill_L.tga", 4, 3, kGrey);
        WriteSolid("fill_R.tga", 4, 3, kGrey);
        WriteSolid("fill_BG.tga", 2, 3, kMagenta);
    }

    template <typename T> T* Add(const char* className, float x, float y) {
        auto* window = static_cast<T*>(scene.CreateElement(className));
        const char* pieces[] = {"TL", "T", "TR", "L", "R", "BL", "B", "BR"};
        for (int32_t i = 0; i < Window::kSegmentCount; ++i) {
            window->segments.SetString(i, (std::string(pieces[i]) + ".tga").c_str());
            window->backgrounds.SetString(i, (std::string("fill_") + pieces[i] + ".tga").c_str());
        }
        window->backgrounds.SetString(8, "fill_BG.tga");
        window->Position.SetFloat(0, x);
        window->Position.SetFloat(1, y);
        return window;
    }

    // Scene (0, 0) is the centre of the screen: pixel (32, 24) of 64 × 48.
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

} // namespace

TEST_F(WindowDrawing, CornersSitAtTheEdgesAndTheEdgesAndMiddleAreTiledNotStretched) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePieces();
    // Three tiles across, two down: 4 + 3 × 2 + 4 = 14 wide, 4 + 2 × 3 + 4 = 14 high,
    // its top-left at pixel (22, 14).
    Window* window = Add<Window>("Window", -10.0f, -10.0f);
    window->area.SetInt(0, 3);
    window->area.SetInt(1, 2);
    DrawFrame();
    EXPECT_EQ(window->InteriorWidth(), 6);
    EXPECT_EQ(window->InteriorHeight(), 6);
    const int left = 22, top = 14;
    EXPECT_TRUE(Is(gl.ReadPixel(left, top), kRed));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 3, top + 3), kRed));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 10, top), kWhite)) << "top-right corner after three top tiles";
    EXPECT_TRUE(Is(gl.ReadPixel(left + 13, top + 3), kWhite));
    EXPECT_TRUE(Is(gl.ReadPixel(left, top + 10), kBlue)) << "bottom-left corner after two left tiles";
    EXPECT_TRUE(Is(gl.ReadPixel(left + 13, top + 13), kGreen));
    EXPECT_TRUE(Is(gl.ReadPixel(left - 1, top), kBlack));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 14, top + 13), kBlack));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 13, top + 14), kBlack));
    // The top and bottom edges repeat green, blue three times; the sides yellow, yellow, cyan twice.
    for (int tile = 0; tile < 3; ++tile) {
        const int x = left + 4 + 2 * tile;
        EXPECT_TRUE(Is(gl.ReadPixel(x, top + 1), kGreen)) << tile;
        EXPECT_TRUE(Is(gl.ReadPixel(x + 1, top + 1), kBlue)) << tile;
        EXPECT_TRUE(Is(gl.ReadPixel(x, top + 12), kGreen)) << tile;
        EXPECT_TRUE(Is(gl.ReadPixel(x + 1, top + 12), kBlue)) << tile;
    }
    for (int tile = 0; tile < 2; ++tile) {
        const int y = top + 4 + 3 * tile;
        for (int x : {left + 1, left + 12}) {
            EXPECT_TRUE(Is(gl.ReadPixel(x, y + 1), kYellow)) << tile;
            EXPECT_TRUE(Is(gl.ReadPixel(x, y + 2), kCyan)) << tile;
        }
    }
    // The middle is the background's centre piece, edge to edge.
    EXPECT_TRUE(Is(gl.ReadPixel(left + 4, top + 4), kMagenta));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 9, top + 9), kMagenta));

    // Without the frame the border cells show their background pieces.
    window->drawFrame.SetFirstBool(false);
    DrawFrame();
    EXPECT_TRUE(Is(gl.ReadPixel(left, top), kGrey));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 5, top + 1), kGrey));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 13, top + 13), kGrey));
    EXPECT_TRUE(Is(gl.ReadPixel(left + 6, top + 6), kMagenta));
}

TEST_F(WindowDrawing, ATextWindowWrapsItsTextInsideTheFrameInItsColour) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePieces();
    // 'A' is a solid 4 × 4 cell advancing 5; a blank 5; lines 5 apart.
    WriteSolid("glyphs.tga", 4, 4, kWhite);
    ASSERT_TRUE(testing_support::WriteFile("f.config", "ImagePath = glyphs.tga;\nHeight = 5;\nSpaceWidth = 5;\n"
                                                       "Glyph = 65 5;\n"));
    // Eight tiles across (16 pixels), four down (12): "AA AA" is 25 wide, so it
    // wraps into two lines "AA" of 10, each centred 3 pixels into the middle.
    TextWindow* window = Add<TextWindow>("TextWindow", -20.0f, -16.0f);
    window->area.SetInt(0, 8);
    window->area.SetInt(1, 4);
    window->font.SetFirstString("f.config");
    window->text.SetFirstString("AA AA");
    window->alignment.SetInt(0, 1);
    for (int32_t i = 0; i < 4; ++i) {
        window->textColor.SetFloat(i, i == 0 || i == 3 ? 1.0f : 0.0f); // red
    }
    DrawFrame();
    ASSERT_TRUE(window->LayoutFits());
    ASSERT_EQ(window->Lines().lines.size(), 2u);
    // The window's top-left is pixel (12, 8); the middle starts 4 further in.
    const int middleX = 12 + 4, middleY = 8 + 4;
    for (int line = 0; line < 2; ++line) {
        const int y = middleY + 5 * line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 2, y + 1), kMagenta)) << "left of line " << line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 3, y), kRed)) << "first glyph of line " << line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 6, y + 3), kRed)) << line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 7, y + 1), kMagenta)) << "between the glyphs of line " << line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 8, y + 1), kRed)) << "second glyph of line " << line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 12, y + 1), kMagenta)) << "right of line " << line;
        EXPECT_TRUE(Is(gl.ReadPixel(middleX + 3, y + 4), kMagenta)) << "below line " << line;
    }
    EXPECT_TRUE(Is(gl.ReadPixel(middleX + 2, middleY - 1), kGreen)) << "the frame above is untouched";
}
