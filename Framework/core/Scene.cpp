#include "core/Scene.h"

#include "core/ClassRegistry.h"
#include "core/FrameTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <unordered_set>

// Index
//   construction and ownership
//   naming and element management
//   per-frame update (steps 1-7)
//   tweens
//   input traversals
//   draw order

// ---- construction and ownership -------------------------------------------

Scene::Scene() {
    Name.SetFirstString("NewScene");
}

Scene::~Scene() {
    // Cut every tree link first: deleting widgets one by one would otherwise
    // detach each from a long child list in turn.
    for (auto& entry : elements.Entries()) {
        if (Widget* widget = ObjectCast<Widget>(entry.value)) {
            widget->parent = nullptr;
            widget->children.clear();
        }
    }
    animations.reset();
    children.clear();
    tweens.clear();
    hovered = nullptr;
    for (auto& entry : elements.Entries()) {
        delete entry.value;
    }
    elements.Clear();
}

// ---- naming and element management ------------------------------------------

bool Scene::IsNameTaken(const char* name) {
    return std::strcmp(name, "null") == 0 || FindClass(name) != nullptr ||
           elements.FindEntry(name) != nullptr;
}

namespace {

// The number n when `name` is `stem` followed by the decimal form of n
// (no sign, no leading zero) and 1 <= n <= limit; 0 otherwise.
int NumberAfterStem(const char* name, size_t stemLength, int limit) {
    const char* digits = name + stemLength;
    if (*digits < '1' || *digits > '9') {
        return 0;
    }
    int value = 0;
    for (const char* c = digits; *c; ++c) {
        if (*c < '0' || *c > '9') {
            return 0;
        }
        value = value * 10 + (*c - '0');
        if (value > limit) {
            return 0;
        }
    }
    return value;
}

} // namespace

bool Scene::MakeUniqueName(const char* requested, String& out) {
    if (!requested) {
        requested = "";
    }
    if (!IsNameTaken(requested)) {
        out.Assign(requested);
        return true;
    }
    size_t stemLength = std::strlen(requested);
    while (stemLength > 1 && requested[stemLength - 1] >= '0' && requested[stemLength - 1] <= '9') {
        --stemLength;
    }
    String stem;
    stem.Assign(requested, stemLength);
    // Trying stem1, stem2, ... one look-up at a time is quadratic when many
    // elements share a stem; the numbers the scene already uses are gathered
    // in one pass over the names that start with the stem instead.
    std::vector<bool> used(kMaxNameSuffix + 1, false);
    auto [first, last] = elements.PrefixRange(stem.CStr());
    for (auto* entry = first; entry != last; ++entry) {
        used[static_cast<size_t>(NumberAfterStem(entry->key.CStr(), stemLength, kMaxNameSuffix))] = true;
    }
    String candidate;
    char number[16];
    for (int i = 1; i <= kMaxNameSuffix; ++i) {
        if (used[static_cast<size_t>(i)]) {
            continue;
        }
        int digits = std::snprintf(number, sizeof number, "%d", i);
        candidate = stem;
        candidate.Append(number, static_cast<size_t>(digits));
        if (!candidate.Equals("null") && !FindClass(candidate.CStr())) {
            out = candidate;
            return true;
        }
    }
    return false;
}

Element* Scene::FindElement(const char* name, const char* className) {
    Element* element = elements.Find(name);
    if (element && className && !element->IsA(className)) {
        return nullptr;
    }
    return element;
}

int32_t Scene::CountElements(const char* className) const {
    if (!className) {
        return static_cast<int32_t>(elements.Size());
    }
    int32_t count = 0;
    for (const auto& entry : elements.Entries()) {
        if (std::strcmp(entry.value->GetClassName(), className) == 0) {
            ++count;
        }
    }
    return count;
}

void Scene::AddElement(Element* element, const char* name) {
    elements.Insert(String(name), element);
    element->scene = this;
}

namespace {

// A fresh element of the class, or null when the class is unknown or does not
// make elements.
Element* MakeElement(const char* className) {
    Object* object = CreateObject(className);
    if (!object) {
        return nullptr;
    }
    if (!object->IsA("Element")) {
        delete object;
        return nullptr;
    }
    return static_cast<Element*>(object);
}

} // namespace

Element* Scene::AdoptWithUniqueName(Element* element, const char* requestedName) {
    String name;
    if (!element || !MakeUniqueName(requestedName, name)) {
        delete element;
        return nullptr;
    }
    element->Name.SetFirstString(name.CStr());
    AddElement(element, name.CStr());
    if (Widget* widget = ObjectCast<Widget>(element)) {
        AttachChild(this, widget);
    }
    return element;
}

