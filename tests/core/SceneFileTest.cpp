#include "core/SceneFile.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Link.h"
#include "core/LoadStop.h"
#include "io/PackArchive.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"

#include "PackWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

class Panel : public Widget {
    ENGINE_CLASS(Panel, Widget)
public:
    Panel() {
        DeclareInt("Count", Count, 1, this, 0);
        DeclareString("Label", Label, 1, this, "");
        DeclareFloat("Corners", Corners, 4, this, 9.0f);
        DeclareBool("Scratch", Scratch, 1, this, false);
        Scratch.flags &= ~Var::kSaved;
    }
    Var Count, Label, Corners, Scratch;
};

class Settings : public Element {
    ENGINE_CLASS(Settings, Element)
public:
    Settings() { DeclareFloat("Volume", Volume, 1, this, 1.0f); }
    Var Volume;
};

class Loaded : public Widget {
    ENGINE_CLASS(Loaded, Widget)
public:
    bool OnLoaded() override {
        ++calls;
        return true;
    }
    int calls = 0;
};

class SceneFileTest : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("Panel", MakeObject<Panel>, "Test");
        RegisterClass("Settings", MakeObject<Settings>, "Test");
        RegisterClass("Loaded", MakeObject<Loaded>, "Test");
    }

    // A scene of nested panels, a plain element and a widget that is a child
    // of a later-named parent.
    std::unique_ptr<Scene> MakeScene() {
        auto scene = std::make_unique<Scene>();
        auto* root = static_cast<Panel*>(scene->CreateElement("Panel"));
        scene->RenameElement(*root, "root");
        root->Position.SetFloat(0, 12.5f);
        root->Rotation.SetFirstFloat(45.0f);
        root->Label.SetFirstString("Hello, world = yes; really");
        root->Count.SetFirstInt(-7);
        root->Visible.SetFirstBool(false);
        auto* child = static_cast<Panel*>(scene->CreateElement("Panel"));
        scene->RenameElement(*child, "a_child");
        AttachChild(root, child);
        child->Corners.SetFloat(3, 0.25f);
        child->Scratch.SetFirstBool(true);
        auto* grandchild = scene->CreateElement("Widget");
        AttachChild(child, static_cast<Widget*>(grandchild));
        auto* settings = static_cast<Settings*>(scene->CreateElement("Settings"));
        settings->Volume.SetFirstFloat(0.3f);
        scene->CreateElement("Instance");
        return scene;
    }

    static std::string SceneText(Scene& scene) {
        ConfigTable table;
        SaveScene(scene, table);
        return table.ToText();
    }
};

void ExpectSameScene(Scene& original, Scene& loaded) {
    ASSERT_EQ(loaded.CountElements(), original.CountElements());
    for (auto& entry : original.Elements().Entries()) {
        Element* a = entry.value;
        Element* b = loaded.FindElement(a->GetName());
        ASSERT_NE(b, nullptr) << a->GetName();
        EXPECT_STREQ(a->GetClassName(), b->GetClassName());
        for (Var* var : a->Properties()) {
            if (!var->HasFlag(Var::kSaved)) {
                continue;
            }
            Var* other = b->FindProperty(var->name);
            ASSERT_NE(other, nullptr);
            for (int i = 0; i < var->GetCount(); ++i) {
                EXPECT_STREQ(var->ItemText(i).CStr(), other->ItemText(i).CStr())
                    << a->GetName() << "." << var->name;
            }
        }
        auto* wa = ObjectCast<Widget>(a);
        auto* wb = ObjectCast<Widget>(b);
        if (wa) {
            ASSERT_NE(wb, nullptr);
            bool topA = wa->Parent() == &original;
            bool topB = wb->Parent() == &loaded;
            EXPECT_EQ(topA, topB) << a->GetName();
            if (!topA) {
                EXPECT_STREQ(wa->Parent()->GetName(), wb->Parent()->GetName());
            }
        }
    }
}

} // namespace

