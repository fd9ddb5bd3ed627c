#include "core/Scene.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Link.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <vector>

namespace {

// Widgets that record what the traversals give them.
class Probe : public Widget {
    ENGINE_CLASS(Probe, Widget)
public:
    bool HoverTest() override {
        log().push_back(std::string("hover:") + GetName());
        return takesHover;
    }
    void MouseEnter() override { log().push_back(std::string("enter:") + GetName()); }
    void MouseLeave() override { log().push_back(std::string("leave:") + GetName()); }
    bool MouseButton(int32_t, bool) override {
        log().push_back(std::string("button:") + GetName());
        return consumes;
    }
    bool Key(int32_t, bool, bool) override {
        log().push_back(std::string("key:") + GetName());
        return consumes;
    }
    bool Char(int32_t) override {
        log().push_back(std::string("char:") + GetName());
        return consumes;
    }
    bool Message(int32_t message, Object*) override {
        log().push_back(std::string("msg:") + GetName() + ":" + std::to_string(message));
        return passesOn;
    }
    void Update() override {
        log().push_back(std::string("update:") + GetName());
        Widget::Update();
    }
    static std::vector<std::string>& log() {
        static std::vector<std::string> lines;
        return lines;
    }
    bool takesHover = false;
    bool consumes = false;
    bool passesOn = true;
};

// Named apart from the engine's own Button, which the engine classes register.
class Knob : public Widget {
    ENGINE_CLASS(Knob, Widget)
};

class Holder : public Element {
    ENGINE_CLASS(Holder, Element)
public:
    Holder() { DeclareNamedString("OkButton", OkButton, 1, this); }
    Link<Knob> OkButton;
};

class SceneTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("Probe", MakeObject<Probe>, "Test");
        RegisterClass("Knob", MakeObject<Knob>, "Test");
        RegisterClass("Holder", MakeObject<Holder>, "Test");
        Probe::log().clear();
        frameTime = 0.1f;
    }

    Probe* AddProbe(const char* name, Widget* parent = nullptr) {
        auto* probe = static_cast<Probe*>(scene.CreateElement("Probe"));
        scene.RenameElement(*probe, name);
        if (parent) {
            AttachChild(parent, probe);
        }
        return probe;
    }

    Scene scene;
};

} // namespace

TEST_F(SceneTest, CreatedElementsGetNumberedClassNames) {
    Element* a = scene.CreateElement("Widget");
    Element* b = scene.CreateElement("Widget");
    Element* c = scene.CreateElement("Widget");
    ASSERT_TRUE(a && b && c);
    EXPECT_STREQ(a->GetName(), "Widget1");
    EXPECT_STREQ(b->GetName(), "Widget2");
    EXPECT_STREQ(c->GetName(), "Widget3");
    EXPECT_EQ(a->scene, &scene);
    EXPECT_EQ(static_cast<Widget*>(a)->Parent(), &scene);

    EXPECT_TRUE(scene.RenameElement(*b, "null"));
    EXPECT_STREQ(b->GetName(), "null1");
    EXPECT_EQ(scene.FindElement("null1"), b);
    EXPECT_EQ(scene.FindElement("Widget2"), nullptr);
    EXPECT_FALSE(scene.RenameElement(*b, "null1"));

    EXPECT_TRUE(scene.RenameElement(*a, "7"));
    EXPECT_TRUE(scene.RenameElement(*c, "7"));
    EXPECT_STREQ(c->GetName(), "71");
}

TEST_F(SceneTest, CreationFailsForUnknownOrNonElementClasses) {
    RegisterClass("String", MakeObject<String>, "");
    EXPECT_EQ(scene.CreateElement("Nope"), nullptr);
    EXPECT_EQ(scene.CreateElement("String"), nullptr);
    EXPECT_EQ(scene.CountElements(), 0);
}

TEST_F(SceneTest, NamingGivesUpAfter8191Candidates) {
    for (int i = 0; i < 8191; ++i) {
        ASSERT_NE(scene.CreateElement("Element"), nullptr) << i;
    }
    EXPECT_EQ(scene.CreateElement("Element"), nullptr);
    EXPECT_EQ(scene.CountElements("Element"), 8191);
}

