#include "anim/EffectsHold.h"

namespace {

bool effectsHeld = false;

} // namespace

void HoldEffects(bool held) {
    effectsHeld = held;
}

bool EffectsHeld() {
    return effectsHeld;
}
