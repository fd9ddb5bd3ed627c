// The input manager: fan-out to handlers, the mouse state, and the deferred
// messages with their frame-time countdown, on a virtual clock.
#include "support/VirtualPlatform.h"
#include "ui/InputHandler.h"
#include "ui/InputManagerCallback.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testing_support::ScopedPlatform;
using testing_support::VirtualPlatform;

namespace {

struct RecordingHandler : InputHandler {
    std::string name;
    std::vector<std::string>* log = nullptr;
    std::function<void(int)> onDeferred;

    explicit RecordingHandler(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    void Note(const std::string& what) { log->push_back(name + ":" + what); }
    void OnMouseMove() override { Note("move"); }
    void OnMouseButton(int button, int down) override {
        Note("button" + std::to_string(button) + std::to_string(down));
    }
    void OnKey(int key, int down, int repeat) override {
        Note("key" + std::to_string(key) + std::to_string(down) + std::to_string(repeat));
    }
    void OnChar(int code) override { Note("char" + std::to_string(code)); }
    void OnDeferredMessage(int code, void* data) override {
        Note("deferred" + std::to_string(code) + "/" + std::to_string(reinterpret_cast<intptr_t>(data)));
        if (onDeferred) {
            onDeferred(code);
        }
    }
    void OnFocus(int gained) override { Note("focus" + std::to_string(gained)); }
    void OnSize(int w, int h, int kind) override {
        Note("size" + std::to_string(w) + "x" + std::to_string(h) + "/" + std::to_string(kind));
    }
    void OnDisplayChange(int w, int h, int bits) override {
        Note("display" + std::to_string(w) + "x" + std::to_string(h) + "/" + std::to_string(bits));
    }
    void OnClose() override { Note("close"); }
};

class InputManager : public ::testing::Test {
protected:
    void SetUp() override { input.Install(); }

    // One frame of `seconds`: the clock moves, then the pump runs.
    void Frame(double seconds) {
        platform.Advance(seconds);
        input.Pump();
    }

    VirtualPlatform platform;
    ScopedPlatform installed{platform};
    InputManagerCallback input;
    std::vector<std::string> log;
    RecordingHandler first{"a", &log};
    RecordingHandler second{"b", &log};
};

} // namespace

TEST_F(InputManager, EveryHandlerGetsEveryEventInRegistrationOrder) {
    ASSERT_TRUE(input.AddHandler(&first));
    ASSERT_TRUE(input.AddHandler(&second));
    EXPECT_FALSE(input.AddHandler(&first)); // never twice
    EXPECT_FALSE(input.AddHandler(nullptr));
    input.OnMouseMove(10, 20);
    input.OnMouseButton(1, 1);
    input.OnKey(0x1B, 1, 0);
    input.OnChar(65);
    input.OnMouseWheel(120); // goes nowhere
    EXPECT_EQ(log, (std::vector<std::string>{"a:move", "b:move", "a:button11", "b:button11", "a:key2710",
                                             "b:key2710", "a:char65", "b:char65"}));
}

TEST_F(InputManager, WithoutInputEnabledOnlyWindowEventsGoOut) {
    input.AddHandler(&first);
    input.inputEnabled = false;
    input.OnMouseMove(5, 6);
    input.OnMouseButton(0, 1);
    input.OnKey(65, 1, 0);
    input.OnChar(65);
    EXPECT_TRUE(log.empty());
    // The mouse state is kept even so: the pointer is drawn where it is.
    EXPECT_EQ(input.mouseX, 5);
    EXPECT_EQ(input.mouseY, 6);
    EXPECT_TRUE(input.leftButtonDown);
    input.OnFocus(1);
    input.OnSize(800, 600, 2);
    input.OnDisplayChange(1024, 768, 32);
    input.OnClose();
    EXPECT_EQ(log,
              (std::vector<std::string>{"a:focus1", "a:size800x600/2", "a:display1024x768/32", "a:close"}));
}

TEST_F(InputManager, LeftButtonFlagFollowsOnlyTheLeftButton) {
    input.OnMouseButton(0, 1);
    EXPECT_TRUE(input.leftButtonDown);
    input.OnMouseButton(1, 0);
    EXPECT_TRUE(input.leftButtonDown);
    input.OnMouseButton(0, 0);
    EXPECT_FALSE(input.leftButtonDown);
}

TEST_F(InputManager, RemoveHandlerByIndexShiftsTheRest) {
    input.AddHandler(&first);
    input.AddHandler(&second);
    EXPECT_FALSE(input.RemoveHandler(2));
    EXPECT_FALSE(input.RemoveHandler(-1));
    ASSERT_TRUE(input.RemoveHandler(0));
    EXPECT_EQ(input.FindHandler(&second), 0);
    EXPECT_EQ(input.FindHandler(&first), -1);
    input.OnChar(1);
    EXPECT_EQ(log, (std::vector<std::string>{"b:char1"}));
}

TEST_F(InputManager, EveryHandlerGetsTheEventWhenOthersRemoveThemselvesOrEachOtherDuringIt) {
    struct Remover : InputHandler {
        InputManagerCallback* input = nullptr;
        InputHandler* victim = nullptr; // null: removes itself
        void OnChar(int) override { input->RemoveHandler(input->FindHandler(victim ? victim : this)); }
    } self, other;
    self.input = &input;
    other.input = &input;
    RecordingHandler third("c", &log);
    other.victim = &first; // an earlier handler: the walk must not skip the one after `other`
    input.AddHandler(&self);
    input.AddHandler(&first);
    input.AddHandler(&other);
    input.AddHandler(&second);
    input.AddHandler(&third);
    input.OnChar(7);
    EXPECT_EQ(log, (std::vector<std::string>{"a:char7", "b:char7", "c:char7"}));
    EXPECT_EQ(input.Handlers(), (std::vector<InputHandler*>{&other, &second, &third}));
    input.OnChar(8);
    EXPECT_EQ(log.back(), "c:char8");
}

TEST_F(InputManager, DeferredMessageWithDelayZeroArrivesOnTheNextPumpNotAtOnce) {
    input.AddHandler(&first);
    ASSERT_TRUE(input.PostDeferred(&first, 1001, reinterpret_cast<void*>(intptr_t{42}), 0.0f));
    EXPECT_TRUE(log.empty());
    Frame(0.016);
    EXPECT_EQ(log, (std::vector<std::string>{"a:deferred1001/42"}));
    EXPECT_TRUE(input.Deferred().empty());
    Frame(0.016);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(InputManager, AMessagePostedFromADeliveryWaitsForTheFollowingPump) {
    input.AddHandler(&first);
    first.onDeferred = [&](int code) {
        if (code == 1) {
            input.PostDeferred(&first, 2, nullptr, 0.0f);
        }
    };
    input.PostDeferred(&first, 1, nullptr, 0.0f);
    Frame(0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"a:deferred1/0"}));
    Frame(0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"a:deferred1/0", "a:deferred2/0"}));
}

