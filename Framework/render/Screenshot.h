#pragma once
// Screenshots: the frame buffer written as an uncompressed 32-bit TGA file.
//
// An unnamed screenshot is called "screenshot_" + hour, minute, second (two
// digits each) + milliseconds (four digits) + "_" + month, day (two digits
// each) + year (unpadded) + ".tga", in local time: 14:05:09.123 on
// 7 April 2024 gives "screenshot_1405090123_04072024.tga". A named one is
// the name + ".tga". Files go to the working directory (or wherever a name
// with folders points).

#include "core/String.h"

#include <cstdint>

struct ScreenshotTime {
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t millisecond = 0;
    int32_t month = 1; ///< 1 … 12
    int32_t day = 1;
    int32_t year = 1970;
};

/// The local time now, to the millisecond.
ScreenshotTime LocalScreenshotTime();
/// The file name of an unnamed screenshot taken at `time`.
String ScreenshotFileName(const ScreenshotTime& time);

/// Reads the frame buffer at the display size and writes it as a TGA file
/// named as above (`name` null or empty: the time-stamped name). The path
/// written goes to `writtenPath` when given. False when the capture or the
/// write fails.
bool SaveScreenshot(const char* name, String* writtenPath = nullptr);
