#include "core/Redraw.h"

bool redrawRequested = true;
