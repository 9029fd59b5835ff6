// The local time and performance counter seams that tests rely on.
#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(ClockTest, LocalTimeOverrideAndRealTime) {
  SetLocalTimeOverride(0, 5, 9);
  int h = -1, m = -1, s = -1;
  GetLocalTimeOfDay(&h, &m, &s);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(m, 5);
  EXPECT_EQ(s, 9);
  ClearLocalTimeOverride();
  GetLocalTimeOfDay(&h, nullptr, &s);
  EXPECT_GE(h, 0);
  EXPECT_LE(h, 23);
  EXPECT_GE(s, 0);
  EXPECT_LE(s, 59);
}

TEST(ClockTest, FakeCounterMovesOnlyWhenAdvanced) {
  UseFakePerformanceCounter(true, 500);
  EXPECT_EQ(PerformanceFrequency(), 1000000u);
  EXPECT_EQ(PerformanceCounter(), 500u);
  AdvanceFakePerformanceCounter(1500000);
  EXPECT_EQ(PerformanceCounter(), 1500500u);
  UseFakePerformanceCounter(false);
  uint64_t a = PerformanceCounter();
  EXPECT_GE(PerformanceCounter(), a);
  EXPECT_GT(PerformanceFrequency(), 0u);
}
