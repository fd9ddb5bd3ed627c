#pragma once
// Screen-wide drawing helpers: the 2-D screen projection, clearing, the
// full-screen and rectangle quads, and reading the frame buffer back.
//
// Screen coordinates are pixels of the logical screen (DisplayWidth ×
// DisplayHeight, render/RenderContext.h), origin top left, y downwards.

#include "core/Matrix.h"

#include <cstdint>

class Image;
class Sprite;

/// The projection for all screen drawing, column-major, all elements 0 except
/// [0] = 2/w, [5] = −2/h, [10] = 0.0005, [12] = −1, [13] = 1 + 1/w,
/// [14] = −0.5, [15] = 1: x' = 2x/w − 1, y' = 1 + 1/w − 2y/h (the y offset
/// uses the width), z' = 0.0005·z − 0.5. The identity for a size ≤ 0.
Matrix4 MakeScreenProjection(int32_t width, int32_t height);

/// Clears colour and depth; the colour is the current entry's r, g, b with
/// alpha 1 (the current alpha is ignored).
void ClearScreen();
/// One quad of the display size centred on the origin, z = 0.
void DrawScreenQuad();
/// One quad with corners (b.x, b.y), (a.x, b.y), (a.x, a.y), (b.x, a.y), z = 0.
void DrawRectQuad(const Vec2& a, const Vec2& b);

/// The last complete picture. A presented frame leaves the back buffer
/// cleared, so whoever presents keeps a GPU copy of the finished picture
/// first (KeepFrame, once per frame, just before presenting); from then on
/// every read below reads that copy, whenever it happens, instead of the
/// back buffer. Without a kept frame (tools, tests) the reads take the back
/// buffer as it is. The copy is a texture of the display size.
void KeepFrame();
/// Deletes the copy; reads take the back buffer again. Call with the context current.
void ForgetKeptFrame();
bool HasKeptFrame();

/// The last complete picture at the display size, 4 bytes per pixel (blue,
/// green, red, alpha), rows as OpenGL gives them (bottom row first), into
/// `pixels` (DisplayWidth × DisplayHeight × 4 bytes). False for an empty
/// display size or a null buffer.
bool ReadScreen(uint8_t* pixels);

/// Reads the whole frame buffer (glReadPixels from (0, 0), GL_BGRA) into the
/// pixels of a sprite of exactly the display size, rows as OpenGL gives them
/// (bottom row first), and marks the pixels changed. The sprite's texture is
/// dropped as well, so that its next draw uploads the new picture. False, sprite
/// untouched, when the sizes differ.
bool CaptureScreen(Sprite& sprite);
/// Reads the frame buffer into `image`, (re)created at the display size, and
/// turns the rows over so that row 0 is the top of the screen. False when
/// the display size is empty or the image cannot be created.
bool CaptureScreen(Image& image);
