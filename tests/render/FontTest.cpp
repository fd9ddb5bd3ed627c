#include "render/Font.h"
#include "io/Resources.h"
#include "render/Font3D.h"
#include "render/FontDescription.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/TextStyles.h"
#include "support/AllocationCounter.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/PictureCompare.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

using testing_support::Rgba;

namespace {

struct Bgra {
    uint8_t b = 0, g = 0, r = 0, a = 0;
};

using CellPixel = std::function<Bgra(int cell, int x, int y)>;

// A vertical strip of `cells` cells of side n, pixel (x, y) of cell k from `pixel`.
void WriteStrip(const char* path, int n, int cells, const CellPixel& pixel) {
    Image image;
    ASSERT_TRUE(image.Create(uint32_t(n), uint32_t(n * cells)));
    for (int cell = 0; cell < cells; ++cell) {
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const Bgra p = pixel(cell, x, y);
                uint8_t* out = image.PixelAt(uint32_t(x), uint32_t(cell * n + y));
                out[0] = p.b;
                out[1] = p.g;
                out[2] = p.r;
                out[3] = p.a;
            }
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

Bgra Solid(int, int, int) {
    return {255, 255, 255, 255};
}

class FontFixture : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        InstallRenderResourceLoaders();
        Resources::lookupEnabled = Resources::storeEnabled = true;
    }

    // Writes `name`.config naming a strip `name`.tga; returns the font found through the cache.
    Font* Make(const std::string& name, const std::string& lines, int n, int cells,
               const CellPixel& pixel = Solid) {
        WriteStrip((name + ".tga").c_str(), n, cells, pixel);
        EXPECT_TRUE(testing_support::WriteFile(name + ".config", "ImagePath = " + name + ".tga;\n" + lines));
        return Resources::FindFont((name + ".config").c_str());
    }

    void ClearTo(int width, int height) {
        RenderStack::SetProjectionMatrix(MakeScreenProjection(width, height));
        RenderStack::SetCameraMatrix(Matrix4::Identity());
        RenderStack::SetColor(0, 0, 0, 1);
        ClearScreen();
        RenderStack::SetColor(1, 1, 1, 1);
    }
};

constexpr testing_support::NearColour Near{2};

} // namespace

TEST_F(FontFixture, WidthsCountSpacesGlyphsAndNothingElse) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 32, 32);
    Font* font = Make("a", "Height = 10;\nSpaceWidth = 7;\nGlyph = 65 12;\nColorCode = 1 1 0 0;\n", 4, 1);
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->GetClassName(), "Font");
    EXPECT_EQ(font->Height(), 10);
    EXPECT_EQ(font->TextWidth("A A"), 31);
    EXPECT_EQ(font->TextWidth("A\x01" "A"), 24); // a colour code takes no room
    EXPECT_EQ(font->TextWidth("AZ?"), 12);       // characters without a glyph neither
    EXPECT_EQ(font->TextWidth(""), 0);
    FontBase* base = font->GetFontBase();
    EXPECT_EQ(base->GlyphAdvance('A'), 12);
    EXPECT_EQ(base->GlyphAdvance(' '), 0);
    EXPECT_EQ(base->GlyphAdvance('Z'), 0);
    EXPECT_EQ(Resources::FindFont("a.config"), font); // loaded once and shared
}

TEST_F(FontFixture, LookupsCompareTheSignedByteValues) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 32, 32);
    Font* unsignedLookup = Make("u", "Glyph = 101 9;\nLookup = 233 101;\n", 4, 1);
    Font* signedLookup = Make("s", "Glyph = 101 9;\nLookup = -23 101;\n", 4, 1);
    ASSERT_NE(unsignedLookup, nullptr);
    ASSERT_NE(signedLookup, nullptr);
    EXPECT_EQ(unsignedLookup->TextWidth("\xE9"), 0);
    EXPECT_EQ(signedLookup->TextWidth("\xE9"), 9);
    int32_t substituted = -1;
    int32_t direct = -1;
    ASSERT_TRUE(signedLookup->GetFontBase()->FindGlyph(-23, substituted));
    ASSERT_TRUE(signedLookup->GetFontBase()->FindGlyph('e', direct));
    EXPECT_EQ(substituted, direct);
    EXPECT_FALSE(unsignedLookup->GetFontBase()->FindGlyph(-23, substituted));
    // A glyph written with the unsigned value is never reached by text either.
    Font* unsignedGlyph = Make("g233", "Glyph = 233 5;\n", 4, 1);
    ASSERT_NE(unsignedGlyph, nullptr);
    EXPECT_EQ(unsignedGlyph->TextWidth("\xE9"), 0);
}

