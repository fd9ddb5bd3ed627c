#pragma once
// Engine-wide values: process globals of the one thread that runs the game.
//
// They live in core so that every layer may read them; the application
// (app/) writes them. frameTime and totalTime (core/FrameTime.h) are written
// by the frame limiter: frameTime is the measured length of the previous
// frame, and totalTime the sum of all frameTime values since the frame loop
// began. The game creates the global objects in start-up and deletes them in
// shut-down (see app/GameHooks.h); everyone else holds these plain pointers,
// which are null outside that span.

#include "core/FrameTime.h"

#include <functional>

class Element;
class Scene;

/// True while the frame loop runs; set before the first frame, cleared by a
/// close request or the console's quit command. The loop stops after the
/// frame in which it is cleared.
extern bool running;
/// Set in start-up once every element class is registered; screens update
/// only while it is set.
extern bool engineReady;

/// The global settings element.
extern Element* globals;
/// The options element, named "options".
extern Element* options;
/// The loaded player-state scene.
extern Scene* gameState;

/// The global frame clock takes a fresh reading without touching totalTime,
/// so that a long pause (loading a screen) does not count as one long frame.
/// Does nothing until the application has installed its clock.
void RestartFrameClock();
/// The application installs what RestartFrameClock does (the clock reads the
/// platform's counter, which core cannot see). An empty function uninstalls.
void SetFrameClockRestart(std::function<void()> restart);
