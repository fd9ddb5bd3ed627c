#include "play/GameScreenShake.h"

#include "core/Random.h"

#include <cmath>

void GameScreenShake::Start(float seconds, float pixels) {
    if (!(seconds > 0.0f) || !(pixels >= 0.0f)) {
        return;
    }
    duration = seconds;
    magnitude = pixels;
    elapsed = 0.0f;
}

bool GameScreenShake::Step(float dt, float zoomFactor, const Vec2& halfScreen) {
    if (!Running()) {
        return false;
    }
    elapsed += dt;
    if (!Running()) {
        Stop();
        return true;
    }
    const float falloff = 1.0f - elapsed / duration;
    offset.x = Random(-magnitude, magnitude) * falloff;
    offset.y = Random(-magnitude, magnitude) * falloff;
    const float length = std::sqrt(offset.x * offset.x + offset.y * offset.y);
    zoom.x = halfScreen.x > 0.0f ? zoomFactor * (length + 1.0f) / halfScreen.x : 0.0f;
    zoom.y = halfScreen.y > 0.0f ? zoomFactor * (length + 1.0f) / halfScreen.y : 0.0f;
    return true;
}

void GameScreenShake::Stop() {
    elapsed = duration;
    offset = Vec2{};
    zoom = Vec2{};
}
