#pragma once
// Shared set-up of the screen-stack tests: the engine classes plus a probe
// screen and a probe widget that record what reaches them, scene files
// written into the test's folder, and the engine sandboxed around each test.

#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "core/Link.h"
#include "core/Scene.h"
#include "core/Widget.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "support/VirtualPlatform.h"
#include "ui/InputManagerCallback.h"
#include "ui/Screen.h"
#include "ui/UI.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace ui_test {

/// Everything probes saw, in order, as "name:event".
inline std::vector<std::string>& Journal() {
    static std::vector<std::string> journal;
    return journal;
}

class ProbeScreen : public Screen {
    ENGINE_CLASS(ProbeScreen, Screen)

public:
    ~ProbeScreen() override { Journal().push_back(std::string(GetName()) + ":destroyed"); }
    void Note(const std::string& what) { Journal().push_back(std::string(GetName()) + ":" + what); }

    void Update() override {
        Note("update");
        Screen::Update();
        if (onUpdate) {
            auto action = onUpdate;
            action();
        }
    }
    bool HoverTest() override {
        Note("hover");
        return Screen::HoverTest();
    }
    bool MouseButton(int32_t button, bool pressed) override {
        Note("button" + std::to_string(button) + (pressed ? "down" : "up"));
        return Screen::MouseButton(button, pressed);
    }
    bool Key(int32_t key, bool pressed, bool repeat) override {
        Note("key" + std::to_string(key));
        return Screen::Key(key, pressed, repeat);
    }
    bool Char(int32_t character) override {
        Note("char" + std::to_string(character));
        return Screen::Char(character);
    }
    bool Message(int32_t message, Object* sender) override {
        const Element* element = ObjectCast<Element>(sender);
        Note("message" + std::to_string(message) + (element ? std::string("/") + element->GetName() : ""));
        return Screen::Message(message, sender);
    }
    bool Draw() override {
        Note("draw");
        return Screen::Draw();
    }
    bool OnPush() override {
        Note("push");
        return true;
    }
    bool OnPop() override {
        Note("pop");
        return true;
    }
    bool OnReturn(Screen* popped) override {
        Note(std::string("return/") + (popped ? popped->GetName() : "null"));
        return true;
    }

    std::function<void()> onUpdate;
};

/// A widget that takes the hover while `hot` and records enter and leave.
class HoverProbe : public Widget {
    ENGINE_CLASS(HoverProbe, Widget)

public:
    bool HoverTest() override { return hot; }
    void MouseEnter() override { Journal().push_back(std::string(GetName()) + ":enter"); }
    void MouseLeave() override { Journal().push_back(std::string(GetName()) + ":leave"); }
    bool MouseButton(int32_t, bool) override {
        Journal().push_back(std::string(GetName()) + ":clicked");
        return hot;
    }
    bool hot = false;
};

/// A scene file holding one screen of `screenClass` named `screenName`, and
/// optionally a probe widget "spot" with a child "inner".
inline std::string ScreenScene(const std::string& screenClass, const std::string& screenName,
                               bool withWidgets = false) {
    std::string text = "Widget = " + screenName + ";\n";
    if (withWidgets) {
        text += "Widget = spot;\nWidget = inner;\n";
    }
    text += screenName + ".Type = " + screenClass + ";\n";
    if (withWidgets) {
        text += "spot.Type = HoverProbe;\ninner.Type = HoverProbe;\ninner.Parent = spot;\n";
    }
    return text;
}

class ScreenStackTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterEngineClasses();
        RegisterClass("ProbeScreen", MakeObject<ProbeScreen>, "Test");
        RegisterClass("HoverProbe", MakeObject<HoverProbe>, "Test");
        frameTime = 0.1f;
        Journal().clear();
    }

    /// Loads gui/NAME.scene written from ScreenScene(...) as a probe.
    ProbeScreen* LoadProbe(const std::string& name, bool withWidgets = false) {
        const std::string path = "gui/" + name + ".scene";
        EXPECT_TRUE(testing_support::WriteFile(path, ScreenScene("ProbeScreen", name, withWidgets)));
        Scene* scene = LoadScene(path.c_str()).release();
        EXPECT_NE(scene, nullptr);
        if (!scene) {
            return nullptr;
        }
        auto* screen = static_cast<ProbeScreen*>(scene->FindElement(name.c_str(), "ProbeScreen"));
        scene->messageParent = screen;
        return screen;
    }
    ProbeScreen* PushProbe(const std::string& name, bool withWidgets = false) {
        ProbeScreen* screen = LoadProbe(name, withWidgets);
        EXPECT_TRUE(screen && ui.PushScreen(screen, 0));
        return screen;
    }
    /// The journal entries since the last call.
    std::vector<std::string> TakeJournal() {
        std::vector<std::string> taken;
        taken.swap(Journal());
        return taken;
    }

    testing_support::EngineSandbox sandbox;
    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
    UI& ui = GetUI();
};

} // namespace ui_test
