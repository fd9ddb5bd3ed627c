// Sprites drawn into a real GL context under Xvfb and read back pixel by
// pixel: blend modes, colour modulation, filtering, brightness, texture
// slots and their eviction, pixel queries and hit tests.
#include "render/Sprite.h"
#include "render/BlendMode.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Texture.h"
#include "support/GlTestContext.h"
#include "support/PictureCompare.h"
#include "support/TestEnvironment.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

using testing_support::LogCapture;
using testing_support::Rgba;

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;

struct Bgra {
    uint8_t b, g, r, a;
};

void Fill(Sprite& sprite, Bgra color) {
    uint8_t* pixel = sprite.Pixels();
    for (int i = 0; i < sprite.Width() * sprite.Height(); ++i, pixel += 4) {
        pixel[0] = color.b;
        pixel[1] = color.g;
        pixel[2] = color.r;
        pixel[3] = color.a;
    }
}

void SetPixel(Sprite& sprite, int x, int y, Bgra color) {
    uint8_t* pixel = sprite.Pixels() + (y * sprite.Width() + x) * 4;
    pixel[0] = color.b;
    pixel[1] = color.g;
    pixel[2] = color.r;
    pixel[3] = color.a;
}

std::unique_ptr<Sprite> MakeSprite(int width, int height, Bgra color) {
    auto sprite = std::make_unique<Sprite>();
    EXPECT_TRUE(sprite->Create(width, height));
    Fill(*sprite, color);
    return sprite;
}

/// Screen projection, blue background, white colour, the default AlphaBlend.
void BeginScreen() {
    RenderStack::SetProjectionMatrix(MakeScreenProjection(kWidth, kHeight));
    RenderStack::SetColor(0, 0, 1, 1);
    ClearScreen();
    RenderStack::SetColor(1, 1, 1, 1);
}

void DrawAt(Sprite& sprite, float x, float y) {
    RenderStackScope scope;
    RenderStack::SetModelMatrix(Matrix4::Translation(x, y, 0));
    sprite.Draw();
}

constexpr testing_support::NearColour Near{2};

} // namespace

TEST(SpriteDraw, EachBlendModeCombinesWithTheBackgroundAsDocumented) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    // Half-transparent red on blue; pixel 1 of the AlphaTest sprite is below
    // the reference.
    auto halfRed = MakeSprite(4, 4, Bgra{0, 0, 255, 128});
    auto testPair = MakeSprite(2, 1, Bgra{0, 0, 255, 140});
    SetPixel(*testPair, 1, 0, Bgra{0, 0, 255, 120});

    struct Case {
        int32_t mode;
        int r, g, b;
    };
    const Case cases[] = {{kBlendBlockCopy, 255, 0, 0},
                          {kBlendAlphaBlend, 128, 0, 127},
                          {kBlendAlphaAdd, 128, 0, 255},
                          {kBlendHighlight, 128, 0, 127},
                          {kBlendOutline, 128, 0, 127},
                          {kBlendAlphaWrite, 128, 0, 127},
                          {kBlendDelta, 128, 0, 127},
                          {kBlendRefract, 128, 0, 127},
                          {kBlendColorize, 128, 0, 127},
                          {kBlendDesaturate, 128, 0, 127},
                          {kBlendRainbowGlow, 128, 0, 127},
                          {kBlendIntensify, 128, 0, 127},
                          {kBlendStencilRead, 128, 0, 127},
                          {kBlendStencilWrite, 128, 0, 127},
                          {99, 128, 0, 127},
                          {-1, 128, 0, 127}};
    int column = 0;
    for (const Case& c : cases) {
        const float x = float(column * 6);
        {
            RenderStackScope scope;
            RenderStack::SetBlendMode(c.mode);
            DrawAt(*halfRed, x, 0);
        }
        EXPECT_TRUE(Near(gl.ReadPixel(int(x) + 1, 1), c.r, c.g, c.b)) << "mode " << c.mode;
        ++column;
    }
    {
        RenderStackScope scope;
        RenderStack::SetBlendMode(kBlendAlphaTest);
        RenderStack::SetAlphaRef(0.5f);
        DrawAt(*testPair, 10, 20);
    }
    EXPECT_TRUE(Near(gl.ReadPixel(10, 20), 255, 0, 0)) << "alpha 140 passes the test, unblended";
    EXPECT_TRUE(Near(gl.ReadPixel(11, 20), 0, 0, 255)) << "alpha 120 is discarded";
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST(SpriteDraw, CurrentColourModulatesEveryTexel) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    auto white = MakeSprite(3, 3, Bgra{255, 255, 255, 255});
    RenderStack::SetColor(1.0f, 0.5f, 0.0f, 1.0f);
    DrawAt(*white, 20, 30);
    EXPECT_TRUE(Near(gl.ReadPixel(21, 31), 255, 128, 0));
    // Half the alpha blends half of it over the blue background.
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 0.5f);
    DrawAt(*white, 40, 30);
    EXPECT_TRUE(Near(gl.ReadPixel(41, 31), 128, 128, 255));
}

