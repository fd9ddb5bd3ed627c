// The asset generator's painting and text helpers: anti-aliased shapes,
// growing and blurring masks, alpha handling of the output, UTF-8 and notes.
#include "Canvas.h"
#include "Glyphs.h"
#include "Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

float Total(const Mask& mask) {
    float sum = 0;
    for (int32_t y = 0; y < mask.Height(); ++y) {
        for (int32_t x = 0; x < mask.Width(); ++x) {
            sum += mask.At(x, y);
        }
    }
    return sum;
}

} // namespace

TEST(CanvasTest, ShapesCoverTheirAreaWithSoftEdges) {
    Mask disc(64, 64);
    disc.AddCircle(32, 32, 20.3f);
    EXPECT_NEAR(Total(disc), 3.14159f * 20.3f * 20.3f, 3.0f);
    EXPECT_EQ(disc.At(32, 32), 1.0f);
    EXPECT_EQ(disc.At(2, 2), 0.0f);
    // The edge pixel on the circle is part covered: anti-aliased, not jagged.
    EXPECT_GT(disc.At(52, 32), 0.2f);
    EXPECT_LT(disc.At(52, 32), 0.8f);

    Mask box(64, 64);
    box.AddRoundedRect(10, 10, 50, 40, 0);
    EXPECT_NEAR(Total(box), 40 * 30, 0.5f);
    Mask rounded(64, 64);
    rounded.AddRoundedRect(10, 10, 50, 40, 8);
    EXPECT_NEAR(Total(rounded), 40 * 30 - (4 - 3.14159f) * 64, 2.0f);
    EXPECT_EQ(rounded.At(10, 10), 0.0f) << "a rounded corner is empty";

    Mask triangle(40, 40);
    triangle.AddPolygon({{0, 0}, {40, 0}, {0, 40}});
    // Samples exactly on the slanted edge count as outside: 2 of 16 per pixel.
    EXPECT_NEAR(Total(triangle), 800, 6.0f);
}

TEST(CanvasTest, GrowingBlurringAndShiftingKeepTheShape) {
    Mask disc(80, 80);
    disc.AddCircle(40, 40, 10);
    const Mask grown = disc.Grown(3);
    EXPECT_NEAR(Total(grown), 3.14159f * 169, 12.0f);
    EXPECT_GT(grown.At(40, 52), 0.95f);
    EXPECT_EQ(grown.At(40, 56), 0.0f);
    // A blur moves coverage around but keeps all of it (far from the edges).
    const Mask soft = disc.Blurred(6);
    EXPECT_NEAR(Total(soft), Total(disc), 0.5f);
    EXPECT_LT(soft.At(40, 40), 1.0f);
    EXPECT_GT(soft.At(40, 53), 0.0f);
    const Mask moved = disc.Shifted(5, -3);
    EXPECT_EQ(moved.At(45, 37), disc.At(40, 40));
    EXPECT_NEAR(Total(disc.Minus(disc.Grown(2))), 0.0f, 1e-3f);
    EXPECT_NEAR(Total(grown.Minus(disc)), Total(grown) - Total(disc), 12.0f);
}

TEST(CanvasTest, OutputHasStraightAlphaAndClearTransparency) {
    Canvas canvas(2, 1);
    Mask half(2, 1);
    half.At(0, 0) = 0.5f;
    canvas.Fill(half, Colour{1, 0, 0, 1});
    const std::vector<uint8_t> bgra = canvas.ToBgra();
    // Half-covered red stays full red at half alpha; untouched stays zero.
    EXPECT_EQ(bgra[0], 0);
    EXPECT_EQ(bgra[1], 0);
    EXPECT_EQ(bgra[2], 255);
    EXPECT_EQ(bgra[3], 128);
    for (int i = 4; i < 8; ++i) {
        EXPECT_EQ(bgra[i], 0);
    }
    // Painting over itself composites: blue over red at half each.
    canvas.Fill(half, Colour{0, 0, 1, 1});
    const std::vector<uint8_t> mixed = canvas.ToBgra();
    EXPECT_EQ(mixed[3], 191);
    EXPECT_GT(mixed[0], mixed[2]);
}

