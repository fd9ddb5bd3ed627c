#include "core/EngineState.h"

bool running = false;
bool engineReady = false;

Element* globals = nullptr;
Element* options = nullptr;
Scene* gameState = nullptr;
