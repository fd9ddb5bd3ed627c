#include "render/WaveBitmap.h"

#include "core/Redraw.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "render/Sprite.h"

#include <cmath>
#include <cstring>

WaveBitmap::WaveBitmap() {
    Name.SetFirstString("NewWaveBitmap");
    DeclareFloat("amplitude", amplitude, 1, this, 10.0f);
    DeclareFloat("frequency", frequency, 1, this, 1.0f);
    DeclareFloat("speed", speed, 1, this, 1.0f);
    DeclareBool("decay", decay, 1, this, false);
    FrameIndex.flags &= ~Var::kSaved;
}

WaveBitmap::~WaveBitmap() = default;

bool WaveBitmap::Resolve() {
    const bool remake = SpritePath.IsChanged() || amplitude.IsChanged();
    const bool resolved = Bitmap::Resolve();
    if (remake && SourceSprite()) {
        MakeWaveSprite();
    }
    return resolved;
}

void WaveBitmap::MakeWaveSprite() {
    const Sprite* source = SourceSprite();
    const float height = std::trunc(2.0f * amplitude.FirstFloat() + 2.0f + float(source->Height()));
    if (!(height >= 1.0f && height <= float(kMaxWaveHeight))) {
        if (!reportedTooTall) {
            LogFormat("WaveBitmap %s: amplitude %f gives no picture of 1 to %d rows; the picture stays still",
                      GetName(), amplitude.FirstFloat(), kMaxWaveHeight);
            reportedTooTall = true;
        }
        wave.reset();
        return;
    }
    if (!wave) {
        wave = std::make_unique<Sprite>();
    }
    if (!wave->Create(source->Width(), int32_t(height))) {
        wave.reset();
        return;
    }
    std::memset(wave->Pixels(), 0, size_t(wave->Width()) * size_t(wave->Height()) * 4);
    wave->SetName(source->Name().CStr());
    wave->MarkPixelsChanged();
}

void WaveBitmap::Update() {
    Bitmap::Update();
    const Sprite* source = SourceSprite();
    if (SpritePath.IsChanged() || amplitude.IsChanged() || !source || !wave || !source->Pixels() ||
        wave->Width() != source->Width()) {
        return;
    }
    const int32_t width = source->Width();
    const int32_t sourceHeight = source->Height();
    const int32_t waveHeight = wave->Height();
    const size_t sourceStride = size_t(width) * 4;
    uint8_t* to = wave->Pixels();
    const uint8_t* from = source->Pixels();
    std::memset(to, 0, sourceStride * size_t(waveHeight));
    const float a = amplitude.FirstFloat();
    const float step = frequency.FirstFloat() / float(width) * 6.384f;
    const bool growing = decay.FirstBool();
    const int32_t centre = waveHeight / 2 - sourceHeight / 2;
    for (int32_t x = 0; x < width; ++x) {
        float s = a * std::sin(phase + float(x) * step);
        if (growing) {
            s = s * float(x) / float(width);
        }
        const int32_t top = int32_t(std::trunc(s)) + centre;
        for (int32_t y = 0; y < sourceHeight; ++y) {
            const int32_t row = top + y;
            if (row < 0 || row >= waveHeight) {
                continue;
            }
            std::memcpy(to + size_t(row) * sourceStride + size_t(x) * 4,
                        from + size_t(y) * sourceStride + size_t(x) * 4, 4);
        }
    }
    wave->MarkPixelsChanged();
    RequestRedraw();
    phase += speed.FirstFloat() * frameTime;
    if (!std::isfinite(phase)) {
        phase = 0.0f;
    }
}

bool WaveBitmap::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    if (wave) {
        // A sprite with a texture shows new pixels only after an upload;
        // without one, its draw uploads them.
        if (wave->IsDirty() && wave->Slot() >= 0) {
            wave->Upload(true);
        }
        ApplyRenderState();
        wave->Draw();
    }
    return true;
}