TEST(CanvasTest, NoiseAndRandomAreRepeatable) {
    Random a(5), b(5), c(6);
    const uint32_t first = a.Next();
    EXPECT_EQ(first, b.Next());
    EXPECT_NE(first, c.Next());
    EXPECT_EQ(FractalNoise(12.5f, 7.25f, 20, 3, 9), FractalNoise(12.5f, 7.25f, 20, 3, 9));
    for (float x = 0; x < 200; x += 7.3f) {
        const float n = ValueNoise(x, x * 0.5f, 16, 1);
        EXPECT_GE(n, 0.0f);
        EXPECT_LE(n, 1.0f);
    }
}

TEST(GlyphsTest, Utf8DecodesAndReplacesMalformedBytes) {
    EXPECT_EQ(DecodeUtf8("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\x91"), (std::vector<uint32_t>{0x41, 0xE9, 0x20AC, 0x1F511}));
    EXPECT_EQ(DecodeUtf8("\xFF" "a"), (std::vector<uint32_t>{0xFFFD, 0x61}));
    EXPECT_EQ(DecodeUtf8("\xE2\x82"), (std::vector<uint32_t>{0xFFFD, 0xFFFD}));
    EXPECT_EQ(DecodeUtf8("\xC3" "b"), (std::vector<uint32_t>{0xFFFD, 0x62}));
}

TEST(GlyphsTest, TextLinesAreCentredInsideThePadding) {
    const std::string font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(font)) {
        GTEST_SKIP() << "no DejaVu font";
    }
    Mask one, two;
    std::string error;
    ASSERT_TRUE(RenderText(font, 20, {"Wide line of text"}, 4, 1.0f, one, error)) << error;
    ASSERT_TRUE(RenderText(font, 20, {"Wide line of text", "ab"}, 4, 1.0f, two, error)) << error;
    EXPECT_EQ(one.Width(), two.Width());
    EXPECT_GT(two.Height(), one.Height());
    // The padding stays empty.
    for (int32_t y = 0; y < one.Height(); ++y) {
        for (int32_t x = 0; x < 3; ++x) {
            EXPECT_EQ(one.At(x, y), 0.0f);
            EXPECT_EQ(one.At(one.Width() - 1 - x, y), 0.0f);
        }
    }
    // The short second line sits in the middle: ink on neither side.
    float left = 0, right = 0, middle = 0;
    for (int32_t y = one.Height(); y < two.Height(); ++y) {
        for (int32_t x = 0; x < two.Width(); ++x) {
            (x < two.Width() / 3 ? left : x >= two.Width() * 2 / 3 ? right : middle) += two.At(x, y);
        }
    }
    EXPECT_EQ(left, 0.0f);
    EXPECT_EQ(right, 0.0f);
    EXPECT_GT(middle, 10.0f);
    EXPECT_FALSE(RenderText("/no/such/font.ttf", 20, {"x"}, 0, 1.0f, one, error));
}

TEST(SynthTest, NoteNamesGiveEqualTemperedFrequencies) {
    float hertz = 0;
    ASSERT_TRUE(NoteFrequency("A4", hertz));
    EXPECT_FLOAT_EQ(hertz, 440.0f);
    ASSERT_TRUE(NoteFrequency("C4", hertz));
    EXPECT_NEAR(hertz, 261.63f, 0.01f);
    ASSERT_TRUE(NoteFrequency("Bb2", hertz));
    EXPECT_NEAR(hertz, 116.54f, 0.01f);
    ASSERT_TRUE(NoteFrequency("F#5", hertz));
    EXPECT_NEAR(hertz, 739.99f, 0.01f);
    for (const char* bad : {"H4", "C9", "C", "c4", "C#", "Cb44", ""}) {
        EXPECT_FALSE(NoteFrequency(bad, hertz)) << bad;
    }
}
