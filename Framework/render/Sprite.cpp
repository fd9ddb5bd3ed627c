#include "render/Sprite.h"

#include "core/Log.h"
#include "render/Image.h"
#include "render/ImageBlur.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

struct TextureSlot {
    Sprite* owner = nullptr;
    GLuint name = 0;
    bool linear = false;
};

TextureSlot slots[kTextureSlotCount];
int32_t globalHitMode = 0;

/// Pictures of this many pixels or more are refused, as Image::Create does.
constexpr uint64_t kMaxSpritePixels = uint64_t(1) << 30;

int32_t NextPowerOfTwo(int32_t value) {
    int32_t power = 1;
    while (power < value && power <= (1 << 29)) {
        power <<= 1;
    }
    return power;
}

int32_t FirstFreeSlot() {
    for (int32_t index = 0; index < kTextureSlotCount; ++index) {
        if (!slots[index].owner) {
            return index;
        }
    }
    return -1;
}

/// The picture of `image` as width × height × 4 bytes, expanding a delta
/// image first; null when the image holds no usable picture.
const uint8_t* PictureOf(Image& image) {
    if (image.IsSparse() && !image.ExpandDelta()) {
        return nullptr;
    }
    const uint64_t bytes = uint64_t(image.Width()) * image.Height() * 4;
    if (!image.Pixels() || bytes == 0 || image.PixelBytes() < bytes || image.Width() > INT32_MAX ||
        image.Height() > INT32_MAX) {
        return nullptr;
    }
    return image.Pixels();
}

} // namespace

Sprite::~Sprite() {
    Release();
}

bool Sprite::AllocatePixels(int32_t newWidth, int32_t newHeight) {
    if (newWidth <= 0 || newHeight <= 0 || uint64_t(newWidth) * uint64_t(newHeight) >= kMaxSpritePixels) {
        return false;
    }
    pixels.reset(new (std::nothrow) uint8_t[size_t(newWidth) * size_t(newHeight) * 4]());
    if (!pixels) {
        return false;
    }
    width = newWidth;
    height = newHeight;
    dirty = true;
    return true;
}

bool Sprite::CreateFromImage(Image& image) {
    Release();
    const uint8_t* picture = PictureOf(image);
    if (!picture || !AllocatePixels(int32_t(image.Width()), int32_t(image.Height()))) {
        return false;
    }
    std::memcpy(pixels.get(), picture, size_t(width) * size_t(height) * 4);
    return true;
}

bool Sprite::Create(int32_t newWidth, int32_t newHeight) {
    Release();
    return AllocatePixels(newWidth, newHeight);
}

bool Sprite::CreatePlaced(int32_t canvasWidth, int32_t canvasHeight, Image& image, int32_t x, int32_t y) {
    Release();
    const uint8_t* picture = PictureOf(image);
    if (!picture || x < 0 || y < 0 || int64_t(x) + image.Width() > canvasWidth ||
        int64_t(y) + image.Height() > canvasHeight || !AllocatePixels(canvasWidth, canvasHeight)) {
        return false;
    }
    const size_t rowBytes = size_t(image.Width()) * 4;
    for (uint32_t row = 0; row < image.Height(); ++row) {
        uint8_t* target = pixels.get() + ((size_t(y) + row) * size_t(width) + size_t(x)) * 4;
        std::memcpy(target, picture + row * rowBytes, rowBytes);
    }
    return true;
}

void Sprite::Release() {
    ReleaseTexture();
    pixels.reset();
    width = 0;
    height = 0;
    texWidth = 0;
    texHeight = 0;
    uMax = 0.0f;
    vMax = 0.0f;
    drawn = false;
    reportedNoTexture = false;
}

void Sprite::ReleaseTexture() {
    dirty = true;
    if (slot < 0) {
        return;
    }
    glDeleteTextures(1, &slots[slot].name);
    slots[slot] = TextureSlot{};
    slot = -1;
}

uint32_t Sprite::TextureName() const {
    return slot >= 0 ? slots[slot].name : 0;
}

void Sprite::ReportNoTexture(const char* reason) {
    if (reportedNoTexture) {
        return;
    }
    reportedNoTexture = true;
    LogFormat("Sprite \"%s\" (%dx%d) gets no texture and is not drawn: %s", name.CStr(), width, height,
              reason);
}

