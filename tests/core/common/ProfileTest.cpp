#include <gtest/gtest.h>

#include "core/common/DeferredProfile.h"
#include "core/common/Profile.h"

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
  target.WriteInt("Vertical datum", "Selection", 1);
  {
    CDeferredProfile deferred(&target);
    deferred.WriteString("File Transform", "Zone", "49");
    deferred.WriteInt("Wnd", "Left", 7);
    deferred.WriteString("Wnd", "Top", "12x");
    EXPECT_EQ(deferred.GetString("File Transform", "Zone", ""), "49");
    EXPECT_EQ(deferred.GetInt("Wnd", "Left", -1), 7);
    EXPECT_EQ(deferred.GetString("Wnd", "Left", ""), "7");
    EXPECT_EQ(deferred.GetInt("Wnd", "Top", -1), -1);                 // not a whole integer
    EXPECT_EQ(deferred.GetInt("Vertical datum", "Selection", 0), 1);  // from the target
    EXPECT_EQ(deferred.GetInt("Other", "Key", -3), -3);
  }  // dropped
  EXPECT_EQ(target.GetString("File Transform", "Zone", ""), "99");
  EXPECT_FALSE(target.Has("Wnd", "Left"));

  CDeferredProfile deferred(&target);
  deferred.WriteString("File Transform", "Zone", "49");
  deferred.WriteInt("Wnd", "Left", 7);
  deferred.Commit();
  EXPECT_EQ(target.GetString("File Transform", "Zone", ""), "49");
  EXPECT_EQ(target.GetInt("Wnd", "Left", -1), 7);
  target.WriteInt("Wnd", "Left", 8);
  EXPECT_EQ(deferred.GetInt("Wnd", "Left", -1), 8);  // nothing held after a commit

  CDeferredProfile nowhere(nullptr);
  nowhere.WriteInt("Wnd", "Left", 7);
  EXPECT_EQ(nowhere.GetInt("Wnd", "Left", -1), 7);
  nowhere.Commit();
  EXPECT_EQ(nowhere.GetInt("Wnd", "Left", -1), -1);
}