TEST_F(FontFixture, MissingAdvancesComeFromSpaceWidthOrTheInk) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 32, 32);
    // Cell 0: ink in columns 3..17; faint pixels (alpha 100) further out do
    // not count. Cell 1: empty.
    auto pixel = [](int cell, int x, int) -> Bgra {
        if (cell == 0 && x >= 3 && x <= 17) {
            return {255, 255, 255, 200};
        }
        if (cell == 0 && (x == 1 || x == 19)) {
            return {255, 255, 255, 100};
        }
        return {};
    };
    Font* fixed = Make("f", "SpaceWidth = 6;\nGlyph = 65;\nGlyph = 66 3;\nAutoSpaceOffset = 5;\n", 20, 2, pixel);
    Font* spaced = Make("g", "SpaceWidth = 6;\nAutoSpace = true;\nGlyph = 65;\nGlyph = 66;\n", 20, 2, pixel);
    Font* offset = Make("h",
                        "AutoSpace = true;\nAutoSpaceOffset = 2;\nAutoSpaceThreshold = 50;\n"
                        "Glyph = 65;\nGlyph = 66;\n",
                        20, 2, pixel);
    ASSERT_NE(fixed, nullptr);
    ASSERT_NE(spaced, nullptr);
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(fixed->GetFontBase()->GlyphAdvance('A'), 6); // offset ignored without auto spacing
    EXPECT_EQ(fixed->GetFontBase()->GlyphAdvance('B'), 3);
    EXPECT_EQ(spaced->GetFontBase()->GlyphAdvance('A'), 14);
    EXPECT_EQ(spaced->GetFontBase()->GlyphAdvance('B'), 20); // an empty cell is N wide
    EXPECT_EQ(offset->GetFontBase()->GlyphAdvance('A'), 18 + 2); // threshold 50 takes columns 1..19
    EXPECT_EQ(offset->GetFontBase()->GlyphAdvance('B'), 22);
}

TEST_F(FontFixture, BrokenDescriptionsGiveNoFont) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 32, 32);
    struct Case {
        const char* lines;
        int cells;
        const char* logged; // a fragment of the log line, or null
    } cases[] = {
        {"ColorCode = 1 1 0;\n", 1, "colour code line 1"},
        {"Glyph = 65 5;\nGlyph = ;\n", 2, "glyph line 2"},
        {"Glyph = x;\n", 1, "glyph line 1"},
        {"Glyph = 65 wide;\n", 1, "unreadable advance"},
        {"Lookup = 1;\n", 1, "lookup line 1"},
        {"Glyph = 65;\nGlyph = 66;\nGlyph = 67;\n", 2, "only 2 cells"},
    };
    int number = 0;
    for (const Case& broken : cases) {
        SCOPED_TRACE(broken.lines);
        testing_support::LogCapture log;
        EXPECT_EQ(Make("broken" + std::to_string(number++), broken.lines, 4, broken.cells), nullptr);
        EXPECT_TRUE(log.Contains(broken.logged));
    }
    EXPECT_EQ(Resources::FindFont("absent.config"), nullptr);
    ASSERT_TRUE(testing_support::WriteFile("noimage.config", "Height = 3;\n"));
    EXPECT_EQ(Resources::FindFont("noimage.config"), nullptr);
    ASSERT_TRUE(testing_support::WriteFile("badimage.config", "ImagePath = nothing.tga;\n"));
    EXPECT_EQ(Resources::FindFont("badimage.config"), nullptr);
    ASSERT_TRUE(testing_support::WriteFile("junk.tga", "not a picture"));
    ASSERT_TRUE(testing_support::WriteFile("junkimage.config", "ImagePath = junk.tga;\n"));
    EXPECT_EQ(Resources::FindFont("junkimage.config"), nullptr);
}

