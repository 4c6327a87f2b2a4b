#include "common/Growth.h"

#include <gtest/gtest.h>

#include <new>

TEST(GrowthTest, OneLargeRequestRoundsUpPastTheNeed) {
  int step = kListInitialStep;
  EXPECT_EQ(GrowCapacity(0, step, 25), 30);
  EXPECT_EQ(step, 10);
  EXPECT_EQ(GrowCapacity(30, step, 100), 120);
  EXPECT_EQ(step, 30);
  EXPECT_EQ(GrowCapacity(120, step, 120), 120);
  EXPECT_EQ(step, 30);
}

TEST(GrowthTest, RequestsPastTheLimitThrowAndKeepTheStep) {
  int step = kListInitialStep;
  EXPECT_EQ(GrowCapacity(0, step, 0x3FFFFFF0), 0x3FFFFFF2);
  step = kListInitialStep;
  EXPECT_THROW(GrowCapacity(0, step, 0x3FFFFFFF), std::bad_alloc);
  EXPECT_THROW(GrowCapacity(10, step, 0x7FFFFFFFFFFFLL), std::bad_alloc);
  EXPECT_EQ(step, kListInitialStep);
}
