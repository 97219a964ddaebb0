#include <gtest/gtest.h>

#include <climits>

#include "core/map/WheelSteps.h"

TEST(WheelSteps, NotchesMakeStepsAndPartsAddUpToThem) {
  CWheelSteps wheel;
  EXPECT_EQ(wheel.Add(120), 1);  // a plain notch, as before
  EXPECT_EQ(wheel.Add(-120), -1);
  EXPECT_EQ(wheel.Add(0), 0);
  EXPECT_EQ(wheel.Add(360), 3);

  // A high-resolution wheel: eight movements of 15 make one notch.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(wheel.Add(15), 0);
  EXPECT_EQ(wheel.Add(15), 1);
  EXPECT_EQ(wheel.Add(100), 0);
  EXPECT_EQ(wheel.Add(100), 1);  // 80 left over
  EXPECT_EQ(wheel.Add(40), 1);

  // Turning back drops what was gathered the other way.
  EXPECT_EQ(wheel.Add(110), 0);
  EXPECT_EQ(wheel.Add(-20), 0);
  EXPECT_EQ(wheel.Add(-100), -1);
  EXPECT_EQ(wheel.Add(-60), 0);
  wheel.Reset();
  EXPECT_EQ(wheel.Add(-60), 0);

  // Extreme movements neither overflow nor lose their sign.
  wheel.Reset();
  EXPECT_EQ(wheel.Add(INT_MAX), INT_MAX / 120);
  EXPECT_EQ(wheel.Add(INT_MAX), (INT_MAX % 120 + static_cast<long long>(INT_MAX)) / 120);
  EXPECT_EQ(wheel.Add(INT_MIN), INT_MIN / 120);
}
