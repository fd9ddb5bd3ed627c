// Fuzz target: the TGA reader on arbitrary bytes. A picture it accepts must
// survive the writer and the reader unchanged.
#include "core/Log.h"
#include "render/Image.h"
#include "render/ImageDecoders.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetLogToStandardOutput(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DetectImageFormat(data, size);
    Image image;
    if (!DecodeTga(data, size, "fuzz", image)) {
        return 0;
    }
    std::vector<uint8_t> written;
    if (!EncodeTga(image, written)) {
        std::abort();
    }
    Image reread;
    if (!DecodeTga(written.data(), written.size(), "fuzz", reread) ||
        reread.PixelBytes() != image.PixelBytes() ||
        std::memcmp(reread.Pixels(), image.Pixels(), image.PixelBytes()) != 0) {
        std::abort();
    }
    return 0;
}
