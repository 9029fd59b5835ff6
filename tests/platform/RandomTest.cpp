#include "platform/Random.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

// The first values of the classic runtime generator for seed 1 are well known.
TEST(Random, MatchesClassicRuntimeSequence) {
  SRand(1);
  EXPECT_EQ(Rand(), 41);
  EXPECT_EQ(Rand(), 18467);
  EXPECT_EQ(Rand(), 6334);
  EXPECT_EQ(Rand(), 26500);
  SRand(1);
  EXPECT_EQ(Rand(), 41);
}

TEST(Random, StaysInRange) {
  SRand(0xdeadbeef);
  for (int i = 0; i < 100000; ++i) {
    int v = Rand();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, RandMax);
  }
}

TEST(GlTestContext, ClearsAndReadsBack) {
  GlTestContext gl(64, 48);
  REQUIRE_GL(gl);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  auto p = gl.Pixel(10, 10);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 0);
}
