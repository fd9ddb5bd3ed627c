#pragma once
// Comparing what the game shows with stored pictures.
//
// Pictures are compared at half size (each pixel the mean of a 2 x 2 block),
// which keeps the stored files small and forgives single-pixel jitter. Two
// pixels match when no channel differs by more than the tolerance; pictures
// match when the share of pixels that do not stays within the allowed
// fraction. On a mismatch the actual picture and a diff picture (mismatching
// pixels red over a dimmed copy of the expected one) are written to
// e2e-output/ in the build folder and named in the failure.
//
// Stored pictures live in tests/e2e/expected/NAME.png. With the environment
// variable DUNHAVEN_E2E_UPDATE=1 the comparison writes the picture there
// instead (look at it before committing it).

#include "support/PictureCompare.h"

#include <gtest/gtest.h>

#include <string>

class Image;

struct PictureTolerance {
    int channel = 24;                 ///< largest difference of one channel, 0..255
    double differingFraction = 0.005; ///< share of pixels allowed to differ
};

/// Half the size in each direction, rounded down.
void HalfSize(const Image& source, Image& out);
using testing_support::CountDifferingPixels;
/// Writes a PNG; false when it cannot be written.
bool SavePicture(const Image& picture, const std::string& path);
/// The mean brightness (r + g + b) of the rows [top, bottom).
double MeanBrightness(const Image& picture, uint32_t top, uint32_t bottom);

/// The window picture at half size against tests/e2e/expected/NAME.png.
::testing::AssertionResult LooksLikeExpected(const Image& windowPicture, const std::string& name,
                                             PictureTolerance tolerance = {});
/// The same with the folders of the stored pictures and of the failure output given.
::testing::AssertionResult LooksLikeExpectedIn(const Image& windowPicture, const std::string& expectedFolder,
                                               const std::string& outputFolder, const std::string& name,
                                               PictureTolerance tolerance = {});
/// The share (0..1) of pixels of the half-size pictures that differ beyond the channel tolerance.
double DifferingShare(const Image& a, const Image& b, int channelTolerance = 24);
