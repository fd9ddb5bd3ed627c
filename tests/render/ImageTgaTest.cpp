// TGA reading checked against ImageMagick's decode of files it wrote, TGA
// files built byte by byte for the cases ImageMagick does not write, and the
// TGA writer.
#include "render/Image.h"
#include "render/ImageTestTools.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace image_test;
using testing_support::LogCapture;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

/// The 26-byte TGA 2.0 footer: no extension or developer area, then the signature.
const std::string kStandardFooter = std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');

std::string Header(uint8_t type, uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor,
                   uint8_t idLength = 0) {
    std::string header(18, '\0');
    header[0] = char(idLength);
    header[2] = char(type);
    header[12] = char(width & 0xFF);
    header[13] = char(width >> 8);
    header[14] = char(height & 0xFF);
    header[15] = char(height >> 8);
    header[16] = char(bits);
    header[17] = char(descriptor);
    return header;
}

std::vector<uint8_t> Load(const std::string& bytes, Image& image) {
    std::vector<uint8_t> copy = Bytes(bytes);
    image.LoadFromMemory(copy.data(), copy.size(), "test.tga");
    return copy;
}

/// Writes ImageMagick's TGA of the source pattern with `options`, then adds
/// the version-2 footer that ImageMagick leaves out.
std::string MakeTga(const std::string& name, const std::string& options) {
    const std::string plain = TempPath(name + ".plain.tga");
    const std::string file = TempPath(name + ".tga");
    EXPECT_TRUE(Convert(WriteSource(37, 23, 1) + " " + options + " " + plain));
    EXPECT_TRUE(WriteFile(file, ReadFile(plain) + kStandardFooter));
    return file;
}

struct TgaCase {
    const char* name;
    const char* options;
    uint8_t type;
    uint8_t bits;
    uint8_t descriptor;
    uint8_t idLength;
};

void PrintTo(const TgaCase& c, std::ostream* out) {
    *out << c.name;
}

const TgaCase kCases[] = {
    {"bottomUp32", "", 2, 32, 8, 0},
    {"bottomUp24", "-alpha off", 2, 24, 0, 0},
    {"topDown32", "-orient TopLeft", 2, 32, 0x28, 0},
    {"runLength32", "-compress RLE", 10, 32, 8, 0},
    {"runLength24", "-alpha off -compress RLE", 10, 24, 0, 0},
    {"withImageId", "-set comment 'written by a paint program'", 2, 32, 8, 26},
};

class TgaDecode : public ::testing::TestWithParam<TgaCase> {};

} // namespace

