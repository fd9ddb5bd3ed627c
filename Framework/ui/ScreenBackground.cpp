#include "ui/ScreenBackground.h"

#include "core/Log.h"
#include "render/BlendMode.h"
#include "render/Image.h"
#include "render/ImageBlur.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "ui/PictureDraw.h"

#include <cstring>
#include <new>

bool ScreenBackground::Allocate() {
    Release();
    const int32_t width = DisplayWidth();
    const int32_t height = DisplayHeight();
    if (width < 2 || height < 2 || !picture.Create(width / 2, height / 2)) {
        return false;
    }
    scratch.reset(new (std::nothrow) uint8_t[size_t(width) * size_t(height) * 4]);
    if (!scratch) {
        picture.Release();
        return false;
    }
    scratchWidth = width;
    scratchHeight = height;
    return true;
}

void ScreenBackground::Release() {
    picture.Release();
    scratch.reset();
    scratchWidth = 0;
    scratchHeight = 0;
    hasPicture = false;
}

bool ScreenBackground::Capture(bool blur) {
    if (!scratch || !picture.Pixels() || scratchWidth != DisplayWidth() || scratchHeight != DisplayHeight()) {
        return false;
    }
    ReadScreen(scratch.get());
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    uint8_t* target = picture.Pixels();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = scratch.get() + size_t(y) * 2 * size_t(scratchWidth) * 4;
        for (int32_t x = 0; x < width; ++x) {
            std::memcpy(target + (size_t(y) * size_t(width) + size_t(x)) * 4, row + size_t(x) * 2 * 4, 4);
        }
    }
    if (blur) {
        picture.BoxBlur(kBlurRadius);
    }
    picture.SetBrightness(0.0f);
    picture.ReleaseTexture();
    hasPicture = true;
    return true;
}

void ScreenBackground::Draw() {
    if (!picture.Pixels()) {
        return;
    }
    RenderStackScope scope;
    SetCentredScreenView();
    RenderStack::SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    RenderStack::SetBlendMode(kBlendBlockCopy);
    const float scaleX = float(DisplayWidth()) / float(picture.Width());
    const float scaleY = float(DisplayHeight()) / float(picture.Height());
    DrawCentredPicture(picture, {.scaleX = scaleX, .scaleY = scaleY, .mirrored = true});
}

void ScreenBackground::SetBrightness(float value) {
    picture.SetBrightness(value);
    picture.Upload(true);
}

bool ScreenBackground::Save(const char* path) {
    if (!Capture(true)) {
        LogFormat("Background \"%s\" not saved: there is no picture to capture", path);
        return false;
    }
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    Image image;
    if (!image.Create(uint32_t(width), uint32_t(height))) {
        LogFormat("Background \"%s\" not saved: no memory for the image", path);
        return false;
    }
    // The picture keeps the frame buffer's rows (bottom first); files keep the top first.
    const size_t rowBytes = size_t(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(image.Pixels() + size_t(y) * rowBytes,
                    picture.Pixels() + size_t(height - 1 - y) * rowBytes, rowBytes);
    }
    if (!image.SaveTga(path)) {
        LogFormat("Background \"%s\" not saved: the file could not be written", path);
        return false;
    }
    return true;
}

bool ScreenBackground::Load(const char* path) {
    if (!picture.Pixels()) {
        return false;
    }
    Image image;
    if (!image.Load(path) || (image.IsSparse() && !image.ExpandDelta()) || image.Width() == 0 ||
        image.Height() == 0) {
        return false;
    }
    // Nearest-neighbour resampling to the background's size, turned over
    // into the frame buffer's row order.
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    uint8_t* target = picture.Pixels();
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t sourceY = uint32_t(uint64_t(height - 1 - y) * image.Height() / uint64_t(height));
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t sourceX = uint32_t(uint64_t(x) * image.Width() / uint64_t(width));
            std::memcpy(target + (size_t(y) * size_t(width) + size_t(x)) * 4, image.PixelAt(sourceX, sourceY),
                        4);
        }
    }
    picture.ReleaseTexture();
    hasPicture = true;
    return true;
}
