#include "core/FrameTime.h"

float frameTime = 0.0f;
double totalTime = 0.0;
