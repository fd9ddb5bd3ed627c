#include "app/Clock.h"

#include "support/VirtualPlatform.h"

#include <gtest/gtest.h>

using testing_support::ScopedPlatform;
using testing_support::VirtualPlatform;

TEST(Clock, StepsAccumulateSecondsSinceReset) {
    VirtualPlatform platform(1000000, 123456789);
    ScopedPlatform installed(platform);
    Clock clock;
    clock.Reset();
    EXPECT_EQ(clock.accumulated, 0.0);
    EXPECT_DOUBLE_EQ(clock.secondsPerTick, 1e-6);

    platform.Advance(0.25);
    EXPECT_DOUBLE_EQ(clock.Step(), 0.25);
    platform.Advance(0.5);
    clock.Step();
    EXPECT_DOUBLE_EQ(clock.step, 0.5);
    EXPECT_DOUBLE_EQ(clock.lastStep, 0.5);
    EXPECT_DOUBLE_EQ(clock.accumulated, 0.75);

    clock.Reset();
    EXPECT_EQ(clock.accumulated, 0.0);
    EXPECT_EQ(clock.step, 0.0);
    EXPECT_EQ(clock.Step(), 0.0);
}

TEST(Clock, StepAcrossTheLow32BitWrapIsShortAndPositive) {
    // 5000 ticks before the low half wraps, and before the whole counter wraps.
    for (uint64_t start :
         {uint64_t{0xFFFFFFFFu} - 4999u, ~uint64_t{0} - 4999u, uint64_t{0x7FFFFFFFFFFFEC78}}) {
        VirtualPlatform platform(10000000, start);
        ScopedPlatform installed(platform);
        Clock clock;
        clock.Reset();
        platform.Advance(0.001); // 10000 ticks: crosses the wrap for the first two
        EXPECT_NEAR(clock.Step(), 0.001, 1e-12) << "start " << start;
        platform.Advance(0.002);
        EXPECT_NEAR(clock.Step(), 0.002, 1e-12) << "start " << start;
        EXPECT_NEAR(clock.accumulated, 0.003, 1e-12);
    }
}

TEST(Clock, SpanBeyond32BitsOfTicksKeepsOnlyTheLowHalf) {
    VirtualPlatform platform(1000000, 42);
    ScopedPlatform installed(platform);
    Clock clock;
    clock.Reset();
    platform.counter += (uint64_t{1} << 32) + 250000;
    EXPECT_DOUBLE_EQ(clock.Step(), 0.25);
}

TEST(Clock, IsAnEngineObject) {
    Clock clock;
    EXPECT_STREQ(clock.GetClassName(), "Clock");
    EXPECT_TRUE(clock.IsA("Object"));
}
