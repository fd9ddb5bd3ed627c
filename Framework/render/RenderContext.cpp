#include "render/RenderContext.h"

#include "core/Log.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"

#include <GL/gl.h>

#include <memory>
#include <new>

namespace {

int32_t displayWidth = 1024;
int32_t displayHeight = 768;
int32_t maxTextureSize = 0;
std::unique_ptr<uint8_t[]> scratch;

} // namespace

bool InitRenderContext(int32_t width, int32_t height) {
    SetDisplaySize(width, height);
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    maxTextureSize = size;
    RenderStack::Init();
    SetViewport(0, 0, width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (!AllocateTextureScratch()) {
        LogLine("Render context: the 4 MiB texture scratch buffer could not be allocated");
        return false;
    }
    return true;
}

void ShutdownRenderContext() {
    EvictUnusedTextures(false);
    ForgetKeptFrame();
    FreeTextureScratch();
    maxTextureSize = 0;
}

void SetDisplaySize(int32_t width, int32_t height) {
    displayWidth = width > 0 ? width : 0;
    displayHeight = height > 0 ? height : 0;
}

int32_t DisplayWidth() {
    return displayWidth;
}

int32_t DisplayHeight() {
    return displayHeight;
}

int32_t MaxTextureSize() {
    if (maxTextureSize <= 0) {
        GLint size = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
        maxTextureSize = size > 0 ? size : 0;
    }
    return maxTextureSize;
}

void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
    glViewport(x, y, width, height);
}

const uint8_t* TextureScratch() {
    AllocateTextureScratch();
    return scratch.get();
}

bool AllocateTextureScratch() {
    if (!scratch) {
        scratch.reset(new (std::nothrow) uint8_t[kTextureScratchBytes]());
    }
    return scratch != nullptr;
}

void FreeTextureScratch() {
    scratch.reset();
}
