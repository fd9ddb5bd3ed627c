#include "video/YuvConversion.h"

#include <cstddef>

namespace {

YuvTables BuildTables() {
    YuvTables tables{};
    for (int v = 0; v < 256; ++v) {
        // Casting truncates towards zero, as the tables are defined.
        tables.luma[v] = int32_t((v - 16) * 9535.988);
        tables.crR[v] = int32_t((v - 128) * 13074.932);
        tables.cbG[v] = int32_t((v - 128) * 3203.572);
        tables.crG[v] = int32_t((v - 128) * 6660.596);
        tables.cbB[v] = int32_t((v - 128) * 16531.956);
    }
    return tables;
}

inline uint8_t Clamp(int32_t value) {
    if (value < 0) {
        return 0;
    }
    if (value >= (1 << 21)) {
        return 255;
    }
    return uint8_t(value >> 13);
}

inline void WritePixel(const YuvTables& t, int32_t y, int32_t cb, int32_t cr, uint8_t* target) {
    const int32_t luma = t.luma[y];
    target[0] = Clamp(luma + t.cbB[cb]);
    target[1] = Clamp(luma - (t.cbG[cb] + t.crG[cr]));
    target[2] = Clamp(luma + t.crR[cr]);
}

} // namespace

const YuvTables& GetYuvTables() {
    static const YuvTables tables = BuildTables();
    return tables;
}

void ConvertYuvToBgr(const YuvPicture& picture, int32_t left, int32_t top, int32_t width, int32_t height,
                     uint8_t* out, int32_t outStride) {
    const YuvTables& t = GetYuvTables();
    const int32_t sx = picture.chromaShiftX;
    const int32_t sy = picture.chromaShiftY;
    for (int32_t row = 0; row < height; ++row) {
        const int32_t y = top + row;
        const uint8_t* lumaRow = picture.y.data + std::ptrdiff_t(y) * picture.y.stride;
        const uint8_t* cbRow = picture.cb.data + std::ptrdiff_t(y >> sy) * picture.cb.stride;
        const uint8_t* crRow = picture.cr.data + std::ptrdiff_t(y >> sy) * picture.cr.stride;
        uint8_t* target = out + std::ptrdiff_t(row) * outStride;
        int32_t column = 0;
        if (sx == 1) {
            // Pixel pairs that share one chroma sample: the chroma terms are
            // looked up once for both.
            if (left & 1) {
                WritePixel(t, lumaRow[left], cbRow[left >> 1], crRow[left >> 1], target);
                target += 4;
                column = 1;
            }
            for (; column + 1 < width; column += 2) {
                const int32_t x = left + column;
                const int32_t cb = cbRow[x >> 1];
                const int32_t cr = crRow[x >> 1];
                const int32_t blue = t.cbB[cb];
                const int32_t green = t.cbG[cb] + t.crG[cr];
                const int32_t red = t.crR[cr];
                for (int32_t k = 0; k < 2; ++k) {
                    const int32_t luma = t.luma[lumaRow[x + k]];
                    target[0] = Clamp(luma + blue);
                    target[1] = Clamp(luma - green);
                    target[2] = Clamp(luma + red);
                    target += 4;
                }
            }
        }
        for (; column < width; ++column) {
            const int32_t x = left + column;
            WritePixel(t, lumaRow[x], cbRow[x >> sx], crRow[x >> sx], target);
            target += 4;
        }
    }
}