TEST(SpriteDraw, PictureLandsWithItsTopLeftAtTheOriginRowsTopFirst) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    RenderStack::SetBlendMode(kBlendBlockCopy);
    auto sprite = MakeSprite(3, 2, Bgra{0, 0, 0, 255});
    SetPixel(*sprite, 0, 0, Bgra{0, 0, 255, 255});
    SetPixel(*sprite, 2, 1, Bgra{0, 255, 0, 255});
    DrawAt(*sprite, 50, 60);
    EXPECT_TRUE(Near(gl.ReadPixel(50, 60), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(52, 61), 0, 255, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(51, 60), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(53, 60), 0, 0, 255)) << "right of the picture";
    EXPECT_TRUE(Near(gl.ReadPixel(50, 62), 0, 0, 255)) << "below the picture";
    EXPECT_TRUE(sprite->WasDrawn());
}

TEST(SpriteDraw, ScaledDrawSwitchesToLinearFilteringTranslationKeepsNearest) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    RenderStack::SetBlendMode(kBlendBlockCopy);
    // Black and white texels side by side.
    auto nearest = MakeSprite(2, 1, Bgra{0, 0, 0, 255});
    SetPixel(*nearest, 1, 0, Bgra{255, 255, 255, 255});
    auto linear = MakeSprite(2, 1, Bgra{0, 0, 0, 255});
    SetPixel(*linear, 1, 0, Bgra{255, 255, 255, 255});

    DrawAt(*nearest, 10.5f, 3);
    EXPECT_FALSE(TextureSlotIsLinear(nearest->Slot()));
    {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(10, 40, 0) * Matrix4::Scaling(16, 2, 1));
        linear->Draw();
    }
    EXPECT_TRUE(TextureSlotIsLinear(linear->Slot()));
    EXPECT_FALSE(TextureSlotIsLinear(nearest->Slot()));
    // Between the texel centres (x 18 … 26 on screen) linear filtering gives
    // greys; nearest would give only 0 or 255.
    int greys = 0;
    for (int x = 18; x < 26; ++x) {
        const uint8_t value = gl.ReadPixel(x, 40).r;
        greys += (value > 20 && value < 235) ? 1 : 0;
    }
    EXPECT_GE(greys, 4);
    // Once linear, a plain translated draw keeps it until the texture goes.
    DrawAt(*linear, 60, 60);
    EXPECT_TRUE(TextureSlotIsLinear(linear->Slot()));
    EvictUnusedTextures(false);
    DrawAt(*linear, 60, 60);
    EXPECT_FALSE(TextureSlotIsLinear(linear->Slot()));
}

TEST(SpriteDraw, ScaledPictureEdgesDoNotBleedFromTheOppositeEdge) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    RenderStack::SetBlendMode(kBlendBlockCopy);
    // A texture exactly as wide as the picture: its left edge lies beside
    // its right edge when the texture wraps around.
    auto sprite = MakeSprite(2, 1, Bgra{0, 0, 0, 255});
    SetPixel(*sprite, 1, 0, Bgra{255, 255, 255, 255});
    {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(10, 40, 0) * Matrix4::Scaling(16, 2, 1));
        sprite->Draw();
    }
    ASSERT_TRUE(TextureSlotIsLinear(sprite->Slot()));
    EXPECT_TRUE(Near(gl.ReadPixel(10, 40), 0, 0, 0, 8));
    EXPECT_TRUE(Near(gl.ReadPixel(41, 40), 255, 255, 255, 8));
}