Element* Scene::CreateElement(const char* className) {
    return AdoptWithUniqueName(MakeElement(className), className);
}

Element* Scene::CloneElement(Element& source) {
    Element* clone = MakeElement(source.GetClassName());
    if (clone) {
        clone->CopyPropertiesFrom(source);
    }
    return AdoptWithUniqueName(clone, source.GetName());
}

bool Scene::RenameElement(Element& element, const char* newName) {
    if (!newName || element.Name.FirstString().Equals(newName)) {
        return false;
    }
    String unique;
    if (!MakeUniqueName(newName, unique)) {
        return false;
    }
    auto* entry = elements.FindEntry(element.GetName());
    if (!entry || entry->value != &element) {
        entry = nullptr;
        for (auto& candidate : elements.Entries()) {
            if (candidate.value == &element) {
                entry = &candidate;
                break;
            }
        }
    }
    if (entry) {
        entry->key = unique;
        elements.MarkUnsorted();
    }
    element.Name.SetFirstString(unique.CStr());
    return true;
}

void Scene::DeleteLater(Element* element) {
    if (element && !IsPendingDelete(element)) {
        pendingDeletes.push_back(element);
    }
}

bool Scene::IsPendingDelete(const Element* element) const {
    return std::find(pendingDeletes.begin(), pendingDeletes.end(), element) != pendingDeletes.end();
}

// ---- per-frame update ----------------------------------------------------------

void Scene::Update() {
    Element::Update();      // 1. the scene's own delayed messages
    RunDeferredDeletions(); // 2.
    if (animations) {       // 3.
        animations->Advance(frameTime * timeScale);
    }
    AdvanceTweens();   // 4.
    UpdateElements();  // 5.
    ResolveElements(); // 6.
    PushTransforms();  // 7.
}

namespace {

// The widget and all its descendants, children before their parent. The walk
// may meet an element twice when a pending element lies below another.
void CollectSubtree(Element* element, std::vector<Element*>& out) {
    if (Widget* widget = ObjectCast<Widget>(element)) {
        for (Widget* child : widget->Children()) {
            CollectSubtree(child, out);
        }
    }
    out.push_back(element);
}

} // namespace

void Scene::RunDeferredDeletions() {
    if (pendingDeletes.empty()) {
        return;
    }
    doomed.clear();
    for (Element* element : pendingDeletes) {
        CollectSubtree(element, doomed);
    }
    pendingDeletes.clear();

    std::unordered_set<const Element*> doomedSet(doomed.begin(), doomed.end());
    // Only elements this scene owns are deleted; anything else is just let go.
    std::unordered_set<const Element*> owned;
    elements.RemoveIf([&](const auto& entry) {
        if (doomedSet.count(entry.value)) {
            owned.insert(entry.value);
            return true;
        }
        return false;
    });
    std::erase_if(tweens, [&](const Tween& t) { return t.target && doomedSet.count(t.target->owner); });
    if (animations) {
        animations->ForgetElements(doomed);
    }
    if (hovered && doomedSet.count(hovered)) {
        hovered = nullptr;
    }
    // Children go before their parents, so no destructor walks a freed child.
    for (Element* element : doomed) {
        if (owned.erase(element)) {
            delete element;
        }
    }
    doomed.clear();
}

void Scene::SnapshotElements() {
    updateOrder.clear();
    for (const auto& entry : elements.Entries()) {
        updateOrder.push_back(entry.value);
    }
}

void Scene::UpdateElements() {
    SnapshotElements();
    for (Element* element : updateOrder) {
        element->Update();
    }
}

void Scene::ResolveElements() {
    // Resolving a link looks names up, which may sort the name map under the
    // walk: walk the elements as they stood before, so none is skipped and
    // then has its marks cleared unresolved.
    SnapshotElements();
    for (Element* element : updateOrder) {
        if (element->IsDirty()) {
            element->Resolve();
        }
    }
    for (Element* element : updateOrder) {
        if (element->IsDirty()) {
            element->ClearChangedMarks();
        }
    }
    Widget::Resolve();
    ClearChangedMarks();
}

