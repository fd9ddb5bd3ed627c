#include "PngWriter.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

bool WritePng(const char* path, const uint8_t* bgra, uint32_t width, uint32_t height, std::string& error) {
    FILE* out = std::fopen(path, "wb");
    if (!out) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    bool ok = png && info;
    // libpng reports errors by jumping back here; nothing below owns memory
    // that the jump would leak except what png_destroy_write_struct frees.
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, out);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* source = bgra + static_cast<size_t>(y) * width * 4;
            for (uint32_t x = 0; x < width; ++x) {
                row[x * 4 + 0] = source[x * 4 + 2];
                row[x * 4 + 1] = source[x * 4 + 1];
                row[x * 4 + 2] = source[x * 4 + 0];
                row[x * 4 + 3] = source[x * 4 + 3];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(out) == 0;
    if (!closed || !ok) {
        error = std::string("cannot write ") + path + ": " +
                (closed ? "the PNG encoder failed" : std::strerror(errno));
        std::remove(path);
        return false;
    }
    return true;
}
