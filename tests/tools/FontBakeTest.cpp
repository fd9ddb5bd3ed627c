// The font baker run as the demo data build runs it, and its fonts loaded
// and drawn through the engine.
#include "io/Resources.h"
#include "render/Font.h"
#include "render/Font3D.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>


#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kMathFont = "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf";

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

RunResult RunBaker(const std::string& arguments) {
    const testing_support::ToolRun run = testing_support::RunTool("fontbake", arguments, "fontbake.err");
    return RunResult{run.status, run.output, testing_support::ReadFile("fontbake.err")};
}

bool HaveFont(const std::string& path) {
    return fs::exists(path);
}

} // namespace

TEST(FontBakeTool, OutputIsDeterministicAndNamesTheImageBelowTheRoot) {
    if (!HaveFont(kDejaVu)) {
        GTEST_SKIP() << kDejaVu << " is not installed";
    }
    fs::create_directories("data/fonts");
    const std::string arguments = "--root data --outline 1 --shadow 1,2:00000080 " + kDejaVu + " 20 data/fonts/Sans_20";
    RunResult first = RunBaker(arguments);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("missing 0 characters\n"), std::string::npos) << first.out;
    const std::string config = testing_support::ReadFile("data/fonts/Sans_20.config");
    const std::string png = testing_support::ReadFile("data/fonts/Sans_20.png");
    EXPECT_NE(config.find("\nImagePath = fonts/Sans_20.png;\n"), std::string::npos) << config;
    EXPECT_NE(config.find("\nGlyph = 65 "), std::string::npos);
    EXPECT_NE(config.find("\nGlyph = -23 "), std::string::npos); // é as the signed byte
    EXPECT_EQ(config.find("\nGlyph = 32 "), std::string::npos);  // the space advances by SpaceWidth
    ASSERT_EQ(RunBaker(arguments).status, 0);
    EXPECT_EQ(testing_support::ReadFile("data/fonts/Sans_20.config"), config);
    EXPECT_EQ(testing_support::ReadFile("data/fonts/Sans_20.png"), png);

    // Without --root the path is relative to the current directory.
    ASSERT_EQ(RunBaker(kDejaVu + " 12 data/fonts/Small").status, 0);
    EXPECT_NE(testing_support::ReadFile("data/fonts/Small.config").find("ImagePath = data/fonts/Small.png;"),
              std::string::npos);
    // Outside the root there is no data path to write.
    RunResult outside = RunBaker("--root data/fonts " + kDejaVu + " 12 data/Outside");
    EXPECT_EQ(outside.status, 2);
    EXPECT_FALSE(fs::exists("data/Outside.config"));
}

TEST(FontBakeTool, ReportsMissingCharactersAndFailsCleanly) {
    if (!HaveFont(kMathFont)) {
        GTEST_SKIP() << kMathFont << " is not installed";
    }
    RunResult math = RunBaker(kMathFont + " 16 math");
    ASSERT_EQ(math.status, 0) << math.err;
    EXPECT_NE(math.out.find("missing 7 characters: U+00AD U+00B2 U+00B3 U+00B9 U+00BC U+00BD U+00BE\n"),
              std::string::npos)
        << math.out;
    const std::string config = testing_support::ReadFile("math.config");
    EXPECT_EQ(config.find("\nGlyph = -83 "), std::string::npos); // U+00AD has no cell
    EXPECT_NE(config.find("\nGlyph = -82 "), std::string::npos);

    ASSERT_TRUE(testing_support::WriteFile("broken.ttf", "this is no font"));
    RunResult broken = RunBaker("broken.ttf 16 broken");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("fontbake: broken.ttf is not a font FreeType can read (unknown file format)\n"),
              std::string::npos)
        << broken.err;
    EXPECT_FALSE(fs::exists("broken.config"));
    EXPECT_FALSE(fs::exists("broken.png"));

    for (const char* usage : {"", "a.ttf 16", "a.ttf 0 out", "a.ttf 257 out", "a.ttf 16 out extra", "--color red a.ttf 16 out",
                              "--outline 2:12345 a.ttf 16 out", "--shadow 3 a.ttf 16 out", "--size 3 a.ttf 1 b"}) {
        SCOPED_TRACE(usage);
        EXPECT_EQ(RunBaker(usage).status, 2);
    }
}

