#include "render/ScreenDraw.h"

#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/Sprite.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

Matrix4 MakeScreenProjection(int32_t width, int32_t height) {
    Matrix4 projection;
    if (width <= 0 || height <= 0) {
        return projection;
    }
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    std::fill(std::begin(projection.m), std::end(projection.m), 0.0f);
    projection.m[0] = 2.0f / w;
    projection.m[5] = -2.0f / h;
    projection.m[10] = 0.0005f;
    projection.m[12] = -1.0f;
    projection.m[13] = 1.0f + 1.0f / w;
    projection.m[14] = -0.5f;
    projection.m[15] = 1.0f;
    return projection;
}

void ClearScreen() {
    const float* color = RenderStack::Current().color;
    glClearColor(color[0], color[1], color[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void DrawScreenQuad() {
    const float halfWidth = static_cast<float>(DisplayWidth()) / 2.0f;
    const float halfHeight = static_cast<float>(DisplayHeight()) / 2.0f;
    glBegin(GL_QUADS);
    glVertex3f(-halfWidth, -halfHeight, 0.0f);
    glVertex3f(halfWidth, -halfHeight, 0.0f);
    glVertex3f(halfWidth, halfHeight, 0.0f);
    glVertex3f(-halfWidth, halfHeight, 0.0f);
    glEnd();
}

void DrawRectQuad(const Vec2& a, const Vec2& b) {
    glBegin(GL_QUADS);
    glVertex3f(b.x, b.y, 0.0f);
    glVertex3f(a.x, b.y, 0.0f);
    glVertex3f(a.x, a.y, 0.0f);
    glVertex3f(b.x, a.y, 0.0f);
    glEnd();
}

namespace {

struct KeptFrame {
    GLuint texture = 0;
    int32_t width = 0;
    int32_t height = 0;
};

KeptFrame kept;

void ReadFrameBuffer(int32_t width, int32_t height, uint8_t* pixels) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (kept.texture != 0 && kept.width == width && kept.height == height) {
        glBindTexture(GL_TEXTURE_2D, kept.texture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}

} // namespace

void KeepFrame() {
    const int32_t width = DisplayWidth();
    const int32_t height = DisplayHeight();
    if (width <= 0 || height <= 0) {
        return;
    }
    if (kept.texture == 0 || kept.width != width || kept.height != height) {
        ForgetKeptFrame();
        glGenTextures(1, &kept.texture);
        glBindTexture(GL_TEXTURE_2D, kept.texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        // Uninitialised until the first copy below fills all of it.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        kept.width = width;
        kept.height = height;
    }
    glBindTexture(GL_TEXTURE_2D, kept.texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void ForgetKeptFrame() {
    if (kept.texture != 0) {
        glDeleteTextures(1, &kept.texture);
    }
    kept = KeptFrame{};
}

bool HasKeptFrame() {
    return kept.texture != 0;
}

bool ReadScreen(uint8_t* pixels) {
    const int32_t width = DisplayWidth();
    const int32_t height = DisplayHeight();
    if (!pixels || width <= 0 || height <= 0) {
        return false;
    }
    ReadFrameBuffer(width, height, pixels);
    return true;
}

bool CaptureScreen(Sprite& sprite) {
    const int32_t width = DisplayWidth();
    const int32_t height = DisplayHeight();
    if (!sprite.Pixels() || sprite.Width() != width || sprite.Height() != height) {
        return false;
    }
    ReadFrameBuffer(width, height, sprite.Pixels());
    sprite.ReleaseTexture();
    return true;
}

bool CaptureScreen(Image& image) {
    const int32_t width = DisplayWidth();
    const int32_t height = DisplayHeight();
    if (width <= 0 || height <= 0 || !image.Create(uint32_t(width), uint32_t(height))) {
        return false;
    }
    uint8_t* pixels = image.Pixels();
    ReadFrameBuffer(width, height, pixels);
    // OpenGL gives the bottom row first; images keep the top row first.
    const size_t rowBytes = size_t(width) * 4;
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels + size_t(top) * rowBytes, pixels + size_t(top + 1) * rowBytes,
                         pixels + size_t(bottom) * rowBytes);
    }
    return true;
}
