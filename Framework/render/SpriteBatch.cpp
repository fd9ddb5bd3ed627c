#include "render/SpriteBatch.h"

#include "render/RenderState.h"
#include "render/Sprite.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kCornersPerQuad = 4;

struct BatchArrays {
    std::vector<float> positions; // x, y, z per corner
    std::vector<float> texCoords; // u, v per corner
    std::vector<float> colors;    // r, g, b, a per corner
    int32_t quads = 0;
    int32_t capacity = 0;
    float width = 0.0f;
    float height = 0.0f;
    float uMax = 0.0f;
    float vMax = 0.0f;
    bool active = false;
    int64_t drawCalls = 0;
};

BatchArrays& Arrays() {
    static BatchArrays arrays;
    return arrays;
}

void Reserve(BatchArrays& arrays, int32_t quads) {
    if (quads <= arrays.capacity) {
        return;
    }
    int32_t grown = arrays.capacity > 0 ? arrays.capacity : 64;
    while (grown < quads) {
        grown *= 2;
    }
    arrays.positions.resize(size_t(grown) * kCornersPerQuad * 3);
    arrays.texCoords.resize(size_t(grown) * kCornersPerQuad * 2);
    arrays.colors.resize(size_t(grown) * kCornersPerQuad * 4);
    arrays.capacity = grown;
}

} // namespace

bool SpriteBatch::Begin(Sprite& sprite, int32_t expectedQuads, bool transformed) {
    BatchArrays& arrays = Arrays();
    arrays.quads = 0;
    arrays.active = sprite.Bind(transformed);
    if (!arrays.active) {
        return false;
    }
    Reserve(arrays, expectedQuads > 0 ? expectedQuads : 1);
    arrays.width = float(sprite.Width());
    arrays.height = float(sprite.Height());
    arrays.uMax = sprite.UMax();
    arrays.vMax = sprite.VMax();
    return true;
}

void SpriteBatch::Add(const QuadPlacement& p, const float color[4]) {
    BatchArrays& arrays = Arrays();
    if (!arrays.active) {
        return;
    }
    if (arrays.quads == arrays.capacity) {
        Reserve(arrays, arrays.quads + 1);
    }
    const float w = arrays.width;
    const float h = arrays.height;
    const float corners[kCornersPerQuad][2] = {{0.0f, 0.0f}, {w, 0.0f}, {w, h}, {0.0f, h}};
    const float coords[kCornersPerQuad * 2] = {0.0f,        0.0f,        arrays.uMax, 0.0f,
                                               arrays.uMax, arrays.vMax, 0.0f,        arrays.vMax};
    float* position = arrays.positions.data() + size_t(arrays.quads) * kCornersPerQuad * 3;
    float* colour = arrays.colors.data() + size_t(arrays.quads) * kCornersPerQuad * 4;
    for (int corner = 0; corner < kCornersPerQuad; ++corner) {
        const float u = corners[corner][0];
        const float v = corners[corner][1];
        position[corner * 3 + 0] = p.originX + u * p.axisUX + v * p.axisVX;
        position[corner * 3 + 1] = p.originY + u * p.axisUY + v * p.axisVY;
        position[corner * 3 + 2] = p.z;
        std::memcpy(colour + corner * 4, color, 4 * sizeof(float));
    }
    std::memcpy(arrays.texCoords.data() + size_t(arrays.quads) * kCornersPerQuad * 2, coords, sizeof coords);
    ++arrays.quads;
}

void SpriteBatch::Flush() {
    BatchArrays& arrays = Arrays();
    if (!arrays.active || arrays.quads == 0) {
        arrays.active = false;
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays.positions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, arrays.texCoords.data());
    glColorPointer(4, GL_FLOAT, 0, arrays.colors.data());
    glDrawArrays(GL_QUADS, 0, arrays.quads * kCornersPerQuad);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // The colour array leaves GL's current colour undefined: put back the
    // one the render stack records.
    const float* color = RenderStack::Current().color;
    RenderStack::SetColor(color[0], color[1], color[2], color[3]);
    ++arrays.drawCalls;
    arrays.quads = 0;
    arrays.active = false;
}

int64_t SpriteBatch::DrawCalls() {
    return Arrays().drawCalls;
}
