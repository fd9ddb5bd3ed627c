#pragma once
// Flashlight: a beam of light that follows the mouse over a dark level.
//
// The beam is the mask picture (Globals "FlashlightMaskPath"): its alpha
// decides how much light falls on each pixel. What the light shows is the
// level picture itself, copied once into a work image the size of the design
// screen when the flashlight is set up: the composed image takes the work
// image's colours under the mask with the mask's alpha, and is drawn added
// over the (dim) level, so the scene brightens where the beam points.
//
// The light's top-left corner ("lightPos", scene pixels from the screen
// centre) trails the mouse with a small random shake; "lockPos" pins it.
// Switching on and off fades "Color" alpha over half a second; switching off
// ends with message 2000, which deletes the flashlight from its scene.
//
// The flashlight needs the mask and the level's Light named by Globals
// "FlashlightLightName"; without either it stays inert and draws nothing of
// its own.

#include "render/Bitmap.h"

#include <memory>

class Light;

class Flashlight : public Bitmap {
    ENGINE_CLASS(Flashlight, Bitmap)

public:
    static constexpr int32_t kRemove = 2000;
    static constexpr float kSwitchSeconds = 0.5f;

    Flashlight();
    ~Flashlight() override;

    /// The widget resolve, then the composition of the light window.
    bool Resolve() override;
    /// Follows the mouse (unless locked), shakes, then the element update.
    void Update() override;
    /// 2000 deletes the flashlight from its scene; nothing else is handled.
    bool Message(int32_t message, Object* sender) override;
    /// The bitmap drawing, then the composed light.
    bool Draw() override;

    /// Sets up and fades the light in; false when it was already switched on.
    bool SwitchOn();
    /// Fades the light out and removes it; nothing while a removal or a
    /// fade is pending.
    void SwitchOff();
    /// Finds the mask and the light and makes the images; inert when the
    /// mask or the light is missing.
    void Setup();

    /// Scene pixels the picture under the light is taken from (the level
    /// picture's pixels copied at setup); null before setup.
    const Sprite* WorkImage() const { return work.get(); }
    const Sprite* Composed() const { return composed.get(); }
    const Sprite* Mask() const { return mask; }
    Vec2 ShakeOffset() const { return shake; }

    Var lightPos;
    Var lockPos;

private:
    void Compose();
    void StepShake();
    void FillWorkImage();

    Sprite* mask = nullptr; ///< shared, from the resource cache
    Light* light = nullptr; ///< not owned
    std::unique_ptr<Sprite> composed;
    std::unique_ptr<Sprite> work;
    Vec2 shake{};
    Vec2 shakeTarget{};
    float shakeTimer = 0.0f;
};
