#pragma once
// Y'CbCr to blue, green, red conversion for decoded video pictures.
//
// Five tables over the byte values 0 … 255 hold the BT.601 coefficients
// scaled by 8192 (13 fraction bits), each entry truncated towards zero:
//   luma(v) = (v − 16) · 9535.988      crR(v) = (v − 128) · 13074.932
//   cbG(v)  = (v − 128) · 3203.572     crG(v) = (v − 128) · 6660.596
//   cbB(v)  = (v − 128) · 16531.956
// red = clamp(luma(y) + crR(cr)), green = clamp(luma(y) − (cbG(cb) + crG(cr))),
// blue = clamp(luma(y) + cbB(cb)); clamp(a) is 0 below 0, 255 from 2^21 on,
// else a >> 13. So luma 16 is black, 235 gives 254 and 255 gives 255.

#include <cstdint>

struct YuvTables {
    int32_t luma[256];
    int32_t crR[256];
    int32_t cbG[256];
    int32_t crG[256];
    int32_t cbB[256];
};

/// The tables, built on first use.
const YuvTables& GetYuvTables();

/// One plane of a decoded picture: `stride` bytes from one row to the next.
struct YuvPlane {
    const uint8_t* data = nullptr;
    int32_t stride = 0;
};

/// A picture whose chroma planes have half (shift 1) or full (shift 0)
/// resolution in each direction. Coordinates are those of the luma plane.
struct YuvPicture {
    YuvPlane y, cb, cr;
    int32_t chromaShiftX = 1;
    int32_t chromaShiftY = 1;
};

/// Converts the `width` × `height` rectangle at (`left`, `top`) of the picture
/// into `out` (4 bytes per pixel, blue, green, red, alpha; `outStride` bytes
/// per row). The alpha bytes are not written. The caller guarantees that the
/// rectangle lies inside every plane.
void ConvertYuvToBgr(const YuvPicture& picture, int32_t left, int32_t top, int32_t width, int32_t height,
                     uint8_t* out, int32_t outStride);
