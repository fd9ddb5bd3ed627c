#include "core/EngineState.h"

#include <utility>

bool running = false;
bool engineReady = false;

Element* globals = nullptr;
Element* options = nullptr;
Scene* gameState = nullptr;

namespace {

std::function<void()> frameClockRestart;

} // namespace

void RestartFrameClock() {
    if (frameClockRestart) {
        frameClockRestart();
    }
}

void SetFrameClockRestart(std::function<void()> restart) {
    frameClockRestart = std::move(restart);
}