TEST_F(InputManager, DelaysCountDownByThePreviousFrameTimeInPostingOrder) {
    input.AddHandler(&first);
    input.PostDeferred(&first, 1, nullptr, 0.05f);
    input.PostDeferred(&first, 2, nullptr, 0.0f);
    input.PostDeferred(&first, 3, nullptr, 0.05f);
    // Pump 1 counts down by the frame measured before it: 0 after Install.
    Frame(0.03);
    EXPECT_EQ(log, (std::vector<std::string>{"a:deferred2/0"}));
    ASSERT_EQ(input.Deferred().size(), 2u);
    EXPECT_FLOAT_EQ(input.Deferred()[0].delay, 0.05f);
    Frame(0.03); // minus 0.03: 0.02 left
    Frame(0.03); // minus 0.03: below 0, kept one more pump
    EXPECT_EQ(log.size(), 1u);
    Frame(0.03);
    EXPECT_EQ(log, (std::vector<std::string>{"a:deferred2/0", "a:deferred1/0", "a:deferred3/0"}));
    EXPECT_NEAR(input.FrameSeconds(), 0.03, 1e-6);
}

TEST_F(InputManager, AMessageForARemovedHandlerIsDroppedSilently) {
    input.AddHandler(&first);
    input.AddHandler(&second);
    input.PostDeferred(&first, 7, nullptr, 0.0f);
    input.PostDeferred(&second, 8, nullptr, 0.0f);
    input.RemoveHandler(input.FindHandler(&first));
    Frame(0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"b:deferred8/0"}));
    EXPECT_TRUE(input.Deferred().empty());
}

TEST_F(InputManager, InstallAndUninstallStartAfresh) {
    input.AddHandler(&first);
    input.PostDeferred(&first, 1, nullptr, 1.0f);
    input.OnMouseMove(3, 4);
    input.OnMouseButton(0, 1);
    input.Uninstall();
    EXPECT_FALSE(input.inputEnabled);
    EXPECT_FALSE(input.IsInstalled());
    EXPECT_TRUE(input.Handlers().empty());
    EXPECT_TRUE(input.Deferred().empty());
    input.Install();
    EXPECT_TRUE(input.inputEnabled);
    EXPECT_EQ(input.mouseX, 0);
    EXPECT_EQ(input.mouseY, 0);
    EXPECT_FALSE(input.leftButtonDown);
}
