#pragma once
// Texture: a plain OpenGL texture for 3-D models and render-state scripts.
//
// Unlike a sprite texture it is not in the slot table and is never evicted:
// it lives as long as the object. Sides must be powers of two no larger than
// GL_MAX_TEXTURE_SIZE. A new texture filters nearest-neighbour; the
// render-state scripts may switch it to what they need. Main thread only.

#include "core/Object.h"

#include <cstdint>

class Image;

class Texture : public Object {
    ENGINE_CLASS(Texture, Object)

public:
    Texture() = default;
    ~Texture() override;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    /// Uploads the image's picture as a new texture (replacing any old one).
    /// False, no texture, when a side exceeds the maximum texture size or is
    /// not a power of two (1 counts: a 1 × 1 image is accepted), or the image
    /// holds no full picture (an unexpanded delta image).
    bool Create(const Image& image);
    /// Deletes the texture name.
    void Release();

    /// The OpenGL texture name, −1 when none.
    int64_t Name() const { return name; }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    /// Binds it to GL_TEXTURE_2D; false without a texture.
    bool Bind() const;

private:
    int64_t name = -1;
    int32_t width = 0;
    int32_t height = 0;
};
