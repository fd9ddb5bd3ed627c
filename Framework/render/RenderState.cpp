#include "render/RenderState.h"

#include "core/Log.h"
#include "render/BlendMode.h"

#include <GL/gl.h>

namespace {

RenderState entries[RenderStack::kCapacity];
int32_t top = 0;

RenderState& CurrentEntry() {
    return entries[top];
}

void LoadModelView() {
    RenderState& state = CurrentEntry();
    state.modelView = state.camera * state.model;
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(state.modelView.m);
}

void LoadMatrix(GLenum mode, const Matrix4& matrix) {
    glMatrixMode(mode);
    glLoadMatrixf(matrix.m);
}

void ApplyBlendMode(int32_t mode) {
    switch (mode) {
    case kBlendBlockCopy:
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    case kBlendAlphaAdd:
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    case kBlendAlphaTest:
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        break;
    default: // AlphaBlend and every mode that draws like it
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    }
}

/// Whether `mode` leaves GL_BLEND on.
bool ModeBlends(int32_t mode) {
    return mode != kBlendBlockCopy && mode != kBlendAlphaTest;
}

void SetCapability(GLenum capability, bool enabled) {
    if (enabled) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
}

void ApplyCullMode(int32_t mode) {
    if (mode == 0) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(mode > 0 ? GL_BACK : GL_FRONT);
}

void ApplyAll(const RenderState& state) {
    LoadModelView();
    LoadMatrix(GL_PROJECTION, state.projection);
    LoadMatrix(GL_TEXTURE, state.texture);
    glColor4f(state.color[0], state.color[1], state.color[2], state.color[3]);
    ApplyBlendMode(state.blendMode);
    glAlphaFunc(GL_GREATER, state.alphaRef);
    glDepthMask(state.depthWrite ? GL_TRUE : GL_FALSE);
    SetCapability(GL_DEPTH_TEST, state.depthTest);
    ApplyCullMode(state.cullMode);
    SetCapability(GL_TEXTURE_2D, state.texturing);
    SetCapability(GL_BLEND, state.blending);
}

} // namespace

void RenderStack::Init() {
    top = 0;
    entries[0] = RenderState{};
    ApplyAll(entries[0]);
}

void RenderStack::Push() {
    if (top + 1 >= kCapacity) {
        return;
    }
    entries[top + 1] = entries[top];
    ++top;
}

void RenderStack::Pop() {
    if (top == 0) {
        return;
    }
    --top;
    ApplyAll(entries[top]);
}

int32_t RenderStack::Top() {
    return top;
}

const RenderState& RenderStack::Current() {
    return entries[top];
}

const RenderState& RenderStack::Entry(int32_t index) {
    if (index < 0) {
        index = 0;
    }
    if (index >= kCapacity) {
        index = kCapacity - 1;
    }
    return entries[index];
}

void RenderStack::SetModelMatrix(const Matrix4& matrix) {
    CurrentEntry().model = matrix;
    LoadModelView();
}

void RenderStack::SetCameraMatrix(const Matrix4& matrix) {
    CurrentEntry().camera = matrix;
    LoadModelView();
}

void RenderStack::SetProjectionMatrix(const Matrix4& matrix) {
    CurrentEntry().projection = matrix;
    LoadMatrix(GL_PROJECTION, matrix);
}

void RenderStack::SetTextureMatrix(const Matrix4& matrix) {
    CurrentEntry().texture = matrix;
    LoadMatrix(GL_TEXTURE, matrix);
}

void RenderStack::SetColor(float r, float g, float b, float a) {
    RenderState& state = CurrentEntry();
    state.color[0] = r;
    state.color[1] = g;
    state.color[2] = b;
    state.color[3] = a;
    glColor4f(r, g, b, a);
}

void RenderStack::SetBlendMode(int32_t mode) {
    RenderState& state = CurrentEntry();
    state.blendMode = mode;
    state.blending = ModeBlends(mode);
    ApplyBlendMode(mode);
}

void RenderStack::SetAlphaRef(float reference) {
    CurrentEntry().alphaRef = reference;
    glAlphaFunc(GL_GREATER, reference);
}

void RenderStack::SetDepthWrite(bool enabled) {
    CurrentEntry().depthWrite = enabled;
    glDepthMask(enabled ? GL_TRUE : GL_FALSE);
}

void RenderStack::SetDepthTest(bool enabled) {
    CurrentEntry().depthTest = enabled;
    SetCapability(GL_DEPTH_TEST, enabled);
}

void RenderStack::SetCullMode(int32_t mode) {
    CurrentEntry().cullMode = mode;
    ApplyCullMode(mode);
}

void RenderStack::SetTexturing(bool enabled) {
    CurrentEntry().texturing = enabled;
    SetCapability(GL_TEXTURE_2D, enabled);
}

void RenderStack::SetBlending(bool enabled) {
    CurrentEntry().blending = enabled;
    SetCapability(GL_BLEND, enabled);
}

bool RenderStack::CheckFrameEnd() {
    if (top == 0) {
        return true;
    }
    LogFormat("Render stack: %d push(es) still unmatched at the end of the frame; state reset to the "
              "bottom entry",
              top);
    top = 1;
    Pop();
    return false;
}
