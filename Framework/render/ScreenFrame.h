#pragma once
// The start of every drawn frame: the screen projection of the logical
// screen and the screen camera loaded into the render stack.

/// Loads MakeScreenProjection(DisplayWidth, DisplayHeight) and the camera matrix.
void LoadScreenProjectionAndCamera();
