#pragma once
// Stopping long loads: while a large scene file is being built the frame
// loop does not run, so a player who closes the window or presses Ctrl+C
// would wait for the whole load. The loader asks now and then whether it
// should stop; the application installs the question (is a close request
// waiting?). Without one, loads never stop.

#include <functional>

/// Installs the question long loads ask; an empty one turns stopping off.
void SetLoadStopCheck(std::function<bool()> check);
/// True when the load in progress should end now.
bool LoadShouldStop();