TEST_F(FontFixture, CellLargerThanTheMaximumTextureFails) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 32, 32);
    const int side = MaxTextureSize() + 1;
    Image wide;
    ASSERT_TRUE(wide.Create(uint32_t(side), 1));
    std::fill(wide.Pixels(), wide.Pixels() + wide.PixelBytes(), uint8_t(255));
    ASSERT_TRUE(wide.SaveTga("wide.tga"));
    ASSERT_TRUE(testing_support::WriteFile("wide.config", "ImagePath = wide.tga;\nSpaceWidth = 4;\n"));
    testing_support::LogCapture log;
    EXPECT_EQ(Resources::FindFont("wide.config"), nullptr);
    EXPECT_TRUE(log.Contains("maximum texture size"));
}

TEST_F(FontFixture, DrawsOnWholePixelsWithColourCodes) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 96, 48);
    // The glyph lines are out of code order: the table sorts, each glyph keeps its cell.
    auto pixel = [](int cell, int, int) -> Bgra {
        return cell == 0 ? Bgra{0, 0, 255, 255} /* red B */ : Bgra{255, 255, 255, 255} /* white A */;
    };
    Font* font = Make("d", "Glyph = 66 5;\nGlyph = 65 5;\nColorCode = 1 0 1 0;\n", 4, 2, pixel);
    ASSERT_NE(font, nullptr);
    ClearTo(96, 48);
    {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(10.7f, 20.2f, 0.0f));
        RenderStack::SetColor(1, 1, 1, 1);
        font->Draw("AB\x01" "A?A");
        const float* color = RenderStack::Current().color;
        EXPECT_EQ(color[0] + color[1] + color[2] + color[3], 4.0f); // opaque white after the string
    }
    // "A" at x 10..13, "B" at 15..18, then green "A" at 20..23 and 25..28, rows 20..23.
    EXPECT_TRUE(Near(gl.ReadPixel(10, 20), 255, 255, 255));
    EXPECT_TRUE(Near(gl.ReadPixel(13, 23), 255, 255, 255));
    EXPECT_TRUE(Near(gl.ReadPixel(9, 20), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(10, 19), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(14, 20), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(10, 24), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(15, 21), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(18, 22), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(20, 20), 0, 255, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(28, 23), 0, 255, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(29, 22), 0, 0, 0));
}

TEST_F(FontFixture, ColourCodesKeepTheAlphaAndThePenStartsAtMinusInsetAndDescent) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 96, 48);
    Font* font = Make("e", "Inset = 2;\nDescent = 3;\nGlyph = 65 4;\nColorCode = 7 1 0 0;\n", 4, 1);
    ASSERT_NE(font, nullptr);
    ClearTo(96, 48);
    {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(10, 10, 0));
        RenderStack::SetColor(1, 1, 1, 0.5f);
        font->Draw("\x07" "A");
    }
    EXPECT_TRUE(Near(gl.ReadPixel(8, 7), 128, 0, 0, 3));
    EXPECT_TRUE(Near(gl.ReadPixel(11, 10), 128, 0, 0, 3));
    EXPECT_TRUE(Near(gl.ReadPixel(12, 10), 0, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(8, 6), 0, 0, 0));
}

TEST_F(FontFixture, DrawingAndMeasuringAllocateNothing) {
    if (!testing_support::AllocationCounter::Available()) {
        GTEST_SKIP() << "allocation counting is unavailable in this build";
    }
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 32);
    Font* font = Make("n", "SpaceWidth = 3;\nGlyph = 65 5;\nGlyph = 66 5;\nLookup = 67 65;\n", 4, 2);
    ASSERT_NE(font, nullptr);
    auto frame = [font] {
        RenderStackScope scope;
        font->Draw("AB CAB");
        return font->TextWidth("AB CAB");
    };
    // The first frames sort the glyph table and let the GL driver build its programs.
    frame();
    frame();
    testing_support::AllocationCounter counter;
    EXPECT_EQ(frame(), 28);
    EXPECT_EQ(counter.Count(), 0u);
}

