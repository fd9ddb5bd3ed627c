// Delta images: files written by the test, their entry list and mask, the
// full picture they expand to, and damaged files.
#include "render/Image.h"
#include "render/ImageTestTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace image_test;
using testing_support::LogCapture;

namespace {

void AppendWord(std::string& out, uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(char((word >> (8 * i)) & 0xFF));
    }
}

/// A delta file of the given size whose payload is `words`.
std::string DeltaFile(uint16_t width, uint16_t height, const std::vector<uint32_t>& words) {
    std::string file;
    file.push_back(char(width & 0xFF));
    file.push_back(char(width >> 8));
    file.push_back(char(height & 0xFF));
    file.push_back(char(height >> 8));
    for (uint32_t word : words) {
        AppendWord(file, word);
    }
    return file + "VARNO-DELTA-FILE" + std::string("\x12\x34", 2);
}

bool Load(const std::string& file, Image& image) {
    const std::vector<uint8_t> bytes = Bytes(file);
    return image.LoadFromMemory(bytes.data(), bytes.size(), "test.delta");
}

/// Entry `index`: x, y and the pixel word.
struct Entry {
    uint32_t x;
    uint32_t y;
    uint32_t pixel;
};

Entry EntryAt(const Image& image, size_t index) {
    uint32_t words[2];
    std::memcpy(words, image.Pixels() + index * 8, 8);
    return Entry{words[0] & 0xFFFF, words[0] >> 16, words[1]};
}

bool MaskBit(const Image& image, size_t bit) {
    return (image.Mask()[bit / 8] >> (bit % 8)) & 1;
}

} // namespace

TEST(DeltaImage, RunIndicesCountFromTheBottomLeftPixel) {
    // 4 × 2, one run of two pixels starting at index 0: the bottom row's first two pixels.
    Image image;
    ASSERT_TRUE(Load(DeltaFile(4, 2, {2, 0, 0xAABBCCDD, 0x11223344}), image));
    EXPECT_EQ(image.Format(), ImageFormat::Delta);
    EXPECT_TRUE(image.IsSparse());
    EXPECT_EQ(image.Width(), 4u);
    EXPECT_EQ(image.Height(), 2u);
    EXPECT_EQ(image.BitsPerPixel(), 2u);
    ASSERT_EQ(image.PixelBytes(), 16u);
    const Entry first = EntryAt(image, 0);
    const Entry second = EntryAt(image, 1);
    EXPECT_EQ(first.x, 0u);
    EXPECT_EQ(first.y, 1u);
    EXPECT_EQ(first.pixel, 0xAABBCCDDu);
    EXPECT_EQ(second.x, 1u);
    EXPECT_EQ(second.y, 1u);
    EXPECT_EQ(second.pixel, 0x11223344u);
    ASSERT_EQ(image.Mask().size(), 1u);
    EXPECT_EQ(image.Mask()[0], 0x30); // bits 4 and 5
    EXPECT_EQ(image.PixelAt(0, 1), nullptr) << "no picture until expanded";
}

TEST(DeltaImage, ExpandsToAFullPictureTransparentElsewhere) {
    // 3 × 3: a run crossing from the bottom row into the middle one, a run of
    // count 0, and one pixel at index 3 × 2 (first pixel of the top row).
    const std::vector<uint32_t> words = {2, 2, 0x01010101, 0x02020202, 0, 5, 1, 6, 0x03030303};
    Image image;
    ASSERT_TRUE(Load(DeltaFile(3, 3, words), image));
    EXPECT_EQ(image.BitsPerPixel(), 3u);
    const std::vector<uint8_t> mask = image.Mask();
    ASSERT_TRUE(image.ExpandDelta());
    EXPECT_FALSE(image.IsSparse());
    EXPECT_EQ(image.Format(), ImageFormat::Delta);
    EXPECT_EQ(image.BitsPerPixel(), 32u);
    EXPECT_EQ(image.Mask(), mask);
    ASSERT_EQ(image.PixelBytes(), 3u * 3 * 4);

    uint32_t expected[3][3] = {}; // [y][x], y from the top
    expected[2][2] = 0x01010101;  // index 2: bottom row, x 2
    expected[1][0] = 0x02020202;  // index 3: middle row, x 0
    expected[0][0] = 0x03030303;  // index 6: top row, x 0
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 3; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, image.PixelAt(x, y), 4);
            EXPECT_EQ(pixel, expected[y][x]) << x << "," << y;
            EXPECT_EQ(MaskBit(image, y * 3 + x), expected[y][x] != 0) << x << "," << y;
        }
    }
    // Whole-picture pixels can now be written like any other picture.
    EXPECT_TRUE(image.SaveTga(TempPath("delta.tga").c_str()));
}

