#include <gtest/gtest.h>

#include "common/Profile.h"

TEST(Profile, NoStoreInstalledMeansNoProfile) {
  CScopedProfile none(nullptr);
  EXPECT_EQ(GetProfile(), nullptr);
}

TEST(MemoryProfile, ReadsDefaultsUntilWritten) {
  CMemoryProfile profile;
  CScopedProfile scoped(&profile);
  ASSERT_EQ(GetProfile(), &profile);
  EXPECT_EQ(GetProfile()->GetInt("Vertical datum", "Selection", 0), 0);
  EXPECT_EQ(GetProfile()->GetString("Grid file", "Current", ""), "");
  GetProfile()->WriteInt("Vertical datum", "Selection", 1);
  GetProfile()->WriteString("Grid file", "Current", "/grids/a.MRGGrid");
  EXPECT_EQ(GetProfile()->GetInt("Vertical datum", "Selection", 0), 1);
  EXPECT_EQ(GetProfile()->GetString("Grid file", "Current", ""), "/grids/a.MRGGrid");
  EXPECT_EQ(GetProfile()->GetInt("Other", "Selection", -1), -1);
}