void Scene::PushTransforms() {
    UpdateWorld(Matrix4::Identity());
    const Matrix4 topLevelParent = WorldMatrix() * sceneMatrix;
    // Pre-order walk with an explicit stack: a parent's world matrix is always
    // final before its children read it, and deep trees cannot exhaust the
    // call stack.
    auto& stack = drawList; // reused as scratch; the draw rebuilds it anyway
    stack.clear();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        stack.push_back(*it);
    }
    while (!stack.empty()) {
        Widget* widget = stack.back();
        stack.pop_back();
        widget->UpdateWorld(widget->parent == this ? topLevelParent : widget->parent->world);
        for (auto it = widget->children.rbegin(); it != widget->children.rend(); ++it) {
            stack.push_back(*it);
        }
    }
    // Shapes get the identity as parent matrix once 3-D shapes exist.
}

// ---- tweens -----------------------------------------------------------------

bool Scene::StartTween(Var* variable, int32_t index, float start, float end, float duration, int32_t curve) {
    if (!variable || (variable->GetType() != kVarInt && variable->GetType() != kVarFloat)) {
        return false;
    }
    Tween tween;
    tween.target = variable;
    tween.index = index;
    tween.start = start;
    tween.end = end;
    tween.current = start;
    tween.duration = duration;
    tween.curve = curve;
    tweens.push_back(tween);
    return true;
}

void Scene::StopTweens(Var* variable) {
    if (advancingTweens) {
        // Called from a tween message: mark now, compact when the step ends.
        for (Tween& tween : tweens) {
            if (tween.target == variable) {
                tween.target = nullptr;
            }
        }
        return;
    }
    std::erase_if(tweens, [variable](const Tween& t) { return t.target == variable; });
}

namespace {

void SendToOwner(Var* target, int32_t message) {
    if (target && target->owner) {
        target->owner->Message(message, nullptr);
    }
}

// Integer variables refuse float writes, so a tween of one only sends messages.
void WriteTweenValue(Var* target, int32_t index, float value) {
    if (index == -1) {
        for (int32_t i = 0; i < target->GetCount(); ++i) {
            target->SetFloat(i, value);
        }
    } else {
        target->SetFloat(index, value);
    }
}

float TweenValue(const Tween& tween, float t) {
    const float range = tween.end - tween.start;
    switch (tween.curve) {
    case kTweenLinear:
        return tween.start + t * range;
    case kTweenEaseInOut:
        return tween.start + (1.0f - std::cos(std::numbers::pi_v<float> * t)) / 2.0f * range;
    case kTweenEaseIn:
        return tween.start + (1.0f - std::cos(std::numbers::pi_v<float> * t / 2.0f)) * range;
    default:
        return tween.current;
    }
}

} // namespace

void Scene::AdvanceTweens() {
    advancingTweens = true;
    // Tweens started by a message handler during this step begin next frame.
    const size_t count = tweens.size();
    for (size_t i = 0; i < count; ++i) {
        // Handlers may append tweens: always reach the entry through the index.
        if (!tweens[i].target) {
            continue;
        }
        if (tweens[i].elapsed == 0.0f) {
            SendToOwner(tweens[i].target, kTweenStarted);
            if (!tweens[i].target) {
                continue;
            }
        }
        Tween& tween = tweens[i];
        float t = tween.duration > 0.0f ? tween.elapsed / tween.duration : 1.0f;
        t = std::clamp(t, 0.0f, 1.0f);
        tween.current = TweenValue(tween, t);
        tween.delta = tween.current - tween.target->GetFloat(tween.index);
        WriteTweenValue(tween.target, tween.index, tween.current);
        tween.elapsed += frameTime * timeScale;
        Var* target = tween.target;
        if (tween.elapsed >= tween.duration) {
            WriteTweenValue(target, tween.index, tween.end);
            tween.target = nullptr;
            SendToOwner(target, kTweenFinished);
        } else {
            SendToOwner(target, kTweenRunning);
        }
    }
    advancingTweens = false;
    std::erase_if(tweens, [](const Tween& t) { return t.target == nullptr; });
}

// ---- input traversals -----------------------------------------------------------

