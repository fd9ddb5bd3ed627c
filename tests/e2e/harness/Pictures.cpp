#include "Pictures.h"

#include "PngWriter.h"
#include "render/Image.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kExpectedFolder = std::string(TEST_SOURCE_DIR) + "/e2e/expected";
const std::string kOutputFolder = std::string(TEST_BINARY_DIR) + "/e2e-output";

bool UpdateRequested() {
    const char* update = std::getenv("DUNHAVEN_E2E_UPDATE");
    return update && std::string(update) == "1";
}

} // namespace

void HalfSize(const Image& source, Image& out) {
    const uint32_t width = source.Width() / 2, height = source.Height() / 2;
    if (width == 0 || height == 0 || !out.Create(width, height)) {
        out.Release();
        return;
    }
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* corners[4] = {source.PixelAt(2 * x, 2 * y), source.PixelAt(2 * x + 1, 2 * y),
                                         source.PixelAt(2 * x, 2 * y + 1),
                                         source.PixelAt(2 * x + 1, 2 * y + 1)};
            uint8_t* target = out.PixelAt(x, y);
            for (int c = 0; c < 4; ++c) {
                const int sum = corners[0][c] + corners[1][c] + corners[2][c] + corners[3][c];
                target[c] = static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
}

bool SavePicture(const Image& picture, const std::string& path) {
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    std::string error;
    return WritePng(path.c_str(), picture.Pixels(), picture.Width(), picture.Height(), error);
}

double DifferingShare(const Image& a, const Image& b, int channelTolerance) {
    Image halfA, halfB;
    HalfSize(a, halfA);
    HalfSize(b, halfB);
    const long differing = CountDifferingPixels(halfA, halfB, channelTolerance, nullptr);
    if (differing < 0) {
        return 1.0;
    }
    return double(differing) / (double(halfA.Width()) * double(halfA.Height()));
}

::testing::AssertionResult LooksLikeExpected(const Image& windowPicture, const std::string& name,
                                             PictureTolerance tolerance) {
    return LooksLikeExpectedIn(windowPicture, kExpectedFolder, kOutputFolder, name, tolerance);
}

::testing::AssertionResult LooksLikeExpectedIn(const Image& windowPicture, const std::string& expectedFolder,
                                               const std::string& outputFolder, const std::string& name,
                                               PictureTolerance tolerance) {
    Image actual;
    HalfSize(windowPicture, actual);
    const std::string expectedPath = expectedFolder + "/" + name + ".png";
    if (UpdateRequested()) {
        if (!SavePicture(actual, expectedPath)) {
            return ::testing::AssertionFailure() << "cannot write " << expectedPath;
        }
        std::printf("wrote the expected picture %s\n", expectedPath.c_str());
        return ::testing::AssertionSuccess();
    }
    const std::string actualPath = outputFolder + "/" + name + "-actual.png";
    Image expected;
    if (!fs::exists(expectedPath) || !expected.Load(expectedPath.c_str())) {
        SavePicture(actual, actualPath);
        return ::testing::AssertionFailure() << "no expected picture " << expectedPath << "; the game showed "
                                             << actualPath << " (DUNHAVEN_E2E_UPDATE=1 stores it)";
    }
    Image diff;
    const long differing = CountDifferingPixels(actual, expected, tolerance.channel, &diff);
    if (differing < 0) {
        SavePicture(actual, actualPath);
        return ::testing::AssertionFailure()
               << "the picture is " << actual.Width() << " x " << actual.Height() << ", the expected one "
               << expected.Width() << " x " << expected.Height() << "; see " << actualPath;
    }
    const double share = double(differing) / (double(actual.Width()) * double(actual.Height()));
    if (share > tolerance.differingFraction) {
        const std::string diffPath = outputFolder + "/" + name + "-diff.png";
        SavePicture(actual, actualPath);
        SavePicture(diff, diffPath);
        return ::testing::AssertionFailure()
               << differing << " pixels (" << share * 100.0 << "%) differ from " << expectedPath
               << "; the game showed " << actualPath << ", differences in " << diffPath;
    }
    return ::testing::AssertionSuccess();
}

double MeanBrightness(const Image& picture, uint32_t top, uint32_t bottom) {
    double sum = 0.0;
    long count = 0;
    for (uint32_t y = top; y < bottom && y < picture.Height(); ++y) {
        for (uint32_t x = 0; x < picture.Width(); ++x) {
            const uint8_t* p = picture.PixelAt(x, y);
            sum += p[0] + p[1] + p[2];
            ++count;
        }
    }
    return count ? sum / double(count) : 0.0;
}
