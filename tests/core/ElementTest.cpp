#include "core/Element.h"
#include "core/FrameTime.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Recorder = testing_support::MessageRecorder;

void RunUpdates(Element& e, int frames, float dt) {
    frameTime = dt;
    for (int i = 0; i < frames; ++i) {
        e.Update();
    }
}

} // namespace

TEST(Element, DefaultsAndIsA) {
    Element e;
    EXPECT_STREQ(e.GetName(), "NewElement");
    EXPECT_FALSE(e.Locked.FirstBool());
    EXPECT_TRUE(e.blockInput.FirstBool());
    EXPECT_TRUE(e.IsA("Node"));
    EXPECT_TRUE(e.IsA("Object"));
    EXPECT_FALSE(e.IsA("Widget"));
}

TEST(Element, DelayedMessageArrivesWhenSummedFrameTimeReachesTheDelay) {
    Recorder r;
    r.QueueMessage(42, 0.5f);
    RunUpdates(r, 4, 0.125f); // delay now 0: delivered at the next update
    EXPECT_TRUE(r.received.empty());
    RunUpdates(r, 1, 0.125f);
    ASSERT_EQ(r.received.size(), 1u);
    EXPECT_EQ(r.received[0], 42);
    EXPECT_TRUE(r.Messages().empty());
}

TEST(Element, ZeroDelayArrivesAtNextUpdateAndFrozenNeverFires) {
    Recorder r;
    Element sender;
    r.QueueMessage(1, 0.0f, 0, &sender);
    r.QueueMessage(2, 0.05f);
    r.Messages()[1].frozen = 1;
    RunUpdates(r, 100, 0.1f);
    ASSERT_EQ(r.received.size(), 1u);
    EXPECT_EQ(r.received[0], 1);
    EXPECT_EQ(r.senders[0], &sender);
}

TEST(Element, PostMessageOnlyResetsAnExistingDelay) {
    Recorder r;
    r.PostMessage(7, 1.0f);
    r.PostMessage(7, 0.25f);
    r.PostMessage(8, 2.0f);
    ASSERT_EQ(r.Messages().size(), 2u);
    EXPECT_FLOAT_EQ(r.Messages()[0].delay, 0.25f);
    r.QueueMessage(7, 3.0f);
    r.CancelMessage(7);
    ASSERT_EQ(r.Messages().size(), 1u);
    EXPECT_EQ(r.Messages()[0].message, 8);
}

TEST(Element, RateScalesTheRunDown) {
    Recorder r;
    r.QueueMessage(5, 1.0f);
    r.Messages()[0].rate = 2.0f;
    RunUpdates(r, 4, 0.125f); // 4 × 0.125 × 2 = 1.0
    EXPECT_TRUE(r.received.empty());
    RunUpdates(r, 1, 0.125f);
    EXPECT_EQ(r.received.size(), 1u);
}

TEST(Element, UnhandledMessagesGoToTheMessageParent) {
    Recorder parent;
    Element child;
    EXPECT_FALSE(child.Message(3, nullptr));
    child.messageParent = &parent;
    EXPECT_TRUE(child.Message(3, &child));
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.senders[0], &child);
    // A sender need not be an element (a screen's sound messages carry the sound).
    Object sound;
    child.QueueMessage(4, 0.0f, 0, &sound);
    RunUpdates(child, 1, 0.1f);
    ASSERT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(parent.senders[1], &sound);
}

TEST(Element, CopyPropertiesFromRequiresTheSourceClass) {
    Element a;
    Recorder b;
    b.Name.SetFirstString("source");
    EXPECT_FALSE(a.CopyPropertiesFrom(b)); // an Element is not a Recorder
    EXPECT_TRUE(b.CopyPropertiesFrom(a));
    EXPECT_STREQ(b.GetName(), "NewElement");
}
