#include "render/Texture.h"

#include "render/Image.h"
#include "render/RenderContext.h"

#include <GL/gl.h>

namespace {

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

} // namespace

Texture::~Texture() {
    Release();
}

bool Texture::Create(const Image& image) {
    Release();
    const uint32_t imageWidth = image.Width();
    const uint32_t imageHeight = image.Height();
    const int32_t limit = MaxTextureSize();
    if (image.IsSparse() || !image.Pixels() || limit <= 0 || imageWidth > uint32_t(limit) ||
        imageHeight > uint32_t(limit) || !IsPowerOfTwo(imageWidth) || !IsPowerOfTwo(imageHeight) ||
        image.PixelBytes() < size_t(imageWidth) * imageHeight * 4) {
        return false;
    }
    GLuint textureName = 0;
    glGenTextures(1, &textureName);
    if (textureName == 0) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, textureName);
    // Filters belong to each texture object, and GL's own default minifies
    // through mipmaps this texture does not have, which leaves it incomplete
    // (it samples as white). Nearest-neighbour is the engine's default; the
    // render-state scripts may choose another filter afterwards.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, GLsizei(imageWidth), GLsizei(imageHeight), 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, image.Pixels());
    name = textureName;
    width = int32_t(imageWidth);
    height = int32_t(imageHeight);
    return true;
}

void Texture::Release() {
    if (name >= 0) {
        const GLuint textureName = GLuint(name);
        glDeleteTextures(1, &textureName);
    }
    name = -1;
    width = 0;
    height = 0;
}

bool Texture::Bind() const {
    if (name < 0) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(name));
    return true;
}
