#include <gtest/gtest.h>

#include "next_random.h"

TEST(NextRandom, StepsAndRange) {
  // From any state the next state is state * 134775813 + 1 and the draw its high product bits.
  const uint32_t Before = RandomState();
  const uint32_t Expected = Before * 134775813u + 1u;
  EXPECT_EQ(NextRandom(1000), uint32_t((uint64_t(Expected) * 1000) >> 32));
  EXPECT_EQ(RandomState(), Expected);
  EXPECT_EQ(NextRandom(0), 0u);  // N = 0 draws 0 but still advances
  EXPECT_EQ(RandomState(), Expected * 134775813u + 1u);
  for (int I = 0; I < 1000; ++I) EXPECT_LT(NextRandom(7), 7u);
}

TEST(NextRandom, FirstDrawsFromZero) {
  uint32_t S = 0;
  EXPECT_EQ(DrawFrom(S, 100), 0u);  // state 1
  EXPECT_EQ(S, 1u);
  EXPECT_EQ(DrawFrom(S, 100), uint32_t((uint64_t(134775814u) * 100) >> 32));
}

TEST(NextRandom, JumpAheadMatchesStepping) {
  for (uint32_t Start : {0u, 1u, 0xDEADBEEFu}) {
    uint32_t S = Start;
    for (uint64_t N = 0; N < 300; ++N) {
      EXPECT_EQ(RandomStateAfter(Start, N), S) << "start " << Start << " count " << N;
      DrawFrom(S, 1);
    }
  }
  const uint32_t Before = RandomState();
  SkipRandom(12345);
  EXPECT_EQ(RandomState(), RandomStateAfter(Before, 12345));
}
