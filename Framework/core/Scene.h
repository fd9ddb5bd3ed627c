#pragma once
// Scene: a widget that owns a flat, name-indexed set of elements.
//
// Update order, once per frame:
//   1. the scene's own delayed messages;
//   2. deferred deletions (a widget goes with its whole subtree; tweens on
//      deleted elements are dropped; a hovered widget that goes is forgotten);
//   3. animation controllers advance;
//   4. tweens advance, sending 101 (start), 102 (running) and 103 (done) to
//      the owner of the tweened property;
//   5. every element's Update, in the name map's current entry order (ascending
//      names once a look-up has sorted it; later insertions follow in insertion
//      order);
//   6. dirty elements resolve their links, then their Changed marks clear;
//   7. world matrices are pushed down the widget tree.
//
// The scene owns every element in its map; everything else holds plain
// pointers. Elements are never deleted during a traversal: DeleteLater defers
// it to the start of the next update.

#include "core/MessageCodes.h"
#include "core/NameMap.h"
#include "core/String.h"
#include "core/Widget.h"

#include <memory>
#include <vector>

/// A running property tween.
struct Tween {
    Var* target = nullptr;
    int32_t index = -1; ///< −1: every item
    float start = 0.0f;
    float end = 0.0f;
    float current = 0.0f;
    float duration = 0.0f;
    float elapsed = 0.0f;
    float delta = 0.0f; ///< current minus the item's value before this step
    int32_t curve = 1;  ///< 1 linear, 2 ease-in-out, 3 ease-in
};

enum TweenCurve : int32_t { kTweenLinear = 1, kTweenEaseInOut = 2, kTweenEaseIn = 3 };

/// Messages a tween sends to the owner of its property.
enum TweenMessage : int32_t {
    kTweenStarted = message::kTweenStarted,
    kTweenRunning = message::kTweenRunning,
    kTweenFinished = message::kTweenFinished,
};

class Scene;

/// Draws a scene's widgets in the order the scene gives; installed by the
/// renderer so that the scene graph needs no graphics of its own.
class SceneRenderer {
public:
    virtual ~SceneRenderer() = default;
    virtual void DrawWidgets(Scene& scene, const std::vector<Widget*>& drawList) = 0;
};
void SetSceneRenderer(SceneRenderer* renderer);
SceneRenderer* GetSceneRenderer();

/// The key-frame animations running on one scene. The animation layer makes
/// one the first time it plays something on the scene; the scene owns it,
/// advances it in its update (step 3) and tells it about elements before they
/// are deleted, so that it never writes into a freed property.
class SceneAnimations {
public:
    virtual ~SceneAnimations() = default;
    /// Advances every control by `seconds` and drops the finished ones.
    virtual void Advance(float seconds) = 0;
    /// The elements are about to be deleted: forget every property of theirs.
    /// The list may hold an element twice and elements of other scenes.
    virtual void ForgetElements(const std::vector<Element*>& doomed) = 0;
};

class Scene : public Widget {
    ENGINE_CLASS(Scene, Widget)

public:
    /// Highest number tried when a name has to be made unique.
    static constexpr int kMaxNameSuffix = 8191;

    Scene();
    ~Scene() override;

    /// Widgets refused a place because they would nest too deep; the first
    /// refusal of a scene is logged, the rest only counted.
    int32_t nestingRefusals = 0;

    void Update() override;
    bool HoverTest() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Key(int32_t key, bool pressed, bool repeat) override;
    bool Char(int32_t character) override;
    /// Broadcast: each top-level widget gets the message; its children only
    /// when it answered true.
    bool Message(int32_t message, Object* sender) override;
    /// Sorts the elements by name and calls OnLoaded of each in that order.
    bool OnLoaded() override;
    /// When "Visible": rebuilds the draw list and hands it to the renderer.
    bool Draw() override;
    /// First visible top-level widget (or descendant) whose own test succeeds.
    bool HitTest(const Vec2& point) override;

    /// The element named exactly `name` that IsA(className) (any class when null).
    Element* FindElement(const char* name, const char* className = nullptr);
    /// Elements whose own class name equals `className` (all when null).
    int32_t CountElements(const char* className = nullptr) const;
    /// A new element of a registered class with a unique name derived from
    /// the class name; widgets become top-level children. Null on failure.
    Element* CreateElement(const char* className);
    /// A new element of the same class with copied properties and a unique
    /// name derived from the source's name.
    Element* CloneElement(Element& source);
    /// Gives the element a unique form of `newName`; fails when its current
    /// name already equals `newName`.
    bool RenameElement(Element& element, const char* newName);
    /// Adds an element the caller created (a file build, a widget file) to the
    /// map under `name`, without a uniqueness check, and sets its scene.
    void AddElement(Element* element, const char* name);
    /// Schedules deletion at the start of the next update (once).
    void DeleteLater(Element* element);

    /// Starts a tween of an integer or float variable; index −1 drives every item.
    bool StartTween(Var* variable, int32_t index, float start, float end, float duration, int32_t curve);
    /// Removes every tween of the variable.
    void StopTweens(Var* variable);
    const std::vector<Tween>& Tweens() const { return tweens; }

    /// True when `name` is taken: a registered class name, an element of this
    /// scene, or "null".
    bool IsNameTaken(const char* name);
    /// `requested` if free, else its stem (trailing digits stripped, never the
    /// first character) followed by the first free number 1..8191.
    bool MakeUniqueName(const char* requested, String& out);

    /// All widgets in draw order: pre-order over the top-level children,
    /// then sorted by depth (smaller first). Rebuilt by each call.
    const std::vector<Widget*>& BuildDrawList();

    NameMap<String, Element*>& Elements() { return elements; }
    Widget* Hovered() const { return hovered; }

    Matrix4 sceneMatrix;
    float timeScale = 1.0f;
    /// Null until something plays on the scene; owned.
    std::unique_ptr<SceneAnimations> animations;

private:
    /// Names the new element uniquely, enters it and attaches a widget at the
    /// top level; deletes it and returns null when no name is free.
    Element* AdoptWithUniqueName(Element* element, const char* requestedName);
    void RunDeferredDeletions();
    void AdvanceTweens();
    /// The elements as they stand now, in name-map order, into updateOrder:
    /// walks that may change the map (updates, lookups that sort it) walk this.
    void SnapshotElements();
    void UpdateElements();
    void ResolveElements();
    void PushTransforms();
    void InheritDrawState(Widget& widget);
    bool IsPendingDelete(const Element* element) const;

    NameMap<String, Element*> elements;
    std::vector<Widget*> drawList;
    std::vector<Tween> tweens;
    std::vector<Element*> pendingDeletes;
    Widget* hovered = nullptr;

    struct DrawKey {
        float depth;
        uint32_t order;
        Widget* widget;
    };

    // Reused every frame so that the steady-state update allocates nothing.
    std::vector<DrawKey> drawKeys;
    std::vector<Element*> updateOrder;
    std::vector<Element*> doomed;
    bool advancingTweens = false;
};