bool Sprite::CreateTexture() {
    const int32_t newTexWidth = NextPowerOfTwo(width);
    const int32_t newTexHeight = NextPowerOfTwo(height);
    const int32_t contextLimit = MaxTextureSize();
    const int32_t limit = contextLimit > 0 ? std::min(kMaxTextureSide, contextLimit) : kMaxTextureSide;
    if (newTexWidth > limit || newTexHeight > limit) {
        ReportNoTexture("larger than the largest texture after rounding up to powers of two");
        return false;
    }
    const int32_t freeSlot = FirstFreeSlot();
    if (freeSlot < 0) {
        ReportNoTexture("all 128 texture slots are taken");
        return false;
    }
    const uint8_t* scratch = TextureScratch();
    if (!scratch) {
        ReportNoTexture("the texture scratch buffer is missing");
        return false;
    }
    GLuint textureName = 0;
    glGenTextures(1, &textureName);
    if (textureName == 0) {
        ReportNoTexture("OpenGL gave no texture name");
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, newTexWidth, newTexHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, scratch);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Clamped, so a picture drawn scaled or turned (linear filtering) never
    // blends its edge texels with the opposite edge of the texture.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    slots[freeSlot] = TextureSlot{this, textureName, false};
    slot = freeSlot;
    texWidth = newTexWidth;
    texHeight = newTexHeight;
    return true;
}

void Sprite::TransferPixels() {
    const uint8_t* source = pixels.get();
    // Reused between uploads; brightness changes are rare, pictures large.
    static std::vector<uint8_t> converted;
    if (brightness != 0.0f) {
        const int offset = static_cast<int>(brightness * 64.0f);
        const size_t bytes = size_t(width) * size_t(height) * 4;
        converted.resize(bytes);
        for (size_t i = 0; i < bytes; i += 4) {
            for (size_t channel = 0; channel < 3; ++channel) {
                converted[i + channel] = uint8_t(std::clamp(source[i + channel] + offset, 0, 255));
            }
            converted[i + 3] = source[i + 3];
        }
        source = converted.data();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, source);
    dirty = false;
    uMax = float(width) / float(texWidth);
    vMax = float(height) / float(texHeight);
}

bool Sprite::Upload(bool force) {
    if (!pixels || (slot >= 0 && !force)) {
        return false;
    }
    if (slot >= 0) {
        glBindTexture(GL_TEXTURE_2D, slots[slot].name);
    } else if (!CreateTexture()) {
        return false;
    }
    TransferPixels();
    return true;
}

bool Sprite::Bind(bool transformed) {
    if (!pixels) {
        return false;
    }
    if (slot >= 0) {
        glBindTexture(GL_TEXTURE_2D, slots[slot].name);
    } else {
        // Without a texture the sprite is dirty (creation and eviction mark it).
        if (!CreateTexture()) {
            return false;
        }
        TransferPixels();
    }
    TextureSlot& texture = slots[slot];
    if (!texture.linear && transformed) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        texture.linear = true;
    }
    drawn = true;
    return true;
}

void Sprite::Draw() {
    if (!Bind(!RenderStack::Current().modelView.IsTranslationOnly())) {
        return;
    }
    const float w = float(width);
    const float h = float(height);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glTexCoord2f(uMax, 0.0f);
    glVertex3f(w, 0.0f, 0.0f);
    glTexCoord2f(uMax, vMax);
    glVertex3f(w, h, 0.0f);
    glTexCoord2f(0.0f, vMax);
    glVertex3f(0.0f, h, 0.0f);
    glEnd();
}