TEST(SpriteDraw, BrightnessShiftsColourChannelsAtUploadAndClamps) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    RenderStack::SetBlendMode(kBlendBlockCopy);
    auto sprite = MakeSprite(2, 1, Bgra{100, 100, 100, 255});
    SetPixel(*sprite, 1, 0, Bgra{250, 30, 10, 255});

    sprite->SetBrightness(0.5f);
    DrawAt(*sprite, 0, 0);
    EXPECT_TRUE(Near(gl.ReadPixel(0, 0), 132, 132, 132, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(1, 0), 42, 62, 255, 0));

    // With a texture, a brightness change shows only after a forced upload.
    sprite->SetBrightness(-1.0f);
    EXPECT_FALSE(sprite->Upload(false));
    DrawAt(*sprite, 0, 0);
    EXPECT_TRUE(Near(gl.ReadPixel(0, 0), 132, 132, 132, 0));
    EXPECT_TRUE(sprite->Upload(true));
    DrawAt(*sprite, 0, 0);
    EXPECT_TRUE(Near(gl.ReadPixel(0, 0), 36, 36, 36, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(1, 0), 0, 0, 186, 0));
    // The kept pixels never change; alpha is not shifted.
    float rgba[4];
    ASSERT_TRUE(sprite->PixelColor(0, 0, rgba));
    EXPECT_FLOAT_EQ(rgba[0], 100.0f / 255.0f);
    sprite->SetBrightness(7.0f);
    EXPECT_FLOAT_EQ(sprite->Brightness(), 1.0f);
}

TEST(SpriteTextures, SizesRoundUpToPowersOfTwoUpTo1024) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    auto wide = MakeSprite(1000, 600, Bgra{0, 0, 0, 255});
    ASSERT_TRUE(wide->Upload(false));
    EXPECT_EQ(wide->TexWidth(), 1024);
    EXPECT_EQ(wide->TexHeight(), 1024);
    EXPECT_NEAR(wide->UMax(), 0.977f, 0.001f);
    EXPECT_NEAR(wide->VMax(), 0.586f, 0.001f);
    EXPECT_FALSE(wide->IsDirty());

    auto tiny = MakeSprite(1, 1, Bgra{0, 0, 0, 255});
    ASSERT_TRUE(tiny->Upload(false));
    EXPECT_EQ(tiny->TexWidth(), 1);
    EXPECT_EQ(tiny->TexHeight(), 1);

    LogCapture log;
    auto tooWide = MakeSprite(1025, 10, Bgra{0, 0, 255, 255});
    EXPECT_FALSE(tooWide->Upload(false));
    BeginScreen();
    tooWide->SetName("pictures/too_wide.png");
    DrawAt(*tooWide, 0, 0);
    DrawAt(*tooWide, 0, 0);
    EXPECT_EQ(tooWide->Slot(), -1);
    EXPECT_TRUE(Near(gl.ReadPixel(5, 5), 0, 0, 255)) << "nothing drawn";
    ASSERT_EQ(log.Lines().size(), 1u) << "reported once per sprite";
    EXPECT_TRUE(log.Contains("1025x10"));
}

TEST(SpriteTextures, The129thSpriteOfAFrameGetsNoTexture) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    std::vector<std::unique_ptr<Sprite>> sprites;
    for (int i = 0; i < 129; ++i) {
        sprites.push_back(MakeSprite(1, 1, Bgra{0, 255, 0, 255}));
    }
    LogCapture log;
    for (int i = 0; i < 128; ++i) {
        DrawAt(*sprites[i], float(i % 64), float(i / 64));
        ASSERT_EQ(sprites[i]->Slot(), i) << "slots are taken lowest first";
    }
    Sprite& last = *sprites[128];
    DrawAt(last, 10, 50);
    DrawAt(last, 10, 50);
    EXPECT_EQ(last.Slot(), -1);
    EXPECT_TRUE(Near(gl.ReadPixel(10, 50), 0, 0, 255)) << "the 129th draws nothing";
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("128 texture slots"));
    EXPECT_EQ(UsedTextureSlots(), 128);

    // Next frame only the 129th is drawn; the others' textures stay until the
    // pass after a frame in which they were not drawn.
    EvictUnusedTextures(true);
    DrawAt(last, 10, 50);
    EXPECT_EQ(last.Slot(), -1);
    EvictUnusedTextures(true);
    EXPECT_EQ(UsedTextureSlots(), 0);
    DrawAt(last, 10, 50);
    EXPECT_EQ(last.Slot(), 0);
    EXPECT_TRUE(Near(gl.ReadPixel(10, 50), 0, 255, 0));
}

