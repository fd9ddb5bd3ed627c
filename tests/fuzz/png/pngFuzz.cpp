// Fuzz target: the PNG reader on arbitrary bytes. Every byte of an accepted
// picture is read, so that a buffer shorter than its stated size is caught.
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
    if (!DecodePng(data, size, "fuzz", image)) {
        return 0;
    }
    if (image.PixelBytes() != size_t(image.Width()) * image.Height() * 4) {
        std::abort();
    }
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < image.PixelBytes(); ++i) {
        sum = uint8_t(sum + image.Pixels()[i]);
    }
    return 0;
}
