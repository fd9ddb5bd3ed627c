// Fuzz target: the JPEG reader on arbitrary bytes.
#include "core/Log.h"
#include "render/Image.h"
#include "render/ImageDecoders.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetLogToStandardOutput(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image image;
    if (!DecodeJpeg(data, size, "fuzz", image)) {
        return 0;
    }
    if (image.PixelBytes() != size_t(image.Width()) * image.Height() * 4) {
        std::abort();
    }
    for (size_t i = 3; i < image.PixelBytes(); i += 4) {
        if (image.Pixels()[i] != 255) {
            std::abort();
        }
    }
    return 0;
}