TEST(SpriteTextures, UndrawnSpriteLosesItsTextureAndUploadsAgainOnDraw) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    RenderStack::SetBlendMode(kBlendBlockCopy);
    auto sprite = MakeSprite(2, 2, Bgra{0, 0, 255, 255});
    DrawAt(*sprite, 5, 5);
    const int32_t slot = sprite->Slot();
    ASSERT_GE(slot, 0);
    EXPECT_EQ(TextureSlotOwner(slot), sprite.get());

    EvictUnusedTextures(true); // drawn this frame: kept, mark cleared
    EXPECT_EQ(sprite->Slot(), slot);
    EXPECT_FALSE(sprite->WasDrawn());

    // A pixel change alone does not reach a texture that exists.
    Fill(*sprite, Bgra{0, 255, 0, 255});
    sprite->MarkPixelsChanged();
    DrawAt(*sprite, 5, 5);
    EXPECT_TRUE(Near(gl.ReadPixel(5, 5), 255, 0, 0));

    EvictUnusedTextures(true);
    EvictUnusedTextures(true); // not drawn in between: gone
    EXPECT_EQ(sprite->Slot(), -1);
    EXPECT_TRUE(sprite->IsDirty());
    EXPECT_EQ(TextureSlotOwner(slot), nullptr);
    DrawAt(*sprite, 5, 5);
    EXPECT_GE(sprite->Slot(), 0);
    EXPECT_FALSE(sprite->IsDirty());
    EXPECT_TRUE(Near(gl.ReadPixel(5, 5), 0, 255, 0)) << "uploaded again from the kept pixels";

    EvictUnusedTextures(false);
    EXPECT_EQ(sprite->Slot(), -1);
    EXPECT_EQ(UsedTextureSlots(), 0);
}

TEST(SpriteTextures, ReleaseAndDestructionFreeTheSlot) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    BeginScreen();
    auto first = MakeSprite(2, 2, Bgra{0, 0, 0, 255});
    auto second = MakeSprite(2, 2, Bgra{0, 0, 0, 255});
    first->Draw();
    second->Draw();
    EXPECT_EQ(UsedTextureSlots(), 2);
    const GLuint name = first->TextureName();
    EXPECT_TRUE(glIsTexture(name));
    first->Release();
    EXPECT_EQ(first->Width(), 0);
    EXPECT_EQ(first->Pixels(), nullptr);
    EXPECT_FALSE(glIsTexture(name));
    first->Draw(); // no pixels: nothing, no texture
    EXPECT_EQ(first->Slot(), -1);
    second.reset();
    EXPECT_EQ(UsedTextureSlots(), 0);
    EvictUnusedTextures(true); // no dangling owner left behind
}

TEST(SpriteCreate, FromImagesPlacedCanvasesAndDeltaImages) {
    Image image;
    ASSERT_TRUE(image.Create(2, 2));
    for (int i = 0; i < 16; ++i) {
        image.Pixels()[i] = uint8_t(i + 1);
    }
    Sprite sprite;
    ASSERT_TRUE(sprite.CreateFromImage(image));
    EXPECT_EQ(sprite.Width(), 2);
    EXPECT_TRUE(sprite.IsDirty());
    EXPECT_EQ(std::memcmp(sprite.Pixels(), image.Pixels(), 16), 0);

    ASSERT_TRUE(sprite.CreatePlaced(4, 3, image, 2, 1));
    EXPECT_EQ(sprite.Width(), 4);
    EXPECT_EQ(sprite.Height(), 3);
    float rgba[4];
    ASSERT_TRUE(sprite.PixelColor(2, 1, rgba));
    EXPECT_FLOAT_EQ(rgba[2], 1.0f / 255.0f) << "blue of the image's first pixel";
    ASSERT_TRUE(sprite.PixelColor(1, 1, rgba));
    EXPECT_FLOAT_EQ(rgba[3], 0.0f) << "the canvas around is transparent";
    EXPECT_FALSE(sprite.CreatePlaced(4, 3, image, 3, 1)) << "one column too far right";
    EXPECT_FALSE(sprite.CreatePlaced(4, 3, image, 0, 2)) << "one row too low";
    EXPECT_FALSE(sprite.CreatePlaced(4, 3, image, -1, 0));
    EXPECT_EQ(sprite.Width(), 0);

    // A delta file of a 4 × 2 picture with two pixels at the start of the
    // bottom row: the sprite gets the full picture, transparent elsewhere.
    std::string delta;
    auto word16 = [&](uint16_t v) { delta.append({char(v & 0xFF), char(v >> 8)}); };
    auto word32 = [&](uint32_t v) { word16(uint16_t(v & 0xFFFF)), word16(uint16_t(v >> 16)); };
    word16(4), word16(2), word32(2), word32(0), word32(0xFF0000FF), word32(0xFF00FF00);
    delta += "VARNO-DELTA-FILE";
    delta.append(2, '\0');
    Image sparse;
    ASSERT_TRUE(sparse.LoadFromMemory(reinterpret_cast<const uint8_t*>(delta.data()), delta.size(), "d"));
    ASSERT_TRUE(sparse.IsSparse());
    ASSERT_TRUE(sprite.CreateFromImage(sparse));
    EXPECT_EQ(sprite.Width(), 4);
    ASSERT_TRUE(sprite.PixelColor(0, 1, rgba));
    EXPECT_FLOAT_EQ(rgba[2], 1.0f);
    EXPECT_FLOAT_EQ(rgba[3], 1.0f);
    ASSERT_TRUE(sprite.PixelColor(0, 0, rgba));
    EXPECT_FLOAT_EQ(rgba[3], 0.0f);

    EXPECT_FALSE(sprite.Create(0, 5));
    EXPECT_FALSE(sprite.Create(1 << 15, 1 << 15));
    Image empty;
    EXPECT_FALSE(sprite.CreateFromImage(empty));
}

