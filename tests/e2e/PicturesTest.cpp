// The end-to-end tests' picture comparison on made-up pictures: it must
// forgive small differences, catch real ones and leave pictures to look at.
#include "harness/Pictures.h"

#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A picture of one colour (blue, green, red) with an optional square of another.
Image Picture(uint32_t width, uint32_t height, const uint8_t colour[3], int squareSide = 0,
              const uint8_t squareColour[3] = nullptr) {
    Image picture;
    EXPECT_TRUE(picture.Create(width, height));
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool inSquare = int(x) < squareSide && int(y) < squareSide;
            const uint8_t* source = inSquare ? squareColour : colour;
            uint8_t* pixel = picture.PixelAt(x, y);
            pixel[0] = source[0];
            pixel[1] = source[1];
            pixel[2] = source[2];
            pixel[3] = 255;
        }
    }
    return picture;
}

constexpr uint8_t kGrey[3] = {100, 100, 100};
constexpr uint8_t kNearlyGrey[3] = {110, 92, 100};
constexpr uint8_t kRed[3] = {0, 0, 255};

class PicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DUNHAVEN_E2E_UPDATE");
        expected = testing_support::TestTempDir() + "/expected";
        output = testing_support::TestTempDir() + "/output";
        fs::create_directories(expected);
    }

    std::string expected;
    std::string output;
};

} // namespace

TEST_F(PicturesTest, HalfSizeAveragesEachBlockOfFour) {
    Image source = Picture(4, 2, kGrey);
    source.PixelAt(0, 0)[2] = 0;
    source.PixelAt(1, 0)[2] = 255;
    source.PixelAt(0, 1)[2] = 255;
    source.PixelAt(1, 1)[2] = 255;
    Image half;
    HalfSize(source, half);
    ASSERT_EQ(half.Width(), 2u);
    ASSERT_EQ(half.Height(), 1u);
    EXPECT_EQ(half.PixelAt(0, 0)[2], 191); // (0 + 3 × 255) / 4, rounded
    EXPECT_EQ(half.PixelAt(1, 0)[2], 100);
    EXPECT_EQ(half.PixelAt(0, 0)[0], 100);
}

TEST_F(PicturesTest, SmallShadesMatchAndADifferentSquareIsCountedAndDrawnRed) {
    const Image grey = Picture(20, 20, kGrey);
    EXPECT_EQ(CountDifferingPixels(grey, Picture(20, 20, kNearlyGrey), 10, nullptr), 0);
    EXPECT_EQ(CountDifferingPixels(grey, Picture(20, 20, kNearlyGrey), 9, nullptr), 400);

    Image diff;
    EXPECT_EQ(CountDifferingPixels(Picture(20, 20, kGrey, 3, kRed), grey, 24, &diff), 9);
    EXPECT_EQ(diff.PixelAt(2, 2)[2], 255);
    EXPECT_EQ(diff.PixelAt(2, 2)[1], 0);
    EXPECT_EQ(diff.PixelAt(3, 3)[2], 100 / 3);
    EXPECT_EQ(CountDifferingPixels(grey, Picture(20, 10, kGrey), 24, nullptr), -1);
}

TEST_F(PicturesTest, ComparisonAllowsAShareOfDifferingPixelsAndNamesItsPicturesOtherwise) {
    // Stored at half size: 50 x 50 grey.
    Image storedHalf;
    HalfSize(Picture(100, 100, kGrey), storedHalf);
    ASSERT_TRUE(SavePicture(storedHalf, expected + "/screen.png"));

    // A 4 x 4 square at full size is 2 x 2 = 4 of 2,500 pixels at half size.
    EXPECT_TRUE(LooksLikeExpectedIn(Picture(100, 100, kGrey, 4, kRed), expected, output, "screen",
                                    {.channel = 24, .differingFraction = 0.002}));
    const ::testing::AssertionResult failed =
        LooksLikeExpectedIn(Picture(100, 100, kGrey, 4, kRed), expected, output, "screen",
                            {.channel = 24, .differingFraction = 0.001});
    EXPECT_FALSE(failed);
    EXPECT_NE(std::string(failed.message()).find("4 pixels"), std::string::npos) << failed.message();
    EXPECT_TRUE(fs::exists(output + "/screen-actual.png"));
    EXPECT_TRUE(fs::exists(output + "/screen-diff.png"));

    const ::testing::AssertionResult resized =
        LooksLikeExpectedIn(Picture(100, 80, kGrey), expected, output, "screen");
    EXPECT_FALSE(resized);
    const ::testing::AssertionResult missing =
        LooksLikeExpectedIn(Picture(100, 100, kGrey), expected, output, "never_stored");
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("DUNHAVEN_E2E_UPDATE=1"), std::string::npos);
    EXPECT_TRUE(fs::exists(output + "/never_stored-actual.png"));
}

TEST_F(PicturesTest, UpdateModeStoresThePictureAtHalfSize) {
    setenv("DUNHAVEN_E2E_UPDATE", "1", 1);
    EXPECT_TRUE(LooksLikeExpectedIn(Picture(64, 48, kGrey, 8, kRed), expected, output, "stored"));
    unsetenv("DUNHAVEN_E2E_UPDATE");
    Image stored;
    ASSERT_TRUE(stored.Load((expected + "/stored.png").c_str()));
    EXPECT_EQ(stored.Width(), 32u);
    EXPECT_EQ(stored.Height(), 24u);
    EXPECT_TRUE(LooksLikeExpectedIn(Picture(64, 48, kGrey, 8, kRed), expected, output, "stored",
                                    {.channel = 0, .differingFraction = 0.0}));
}
