#pragma once
// RenderContext: the values every drawing routine shares with the window.
//
// The window code creates the OpenGL context and then calls
// InitRenderContext, which reads the maximum texture size, sets the initial
// render state, the viewport, nearest-neighbour default filtering and the
// GL_MODULATE texture environment (so the current colour multiplies every
// texel), and allocates the texture scratch buffer. ShutdownRenderContext
// deletes every sprite texture and frees the scratch buffer; call it while
// the context is still current.
//
// The display size is the logical screen in pixels (1024 × 768 by default):
// the size of the full-screen quad and of screen captures.
//
// The texture scratch buffer is 1024 × 1024 pixels of 4 zero bytes. Sprite
// textures start from it, so only the picture rectangle is copied in later.
// The window owns it through Init/Shutdown; TextureScratch allocates it on
// first use when nobody has yet, so tools and tests that never open the game
// window still get zero-filled textures.

#include <cstddef>
#include <cstdint>

/// 1024 × 1024 × 4 bytes.
constexpr size_t kTextureScratchBytes = size_t(1024) * 1024 * 4;

/// Called once the context is current. Returns false (logging why) only when
/// the scratch buffer cannot be allocated; the context is usable either way.
bool InitRenderContext(int32_t displayWidth, int32_t displayHeight);
/// Deletes every sprite texture and the kept frame, and frees the scratch buffer.
void ShutdownRenderContext();

void SetDisplaySize(int32_t width, int32_t height);
int32_t DisplayWidth();
int32_t DisplayHeight();

/// GL_MAX_TEXTURE_SIZE as read by InitRenderContext; read on first use when
/// Init has not run. 0 without a context.
int32_t MaxTextureSize();

/// glViewport, for the window's viewport centring.
void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);

/// The zero-filled scratch buffer (kTextureScratchBytes), allocated on first
/// use; null only when that allocation failed. Its bytes must stay zero.
const uint8_t* TextureScratch();
/// Allocates the scratch buffer if it does not exist; false when that fails.
bool AllocateTextureScratch();
void FreeTextureScratch();
