// Render stack, blend modes and the screen helpers, against a real GL
// context where the GL state matters.
#include "render/RenderState.h"
#include "core/Element.h"
#include "core/String.h"
#include "render/BlendMode.h"
#include "render/ScreenDraw.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;

GLint GetInt(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

float GetFloat(GLenum name) {
    GLfloat value = 0.0f;
    glGetFloatv(name, &value);
    return value;
}

void ExpectMatrix(GLenum name, const Matrix4& expected) {
    Matrix4 actual;
    glGetFloatv(name, actual.m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(actual.m[i], expected.m[i]) << "element " << i;
    }
}

/// The GL state that an entry describes, compared with what GL has.
void ExpectGlMatches(const RenderState& state) {
    ExpectMatrix(GL_MODELVIEW_MATRIX, state.camera * state.model);
    ExpectMatrix(GL_PROJECTION_MATRIX, state.projection);
    ExpectMatrix(GL_TEXTURE_MATRIX, state.texture);
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(color[i], state.color[i]) << "colour channel " << i;
    }
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST) == GL_TRUE, state.blendMode == kBlendAlphaTest);
    EXPECT_FLOAT_EQ(GetFloat(GL_ALPHA_TEST_REF), state.alphaRef);
    EXPECT_EQ(GetInt(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK) == GL_TRUE, state.depthWrite);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, state.depthTest);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, state.cullMode != 0);
    if (state.cullMode != 0) {
        EXPECT_EQ(GetInt(GL_CULL_FACE_MODE), state.cullMode > 0 ? GL_BACK : GL_FRONT);
    }
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, state.texturing);
    EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, state.blending);
}

} // namespace

TEST(ScreenProjection, HasTheExactElementsAndMapsTheCorners) {
    const Matrix4 projection = MakeScreenProjection(1024, 768);
    const float expected[16] = {2.0f / 1024, 0, 0,       0, 0,  -2.0f / 768,        0,     0,
                                0,           0, 0.0005f, 0, -1, 1.0f + 1.0f / 1024, -0.5f, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(projection.m[i], expected[i]) << "element " << i;
    }
    const Vec3 topLeft = projection.TransformPoint(Vec3{0, 0, 0});
    EXPECT_FLOAT_EQ(topLeft.x, -1.0f);
    EXPECT_FLOAT_EQ(topLeft.y, 1.0f + 1.0f / 1024);
    EXPECT_FLOAT_EQ(topLeft.z, -0.5f);
    const Vec3 bottomRight = projection.TransformPoint(Vec3{1024, 768, 1000});
    EXPECT_FLOAT_EQ(bottomRight.x, 1.0f);
    EXPECT_FLOAT_EQ(bottomRight.y, -1.0f + 1.0f / 1024);
    EXPECT_FLOAT_EQ(bottomRight.z, 0.0f);
    // The y offset follows the width, not the height.
    EXPECT_FLOAT_EQ(MakeScreenProjection(200, 100).m[13], 1.005f);
    EXPECT_TRUE(MakeScreenProjection(0, 768) == Matrix4::Identity());
}

TEST(BlendModeNames, FifteenNamesInValueOrderAndNoneBeyond) {
    const char* expected[] = {"BlockCopy",  "AlphaBlend",  "AlphaAdd",  "Highlight",   "Outline",
                              "AlphaTest",  "AlphaWrite",  "Delta",     "Refract",     "Colorize",
                              "Desaturate", "RainbowGlow", "Intensify", "StencilRead", "StencilWrite"};
    for (int32_t mode = 0; mode < kBlendModeCount; ++mode) {
        String name;
        ASSERT_TRUE(BlendModeName(mode, name));
        EXPECT_STREQ(name.CStr(), expected[mode]);
    }
    String untouched("keep");
    EXPECT_FALSE(BlendModeName(15, untouched));
    EXPECT_FALSE(BlendModeName(-1, untouched));
    EXPECT_STREQ(untouched.CStr(), "keep");
}