namespace {

// Children before their parent, visible widgets only, the first consumer
// wins. Indices rather than iterators: a handler may attach or detach widgets.
template <typename Consume> Widget* FirstConsumer(const std::vector<Widget*>& widgets, Consume& consume) {
    for (size_t i = 0; i < widgets.size(); ++i) {
        Widget* widget = widgets[i];
        if (!widget->Visible.FirstBool()) {
            continue;
        }
        if (Widget* child = FirstConsumer(widget->Children(), consume)) {
            return child;
        }
        if (consume(widget)) {
            return widget;
        }
    }
    return nullptr;
}

bool BroadcastMessage(const std::vector<Widget*>& widgets, int32_t message, Object* sender) {
    bool any = false;
    for (size_t i = 0; i < widgets.size(); ++i) {
        Widget* widget = widgets[i];
        if (widget->Message(message, sender)) {
            any = true;
            BroadcastMessage(widget->Children(), message, sender);
        }
    }
    return any;
}

bool HitTestTree(const std::vector<Widget*>& widgets, const Vec2& point) {
    for (size_t i = 0; i < widgets.size(); ++i) {
        Widget* widget = widgets[i];
        if (!widget->IsVisible(false)) {
            continue;
        }
        if (widget->HitTest(point) || HitTestTree(widget->Children(), point)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool Scene::HoverTest() {
    auto test = [](Widget* w) { return w->HoverTest(); };
    Widget* found = FirstConsumer(children, test);
    if (found != hovered) {
        if (hovered) {
            hovered->MouseLeave();
        }
        hovered = found;
        if (found) {
            found->MouseEnter();
        }
    }
    return found != nullptr;
}

bool Scene::MouseButton(int32_t button, bool pressed) {
    auto consume = [&](Widget* w) { return w->MouseButton(button, pressed); };
    return FirstConsumer(children, consume) != nullptr;
}

bool Scene::Key(int32_t key, bool pressed, bool repeat) {
    auto consume = [&](Widget* w) { return w->Key(key, pressed, repeat); };
    return FirstConsumer(children, consume) != nullptr;
}

bool Scene::Char(int32_t character) {
    auto consume = [&](Widget* w) { return w->Char(character); };
    return FirstConsumer(children, consume) != nullptr;
}

bool Scene::Message(int32_t message, Object* sender) {
    return BroadcastMessage(children, message, sender);
}

bool Scene::HitTest(const Vec2& point) {
    return HitTestTree(children, point);
}

bool Scene::OnLoaded() {
    elements.Sort();
    updateOrder.clear();
    for (const auto& entry : elements.Entries()) {
        updateOrder.push_back(entry.value);
    }
    for (Element* element : updateOrder) {
        element->OnLoaded();
    }
    return true;
}

// ---- draw order ---------------------------------------------------------------

namespace {
SceneRenderer* sceneRenderer = nullptr;
}

void SetSceneRenderer(SceneRenderer* renderer) {
    sceneRenderer = renderer;
}

SceneRenderer* GetSceneRenderer() {
    return sceneRenderer;
}

bool Scene::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    BuildDrawList();
    // The 3-D shapes' depth-sorted list is rebuilt here once shapes exist.
    if (sceneRenderer) {
        sceneRenderer->DrawWidgets(*this, drawList);
    }
    return true;
}

void Scene::InheritDrawState(Widget& widget) {
    // Parents come before their children, so one step per widget gives the
    // product of the colours and the hidden flag of the whole chain above.
    const Widget& parent = widget.parent ? *widget.parent : static_cast<const Widget&>(*this);
    const bool root = &widget == this;
    for (int i = 0; i < 4; ++i) {
        const float above = root ? 1.0f : parent.drawColor[i];
        widget.drawColor[i] = above * widget.Color.GetFloat(i);
    }
    widget.drawHidden = !root && (parent.drawHidden || !parent.Visible.FirstBool());
}

const std::vector<Widget*>& Scene::BuildDrawList() {
    drawList.clear();
    InheritDrawState(*this);
    // Pre-order: a widget, then its children in order.
    auto& stack = updateOrder; // scratch, reused
    stack.clear();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        stack.push_back(*it);
    }
    while (!stack.empty()) {
        Widget* widget = static_cast<Widget*>(stack.back());
        stack.pop_back();
        InheritDrawState(*widget);
        drawList.push_back(widget);
        for (auto it = widget->Children().rbegin(); it != widget->Children().rend(); ++it) {
            stack.push_back(*it);
        }
    }
    // Equal depths keep the pre-order (a parent before its children). Sorting
    // on (depth, pre-order position) gives that with an in-place sort, where
    // a stable sort would allocate a buffer every frame.
    drawKeys.clear();
    for (size_t i = 0; i < drawList.size(); ++i) {
        drawKeys.push_back(DrawKey{drawList[i]->GetDepth(), static_cast<uint32_t>(i), drawList[i]});
    }
    std::sort(drawKeys.begin(), drawKeys.end(), [](const DrawKey& a, const DrawKey& b) {
        return a.depth < b.depth || (a.depth == b.depth && a.order < b.order);
    });
    for (size_t i = 0; i < drawKeys.size(); ++i) {
        drawList[i] = drawKeys[i].widget;
    }
    return drawList;
}
