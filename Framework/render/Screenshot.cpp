#include "render/Screenshot.h"

#include "core/Log.h"
#include "render/Image.h"
#include "render/ScreenDraw.h"

#include <chrono>
#include <cstdio>
#include <ctime>

ScreenshotTime LocalScreenshotTime() {
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto sinceEpoch = duration_cast<milliseconds>(now.time_since_epoch()).count();
    std::tm local{};
    localtime_r(&seconds, &local);
    ScreenshotTime time;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    time.millisecond = static_cast<int32_t>(((sinceEpoch % 1000) + 1000) % 1000);
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.year = local.tm_year + 1900;
    return time;
}

String ScreenshotFileName(const ScreenshotTime& time) {
    char text[96];
    std::snprintf(text, sizeof text, "screenshot_%02d%02d%02d%04d_%02d%02d%d.tga", time.hour, time.minute,
                  time.second, time.millisecond, time.month, time.day, time.year);
    return String(text);
}

bool SaveScreenshot(const char* name, String* writtenPath) {
    String path;
    if (name && name[0]) {
        path = name;
        path.Append(".tga");
    } else {
        path = ScreenshotFileName(LocalScreenshotTime());
    }
    Image image;
    if (!CaptureScreen(image)) {
        LogFormat("Screenshot \"%s\": the frame buffer could not be read", path.CStr());
        return false;
    }
    if (!image.SaveTga(path.CStr())) {
        LogFormat("Screenshot \"%s\": the file could not be written", path.CStr());
        return false;
    }
    if (writtenPath) {
        *writtenPath = path;
    }
    return true;
}
