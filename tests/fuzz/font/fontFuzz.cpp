// Feeds arbitrary font descriptions and glyph strips to the font reader and
// the texture planner, without OpenGL. Input layout: byte 0 gives the cell
// side N (1..32), byte 1 the number of cells in the strip (0..15), byte 2
// the maximum texture side (2^(byte mod 15)); then N·N·cells alpha bytes of
// the strip (missing bytes are 0); the rest is the description text.
#include "core/ConfigTable.h"
#include "core/Log.h"
#include "io/MemoryFile.h"
#include "render/FontDescription.h"
#include "render/Image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void CheckPlan(int32_t cellSize, int32_t glyphCount, int32_t maxSide) {
    int32_t placed = 0;
    for (const FontTexturePlan& plan : PlanFontTextures(cellSize, glyphCount, maxSide)) {
        const bool powerOfTwo = (plan.width & (plan.width - 1)) == 0 && (plan.height & (plan.height - 1)) == 0;
        const int64_t capacity = int64_t(plan.width / cellSize) * (plan.height / cellSize);
        if (!powerOfTwo || plan.width > maxSide || plan.height > maxSide || plan.cells <= 0 ||
            plan.cells > capacity) {
            std::abort();
        }
        placed += plan.cells;
    }
    if (CellFitsTexture(cellSize, maxSide) && placed != glyphCount) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogToStandardOutput(false); // bad lines are expected here by the million
    if (size < 3) {
        return 0;
    }
    const uint32_t side = uint32_t(data[0] % 32) + 1;
    const uint32_t cells = data[1] % 16;
    const int32_t maxSide = int32_t(1) << (data[2] % 15);
    size_t offset = 3;
    Image image;
    if (!image.Create(side, side * (cells ? cells : 1))) {
        return 0;
    }
    for (size_t pixel = 0; pixel < size_t(side) * image.Height(); ++pixel) {
        uint8_t* bytes = image.Pixels() + pixel * 4;
        bytes[0] = bytes[1] = bytes[2] = 255;
        bytes[3] = pixel < size_t(side) * side * cells && offset < size ? data[offset++] : 0;
    }
    MemoryFile file(data + offset, size - offset);
    ConfigTable table;
    table.Read(file);
    FontDescription description;
    if (ReadFontDescription(table, image, description, "fuzz")) {
        if (description.glyphs.size() > image.Height() / side) {
            std::abort(); // every glyph must have its cell inside the strip
        }
        CheckPlan(description.cellSize, int32_t(description.glyphs.size()), maxSide);
    }
    CheckPlan(int32_t(side) * 37, int32_t(cells) * 50, maxSide);
    return 0;
}
