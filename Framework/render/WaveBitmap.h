#pragma once
// WaveBitmap: a Bitmap whose columns ripple up and down like a flag.
//
// Each frame every column x of the source picture is copied into a picture
// of its own (the wave sprite, owned) shifted down by
// trunc(amplitude · sin(phase + x · step)) pixels, step = frequency / width ·
// 6.384; with "decay" the shift grows from 0 at the left edge to the full
// amplitude at the right (a flag fixed to its pole). The wave sprite is
// 2·amplitude + 2 pixels taller than the source, the source centred in it,
// and is what GetSprite returns and Draw shows. The phase advances by
// "speed" radians per second. The rewritten pixels are uploaded once per
// drawn frame. "FrameIndex" is not saved.

#include "render/Bitmap.h"

#include <memory>

class WaveBitmap : public Bitmap {
    ENGINE_CLASS(WaveBitmap, Bitmap)

public:
    /// The tallest wave sprite made; a larger amplitude leaves the source still.
    static constexpr int32_t kMaxWaveHeight = 4096;

    WaveBitmap();
    ~WaveBitmap() override;

    bool Resolve() override;
    void Update() override;
    bool Draw() override;
    /// The wave sprite (null until made).
    Sprite* GetSprite() const override { return wave.get(); }
    /// The picture the waves are made of.
    Sprite* SourceSprite() const { return Bitmap::GetSprite(); }
    float Phase() const { return phase; }

    Var amplitude;
    Var frequency;
    Var speed;
    Var decay;

private:
    void MakeWaveSprite();

    std::unique_ptr<Sprite> wave;
    float phase = 0.0f;
    bool reportedTooTall = false;
};
