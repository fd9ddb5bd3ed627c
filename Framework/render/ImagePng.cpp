// PNG reader, through libpng on the file's bytes in memory.
//
// A PNG file is an 8-byte signature followed by chunks (32-bit big-endian
// length, 4-letter type, data, CRC): IHDR with size, bit depth (1 to 16),
// colour type (grey 0, RGB 2, palette 3, grey+alpha 4, RGBA 6) and interlace
// method, then PLTE, tRNS and other chunks, the deflated rows in IDAT, IEND.
// libpng parses and checks it all; its transformations bring every colour
// type and depth to 8 bits per channel, blue, green, red, alpha:
// palettes and grey levels below 8 bits are expanded, a tRNS transparent
// colour becomes alpha, 16-bit channels are scaled to 8 bits with rounding,
// grey becomes RGB, pictures without alpha get alpha 255. Interlaced files are
// assembled over their seven passes. Gamma and colour profiles are ignored.
//
// Errors: libpng's error callback must not return. Ours logs the message and
// longjmps (png_longjmp) back to the one function that called setjmp; its
// caller destroys the reader. Warnings are about ancillary chunks and do not
// affect the pixels, so they are dropped.
#include "core/Log.h"
#include "render/ImageDecoders.h"

#include <csetjmp>
#include <cstring>

#include <png.h>

namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t offset;
    const char* name;
};

/// Everything the decode touches after setjmp lives here, in the caller's frame.
struct PngDecoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source{};
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    const auto* source = static_cast<const PngSource*>(png_get_error_ptr(png));
    LogImageFailure(source->name, "PNG decoder: %s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadPngBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->offset) {
        png_error(png, "file ends early");
    }
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

/// Asks libpng for 8-bit channels from whatever the file holds: blue, green,
/// red, alpha, or, for opaque files read in one pass, red, green, blue, which
/// ExpandOpaqueRow then spreads out (one pass over the row instead of
/// libpng's separate swap and fill passes). True in that second case.
bool SetTransformations(png_structp png, png_infop info) {
    const png_byte colourType = png_get_color_type(png, info);
    const png_byte bitDepth = png_get_bit_depth(png, info);
    const bool hasTransparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (hasTransparentColour) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_scale_16(png);
    }
    if (!(colourType & PNG_COLOR_MASK_COLOR)) {
        png_set_gray_to_rgb(png);
    }
    const bool opaque = !(colourType & PNG_COLOR_MASK_ALPHA) && !hasTransparentColour;
    if (opaque && png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
        return true;
    }
    if (opaque) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_bgr(png);
    return false;
}

/// Turns a row of `width` red, green, blue pixels stored from byte `width` of
/// `row` into blue, green, red, 255 from byte 0. Working forwards is safe: pixel
/// i is written to bytes 4i..4i+3, below byte width + 3(i+1) where the next
/// unread pixel starts.
void ExpandOpaqueRow(uint8_t* row, uint32_t width) {
    const uint8_t* in = row + width;
    for (uint32_t i = 0; i < width; ++i, in += 3) {
        const uint8_t red = in[0];
        const uint8_t green = in[1];
        const uint8_t blue = in[2];
        row[4 * i] = blue;
        row[4 * i + 1] = green;
        row[4 * i + 2] = red;
        row[4 * i + 3] = 255;
    }
}

/// The only function that calls setjmp; a longjmp back returns false.
bool RunDecode(PngDecoder& decoder, Image& image) {
    png_structp png = decoder.png;
    png_infop info = decoder.info;
    const char* name = decoder.source.name;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &decoder.source, ReadPngBytes);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!CheckDecodedSize(image, name, width, height)) {
        return false;
    }
    const bool expandRows = SetTransformations(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * (expandRows ? 3 : 4)) {
        LogImageFailure(name, "PNG decoder gave an unexpected row layout");
        return false;
    }
    if (!image.Create(width, height)) {
        LogImageFailure(name, "out of memory for %u x %u pixels", width, height);
        return false;
    }
    if (expandRows) {
        for (png_uint_32 row = 0; row < height; ++row) {
            uint8_t* pixels = image.PixelAt(0, row);
            png_read_row(png, pixels + width, nullptr);
            ExpandOpaqueRow(pixels, width);
        }
        return true;
    }
    // Each pass of an interlaced file fills in more pixels of the same rows.
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 row = 0; row < height; ++row) {
            png_read_row(png, image.PixelAt(0, row), nullptr);
        }
    }
    return true;
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, const char* name, Image& image) {
    image.Release();
    if (!data || size == 0) {
        LogImageFailure(name, "empty PNG file");
        return false;
    }
    PngDecoder decoder;
    decoder.source = PngSource{data, size, 0, name};
    decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decoder.source, OnPngError, OnPngWarning);
    if (decoder.png) {
        decoder.info = png_create_info_struct(decoder.png);
    }
    const bool decoded = decoder.info && RunDecode(decoder, image);
    if (!decoder.info) {
        LogImageFailure(name, "cannot create a PNG reader");
    }
    png_destroy_read_struct(&decoder.png, &decoder.info, nullptr);
    if (!decoded) {
        image.Release();
    }
    return decoded;
}
