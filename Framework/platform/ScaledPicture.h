#pragma once
// ScaledPicture: the off-screen picture of a scaled full screen.
//
// Where full screen covers a desktop of another size, the window shows the
// logical picture scaled. Drawing it scaled straight into the window would
// leave no picture of the logical size anywhere: screenshots, transition
// snapshots and captured backgrounds read the frame buffer at the logical
// size, and would read a corner of the scaled picture. So the game draws
// into an off-screen picture of exactly the logical size (a framebuffer
// object with colour and depth), every read takes that picture, and
// presenting draws it scaled into the window.
//
// Main thread, with the game window's GL context current.

struct PictureArea;

/// Creates the off-screen picture of width × height and makes it the target
/// of drawing (viewport (0, 0, width, height)). False, with one log line,
/// when the driver offers no framebuffer objects; drawing then stays in the
/// window, scaled.
bool BeginScaledPicture(int width, int height);
/// Deletes the off-screen picture; drawing goes to the window again.
void EndScaledPicture();
bool ScaledPictureActive();
/// Makes the off-screen picture the target of drawing again, its whole area
/// the viewport.
void BindScaledPicture();
/// Draws the finished off-screen picture into `viewport` of the window
/// (GL's bottom-left origin), the rest of the window black, leaving every
/// GL state as it was but the bound framebuffer, which is the window's.
void DrawScaledPictureIntoWindow(const PictureArea& viewport, int drawableWidth, int drawableHeight);