TEST_P(TgaDecode, MatchesImageMagickExactly) {
    const TgaCase& c = GetParam();
    const std::string file = MakeTga(c.name, c.options);
    const std::string bytes = ReadFile(file);
    ASSERT_GT(bytes.size(), 18u);
    // The file really has the layout this case is about.
    EXPECT_EQ(uint8_t(bytes[0]), c.idLength);
    EXPECT_EQ(uint8_t(bytes[2]), c.type);
    EXPECT_EQ(uint8_t(bytes[16]), c.bits);
    EXPECT_EQ(uint8_t(bytes[17]), c.descriptor);
    ExpectMatchesReference(file, 0, false, "-auto-orient");
    Image image;
    ASSERT_TRUE(image.Load(file.c_str()));
    EXPECT_EQ(image.Format(), ImageFormat::Tga);
    EXPECT_EQ(image.BitsPerPixel(), 32u);
    if (c.bits == 24) {
        for (size_t i = 3; i < image.PixelBytes(); i += 4) {
            ASSERT_EQ(image.Pixels()[i], 255) << "pixel " << i / 4;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CommonLayouts, TgaDecode, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TgaDecode, SixteenBitPixelsAreFourFieldsOfFourBits) {
    // Two rows, bottom first: the top-left pixel holds red 15, green 0, blue 10, alpha 5.
    std::string file = Header(2, 2, 2, 16, 0);
    const uint16_t bottom[2] = {0x0000, 0x1234};
    const uint16_t top[2] = {0xF0A5, 0xFFFF};
    for (const uint16_t* row : {bottom, top}) {
        for (int x = 0; x < 2; ++x) {
            file.push_back(char(row[x] & 0xFF));
            file.push_back(char(row[x] >> 8));
        }
    }
    file += kStandardFooter;
    Image image;
    Load(file, image);
    ASSERT_EQ(image.Width(), 2u);
    const uint8_t* topLeft = image.PixelAt(0, 0);
    EXPECT_EQ(topLeft[2], 255); // red
    EXPECT_EQ(topLeft[1], 0);   // green
    EXPECT_EQ(topLeft[0], 170); // blue
    EXPECT_EQ(topLeft[3], 85);  // alpha
    const uint8_t white[4] = {255, 255, 255, 255};
    EXPECT_EQ(std::memcmp(image.PixelAt(1, 0), white, 4), 0);
    const uint8_t mixed[4] = {3 * 17, 2 * 17, 1 * 17, 4 * 17}; // 0x1234: red 1, green 2, blue 3, alpha 4
    EXPECT_EQ(std::memcmp(image.PixelAt(1, 1), mixed, 4), 0);
}

TEST(TgaDecode, ColourMapOfATrueColourFileIsSkipped) {
    // Colour-map type 1 with two 24-bit entries (6 bytes) before a 1 × 1 pixel.
    std::string file = Header(2, 1, 1, 32, 8);
    file[1] = 1;
    file[5] = 2;
    file[7] = 24;
    file += std::string(6, '\x77') + "\x10\x20\x30\x40" + kStandardFooter;
    Image image;
    Load(file, image);
    ASSERT_NE(image.PixelAt(0, 0), nullptr);
    EXPECT_EQ(std::memcmp(image.PixelAt(0, 0), "\x10\x20\x30\x40", 4), 0);
}

TEST(TgaDecode, RunLengthPacketsCrossRowsAndStopAtTheLastPixel) {
    // 3 × 2, bottom row first: one repeat packet of 4 pixels crossing into the
    // top row, then a literal packet that claims 3 pixels where 2 remain.
    std::string file = Header(10, 3, 2, 24, 0);
    file += "\x83\x01\x02\x03";
    file += "\x02\x0A\x0B\x0C\x0D\x0E\x0F\x11\x12\x13";
    file += kStandardFooter;
    Image image;
    Load(file, image);
    ASSERT_EQ(image.Height(), 2u);
    const uint8_t run[4] = {1, 2, 3, 255};
    for (uint32_t x = 0; x < 3; ++x) {
        EXPECT_EQ(std::memcmp(image.PixelAt(x, 1), run, 4), 0) << x;
    }
    EXPECT_EQ(std::memcmp(image.PixelAt(0, 0), run, 4), 0);
    const uint8_t literal[4] = {0x0A, 0x0B, 0x0C, 255};
    EXPECT_EQ(std::memcmp(image.PixelAt(1, 0), literal, 4), 0);
    const uint8_t last[4] = {0x0D, 0x0E, 0x0F, 255};
    EXPECT_EQ(std::memcmp(image.PixelAt(2, 0), last, 4), 0);
}

TEST(TgaDecode, FilesWithoutTheFooterSignatureAreNotRecognised) {
    const std::string plain = TempPath("plain.tga");
    ASSERT_TRUE(Convert(WriteSource(8, 8, 1) + " " + plain));
    LogCapture log;
    Image image;
    EXPECT_FALSE(image.Load(plain.c_str()));
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("unknown image format"));
}

TEST(TgaDecode, UnsupportedHeadersAreRefused) {
    LogCapture log;
    struct {
        std::string header;
        const char* reason;
    } cases[] = {
        {Header(1, 4, 4, 8, 0), "unsupported TGA image type 1"},    // colour-mapped
        {Header(3, 4, 4, 16, 0), "unsupported TGA image type 3"},   // greyscale
        {Header(11, 4, 4, 16, 0), "unsupported TGA image type 11"}, // run-length greyscale
        {Header(2, 4, 4, 8, 0), "unsupported TGA depth of 8 bits"},
        {Header(2, 4, 4, 15, 0), "unsupported TGA depth of 15 bits"},
        {Header(2, 0, 4, 32, 8), "empty picture"},
        {Header(2, 4, 0, 32, 8), "empty picture"},
        {Header(2, 4, 4, 32, 8, 200), "image ID and colour map run past the end"},
    };
    for (const auto& c : cases) {
        log.Clear();
        Image image;
        Load(c.header + std::string(64, '\x55') + kStandardFooter, image);
        ExpectEmpty(image);
        EXPECT_TRUE(log.Contains(c.reason)) << c.reason;
    }
}

TEST(TgaDecode, TruncatedPixelDataFailsEvenWithTheFooterKept) {
    for (const char* options : {"", "-compress RLE"}) {
        const std::string file = MakeTga(options[0] ? "rle" : "raw", options);
        const std::string bytes = ReadFile(file);
        const std::string body = bytes.substr(0, bytes.size() - kStandardFooter.size());
        LogCapture log;
        for (size_t length = 18; length < body.size(); ++length) {
            Image image;
            Load(body.substr(0, length) + kStandardFooter, image);
            ASSERT_EQ(image.Pixels(), nullptr) << options << " cut at " << length << " of " << body.size();
            ExpectEmpty(image);
        }
        EXPECT_TRUE(log.Contains("truncated TGA"));
        // Cut inside the header: what is left cannot hold the picture.
        for (size_t length = 0; length < 18; ++length) {
            Image image;
            Load(body.substr(0, length) + kStandardFooter, image);
            ExpectEmpty(image);
        }
        DecodeWithFlippedBytes(Bytes(bytes), 300);
    }
}

TEST(TgaDecode, HugeDeclaredSizeInASmallFileIsRefusedBeforeAllocating) {
    LogCapture log;
    Image image;
    Load(Header(2, 65535, 65535, 32, 8) + "\1\2\3\4" + kStandardFooter, image);
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("picture too large (65535 x 65535 pixels)"));
    log.Clear();
    Load(Header(10, 8000, 8000, 32, 8) + "\xFF\1\2\3\4" + kStandardFooter, image);
    ExpectEmpty(image);
    EXPECT_TRUE(log.Contains("truncated TGA pixel data"));
}

