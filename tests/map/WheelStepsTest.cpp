#include <gtest/gtest.h>

#include <climits>

#include "map/WheelSteps.h"

TEST(WheelSteps, PartsOfNotchesAddUpToWholeSteps) {
  CWheelSteps wheel;
  EXPECT_EQ(wheel.Add(120), 1);  // a plain notch, as before
  EXPECT_EQ(wheel.Add(-360), -3);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(wheel.Add(15), 0);
  EXPECT_EQ(wheel.Add(95), 1);   // 80 left over
  EXPECT_EQ(wheel.Add(-60), 0);  // turning back drops it
  EXPECT_EQ(wheel.Add(-60), -1);
  wheel.Add(-60);
  wheel.Reset();
  EXPECT_EQ(wheel.Add(-60), 0);
  wheel.Reset();
  EXPECT_EQ(wheel.Add(INT_MAX), INT_MAX / 120);  // no overflow on the next one
  EXPECT_EQ(wheel.Add(INT_MAX), (INT_MAX % 120 + static_cast<long long>(INT_MAX)) / 120);
}