TEST_F(SceneTest, CloneTakesTheFirstFreeNumberOfTheStem) {
    Element* door = scene.CreateElement("Widget");
    scene.RenameElement(*door, "door12");
    static_cast<Widget*>(door)->Position.SetFloat(0, 33.0f);
    Element* clone = scene.CloneElement(*door);
    ASSERT_NE(clone, nullptr);
    EXPECT_STREQ(clone->GetName(), "door1");
    EXPECT_FLOAT_EQ(static_cast<Widget*>(clone)->Position.GetFloat(0), 33.0f);
    EXPECT_STREQ(scene.CloneElement(*door)->GetName(), "door2");
}

TEST_F(SceneTest, FindAndCountTestClasses) {
    scene.CreateElement("Probe");
    scene.CreateElement("Widget");
    EXPECT_EQ(scene.FindElement("Probe1", "Knob"), nullptr);
    EXPECT_NE(scene.FindElement("Probe1", "Widget"), nullptr);
    EXPECT_NE(scene.FindElement("Probe1"), nullptr);
    EXPECT_EQ(scene.CountElements("Widget"), 1); // own class only
    EXPECT_EQ(scene.CountElements(), 2);
}

TEST_F(SceneTest, UpdateOrderIsNameOrderAfterALookupThenInsertionOrder) {
    AddProbe("b");
    AddProbe("a"); // the rename's look-up sorts the map
    scene.FindElement("a");
    Element* late = scene.CreateElement("Probe"); // appended unsorted
    scene.Elements().Entries().back().key = "0late";
    late->Name.SetFirstString("0late");
    Probe::log().clear();
    scene.Update();
    std::vector<std::string> updates;
    for (const auto& line : Probe::log()) {
        if (line.rfind("update:", 0) == 0) {
            updates.push_back(line);
        }
    }
    EXPECT_EQ(updates, (std::vector<std::string>{"update:a", "update:b", "update:0late"}));
}

TEST_F(SceneTest, EaseInOutTweenSendsStartRunningAndFinish) {
    Probe* p = AddProbe("p");
    Probe::log().clear();
    frameTime = 0.25f;
    ASSERT_TRUE(scene.StartTween(&p->Rotation, 0, 0.0f, 10.0f, 1.0f, kTweenEaseInOut));
    std::vector<float> values;
    for (int i = 0; i < 6; ++i) {
        scene.Update();
        values.push_back(p->Rotation.FirstFloat());
    }
    int started = 0, running = 0, finished = 0;
    for (const auto& line : Probe::log()) {
        started += line == "msg:p:101";
        running += line == "msg:p:102";
        finished += line == "msg:p:103";
    }
    EXPECT_EQ(started, 1);
    EXPECT_EQ(running, 3);
    EXPECT_EQ(finished, 1);
    EXPECT_FLOAT_EQ(values[0], 0.0f);
    EXPECT_NEAR(values[1], 10.0f * (1 - std::cos(3.14159265f * 0.25f)) / 2, 1e-4);
    EXPECT_FLOAT_EQ(values[3], 10.0f);
    EXPECT_FLOAT_EQ(values[5], 10.0f);
    EXPECT_TRUE(scene.Tweens().empty());
}