TEST(TgaWrite, ScreenshotLayoutAndRoundTrip) {
    Image picture;
    ASSERT_TRUE(picture.Create(5, 3));
    for (size_t i = 0; i < picture.PixelBytes(); ++i) {
        picture.Pixels()[i] = uint8_t(i * 37 + 11);
    }
    const std::string path = TempPath("screenshot.tga");
    ASSERT_TRUE(picture.SaveTga(path.c_str()));
    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 18u + 5 * 3 * 4 + 18);
    EXPECT_EQ(bytes.substr(0, 18), Header(2, 5, 3, 32, 8));
    EXPECT_EQ(bytes.substr(bytes.size() - 18), std::string("TRUEVISION-XFILE") + std::string(2, '\0'));
    // Last row of the image first.
    EXPECT_EQ(std::memcmp(bytes.data() + 18, picture.PixelAt(0, 2), 20), 0);

    Image reread;
    ASSERT_TRUE(reread.Load(path.c_str()));
    ASSERT_EQ(reread.PixelBytes(), picture.PixelBytes());
    EXPECT_EQ(std::memcmp(reread.Pixels(), picture.Pixels(), picture.PixelBytes()), 0);
    // Other programs read the file the same way.
    EXPECT_EQ(MaxDifference(picture, ReferenceRgba(path, false, "-auto-orient")), 0);
}

TEST(TgaWrite, RefusesWhatItCannotWriteAndReportsFailedWrites) {
    LogCapture log;
    Image empty;
    EXPECT_FALSE(empty.SaveTga(TempPath("empty.tga").c_str()));
    Image wide;
    ASSERT_TRUE(wide.Create(65536, 1));
    EXPECT_FALSE(wide.SaveTga(TempPath("wide.tga").c_str()));
    EXPECT_TRUE(ReadFile(TempPath("wide.tga")).empty());

    Image picture;
    ASSERT_TRUE(picture.Create(2, 2));
    std::memset(picture.Pixels(), 0, picture.PixelBytes());
    EXPECT_FALSE(picture.SaveTga(TempPath("no/such/folder/shot.tga").c_str()));
    EXPECT_TRUE(log.Contains("cannot write the file; any earlier file is kept"));
}

// A saved picture (the player's background among them) is replaced whole: a
// process killed at any moment of a save leaves the previous picture or the
// new one, never a file cut short.
TEST(TgaWrite, KilledWhileSavingLeavesOneWholePicture) {
    const std::string path = TempPath("background.tga");
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> pause(0, 20000);
    for (int round = 0; round < 40; ++round) {
        int reports[2];
        ASSERT_EQ(pipe(reports), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(reports[0]);
            Image picture;
            if (!picture.Create(1024, 768)) {
                _exit(1);
            }
            for (uint8_t shade = 1;; ++shade) {
                std::memset(picture.Pixels(), shade, picture.PixelBytes());
                if (picture.SaveTga(path.c_str()) && write(reports[1], &shade, 1) != 1) {
                    _exit(1);
                }
            }
        }
        close(reports[1]);
        uint8_t shade = 0;
        pollfd first{reports[0], POLLIN, 0};
        const bool saved = poll(&first, 1, 60000) == 1 && read(reports[0], &shade, 1) == 1;
        usleep(useconds_t(pause(random)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(reports[0]);
        ASSERT_TRUE(saved) << "the child saved nothing in round " << round;

        Image reread;
        ASSERT_TRUE(reread.Load(path.c_str()))
            << "round " << round << ": " << ReadFile(path).size() << " bytes";
        ASSERT_EQ(reread.Width(), 1024u);
        const uint8_t value = reread.Pixels()[0];
        for (size_t i = 0; i < reread.PixelBytes(); i += 4) {
            ASSERT_EQ(reread.Pixels()[i], value) << "round " << round << ": pixels of two saves mixed";
        }
    }
}