TEST(FontTexturePlan, CellsGoOnTheSmallestTexturesThatHoldThem) {
    // 95 cells of 16: one texture of 128 cells, the smallest that holds them all.
    std::vector<FontTexturePlan> plans = PlanFontTextures(16, 95, 1024);
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(plans[0].cells, 95);
    EXPECT_EQ(plans[0].width * plans[0].height, 128 * 256);
    // Cells of 512 under a 1024 limit: four per texture, the rest in one cell's texture.
    plans = PlanFontTextures(512, 9, 1024);
    ASSERT_EQ(plans.size(), 3u);
    EXPECT_EQ(plans[0].cells, 4);
    EXPECT_EQ(plans[1].cells, 4);
    EXPECT_EQ(plans[2].cells, 1);
    EXPECT_EQ(plans[2].width, 512);
    EXPECT_EQ(plans[2].height, 512);
    // A cell that is no power of two leaves a margin: 300 fits three times across 1024.
    plans = PlanFontTextures(300, 11, 1024);
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(plans[0].cells, 9);
    EXPECT_EQ(plans[1].cells, 2);
    EXPECT_EQ(plans[1].width * plans[1].height, 1024 * 512);
    EXPECT_TRUE(PlanFontTextures(1025, 1, 1024).empty());
    EXPECT_TRUE(PlanFontTextures(16, 0, 1024).empty());
    EXPECT_FALSE(CellFitsTexture(0, 1024));
}

TEST(TextStyles, NumbersFollowRegistrationAndNamesStayPut) {
    testing_support::EngineSandbox sandbox;
    Font first;
    Font second;
    EXPECT_EQ(RegisterTextStyle("Header Text", &first), 0);
    EXPECT_EQ(RegisterTextStyle("Default Text", nullptr), 1);
    EXPECT_EQ(RegisterTextStyle("Header Text", &second), 0); // already there: unchanged
    EXPECT_EQ(TextStyleFont(0), &first);
    EXPECT_EQ(TextStyleFont(1), nullptr);
    EXPECT_STREQ(TextStyleName(1), "Default Text");
    EXPECT_STREQ(TextStyleName(2), "");
    EXPECT_STREQ(TextStyleName(-1), "");
    EXPECT_EQ(FindTextStyle("Default Text"), 1);
    EXPECT_EQ(FindTextStyle("Console Text"), -1);
    for (int i = 2; i < 9; ++i) {
        RegisterTextStyle(("Style " + std::to_string(i)).c_str(), nullptr);
    }
    EXPECT_EQ(TextStyleCount(), 9);
    EXPECT_STREQ(TextStyleName(8), "Style 8");
    EXPECT_STREQ(TextStyleName(9), "");
}

TEST_F(FontFixture, AStringLongerThanOneBatchDrawsEveryGlyph) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 640, 16);
    auto pixel = [](int cell, int, int) -> Bgra {
        return cell == 0 ? Bgra{255, 255, 255, 255} /* white A */ : Bgra{0, 0, 255, 255} /* red B */;
    };
    Font* font = Make("long", "Glyph = 65 1;\nGlyph = 66 1;\n", 4, 2, pixel);
    ASSERT_NE(font, nullptr);
    ClearTo(640, 16);
    // 1,100 glyphs one pixel apart from x -500, more than two batches: the
    // last, a red B, lands at x 599 to 602 over the white As.
    std::string text(1099, 'A');
    text += 'B';
    {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(-500, 4, 0));
        font->Draw(text.c_str());
    }
    EXPECT_TRUE(Near(gl.ReadPixel(2, 5), 255, 255, 255));
    EXPECT_TRUE(Near(gl.ReadPixel(598, 5), 255, 255, 255));
    EXPECT_TRUE(Near(gl.ReadPixel(599, 5), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(602, 5), 255, 0, 0));
    EXPECT_TRUE(Near(gl.ReadPixel(603, 5), 0, 0, 0));
}
