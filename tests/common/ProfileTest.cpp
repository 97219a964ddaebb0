#include <gtest/gtest.h>

#include "common/DeferredProfile.h"
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

TEST(DeferredProfile, HoldsWritesUntilCommitAndReadsThemFirst) {
  CMemoryProfile target;
  target.WriteString("File Transform", "Zone", "99");
  {
    CDeferredProfile deferred(&target);
    deferred.WriteString("File Transform", "Zone", "49");
    deferred.WriteString("Wnd", "Top", "12x");
    EXPECT_EQ(deferred.GetString("File Transform", "Zone", ""), "49");
    EXPECT_EQ(deferred.GetInt("Wnd", "Top", -1), -1);  // not a whole integer
  }
  EXPECT_EQ(target.GetString("File Transform", "Zone", ""), "99");  // dropped uncommitted
  CDeferredProfile deferred(&target);
  deferred.WriteInt("Wnd", "Left", 7);
  deferred.Commit();
  EXPECT_EQ(target.GetInt("Wnd", "Left", -1), 7);
  EXPECT_EQ(deferred.GetString("File Transform", "Zone", ""), "99");  // read through
}
