#include "core/Random.h"

#include <gtest/gtest.h>

#include <set>

TEST(Random, StaysInRangeInTenThousandthSteps) {
    SeedRandom(7);
    std::set<float> seen;
    for (int i = 0; i < 5000; ++i) {
        const float value = Random(2.0f, 3.0f);
        ASSERT_GE(value, 2.0f);
        ASSERT_LE(value, 2.9999f + 1e-5f);
        // a multiple of 0.0001 above the minimum
        const float steps = (value - 2.0f) * 10000.0f;
        ASSERT_NEAR(steps, static_cast<float>(static_cast<int>(steps + 0.5f)), 0.05f);
        seen.insert(value);
    }
    EXPECT_GT(seen.size(), 1000u);
}

TEST(Random, ReversedArgumentsDrawFromTheSameRange) {
    SeedRandom(42);
    float ordered[50];
    for (float& value : ordered) {
        value = Random(-1.0f, 4.0f);
    }
    SeedRandom(42);
    for (float expected : ordered) {
        EXPECT_FLOAT_EQ(Random(4.0f, -1.0f), expected);
    }
    EXPECT_FLOAT_EQ(Random(1.5f, 1.5f), 1.5f);
}
