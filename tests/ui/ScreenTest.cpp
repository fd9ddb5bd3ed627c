// The screen base class: the generic messages, and fading widgets in and
// out through alpha tweens and a queued hide.
#include "ScreenStackFixture.h"

using namespace ui_test;

namespace {

// Records the messages passed up to it and answers `answer`.
class MessageSink : public Element {
    ENGINE_CLASS(MessageSink, Element)

public:
    bool Message(int32_t message, Object*) override {
        received.push_back(message);
        return answer;
    }
    std::vector<int32_t> received;
    bool answer = true;
};

class ScreenFades : public ScreenStackTest {
protected:
    void SetUp() override {
        ScreenStackTest::SetUp();
        screen = PushProbe("page", true);
        ASSERT_NE(screen, nullptr);
        widget = static_cast<Widget*>(screen->scene->FindElement("spot"));
        ASSERT_NE(widget, nullptr);
    }
    float Alpha() const { return widget->Color.GetFloat(3); }
    void Frames(int count, float seconds) {
        frameTime = seconds;
        for (int i = 0; i < count; ++i) {
            screen->scene->Update();
        }
    }
    const Tween* AlphaTween() const {
        for (const Tween& tween : screen->scene->Tweens()) {
            if (tween.target == &widget->Color) {
                return &tween;
            }
        }
        return nullptr;
    }
    int PendingHides() const {
        int count = 0;
        for (const DelayedMessage& entry : screen->Messages()) {
            count += entry.message == kMessageHideSender && entry.sender == widget;
        }
        return count;
    }

    ProbeScreen* screen = nullptr;
    Widget* widget = nullptr;
};

} // namespace

TEST_F(ScreenStackTest, GenericMessagesShowHideAndPassTheRestUp) {
    ProbeScreen* screen = PushProbe("page", true);
    Element* spot = screen->scene->FindElement("spot");
    auto* widget = static_cast<Widget*>(spot);
    EXPECT_TRUE(screen->Message(kMessageHideSender, spot));
    EXPECT_FALSE(widget->Visible.FirstBool());
    EXPECT_TRUE(screen->Message(kMessageShowSender, spot));
    EXPECT_TRUE(widget->Visible.FirstBool());
    // Without a sender they are answered and nothing happens.
    EXPECT_TRUE(screen->Message(kMessageShowSender, nullptr));
    EXPECT_TRUE(screen->Message(kMessageHideSender, nullptr));
    EXPECT_TRUE(screen->Message(kMessagePlaySound, nullptr));
    // An element where a sound belongs plays nothing and breaks nothing.
    EXPECT_TRUE(screen->Message(kMessagePlaySound, spot));
    // Other codes go to the message parent, whose answer is the screen's.
    MessageSink sink;
    EXPECT_FALSE(screen->Message(3000, spot));
    screen->messageParent = &sink;
    EXPECT_TRUE(screen->Message(3000, spot));
    sink.answer = false;
    EXPECT_FALSE(screen->Message(201, spot));
    EXPECT_EQ(sink.received, (std::vector<int32_t>{3000, 201}));
    screen->messageParent = nullptr;
}

TEST_F(ScreenStackTest, ScreenPropertiesKeepTheirDefaultsAndOrder) {
    Screen screen;
    ASSERT_GE(screen.Properties().size(), 3u);
    const auto& properties = screen.Properties();
    const size_t first = properties.size() - 3;
    EXPECT_STREQ(properties[first]->GetName(), "fullscreen");
    EXPECT_STREQ(properties[first + 1]->GetName(), "blockUpdate");
    EXPECT_STREQ(properties[first + 2]->GetName(), "captureBackground");
    EXPECT_TRUE(screen.fullscreen.FirstBool());
    EXPECT_TRUE(screen.blockUpdate.FirstBool());
    EXPECT_FALSE(screen.captureBackground.FirstBool());
    EXPECT_TRUE(screen.IsA("Screen"));
    EXPECT_TRUE(screen.IsA("Element"));
    EXPECT_FALSE(screen.IsA("Widget"));
}

