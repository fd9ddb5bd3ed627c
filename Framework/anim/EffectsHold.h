#pragma once
// Holding the effects that never come to rest.
//
// Emitters, oscillators, periodic animators, randomizers and camera shakers
// move for as long as their screen shows, and a text box's caret blinks. A
// run that needs a picture that settles (screenshots compared with stored
// ones) holds them: emitters then neither spawn, move nor draw, the
// animators write nothing, the camera stays centred and the caret stays on.
// Everything else (key-frame animations, fades, buttons) runs as usual. Off
// by default.

/// Holds (true) or releases (false) the never-resting effects.
void HoldEffects(bool held);
bool EffectsHeld();