TEST(FontBakeTool, ColoursOutlineAndShadowLayerUnderTheGlyph) {
    if (!HaveFont(kDejaVu)) {
        GTEST_SKIP() << kDejaVu << " is not installed";
    }
    ASSERT_EQ(RunBaker("--color ff0000 --outline 1:0000ff " + kDejaVu + " 20 outlined").status, 0);
    ASSERT_EQ(RunBaker("--color ff0000 --shadow 4,0:00ff0080 " + kDejaVu + " 20 shadowed").status, 0);
    Image outlined;
    Image shadowed;
    ASSERT_TRUE(outlined.Load("outlined.png"));
    ASSERT_TRUE(shadowed.Load("shadowed.png"));
    // Count pixels by what they show: pure glyph colour, pure outline or shadow colour.
    auto census = [](const Image& image, int& glyph, int& under, int& strongestUnder) {
        glyph = under = strongestUnder = 0;
        for (uint32_t y = 0; y < image.Height(); ++y) {
            for (uint32_t x = 0; x < image.Width(); ++x) {
                const uint8_t* p = image.PixelAt(x, y); // b, g, r, a
                if (p[3] == 255 && p[2] == 255 && p[1] == 0 && p[0] == 0) {
                    ++glyph;
                } else if (p[2] == 0 && p[3] > 0) {
                    ++under;
                    strongestUnder = std::max<int>(strongestUnder, p[3]);
                }
            }
        }
    };
    int glyph = 0, under = 0, strongest = 0;
    census(outlined, glyph, under, strongest);
    EXPECT_GT(glyph, 1000);
    EXPECT_GT(under, glyph / 2); // the outline rings every glyph
    EXPECT_EQ(strongest, 255);
    census(shadowed, glyph, under, strongest);
    EXPECT_GT(glyph, 1000);
    EXPECT_GT(under, 100);       // the shadow shows beside the glyphs
    EXPECT_EQ(strongest, 0x80);  // never stronger than its own alpha
}

TEST(FontBakeTool, BakedFontDrawsCrispTextOnTheLineBox) {
    if (!HaveFont(kDejaVu)) {
        GTEST_SKIP() << kDejaVu << " is not installed";
    }
    GL_TEST_CONTEXT_OR_SKIP(gl, 128, 64);
    ASSERT_EQ(RunBaker(kDejaVu + " 20 sans").status, 0);
    InstallRenderResourceLoaders();
    Resources::lookupEnabled = Resources::storeEnabled = true;
    Font* font = Resources::FindFont("sans.config");
    ASSERT_NE(font, nullptr);
    Font3D* face = font->GetFont3D();
    EXPECT_EQ(font->TextWidth("Hg"), face->GlyphAdvance('H') + face->GlyphAdvance('g'));
    EXPECT_GT(font->Height(), 20);

    RenderStack::SetProjectionMatrix(MakeScreenProjection(128, 64));
    RenderStack::SetColor(0, 0, 0, 1);
    ClearScreen();
    {
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(20.6f, 10.4f, 0.0f));
        RenderStack::SetColor(1, 1, 1, 1);
        font->Draw("Hg");
    }
    // White on black shows the cell's alpha; drawn at whole pixels every
    // screen pixel is exactly one texel: the cell reappears unchanged.
    Image strip;
    ASSERT_TRUE(strip.Load("sans.png"));
    int32_t index = 0;
    ASSERT_TRUE(face->FindGlyph('H', index));
    const int32_t cell = face->Glyph(index).cell;
    const int32_t n = face->CellSize();
    int inkTop = n;
    int differences = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < face->GlyphAdvance('H'); ++x) {
            const uint8_t alpha = strip.PixelAt(uint32_t(x), uint32_t(cell * n + y))[3];
            const int screenX = 20 - face->Inset() + x;
            const int screenY = 10 - face->Descent() + y;
            if (screenX < 20 || alpha == 0) {
                continue; // left of the pen start the previous glyph would be
            }
            inkTop = std::min(inkTop, screenY);
            differences += std::abs(int(gl.ReadPixel(screenX, screenY).r) - int(alpha)) > 1;
        }
    }
    EXPECT_EQ(differences, 0);
    // The top of the line box is y = 10; the capital's top lies a little below it.
    EXPECT_GE(inkTop, 10);
    EXPECT_LE(inkTop, 10 + font->Height() / 3);
    // The stems are sharp: the H has fully lit pixels next to fully dark ones.
    EXPECT_EQ(gl.ReadPixel(20 + 1, inkTop + 4).r == 255 || gl.ReadPixel(20 + 2, inkTop + 4).r == 255, true);
    // Nothing of "Hg" reaches below the line box.
    for (int x = 0; x < 128; ++x) {
        EXPECT_EQ(gl.ReadPixel(x, 10 + font->Height()).r, 0) << "column " << x;
    }
    Resources::Shutdown();
}
