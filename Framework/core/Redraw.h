#pragma once
// Drawing on change: a frame in which nothing visible changed is not drawn
// again, and the window keeps showing the last picture.
//
// Whatever changes what the player sees asks for a redraw: every property
// write that changes a value, every event and deferred message delivered to
// the input handlers, a window exposed, and the things that move on their own
// while they move (a transition, a fading cursor, live particles, a scrolling
// picture, the open console). The frame loop takes the request before it
// draws: a request made while drawing counts for the next frame. A forgotten
// case shows as a picture that does not move, never as a wrong one; the
// option "DrawEveryFrame" draws every frame for comparison.

/// Set when the next frame must draw; the first frame always draws.
extern bool redrawRequested;

/// Something visible changed: the next frame draws.
inline void RequestRedraw() {
    redrawRequested = true;
}

/// Whether a redraw was asked for since the last call; clears the request.
inline bool TakeRedrawRequest() {
    const bool requested = redrawRequested;
    redrawRequested = false;
    return requested;
}
