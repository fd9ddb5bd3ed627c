#pragma once
// Doodad: a clickable picture of a level, a treasure when it has a fancy name.
//
// Coordinates are scene pixels (x right, y down); the shadow and glow images
// are in the doodad's own pixels and are made once (the shadow when
// "shadowSize" or the picture changes, the glow by ShowGlow), never per frame.
// The glow is owned by the doodad; a shadow is shared by every doodad that
// shows the same picture with the same shadow size (one texture for them all).
//
// Found animation: StartFoundFlight starts it with time 1 in phase 2 (pop,
// 1 s), then phase 1 (flight, 1 s), then phase 0 (fade, 1/3 s: time runs
// three times as fast); it then rests with time 0. While it runs the doodad
// takes no clicks and the level screen draws the "IconPath" icon through
// DrawFoundFlightIcon, at the pose FoundFlightPose gives.

#include "core/Link.h"
#include "render/Lightmap.h"
#include "render/Sprite.h" // the owned shadow and glow are reset inline

#include <memory>

class Doodad : public Lightmap {
    ENGINE_CLASS(Doodad, Lightmap)

public:
    /// Shadow and glow radii above this are clamped (a damaged file must
    /// not make a picture thousands of pixels wide).
    static constexpr int32_t kMaxBlurRadius = 128;

    Doodad();
    ~Doodad() override;

    bool Resolve() override;
    /// Advances the found animation, then the element update.
    void Update() override;
    /// Shadow, glow, then the picture; false when "Visible" is false.
    bool Draw() override;
    /// False while the found animation runs or without a picture. Inside the
    /// picture's rectangle, a hit when an opaque pixel (alpha ≥ 0.1) lies
    /// within 6 pixels (even offsets, a 7 × 7 grid) of the point.
    bool HitTest(const Vec2& point) override;
    /// A random opaque point of the picture in scene pixels; false without
    /// a picture or when 100 random pixels found none.
    virtual bool GetHintPoint(Vec3& out);

    bool IsTreasure() const { return !fancyName.FirstString().Empty(); }
    bool IsFlying() const { return foundTime > 0.0f; }

    Sprite* Shadow() const { return shadow.get(); }
    Sprite* Glow() const { return glow.get(); }
    /// The level screen removes a glow by deleting it.
    void DeleteGlow() {
        glow.reset();
        glowPulse = 0;
    }

    Link<Sprite> IconPath;
    Var fancyName;
    Var used;
    Var shadowSize;
    Var shadowAlpha;
    Var shadowOffset;

    // The found animation record.
    Vec3 foundStart{};
    Vec3 foundTarget{};
    Widget* foundTargetWidget = nullptr; ///< not owned; its position is re-read each frame
    float foundTime = 0.0f;              ///< 0: not animating
    int32_t foundPhase = 0;              ///< 2 pop, 1 flight, 0 fade
    int32_t glowPulse = 0;

private:
    friend bool ShowGlow(Doodad& doodad);
    void RebuildShadow();
    void StepFoundAnimation();

    std::shared_ptr<Sprite> shadow; ///< shared by the doodads showing the same picture and size
    std::unique_ptr<Sprite> glow;
    bool reportedBigRadius = false;
};

/// What the found animation asks of the level screen, which installs its own.
/// The defaults answer as when no game screen is on the stack.
class FoundFlightHooks {
public:
    virtual ~FoundFlightHooks() = default;
    /// A game screen is on the stack: a found doodad is hidden at once.
    virtual bool GameScreenShown() { return false; }
    /// The icon reached `target` (the flight became the fade): the screen
    /// bursts its combine emitter there and plays the dock or drop sound.
    virtual void Arrived(Doodad& /*doodad*/, const Vec3& /*target*/) {}
};
/// The installed hooks (never null).
FoundFlightHooks& GetFoundFlightHooks();
/// Installs `hooks` (not owned; null restores the defaults).
void SetFoundFlightHooks(FoundFlightHooks* hooks);

/// Starts the found animation from the doodad's position towards `target`
/// (not owned; must outlive the animation), whose "Position" is followed.
void StartFoundFlight(Doodad& doodad, Widget* target);
/// The same towards a fixed point in scene pixels.
void StartFoundFlight(Doodad& doodad, const Vec3& target);

/// Makes the glow (radius Globals "Game_DoodadGlowSize") when the doodad has
/// none and lets it pulse. False when the doodad has no picture.
bool ShowGlow(Doodad& doodad);

/// Where and how the found icon is drawn this frame.
struct FoundIconPose {
    Vec3 position{}; ///< where the doodad's origin would be, scene pixels
    float scale = 1.0f;
    float rotation = 0.0f;   ///< radians about the pivot
    float alpha = 1.0f;      ///< of the white pass
    bool shadowPass = false; ///< drawn first in black at alpha 0.5 (the flight)
};
/// The icon pose for the doodad's current phase and time; false when the
/// animation is not running.
bool FoundFlightPose(const Doodad& doodad, FoundIconPose& out);
/// Draws the found icon (alpha blending) at FoundFlightPose; nothing when
/// the animation is not running or "IconPath" is unset.
void DrawFoundFlightIcon(const Doodad& doodad);
