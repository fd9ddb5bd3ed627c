// The preload ends by registering the text styles with the fonts the global
// settings name.
#include "GameDataFixture.h"

#include "io/Resources.h"
#include "render/Font.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/TextStyles.h"
#include "support/GlTestContext.h"

TEST_F(GameDataTest, PreloadRegistersTheTextStylesWithTheSettingsFonts) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 32, 32);
    InstallRenderResourceLoaders();
    Resources::lookupEnabled = Resources::storeEnabled = true;
    // Only the 20-pixel face exists; the styles of the others get no font.
    Image strip;
    ASSERT_TRUE(strip.Create(4, 4));
    std::fill(strip.Pixels(), strip.Pixels() + strip.PixelBytes(), uint8_t(255));
    std::filesystem::create_directories("fonts");
    ASSERT_TRUE(strip.SaveTga("fonts/strip.tga"));
    ASSERT_TRUE(testing_support::WriteFile("fonts/Times_New_Roman_20.config",
                                           "ImagePath = fonts/strip.tga;\nHeight = 20;\nGlyph = 65 4;\n"));
    startup.Preload();

    const char* names[] = {"Header Text",      "Default Text",           "Dialogue Text",
                           "Console Text",     "Level Goals Text",       "Handwritten Text",
                           "Level Goals Text Black", "Item Text",        "Item Text Black"};
    ASSERT_EQ(TextStyleCount(), 9);
    for (int32_t i = 0; i < 9; ++i) {
        EXPECT_STREQ(TextStyleName(i), names[i]);
    }
    Font* twenty = Resources::FindFont("fonts/Times_New_Roman_20.config");
    ASSERT_NE(twenty, nullptr);
    EXPECT_EQ(TextStyleFont(0), twenty);
    EXPECT_EQ(TextStyleFont(1), twenty);
    EXPECT_EQ(TextStyleFont(4), twenty);
    EXPECT_EQ(TextStyleFont(2), nullptr); // its 24-pixel file is absent
    EXPECT_STREQ(TextStyleName(9), "");
}