TEST(BlendModeNames, DeclaredPropertyCarriesTheNamesAndKeepsAnyValue) {
    Element owner;
    Var blendMode;
    ASSERT_TRUE(DeclareBlendMode("BlendMode", blendMode, &owner, kBlendAlphaBlend));
    EXPECT_EQ(blendMode.FirstInt(), 1);
    ASSERT_EQ(blendMode.ValueNames().size(), 15u);
    for (int32_t mode = 0; mode < kBlendModeCount; ++mode) {
        EXPECT_EQ(blendMode.ValueNames()[mode].value, mode);
        EXPECT_STREQ(blendMode.ValueNames()[mode].name.CStr(), BlendModeName(mode));
    }
    // A file value of 14 loads and saves as 14, like any other integer.
    ASSERT_TRUE(blendMode.SetItemFromText(0, "14"));
    EXPECT_STREQ(blendMode.ItemText(0).CStr(), "14");
    // A second property of the same name on the same owner is refused.
    Var duplicate;
    EXPECT_FALSE(DeclareBlendMode("BlendMode", duplicate, &owner, 0));
}

TEST(RenderStack, InitSetsTheDocumentedStateInGl) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    const RenderState& state = RenderStack::Current();
    EXPECT_EQ(RenderStack::Top(), 0);
    EXPECT_EQ(state.blendMode, kBlendAlphaBlend);
    EXPECT_FLOAT_EQ(state.alphaRef, 0.5f);
    EXPECT_TRUE(state.depthWrite);
    EXPECT_FALSE(state.depthTest);
    EXPECT_EQ(state.cullMode, 0);
    EXPECT_TRUE(state.texturing);
    EXPECT_TRUE(state.blending);
    ExpectGlMatches(state);
    EXPECT_EQ(GetInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_MODULATE);
}

TEST(RenderStack, PopReappliesEveryFieldOfTheEntryBelow) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    RenderStack::SetModelMatrix(Matrix4::Translation(3, 4, 0));
    RenderStack::SetCameraMatrix(Matrix4::Scaling(2, 2, 1));
    RenderStack::SetProjectionMatrix(MakeScreenProjection(kWidth, kHeight));
    RenderStack::SetColor(0.25f, 0.5f, 0.75f, 1.0f);
    const RenderState saved = RenderStack::Current();

    RenderStack::Push();
    EXPECT_EQ(RenderStack::Top(), 1);
    RenderStack::SetModelMatrix(Matrix4::RotationZ(1.0f));
    RenderStack::SetCameraMatrix(Matrix4::Translation(-5, 0, 0));
    RenderStack::SetProjectionMatrix(Matrix4::Scaling(3, 3, 3));
    RenderStack::SetTextureMatrix(Matrix4::Translation(0.5f, 0, 0));
    RenderStack::SetColor(1, 0, 0, 0.5f);
    RenderStack::SetBlendMode(kBlendAlphaTest);
    RenderStack::SetAlphaRef(0.9f);
    RenderStack::SetDepthWrite(false);
    RenderStack::SetDepthTest(true);
    RenderStack::SetCullMode(-1);
    RenderStack::SetTexturing(false);
    ExpectGlMatches(RenderStack::Current());
    EXPECT_EQ(GetInt(GL_CULL_FACE_MODE), GL_FRONT);

    RenderStack::Pop();
    EXPECT_EQ(RenderStack::Top(), 0);
    ExpectGlMatches(saved);
    // The last matrix loaded by a pop is the texture matrix.
    EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_TEXTURE);
}

TEST(RenderStack, ModelViewIsCameraTimesModel) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    RenderStack::SetModelMatrix(Matrix4::Translation(1, 2, 0));
    RenderStack::SetCameraMatrix(Matrix4::Scaling(10, 10, 1));
    // The vertex goes through the model first: (0, 0) → (1, 2) → (10, 20).
    const Vec3 moved = RenderStack::Current().modelView.TransformPoint(Vec3{0, 0, 0});
    EXPECT_FLOAT_EQ(moved.x, 10.0f);
    EXPECT_FLOAT_EQ(moved.y, 20.0f);
    ExpectMatrix(GL_MODELVIEW_MATRIX, RenderStack::Current().modelView);
}

TEST(RenderStack, PoppingAlphaTestBackToAlphaBlendRestoresBlending) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    RenderStack::Push();
    RenderStack::SetBlendMode(kBlendAlphaTest);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    RenderStack::Pop();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
}