TEST_F(SceneTest, TweensOfIntegersOnlySendMessagesAndEveryItemMoves) {
    Probe* p = AddProbe("p");
    Var count;
    DeclareInt("Count", count, 1, p, 4);
    EXPECT_TRUE(scene.StartTween(&count, 0, 0, 10, 0.1f, kTweenLinear));
    Var text;
    DeclareString("Text", text, 1, p, "");
    EXPECT_FALSE(scene.StartTween(&text, 0, 0, 1, 1, kTweenLinear));
    EXPECT_TRUE(scene.StartTween(&p->Color, -1, 0.0f, 0.5f, 0.1f, kTweenLinear));
    scene.Update();
    scene.Update();
    EXPECT_EQ(count.FirstInt(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(p->Color.GetFloat(i), 0.5f);
    }
    EXPECT_TRUE(scene.Tweens().empty());
}

TEST_F(SceneTest, DeleteLaterRemovesTheWholeSubtreeAndItsTweensAtTheNextUpdate) {
    Probe* parent = AddProbe("parent");
    Probe* child = AddProbe("child", parent);
    Probe* grandchild = AddProbe("grandchild", child);
    Probe* other = AddProbe("other");
    scene.StartTween(&grandchild->Rotation, 0, 0, 1, 10, kTweenLinear);
    scene.StartTween(&other->Rotation, 0, 0, 1, 10, kTweenLinear);
    grandchild->takesHover = true;
    scene.HoverTest();
    ASSERT_EQ(scene.Hovered(), grandchild);

    scene.DeleteLater(parent);
    scene.DeleteLater(child); // already covered by its parent
    scene.DeleteLater(parent);
    EXPECT_EQ(scene.CountElements(), 4);
    scene.Update();
    EXPECT_EQ(scene.CountElements(), 1);
    EXPECT_EQ(scene.FindElement("child"), nullptr);
    EXPECT_EQ(scene.Tweens().size(), 1u);
    EXPECT_EQ(scene.Hovered(), nullptr);
    EXPECT_EQ(scene.Children().size(), 1u);
    scene.HoverTest(); // must not touch the deleted widget
}

TEST_F(SceneTest, HiddenWidgetsAndTheirChildrenGetNoInput) {
    Probe* top = AddProbe("top");
    Probe* inner = AddProbe("inner", top);
    inner->consumes = true;
    top->Visible.SetFirstBool(false);
    EXPECT_FALSE(scene.MouseButton(0, true));
    EXPECT_FALSE(scene.Key(65, true, false));
    EXPECT_FALSE(scene.Char('a'));
    EXPECT_FALSE(scene.HoverTest());
    EXPECT_TRUE(Probe::log().empty());
    top->Visible.SetFirstBool(true);
    EXPECT_TRUE(scene.MouseButton(0, true));
    EXPECT_EQ(Probe::log(), (std::vector<std::string>{"button:inner"}));
}

TEST_F(SceneTest, ChildrenAreAskedBeforeParentsAndTheFirstConsumerWins) {
    Probe* first = AddProbe("first");
    AddProbe("firstChild", first);
    Probe* second = AddProbe("second");
    second->consumes = true;
    AddProbe("third");
    EXPECT_TRUE(scene.Key(13, true, false));
    EXPECT_EQ(Probe::log(), (std::vector<std::string>{"key:firstChild", "key:first", "key:second"}));
}

TEST_F(SceneTest, HoverChangesSendLeaveAndEnter) {
    Probe* a = AddProbe("a");
    Probe* b = AddProbe("b");
    a->takesHover = true;
    EXPECT_TRUE(scene.HoverTest());
    a->takesHover = false;
    b->takesHover = true;
    Probe::log().clear();
    scene.HoverTest();
    EXPECT_EQ(Probe::log(), (std::vector<std::string>{"hover:a", "hover:b", "leave:a", "enter:b"}));
    b->takesHover = false;
    Probe::log().clear();
    EXPECT_FALSE(scene.HoverTest());
    EXPECT_EQ(Probe::log().back(), "leave:b");
    EXPECT_EQ(scene.Hovered(), nullptr);
}

TEST_F(SceneTest, BroadcastReachesChildrenOnlyThroughWillingParents) {
    Probe* open = AddProbe("open");
    AddProbe("openChild", open);
    Probe* closed = AddProbe("closed");
    closed->passesOn = false;
    AddProbe("closedChild", closed);
    scene.Message(2000, nullptr);
    EXPECT_EQ(Probe::log(),
              (std::vector<std::string>{"msg:open:2000", "msg:openChild:2000", "msg:closed:2000"}));
}

TEST_F(SceneTest, AttachMovesBetweenParentsRefusesDuplicatesAndCycles) {
    Probe* a = AddProbe("a");
    Probe* b = AddProbe("b");
    Probe* c = AddProbe("c", a);
    EXPECT_TRUE(AttachChild(b, c));
    EXPECT_TRUE(a->Children().empty());
    EXPECT_EQ(c->Parent(), b);
    EXPECT_FALSE(AttachChild(b, c));
    EXPECT_FALSE(AttachChild(c, b)); // b is c's parent
    EXPECT_FALSE(AttachChild(c, c));
    EXPECT_TRUE(DetachChild(b, c));
    EXPECT_FALSE(DetachChild(b, c));
    EXPECT_EQ(c->Parent(), nullptr);
}

TEST_F(SceneTest, ElementLinksResolveByNameAndClass) {
    auto* holder = static_cast<Holder*>(scene.CreateElement("Holder"));
    Element* button = scene.CreateElement("Knob");
    scene.RenameElement(*button, "ok_button");
    EXPECT_TRUE(holder->OkButton.HasUnresolved());
    EXPECT_TRUE(holder->HasUnresolvedSavedLinks());
    scene.Update();
    EXPECT_EQ(holder->OkButton.Get(), button);
    EXPECT_FALSE(holder->OkButton.HasUnresolved());
    EXPECT_FALSE(holder->HasUnresolvedSavedLinks());
    EXPECT_FALSE(holder->OkButton.IsChanged());

    // A Probe is a Widget but not a Knob.
    AddProbe("decoy");
    holder->OkButton.SetFirstString("decoy");
    scene.Update();
    EXPECT_EQ(holder->OkButton.Get(), nullptr);
    EXPECT_TRUE(holder->OkButton.HasUnresolved());
    EXPECT_TRUE(holder->OkButton.IsUnresolved(0));
    EXPECT_TRUE(holder->OkButton.IsUnresolved(1));
    EXPECT_TRUE(holder->HasUnresolvedSavedLinks());
}

TEST_F(SceneTest, AnElementSortedInFrontByALookupDuringResolveIsStillResolved) {
    auto* holder = static_cast<Holder*>(scene.CreateElement("Holder"));
    scene.RenameElement(*scene.CreateElement("Knob"), "ok_button");
    scene.Update();
    // Created at run time with a name that sorts first, while the holder's
    // link lookup will sort the name map in the middle of the resolve walk.
    Probe* early = AddProbe("a_early");
    early->Position.SetFloat(0, 40.0f);
    holder->OkButton.SetFirstString("ok_button");
    scene.Update();
    EXPECT_FLOAT_EQ(early->WorldMatrix().TransformPoint(Vec2{0, 0}).x, 40.0f);
    EXPECT_FALSE(early->IsDirty());
}

TEST_F(SceneTest, ResolveRebuildsMatricesAndPushesThemDown) {
    Probe* parent = AddProbe("parent");
    Probe* child = AddProbe("child", parent);
    parent->Position.SetFloat(0, 100.0f);
    parent->Position.SetFloat(2, 2.0f);
    child->Position.SetFloat(1, 5.0f);
    scene.Update();
    Vec2 origin = child->WorldMatrix().TransformPoint(Vec2{0, 0});
    EXPECT_FLOAT_EQ(origin.x, 100.0f);
    EXPECT_FLOAT_EQ(origin.y, 5.0f);
    EXPECT_FLOAT_EQ(child->GetDepth(), 2.0f);
    EXPECT_FALSE(parent->IsDirty());

    scene.sceneMatrix = Matrix4::Translation(0, 0, 3);
    scene.Update();
    EXPECT_FLOAT_EQ(child->GetDepth(), 5.0f);
}

TEST_F(SceneTest, ChainsNestAtMostTheLimitDeepAndDrawStateIsInheritedTopDown) {
    testing_support::LogCapture log;
    std::vector<Probe*> chain;
    Widget* parent = nullptr;
    for (int i = 0; i < Widget::kMaxNesting + 20; ++i) {
        chain.push_back(AddProbe(("c" + std::to_string(i)).c_str(), parent));
        parent = chain.back();
    }
    auto depthBelowScene = [&](const Widget* w) {
        int depth = 0;
        for (; w && w != &scene; w = w->Parent()) {
            ++depth;
        }
        return depth;
    };
    int deepest = 0;
    for (Probe* probe : chain) {
        deepest = std::max(deepest, depthBelowScene(probe));
    }
    EXPECT_EQ(deepest, Widget::kMaxNesting);
    EXPECT_EQ(chain[Widget::kMaxNesting]->Parent(), &scene) << "a refused widget stays at the top level";
    EXPECT_EQ(std::count_if(log.Lines().begin(), log.Lines().end(),
                            [](const std::string& line) { return line.find("nest at most") != std::string::npos; }),
              1);

    // A whole chain hung below another counts with its own height; a cycle
    // is still refused.
    Probe* lower = AddProbe("lower");
    Widget* tip = lower;
    for (int i = 0; i < 199; ++i) {
        tip = AddProbe(("l" + std::to_string(i)).c_str(), tip);
    }
    EXPECT_FALSE(AttachChild(chain[99], lower));
    EXPECT_TRUE(AttachChild(chain[20], lower));
    EXPECT_FALSE(AttachChild(tip, chain[0]));

    // Colours multiply and hiding reaches every descendant, as one walk down sets them.
    chain[0]->Color.SetFloat(3, 0.5f);
    chain[1]->Color.SetFloat(0, 0.5f);
    chain[2]->Visible.SetFirstBool(false);
    scene.Update();
    scene.BuildDrawList();
    EXPECT_FLOAT_EQ(chain[1]->DrawColor()[0], 0.5f);
    EXPECT_FLOAT_EQ(chain[1]->DrawColor()[3], 0.5f);
    EXPECT_FLOAT_EQ(chain[200]->DrawColor()[3], 0.5f);
    EXPECT_FALSE(chain[2]->DrawHidden());
    EXPECT_TRUE(chain[3]->DrawHidden());
    EXPECT_TRUE(tip->DrawHidden());
    EXPECT_FALSE(chain.back()->DrawHidden());
}

TEST_F(SceneTest, DrawListIsPreOrderSortedByDepth) {
    Probe* back = AddProbe("front");
    Probe* front = AddProbe("back");
    back->Position.SetFloat(2, 1.0f);
    front->Position.SetFloat(2, -1.0f);
    Probe* child = AddProbe("child", back);
    scene.Update();
    const auto& list = scene.BuildDrawList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], front);
    EXPECT_EQ(list[1], back);
    EXPECT_EQ(list[2], child);
}

