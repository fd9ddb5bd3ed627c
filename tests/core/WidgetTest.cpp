#include "core/Widget.h"

#include <gtest/gtest.h>

TEST(Widget, DefaultsAndRotationHint) {
    Widget w;
    EXPECT_STREQ(w.GetName(), "NewWidget");
    EXPECT_EQ(w.Position.GetCount(), 3);
    EXPECT_FLOAT_EQ(w.Scale.GetFloat(1), 1.0f);
    EXPECT_FLOAT_EQ(w.Color.GetFloat(3), 1.0f);
    EXPECT_TRUE(w.Visible.FirstBool());
    EXPECT_TRUE(w.Rotation.HasFlag(Var::kHintAngle));
    EXPECT_FALSE(w.Rotation.HasFlag(Var::kHintLinear | Var::kHintNone | Var::kHintStep));
    EXPECT_TRUE(w.Position.HasFlag(Var::kHintLinear));
    EXPECT_TRUE(w.IsA("Element"));
}

TEST(Widget, PivotLandsOnPositionAndRotatesAboutIt) {
    Widget w;
    w.Position.SetFloat(0, 100.0f);
    w.Position.SetFloat(1, 50.0f);
    w.Rotation.SetFirstFloat(90.0f);
    w.Scale.SetFloat(0, 2.0f);
    w.Scale.SetFloat(1, 2.0f);
    w.Pivot.SetFloat(0, 10.0f);
    w.Resolve();
    w.UpdateWorld(Matrix4::Identity());
    Vec2 pivot = w.WorldMatrix().TransformPoint(Vec2{10, 0});
    Vec2 next = w.WorldMatrix().TransformPoint(Vec2{11, 0});
    EXPECT_NEAR(pivot.x, 100.0f, 1e-4);
    EXPECT_NEAR(pivot.y, 50.0f, 1e-4);
    EXPECT_NEAR(next.x, 100.0f, 1e-4);
    EXPECT_NEAR(next.y, 52.0f, 1e-4);
    Matrix4 anchor;
    w.GetMatrix(anchor, Widget::kAnchorMatrix);
    EXPECT_NEAR(anchor.m[12], 100.0f, 1e-4);
    EXPECT_TRUE(anchor.IsTranslationOnly());
}

TEST(Widget, ColourMultipliesAlongTheParentChain) {
    Widget parent, child;
    AttachChild(&parent, &child);
    parent.Color.SetFloat(3, 0.5f);
    child.Color.SetFloat(3, 0.5f);
    child.Color.SetFloat(0, 0.25f);
    const float start[4] = {1, 1, 1, 0.8f};
    float out[4];
    child.EffectiveColor(start, out);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
    EXPECT_FLOAT_EQ(out[3], 0.2f);
}

TEST(Widget, VisibilityWithAncestors) {
    Widget parent, child;
    AttachChild(&parent, &child);
    parent.Visible.SetFirstBool(false);
    EXPECT_TRUE(child.IsVisible(false));
    EXPECT_FALSE(child.IsVisible(true));
    EXPECT_TRUE(child.HasHiddenAncestor());
}

TEST(Widget, DestroyingDetachesAndOrphans) {
    Widget parent, grandchild;
    {
        Widget middle;
        AttachChild(&parent, &middle);
        AttachChild(&middle, &grandchild);
    }
    EXPECT_TRUE(parent.Children().empty());
    EXPECT_EQ(grandchild.Parent(), nullptr);
}

TEST(Matrix, InverseUndoesACameraTransform) {
    Matrix4 camera =
        Matrix4::Translation(512, 384, 0) * Matrix4::Scaling(1.5f, 1.5f, 1.0f) * Matrix4::RotationZ(0.3f);
    Vec2 p{17, -40};
    Vec2 back = camera.Inverse().TransformPoint(camera.TransformPoint(p));
    EXPECT_NEAR(back.x, p.x, 1e-3);
    EXPECT_NEAR(back.y, p.y, 1e-3);
    Matrix4 singular = Matrix4::Scaling(0, 0, 0);
    EXPECT_TRUE(singular.Inverse() == Matrix4::Identity());
}