TEST(RenderStack, BlendingFlagIsAppliedAfterTheMode) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    // An AlphaBlend entry whose blending flag was switched off.
    RenderStack::SetBlending(false);
    RenderStack::Push();
    RenderStack::SetBlendMode(kBlendAlphaAdd);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    RenderStack::Pop();
    EXPECT_EQ(RenderStack::Current().blendMode, kBlendAlphaBlend);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(RenderStack, EntryWithAlphaTestPopsBackWithoutBlending) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    // The entry must describe what GL has: alpha test without blending.
    RenderStack::SetBlendMode(kBlendAlphaTest);
    RenderStack::Push();
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    RenderStack::Pop();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST(RenderStack, ThirtyTwoEntriesAtMostAndExtraPopsAreIgnored) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    RenderStack::SetColor(0.1f, 0.2f, 0.3f, 0.4f);
    const RenderState bottom = RenderStack::Current();
    for (int i = 1; i <= 33; ++i) {
        RenderStack::Push();
        RenderStack::SetColor(float(i) / 64.0f, 0, 0, 1);
    }
    EXPECT_EQ(RenderStack::Top(), 31);
    // The ignored pushes wrote into entry 31, so the first pop lands on 30,
    // the colour set after the 30th push.
    RenderStack::Pop();
    EXPECT_EQ(RenderStack::Top(), 30);
    EXPECT_FLOAT_EQ(RenderStack::Current().color[0], 30.0f / 64.0f);
    for (int i = 0; i < 32; ++i) {
        RenderStack::Pop();
    }
    EXPECT_EQ(RenderStack::Top(), 0);
    ExpectGlMatches(bottom);
}

TEST(RenderStack, ScopeGuardPairsThePushAndPop) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    {
        RenderStackScope scope;
        EXPECT_EQ(RenderStack::Top(), 1);
        RenderStack::SetDepthTest(true);
    }
    EXPECT_EQ(RenderStack::Top(), 0);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST(RenderStack, FrameEndCheckReportsAndRepairsAnUnmatchedPush) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    testing_support::LogCapture log;
    EXPECT_TRUE(RenderStack::CheckFrameEnd());
    EXPECT_TRUE(log.Lines().empty());
    RenderStack::Push();
    RenderStack::Push();
    RenderStack::SetCullMode(1);
    EXPECT_FALSE(RenderStack::CheckFrameEnd());
    EXPECT_TRUE(log.Contains("2 push(es) still unmatched"));
    EXPECT_EQ(RenderStack::Top(), 0);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST(ScreenHelpers, ClearUsesTheCurrentColourWithFullAlphaAndClearsDepth) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    RenderStack::SetColor(0.2f, 0.4f, 0.6f, 0.0f);
    ClearScreen();
    GLfloat clearColor[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
    EXPECT_FLOAT_EQ(clearColor[3], 1.0f);
    const testing_support::Rgba pixel = gl.ReadPixel(5, 5);
    EXPECT_NEAR(pixel.r, 51, 1);
    EXPECT_NEAR(pixel.g, 102, 1);
    EXPECT_NEAR(pixel.b, 153, 1);
    GLfloat depth = 0.0f;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}

TEST(ScreenHelpers, ScreenQuadCoversTheDisplayAndRectQuadItsCorners) {
    GL_TEST_CONTEXT_OR_SKIP(gl, kWidth, kHeight);
    RenderStack::SetProjectionMatrix(MakeScreenProjection(kWidth, kHeight));
    RenderStack::SetTexturing(false);
    RenderStack::SetColor(0, 0, 0, 1);
    ClearScreen();
    // Centred on the origin: the camera moves the origin to the screen centre.
    RenderStack::SetCameraMatrix(Matrix4::Translation(kWidth / 2.0f, kHeight / 2.0f, 0));
    RenderStack::SetColor(1, 0, 0, 1);
    DrawScreenQuad();
    for (const auto& [x, y] :
         {std::pair{0, 0}, {kWidth - 1, 0}, {0, kHeight - 1}, {kWidth - 1, kHeight - 1}}) {
        EXPECT_EQ(gl.ReadPixel(x, y).r, 255) << x << ", " << y;
    }
    RenderStack::SetCameraMatrix(Matrix4::Identity());
    RenderStack::SetColor(0, 1, 0, 1);
    DrawRectQuad(Vec2{10, 20}, Vec2{30, 40});
    EXPECT_EQ(gl.ReadPixel(10, 20).g, 255);
    EXPECT_EQ(gl.ReadPixel(29, 39).g, 255);
    EXPECT_EQ(gl.ReadPixel(9, 20).g, 0);
    EXPECT_EQ(gl.ReadPixel(30, 39).g, 0);
    EXPECT_EQ(gl.ReadPixel(29, 40).g, 0);
}