TEST(SpritePixels, ColourQueriesAndRandomOpaquePoints) {
    auto sprite = MakeSprite(4, 4, Bgra{0, 0, 0, 0});
    float rgba[4] = {9, 9, 9, 9};
    EXPECT_FALSE(sprite->PixelColor(4, 0, rgba));
    EXPECT_FALSE(sprite->PixelColor(0, -1, rgba));
    EXPECT_FLOAT_EQ(rgba[0], 9.0f);

    int32_t x = -1, y = -1;
    EXPECT_FALSE(sprite->RandomOpaquePoint(false, x, y));
    EXPECT_FALSE(sprite->RandomOpaquePoint(true, x, y));

    SetPixel(*sprite, 3, 2, Bgra{10, 20, 200, 255});
    EXPECT_TRUE(sprite->PixelColor(3, 2, rgba));
    EXPECT_FLOAT_EQ(rgba[0], 200.0f / 255.0f);
    EXPECT_FLOAT_EQ(rgba[1], 20.0f / 255.0f);
    EXPECT_FLOAT_EQ(rgba[2], 10.0f / 255.0f);
    EXPECT_FLOAT_EQ(rgba[3], 1.0f);
    // One pixel in sixteen: 100 tries miss it with a chance of 0.16 %.
    std::srand(12345);
    ASSERT_TRUE(sprite->RandomOpaquePoint(false, x, y));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 2);
    // A bright but fully transparent pixel passes only the colour test.
    auto ghost = MakeSprite(2, 2, Bgra{0, 0, 0, 0});
    SetPixel(*ghost, 1, 1, Bgra{0, 0, 255, 0});
    EXPECT_FALSE(ghost->RandomOpaquePoint(false, x, y));
    ASSERT_TRUE(ghost->RandomOpaquePoint(true, x, y));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 1);

    Sprite empty;
    EXPECT_FALSE(empty.RandomOpaquePoint(false, x, y));
}