void Sprite::DrawPart(int32_t x, int32_t y, int32_t w, int32_t h) {
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right = int32_t(std::min(int64_t(x) + w, int64_t(width)));
    const int32_t bottom = int32_t(std::min(int64_t(y) + h, int64_t(height)));
    if (left >= right || top >= bottom || !Bind(!RenderStack::Current().modelView.IsTranslationOnly())) {
        return;
    }
    const float u0 = float(left) / float(texWidth);
    const float u1 = float(right) / float(texWidth);
    const float v0 = float(top) / float(texHeight);
    const float v1 = float(bottom) / float(texHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex3f(float(left), float(top), 0.0f);
    glTexCoord2f(u1, v0);
    glVertex3f(float(right), float(top), 0.0f);
    glTexCoord2f(u1, v1);
    glVertex3f(float(right), float(bottom), 0.0f);
    glTexCoord2f(u0, v1);
    glVertex3f(float(left), float(bottom), 0.0f);
    glEnd();
}

bool Sprite::PixelColor(int32_t x, int32_t y, float rgba[4]) const {
    if (!pixels || x < 0 || y < 0 || x >= width || y >= height) {
        return false;
    }
    const uint8_t* pixel = pixels.get() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    rgba[0] = pixel[2] / 255.0f;
    rgba[1] = pixel[1] / 255.0f;
    rgba[2] = pixel[0] / 255.0f;
    rgba[3] = pixel[3] / 255.0f;
    return true;
}

bool Sprite::RandomOpaquePoint(bool colourTest, int32_t& x, int32_t& y) const {
    if (!pixels) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int32_t candidateX = std::rand() % width;
        const int32_t candidateY = std::rand() % height;
        float rgba[4];
        PixelColor(candidateX, candidateY, rgba);
        const bool passes =
            colourTest ? (rgba[0] > 0.1f || rgba[1] > 0.1f || rgba[2] > 0.1f) : rgba[3] > 0.5f;
        if (passes) {
            x = candidateX;
            y = candidateY;
            return true;
        }
    }
    return false;
}

bool Sprite::HitTest(const Matrix4& world, const Vec2& point, int32_t mode) const {
    if (!pixels) {
        return false;
    }
    const Matrix4 inverse = world.Inverse();
    // Inverse() answers the identity for a singular matrix: a sprite squashed
    // flat covers no pixel.
    if (inverse == Matrix4::Identity() && !(world == Matrix4::Identity())) {
        return false;
    }
    const float localX = point.x * inverse.m[0] + point.y * inverse.m[4] + inverse.m[12];
    const float localY = point.x * inverse.m[1] + point.y * inverse.m[5] + inverse.m[13];
    // Compared before the conversion, so that NaN and huge values never reach
    // an int; points left of or above the picture miss, however close.
    if (!(localX >= 0.0f && localY >= 0.0f && localX < float(width) && localY < float(height))) {
        return false;
    }
    const int32_t x = std::min(int32_t(localX), width - 1);
    const int32_t y = std::min(int32_t(localY), height - 1);
    const uint8_t* pixel = pixels.get() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    if (mode == -1) {
        mode = globalHitMode;
    }
    switch (mode) {
    case 0:
        return pixel[3] / 255.0f >= 0.1f;
    case 1:
        return pixel[0] / 255.0f >= 0.1f || pixel[1] / 255.0f >= 0.1f || pixel[2] / 255.0f >= 0.1f;
    default:
        return true;
    }
}

void Sprite::BoxBlur(int32_t radius) {
    if (!pixels) {
        return;
    }
    ::BoxBlur(pixels.get(), width, height, radius);
    MarkPixelsChanged();
}

void Sprite::SetBrightness(float value) {
    brightness = std::isnan(value) ? 0.0f : std::clamp(value, -1.0f, 1.0f);
}

int32_t UsedTextureSlots() {
    int32_t used = 0;
    for (const TextureSlot& entry : slots) {
        used += entry.owner ? 1 : 0;
    }
    return used;
}

const Sprite* TextureSlotOwner(int32_t index) {
    return index >= 0 && index < kTextureSlotCount ? slots[index].owner : nullptr;
}

bool TextureSlotIsLinear(int32_t index) {
    return index >= 0 && index < kTextureSlotCount && slots[index].owner && slots[index].linear;
}

void EvictUnusedTextures(bool keepDrawn) {
    for (TextureSlot& entry : slots) {
        Sprite* owner = entry.owner;
        if (!owner) {
            continue;
        }
        if (keepDrawn && owner->drawn) {
            owner->drawn = false;
        } else {
            owner->ReleaseTexture();
        }
    }
}

int32_t GlobalHitMode() {
    return globalHitMode;
}

void SetGlobalHitMode(int32_t mode) {
    globalHitMode = mode;
}