TEST_F(SceneFileTest, SavedSceneLoadsBackIdenticalFromALooseFile) {
    auto scene = MakeScene();
    ConfigTable table;
    SaveScene(*scene, table);
    std::filesystem::create_directories("gui");
    ASSERT_TRUE(table.Save("gui/test.scene"));
    std::unique_ptr<Scene> loaded(LoadScene("gui/test.scene"));
    ASSERT_NE(loaded, nullptr);
    ExpectSameScene(*scene, *loaded);
    // Unsaved properties keep their defaults and are never written.
    EXPECT_FALSE(static_cast<Panel*>(loaded->FindElement("a_child"))->Scratch.FirstBool());
    EXPECT_EQ(SceneText(*scene).find("Scratch"), std::string::npos);
    // Saving the loaded scene gives the same text again, once the original's
    // map is in name order as loading leaves it (the "Widget" list follows
    // the map's order).
    scene->Elements().Sort();
    EXPECT_EQ(SceneText(*loaded), SceneText(*scene));
}

TEST_F(SceneFileTest, SavedSceneLoadsBackIdenticalFromAPackArchive) {
    auto scene = MakeScene();
    ConfigTable table;
    SaveScene(*scene, table);
    std::filesystem::create_directories("source/GUI");
    ASSERT_TRUE(table.Save("source/GUI/Test.scene"));
    std::string error;
    ASSERT_TRUE(PackCreate("source", "data.pack", error)) << error;
    std::filesystem::remove_all("source");
    ASSERT_TRUE(OpenArchive("data.pack"));
    std::unique_ptr<Scene> loaded(LoadScene("GUI\\Test.scene"));
    ASSERT_NE(loaded, nullptr);
    ExpectSameScene(*scene, *loaded);
}

TEST_F(SceneFileTest, ChildrenComeBackInWidgetListOrder) {
    WriteFile("order.scene", "Widget = top;\nWidget = zeta;\nWidget = alpha;\n"
                             "top.Type = Widget;\nzeta.Type = Widget;\nzeta.Parent = top;\nalpha.Type = "
                             "Widget;\nalpha.Parent = top;\n");
    std::unique_ptr<Scene> scene(LoadScene("order.scene"));
    ASSERT_NE(scene, nullptr);
    auto* top = static_cast<Widget*>(scene->FindElement("top"));
    ASSERT_EQ(top->Children().size(), 2u);
    EXPECT_STREQ(top->Children()[0]->GetName(), "zeta");
    EXPECT_STREQ(top->Children()[1]->GetName(), "alpha");
}

TEST_F(SceneFileTest, FilesCanNeitherAddNorRemoveItems) {
    WriteFile("items.scene",
              "Widget = few;\nWidget = many;\nfew.Type = Panel;\nfew.Corners = 1;\nfew.Corners = 2;\n"
              "many.Type = Panel;\nmany.Corners = 1;\nmany.Corners = 2;\nmany.Corners = 3;\n"
              "many.Corners = 4;\nmany.Corners = 5;\nmany.Corners = 6;\nmany.Count = lots;\n");
    std::unique_ptr<Scene> scene(LoadScene("items.scene"));
    ASSERT_NE(scene, nullptr);
    auto* few = static_cast<Panel*>(scene->FindElement("few"));
    auto* many = static_cast<Panel*>(scene->FindElement("many"));
    ASSERT_EQ(few->Corners.GetCount(), 4);
    EXPECT_FLOAT_EQ(few->Corners.GetFloat(1), 2.0f);
    EXPECT_FLOAT_EQ(few->Corners.GetFloat(2), 9.0f);
    ASSERT_EQ(many->Corners.GetCount(), 4);
    EXPECT_FLOAT_EQ(many->Corners.GetFloat(3), 4.0f);
    EXPECT_EQ(many->Count.FirstInt(), 0); // "lots" does not convert
}