TEST(DeltaImage, DamagedFilesAreRefused) {
    LogCapture log;
    struct {
        std::string file;
        const char* reason;
    } cases[] = {
        {DeltaFile(4, 2, {}), "has no payload"}, // exactly 22 bytes
        {DeltaFile(4, 2, {1, 0, 7}).insert(8, "x"), "not a whole number of 32-bit words"},
        {DeltaFile(4, 2, {uint32_t(-1), 0, 7}), "negative delta run count -1"},
        {DeltaFile(4, 2, {3, 0, 7, 7}), "leaves the payload"},
        {DeltaFile(4, 2, {0x7FFFFFFF, 0, 7}), "leaves the payload"},
        {DeltaFile(4, 2, {2, 7, 7, 7}), "leaves the 8-pixel picture"},
        {DeltaFile(4, 2, {1, 0xFFFFFFFF, 7}), "leaves the 8-pixel picture"},
        {DeltaFile(4, 2, {1, 0, 7, 1}), "run header cut off"},
        {DeltaFile(4, 2, {0, 0, 0, 3}), "lists no pixels"},
        {DeltaFile(0, 2, {1, 0, 7}), "empty picture"},
    };
    for (const auto& c : cases) {
        log.Clear();
        Image image;
        EXPECT_FALSE(Load(c.file, image)) << c.reason;
        ExpectEmpty(image);
        EXPECT_TRUE(log.Contains(c.reason)) << c.reason;
        EXPECT_FALSE(image.ExpandDelta());
    }
}

TEST(DeltaImage, ThirtyTwoEntriesAreNotMistakenForAPicture) {
    // bitsPerPixel holds the entry count, so 32 entries read "32 bits per pixel".
    std::vector<uint32_t> words = {32, 0};
    words.resize(2 + 32, 0xFF00FF00);
    Image image;
    ASSERT_TRUE(Load(DeltaFile(64, 64, words), image));
    EXPECT_EQ(image.BitsPerPixel(), 32u);
    LogCapture log;
    EXPECT_FALSE(image.SaveTga(TempPath("sparse.tga").c_str()));
    ASSERT_TRUE(image.ExpandDelta());
    EXPECT_TRUE(image.SaveTga(TempPath("expanded.tga").c_str()));
}

TEST(DeltaImage, CutAndFlippedFilesStayConsistent) {
    std::vector<uint32_t> words;
    for (uint32_t run = 0; run < 20; ++run) {
        words.push_back(run % 4);
        words.push_back(run * 37);
        for (uint32_t i = 0; i < run % 4; ++i) {
            words.push_back(run * 0x01020304u + i);
        }
    }
    const std::string file = DeltaFile(30, 30, words);
    const std::string body = file.substr(0, file.size() - 18);
    const std::string footer = file.substr(file.size() - 18);
    LogCapture log;
    for (size_t length = 0; length < body.size(); ++length) {
        Image image;
        if (Load(body.substr(0, length) + footer, image)) {
            ASSERT_TRUE(image.ExpandDelta());
            EXPECT_EQ(image.PixelBytes(), 30u * 30 * 4);
        } else {
            ExpectEmpty(image);
        }
    }
    DecodeWithFlippedBytes(Bytes(file), 500);
}