TEST(SpriteHitTest, TransparentAndOpaquePixelsUnderRotatedMatrices) {
    // 4 × 4: the left half opaque black, the right half transparent white.
    auto sprite = MakeSprite(4, 4, Bgra{255, 255, 255, 0});
    for (int y = 0; y < 4; ++y) {
        SetPixel(*sprite, 0, y, Bgra{0, 0, 0, 255});
        SetPixel(*sprite, 1, y, Bgra{0, 0, 0, 255});
    }
    // Placed at (100, 50), turned a quarter to the right: sprite x runs down
    // the screen, sprite y runs to the left.
    const Matrix4 world =
        Matrix4::Translation(100, 50, 0) * Matrix4::RotationZ(std::numbers::pi_v<float> / 2);
    const Vec2 opaque{98.5f, 50.5f};      // sprite pixel (0, 1)
    const Vec2 transparent{98.5f, 53.5f}; // sprite pixel (3, 1)
    EXPECT_TRUE(sprite->HitTest(world, opaque, 0));
    EXPECT_FALSE(sprite->HitTest(world, transparent, 0));
    // Mode 1 tests colour: the black half misses, the white half hits.
    EXPECT_FALSE(sprite->HitTest(world, opaque, 1));
    EXPECT_TRUE(sprite->HitTest(world, transparent, 1));
    // Any other mode hits everywhere inside, nowhere outside.
    EXPECT_TRUE(sprite->HitTest(world, transparent, 7));
    EXPECT_FALSE(sprite->HitTest(world, Vec2{101.5f, 50.5f}, 7)) << "beyond sprite y = 0";
    // −1 follows the global hit mode.
    EXPECT_TRUE(sprite->HitTest(world, opaque, -1));
    SetGlobalHitMode(1);
    EXPECT_FALSE(sprite->HitTest(world, opaque, -1));
    EXPECT_TRUE(sprite->HitTest(world, transparent, -1));
    SetGlobalHitMode(0);

    // Scaled by 10: every screen pixel maps to a tenth of a sprite pixel.
    const Matrix4 scaled = Matrix4::Translation(10.5f, 0, 0) * Matrix4::Scaling(10, 10, 1);
    EXPECT_TRUE(sprite->HitTest(scaled, Vec2{10.5f, 39.9f}, 0));
    EXPECT_FALSE(sprite->HitTest(scaled, Vec2{10.0f, 5.0f}, 7)) << "half a pixel left of the picture";
    EXPECT_FALSE(sprite->HitTest(scaled, Vec2{15.0f, 40.5f}, 7)) << "below the bottom edge";
    // A sprite squashed to nothing covers no point.
    EXPECT_FALSE(sprite->HitTest(Matrix4::Scaling(0, 0, 1), Vec2{0.5f, 0.5f}, 7));
    EXPECT_FALSE(sprite->HitTest(world, Vec2{NAN, 50.0f}, 7));
    EXPECT_FALSE(sprite->HitTest(world, Vec2{1e30f, -1e30f}, 7));
}

TEST(SpriteTextures, APlainTextureThatSetsNoFilterDrawsItsPixelsNearestNeighbour) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    Image image;
    ASSERT_TRUE(image.Create(2, 2));
    // Left column red, right column green (blue, green, red, alpha).
    const uint8_t pixels[] = {0, 0, 255, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 255, 0, 255};
    std::memcpy(image.Pixels(), pixels, sizeof pixels);
    Texture texture;
    ASSERT_TRUE(texture.Create(image));
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_NEAREST);

    BeginScreen();
    ASSERT_TRUE(texture.Bind());
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(kWidth, 0);
    glTexCoord2f(1, 1);
    glVertex2f(kWidth, kHeight);
    glTexCoord2f(0, 1);
    glVertex2f(0, kHeight);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    // Magnified 64 times: sharp halves, not white and not blended at the seam.
    EXPECT_TRUE(Near(gl.ReadPixel(10, 40), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(kWidth / 2 - 2, 40), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(kWidth / 2 + 1, 40), 0, 255, 0));
}

TEST(SpriteTextures, PlainTexturesNeedPowerOfTwoSidesWithinTheLimit) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    Image image;
    Texture texture;
    ASSERT_TRUE(image.Create(256, 128));
    std::memset(image.Pixels(), 0x7F, image.PixelBytes());
    ASSERT_TRUE(texture.Create(image));
    EXPECT_EQ(texture.Width(), 256);
    EXPECT_EQ(texture.Height(), 128);
    EXPECT_TRUE(glIsTexture(GLuint(texture.Name())));
    GLint uploadedWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &uploadedWidth);
    EXPECT_EQ(uploadedWidth, 256);
    const GLuint old = GLuint(texture.Name());

    ASSERT_TRUE(image.Create(300, 128));
    EXPECT_FALSE(texture.Create(image));
    EXPECT_EQ(texture.Name(), -1);
    EXPECT_FALSE(glIsTexture(old)) << "the old texture went with the failed create";
    ASSERT_TRUE(image.Create(1, 1));
    EXPECT_TRUE(texture.Create(image));
    const int32_t limit = MaxTextureSize();
    ASSERT_GT(limit, 0);
    ASSERT_TRUE(image.Create(uint32_t(limit) * 2, 1));
    EXPECT_FALSE(texture.Create(image));
    EXPECT_EQ(UsedTextureSlots(), 0) << "plain textures take no sprite slot";
}
