#pragma once
// Engine-wide values: process globals of the one thread that runs the game.
//
// frameTime and totalTime (core/FrameTime.h) are written here by the frame
// limiter: frameTime is the measured length of the previous frame, and
// totalTime the sum of all frameTime values since the frame loop began.
// The global objects are owned here in the sense of their lifetime: the game
// creates them in start-up and deletes them in shut-down (see GameHooks);
// everyone else holds these plain pointers, which are null outside that span.

#include "core/FrameTime.h"

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
void RestartFrameClock();
