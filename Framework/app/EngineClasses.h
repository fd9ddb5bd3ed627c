#pragma once
// The registration of the engine's element classes. It sits with the
// application because it names classes of every engine layer.

#include <functional>

/// Registers the engine's element classes, category by category, in the
/// engine's fixed order. The game's state classes belong between the engine's
/// widgets and its screens: `registerGameStateClasses` runs there, so the
/// categories come out in their fixed order. The game registers its other
/// classes after these.
void RegisterEngineClasses(const std::function<void()>& registerGameStateClasses = {});
