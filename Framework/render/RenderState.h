#pragma once
// RenderStack: the one record of the fixed-function pipeline's shared state.
//
// Every drawing routine pushes, changes what it needs through the setters
// below, draws and pops; the pop puts back the caller's state. Nothing else
// in the engine calls glBlendFunc, glAlphaFunc, glDepthMask, glCullFace or
// glColor4f, or switches GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST,
// GL_CULL_FACE or GL_TEXTURE_2D, so the entry at Top() always describes the
// state OpenGL has.
//
// The stack is a fixed global array of 32 entries. Push copies the current
// entry without any GL call (the state does not change); Pop re-applies
// every field of the entry below, unconditionally, in a fixed order (see
// Pop). A push on a full stack is ignored, so its matching pop restores the
// entry below; a pop at the bottom is ignored. Neither reports anything;
// CheckFrameEnd reports a frame that ends with pushes left unmatched.
//
// Matrices are column-major, column-vector convention: modelView =
// camera × model (a vertex goes through model first, then camera).
// Main thread only, like the GL context it mirrors.

#include "core/Matrix.h"

#include <cstdint>

struct RenderState {
    Matrix4 model;
    Matrix4 camera;
    Matrix4 modelView; ///< always camera × model; loaded into GL_MODELVIEW
    Matrix4 projection;
    Matrix4 texture;
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f}; ///< r, g, b, a for glColor4f
    int32_t blendMode = 1;                     ///< a BlendMode value
    float alphaRef = 0.5f;                     ///< glAlphaFunc(GL_GREATER, alphaRef)
    bool depthWrite = true;
    bool depthTest = false;
    int32_t cullMode = 0; ///< 0 none, > 0 back faces, < 0 front faces
    bool texturing = true;
    bool blending = true;
};

class RenderStack {
public:
    static constexpr int32_t kCapacity = 32;

    /// Right after the context is made current: top becomes 0 and its entry
    /// the initial state (identity matrices, white, AlphaBlend, alphaRef 0.5,
    /// depth writes on, depth test off, no culling, texturing and blending
    /// on), all applied to OpenGL.
    static void Init();

    /// Copies the current entry one up; no GL call. Ignored when full.
    static void Push();
    /// Steps down and re-applies the whole entry: model/camera (GL_MODELVIEW),
    /// projection, texture matrix, colour, blend mode, alpha reference, depth
    /// mask, depth test, culling, GL_TEXTURE_2D, and last GL_BLEND, so an
    /// entry whose blending flag is false ends with blending off whatever its
    /// mode. Leaves GL_TEXTURE as the matrix mode. Ignored at the bottom.
    static void Pop();

    /// Index of the current entry, 0 … 31.
    static int32_t Top();
    /// The current entry (what OpenGL has now).
    static const RenderState& Current();
    /// Entry `index` clamped to 0 … 31.
    static const RenderState& Entry(int32_t index);

    static void SetModelMatrix(const Matrix4& matrix);
    static void SetCameraMatrix(const Matrix4& matrix);
    static void SetProjectionMatrix(const Matrix4& matrix);
    static void SetTextureMatrix(const Matrix4& matrix);
    static void SetColor(float r, float g, float b, float a);
    /// Stores the mode and sets GL_BLEND, GL_ALPHA_TEST and the blend function
    /// it needs. Leaves alphaRef alone: whoever selects AlphaTest sets it.
    /// Like the GL state it sets, the blending flag follows the mode.
    static void SetBlendMode(int32_t mode);
    static void SetAlphaRef(float reference);
    static void SetDepthWrite(bool enabled);
    static void SetDepthTest(bool enabled);
    static void SetCullMode(int32_t mode);
    static void SetTexturing(bool enabled);
    static void SetBlending(bool enabled);

    /// End-of-frame check that every push was matched: true when top is 0.
    /// Otherwise logs how deep the stack was, pops back to entry 0 (which
    /// restores its state) and returns false, so one unmatched push does not
    /// leak into every later frame.
    static bool CheckFrameEnd();
};

/// Pushes on construction and pops on destruction.
class RenderStackScope {
public:
    RenderStackScope() { RenderStack::Push(); }
    ~RenderStackScope() { RenderStack::Pop(); }
    RenderStackScope(const RenderStackScope&) = delete;
    RenderStackScope& operator=(const RenderStackScope&) = delete;
};
