// ENGINE_ASSERT in a debug build: a broken promise stops the program with the
// condition and its place; a kept one costs nothing and says nothing.
#undef NDEBUG
#include "core/Assert.h"

#include <gtest/gtest.h>

namespace {

int CountedTrue(int& calls) {
    ++calls;
    return 1;
}

} // namespace

TEST(EngineAssertDeathTest, AFailedCheckNamesTheConditionAndItsPlaceThenAborts) {
    int calls = 0;
    ENGINE_ASSERT(CountedTrue(calls) == 1);
    EXPECT_EQ(calls, 1); // evaluated once
    const int slots = 3;
    EXPECT_DEATH(ENGINE_ASSERT(slots < 2), "Assertion failed: slots < 2 \\(.*AssertTest.cpp:[0-9]+\\)");
}