TEST_F(SceneTest, EqualDepthsDrawInTreeOrder) {
    std::vector<Widget*> expected;
    for (int i = 0; i < 40; ++i) {
        Probe* top = AddProbe(("top" + std::to_string(i)).c_str());
        expected.push_back(top);
        expected.push_back(AddProbe(("child" + std::to_string(i)).c_str(), top));
    }
    scene.Update();
    EXPECT_EQ(scene.BuildDrawList(), expected);
}

TEST_F(SceneTest, OnLoadedRunsInNameOrder) {
    struct Loaded : Element {
        bool OnLoaded() override {
            order().push_back(GetName());
            return true;
        }
        static std::vector<std::string>& order() {
            static std::vector<std::string> names;
            return names;
        }
    };
    for (const char* name : {"c", "a", "b"}) {
        auto* e = new Loaded;
        e->Name.SetFirstString(name);
        scene.AddElement(e, name);
    }
    scene.OnLoaded();
    EXPECT_EQ(Loaded::order(), (std::vector<std::string>{"a", "b", "c"}));
}

#include "support/AllocationCounter.h"

TEST_F(SceneTest, SteadyStateUpdateAllocatesNothing) {
    if (!testing_support::AllocationCounter::Available()) {
        GTEST_SKIP() << "the sanitizer build keeps its own allocator";
    }
    // Messages that re-post themselves and tweens that restart keep the scene
    // busy the same way every frame.
    struct Busy : Probe {
        bool Message(int32_t message, Object*) override {
            if (message == 7) {
                PostMessage(7, 0.05f);
            } else if (message == kTweenFinished) {
                scene->StartTween(&Rotation, 0, 0.0f, 90.0f, 0.2f, kTweenEaseIn);
            }
            return true;
        }
        void Update() override { Widget::Update(); }
        bool HoverTest() override { return false; }
    };
    for (int i = 0; i < 50; ++i) {
        auto* busy = new Busy;
        String name = String("busy") + String(i).CStr();
        busy->Name.SetFirstString(name.CStr());
        scene.AddElement(busy, name.CStr());
        AttachChild(i % 5 ? static_cast<Widget*>(scene.Elements().Entries()[0].value) : &scene, busy);
        busy->PostMessage(7, 0.0f);
        scene.StartTween(&busy->Rotation, 0, 0.0f, 90.0f, 0.2f, kTweenEaseIn);
    }
    frameTime = 1.0f / 65.0f;
    for (int i = 0; i < 200; ++i) {
        scene.Update(); // reach the steady state: every list at its full size
        scene.BuildDrawList();
    }
    testing_support::AllocationCounter counter;
    for (int i = 0; i < 200; ++i) {
        scene.Update();
        scene.BuildDrawList();
        scene.HoverTest();
    }
    EXPECT_EQ(counter.Count(), 0u);
}
