#include "base/Random.h"

#include <gtest/gtest.h>

using ravix::Random;

TEST(Random, FollowsTheLinearCongruentialSequence) {
    Random random(1);
    for (int expected : {41, 18467, 6334, 26500, 19169}) {
        EXPECT_EQ(random.Next(), expected);
    }
    random.Seed(12345);
    EXPECT_EQ(random.Next(), 7584);
}

TEST(Random, StaysInRangeAcrossTheWholeState) {
    Random random(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        int value = random.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, Random::kMax);
    }
}
