#pragma once
// BoxBlur: the blur behind glow halos and blurred screen backgrounds.
//
// Works in place on a buffer of width × height pixels of 4 bytes (blue, green,
// red, alpha; rows top first). A box filter of width 2·radius + 1 runs first
// along every row, then along every column, on blue, green and red separately;
// each output is the integer sum of the window divided by 2·radius + 1
// (rounded down). Positions outside the picture take the nearest edge pixel's
// value. Alpha becomes 255 everywhere. Nothing happens for radius ≤ 0, a null
// buffer or an empty size.

#include <cstdint>

void BoxBlur(uint8_t* pixels, int32_t width, int32_t height, int32_t radius);
