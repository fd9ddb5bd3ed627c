#pragma once
// Widget: the base of everything drawn in two dimensions.
//
// A widget has a position (x, y, z), a rotation in degrees about z, a scale,
// a pivot in its own pixels, a colour (r, g, b, a in 0..1) and a visibility.
// Its local matrix is T(position) · Rz(rotation) · S(scale) · T(−pivot): the
// pivot is the point of the picture that lands on the position and about
// which it rotates and scales. The world matrix is the parent's world times
// the local matrix; the depth is the world z, and larger z draws on top.
//
// Widgets form a tree for drawing and input. Children and parent are plain
// pointers: the scene owns every widget. Destroying a widget detaches it from
// its parent and orphans its children (they are not deleted). Trees nest at
// most kMaxNesting widgets deep: deeper attachments are refused, so every
// walk up a chain of parents is short.

#include "core/Element.h"
#include "core/Matrix.h"

#include <vector>

class Widget : public Element {
    ENGINE_CLASS(Widget, Element)

public:
    enum MatrixIndex { kWorldMatrix = 0, kLocalMatrix = 1, kAnchorMatrix = 2 };
    /// The most widgets one chain of parents may hold below its root.
    static constexpr int32_t kMaxNesting = 256;

    Widget();
    ~Widget() override;

    /// Draws the widget's own picture; the base draws nothing and returns "Visible".
    virtual bool Draw();
    /// False when "Visible" is false; otherwise, when `inherited`, the parent's answer.
    virtual bool IsVisible(bool inherited) const;
    /// Copies the world, local or anchor matrix.
    virtual void GetMatrix(Matrix4& out, int index) const;
    /// world = parentWorld · local; anchor = translation to the world pivot; depth = world z.
    virtual void UpdateWorld(const Matrix4& parentWorld);
    virtual float GetDepth() const { return depth; }
    /// Sets the render state this widget draws with; the base sets nothing.
    virtual void ApplyRenderState() {}
    /// True when `point` (screen pixels) hits the widget's own picture.
    virtual bool HitTest(const Vec2& /*point*/) { return false; }

    /// Rebuilds the local matrix when a transform property changed, then
    /// resolves the links.
    bool Resolve() override;

    /// `start` multiplied by this widget's colour and that of every ancestor.
    void EffectiveColor(const float start[4], float out[4]) const;

    const std::vector<Widget*>& Children() const { return children; }
    Widget* Parent() const { return parent; }
    /// True when some ancestor (not the widget itself) has "Visible" false.
    bool HasHiddenAncestor() const;
    /// EffectiveColor's product and HasHiddenAncestor's answer as the last
    /// draw list computed them, top-down, once per widget and frame.
    const float* DrawColor() const { return drawColor; }
    bool DrawHidden() const { return drawHidden; }

    const Matrix4& WorldMatrix() const { return world; }
    const Matrix4& LocalMatrix() const { return local; }
    /// Recomputes the local matrix from position, rotation, scale and pivot.
    void RebuildLocalMatrix();

    Var Position;
    Var Rotation;
    Var Scale;
    Var Pivot;
    Var Color;
    Var Visible;

private:
    friend bool AttachChild(Widget* parent, Widget* child);
    friend bool DetachChild(Widget* parent, Widget* child);
    friend class Scene;

    bool TransformChanged() const;
    static void RaiseHeights(Widget* widget, int32_t childHeight);
    static void LowerHeights(Widget* widget);
    void ReportTooDeep(const Widget& refusedParent);

    std::vector<Widget*> children;
    Widget* parent = nullptr;
    Matrix4 world;
    Matrix4 local;
    Matrix4 anchor;
    float depth = 0.0f;
    float drawColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool drawHidden = false;
    /// Widgets in the longest chain below this one (0 for a leaf); an upper
    /// bound after detachments, exact after attachments.
    int32_t height = 0;
};

/// Appends `child` to `parent`'s children after detaching it from its current
/// parent; refuses a child that is already among them, and a child that is
/// the parent itself or one of its ancestors.
bool AttachChild(Widget* parent, Widget* child);
/// Removes `child` (keeping the order of the rest); refuses a non-child.
bool DetachChild(Widget* parent, Widget* child);