TEST_F(ScreenFades, FadeOutRunsTheAlphaDownAndHidesAtTheEnd) {
    FadeOut(widget, screen, 0.5f, 7);
    ASSERT_EQ(PendingHides(), 1);
    EXPECT_EQ(screen->Messages().back().flag, 7);
    EXPECT_FLOAT_EQ(screen->Messages().back().delay, 0.5f);
    const Tween* tween = AlphaTween();
    ASSERT_NE(tween, nullptr);
    EXPECT_EQ(tween->index, 3);
    EXPECT_FLOAT_EQ(tween->end, 0.0f);
    EXPECT_FLOAT_EQ(tween->duration, 0.5f);
    EXPECT_FALSE(IsShownAndNotFading(screen, widget));
    // Fading already: a second fade-out changes nothing.
    FadeOut(widget, screen, 0.5f, 0);
    EXPECT_EQ(PendingHides(), 1);
    Frames(3, 0.1f);
    EXPECT_TRUE(widget->Visible.FirstBool());
    EXPECT_GT(Alpha(), 0.0f);
    Frames(5, 0.1f);
    EXPECT_FALSE(widget->Visible.FirstBool());
    EXPECT_FLOAT_EQ(Alpha(), 0.0f);
    EXPECT_EQ(PendingHides(), 0);
}

TEST_F(ScreenFades, FadeOutTakesOnlyTheTimeTheAlphaNeeds) {
    widget->Color.SetFloat(3, 0.5f);
    FadeOut(widget, screen, 1.0f, 0);
    ASSERT_NE(AlphaTween(), nullptr);
    EXPECT_FLOAT_EQ(AlphaTween()->duration, 0.5f);
    EXPECT_FLOAT_EQ(screen->Messages().back().delay, 0.5f);
}

TEST_F(ScreenFades, FadeOutOfAHiddenWidgetDoesNothingAndZeroSecondsHidesAtOnce) {
    widget->Visible.SetFirstBool(false);
    FadeOut(widget, screen, 1.0f, 0);
    EXPECT_EQ(PendingHides(), 0);
    EXPECT_EQ(AlphaTween(), nullptr);
    widget->Visible.SetFirstBool(true);
    FadeOut(widget, screen, 0.0f, 0);
    EXPECT_FALSE(widget->Visible.FirstBool());
    EXPECT_EQ(PendingHides(), 0);
    EXPECT_FLOAT_EQ(Alpha(), 1.0f);
}

TEST_F(ScreenFades, FadeInShowsAndRunsTheAlphaUpFromWhereItIs) {
    widget->Visible.SetFirstBool(false);
    widget->Color.SetFloat(3, 0.25f);
    FadeIn(screen, widget, 1.0f);
    EXPECT_TRUE(widget->Visible.FirstBool());
    const Tween* tween = AlphaTween();
    ASSERT_NE(tween, nullptr);
    EXPECT_FLOAT_EQ(tween->start, 0.25f);
    EXPECT_FLOAT_EQ(tween->end, 1.0f);
    EXPECT_FLOAT_EQ(tween->duration, 0.75f);
    Frames(10, 0.1f);
    EXPECT_FLOAT_EQ(Alpha(), 1.0f);
    EXPECT_EQ(AlphaTween(), nullptr);
    // Shown and not fading: nothing to do.
    widget->Color.SetFloat(3, 0.5f);
    FadeIn(screen, widget, 1.0f);
    EXPECT_EQ(AlphaTween(), nullptr);
}

TEST_F(ScreenFades, FadeInDuringAFadeOutTurnsItAround) {
    FadeOut(widget, screen, 1.0f, 0);
    Frames(5, 0.1f);
    const float halfway = Alpha();
    ASSERT_GT(halfway, 0.3f);
    ASSERT_LT(halfway, 0.7f);
    FadeIn(screen, widget, 1.0f);
    EXPECT_EQ(PendingHides(), 0);
    ASSERT_NE(AlphaTween(), nullptr);
    EXPECT_FLOAT_EQ(AlphaTween()->end, 1.0f);
    EXPECT_NEAR(AlphaTween()->duration, 1.0f - halfway, 1e-5f);
    Frames(20, 0.1f);
    EXPECT_TRUE(widget->Visible.FirstBool());
    EXPECT_FLOAT_EQ(Alpha(), 1.0f);
}

TEST_F(ScreenFades, AnInstantFadeInDuringAFadeOutKeepsTheWidgetShown) {
    FadeOut(widget, screen, 1.0f, 0);
    Frames(3, 0.1f);
    const float alpha = Alpha();
    FadeIn(screen, widget, 0.0f);
    EXPECT_EQ(PendingHides(), 0);
    EXPECT_EQ(AlphaTween(), nullptr);
    Frames(20, 0.1f);
    EXPECT_TRUE(widget->Visible.FirstBool());
    EXPECT_FLOAT_EQ(Alpha(), alpha);
}