TEST_F(SceneFileTest, UnknownClassesAreSkippedAndEmptyListsFail) {
    WriteFile("skip.scene", "Widget = ghost;\nWidget = real;\nWidget = typeless;\nghost.Type = NoSuchClass;\n"
                            "real.Type = Widget;\nreal.Parent = ghost;\n");
    std::unique_ptr<Scene> scene(LoadScene("skip.scene"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->CountElements(), 1);
    EXPECT_EQ(static_cast<Widget*>(scene->FindElement("real"))->Parent(), scene.get());

    WriteFile("empty.scene", "# nothing\nSomething = 1;\n");
    EXPECT_EQ(LoadScene("empty.scene"), nullptr);
    EXPECT_EQ(LoadScene("missing.scene"), nullptr);
}

TEST_F(SceneFileTest, ALoadToldToStopHandsBackNothingAndAsksOnlyEveryFewHundredElements) {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "Widget = w" + std::to_string(i) + ";\n";
    }
    for (int i = 0; i < 1000; ++i) {
        text += "w" + std::to_string(i) + ".Type = Loaded;\n";
    }
    WriteFile("large.scene", text);

    // Never told to stop: the whole scene, the question asked a few times.
    int asked = 0;
    SetLoadStopCheck([&] {
        ++asked;
        return false;
    });
    std::unique_ptr<Scene> whole(LoadScene("large.scene"));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->CountElements(), 1000);
    EXPECT_EQ(asked, 3);

    // Told to stop at the second question: nothing half built comes back.
    asked = 0;
    SetLoadStopCheck([&] { return ++asked == 2; });
    LogCapture log;
    std::unique_ptr<Scene> stopped(LoadScene("large.scene"));
    SetLoadStopCheck(nullptr);
    EXPECT_EQ(stopped, nullptr);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(log.Contains("large.scene: the load stops after 511 of its 1000 elements"));
}

TEST_F(SceneFileTest, ParentCyclesInAFileEndAtTheTopLevel) {
    WriteFile("cycle.scene", "Widget = a;\nWidget = b;\nWidget = self;\na.Type = Widget;\na.Parent = b;\n"
                             "b.Type = Widget;\nb.Parent = a;\nself.Type = Widget;\nself.Parent = self;\n");
    LogCapture log;
    std::unique_ptr<Scene> scene(LoadScene("cycle.scene"));
    ASSERT_NE(scene, nullptr);
    auto* a = static_cast<Widget*>(scene->FindElement("a"));
    auto* b = static_cast<Widget*>(scene->FindElement("b"));
    auto* self = static_cast<Widget*>(scene->FindElement("self"));
    EXPECT_EQ(a->Parent(), b);
    EXPECT_EQ(b->Parent(), scene.get());
    EXPECT_EQ(self->Parent(), scene.get());
    EXPECT_TRUE(log.Contains("cycle.scene: widget b cannot hang below a"));
    scene->Update(); // the tree walks end
}

TEST_F(SceneFileTest, OnLoadedRunsOnceAfterLoading) {
    WriteFile("loaded.scene", "Widget = l;\nl.Type = Loaded;\n");
    std::unique_ptr<Scene> scene(LoadScene("loaded.scene"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(static_cast<Loaded*>(scene->FindElement("l"))->calls, 1);
}

TEST_F(SceneFileTest, WidgetFileAddsOneElementEvenUnderATakenName) {
    Scene scene;
    auto* first = scene.CreateElement("Panel");
    scene.RenameElement(*first, "door");
    Panel source;
    source.Name.SetFirstString("door");
    source.Count.SetFirstInt(3);
    ConfigTable table;
    SaveProperties(source, table);
    ASSERT_TRUE(table.Save("door.widget"));

    Element* added = LoadWidgetFile(scene, "door.widget");
    ASSERT_NE(added, nullptr);
    EXPECT_NE(added, first);
    EXPECT_EQ(scene.CountElements("Panel"), 2);
    EXPECT_EQ(static_cast<Panel*>(added)->Count.FirstInt(), 3);
    EXPECT_EQ(static_cast<Widget*>(added)->Parent(), &scene);
    EXPECT_FALSE(added->IsDirty());

    WriteFile("bad.widget", "Widget = x;\nx.Type = String;\n");
    EXPECT_EQ(LoadWidgetFile(scene, "bad.widget"), nullptr);
    EXPECT_EQ(LoadWidgetFile(scene, "none.widget"), nullptr);
}

TEST_F(SceneFileTest, SceneLinksLoadAndReplaceTheirScenes) {
    WriteFile("one.scene", "Widget = w1;\nw1.Type = Widget;\n");
    WriteFile("two.scene", "Widget = w2;\nw2.Type = Widget;\n");
    Element owner;
    Link<Scene> link;
    DeclareString("Scenes", link, 1, &owner, "one.scene");
    link.Resolve();
    ASSERT_NE(link.Get(), nullptr);
    EXPECT_NE(link.Get()->FindElement("w1"), nullptr);
    link.SetFirstString("two.scene");
    link.Resolve(); // the first scene is deleted (checked by the sanitizer build)
    ASSERT_NE(link.Get(), nullptr);
    EXPECT_NE(link.Get()->FindElement("w2"), nullptr);
}
