#pragma once
// Speaker: an element that plays a static sound once each time its "Play"
// property turns true, at a random pitch and volume drawn from its ranges.
// Key-frame animations step "Play" to put sounds on a timeline.
//
// The speaker re-arms only after it has seen "Play" false. A scene resolves
// its elements after OnLoaded, which takes the loaded "Play" as played, so a
// speaker saved with "Play" true does not sound when its scene loads. The
// sound belongs to the resource cache.

#include "core/Element.h"

class Sound;

class Speaker : public Element {
    ENGINE_CLASS(Speaker, Element)

public:
    Speaker();

    /// Finds the sound when "Sound" changed, plays it on a rising edge of
    /// "Play", then resolves the properties as every element does.
    bool Resolve() override;
    /// Takes the current "Play" as already played.
    bool OnLoaded() override;

    /// The resolved sound, or null.
    ::Sound* ResolvedSound() const { return sound; }
    bool Played() const { return played; }

    Var Sound;
    Var Play;
    Var volumeRange;
    Var pitchRange;

private:
    void PlayOnce();

    ::Sound* sound = nullptr;
    bool played = false;
};
