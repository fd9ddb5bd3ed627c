#pragma once
// The engine-wide frame clock values, written once per frame by the frame
// limiter and read by every update (delayed messages, tweens, animations,
// timers, fades).

/// Seconds the previous frame took.
extern float frameTime;
/// Sum of every frameTime since the frame loop started.
extern double totalTime;
