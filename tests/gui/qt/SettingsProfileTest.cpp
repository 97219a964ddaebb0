#include <gtest/gtest.h>

#include "gui/qt/SettingsProfile.h"
#include "support/TestSupport.h"

TEST(SettingsProfile, KeepsStringsAndIntegersPerSectionAcrossInstances) {
  CScratchDir dir;
  const QString path = QString::fromStdString(dir.File("profile.ini"));
  {
    CSettingsProfile profile(path);
    EXPECT_EQ(profile.GetString("Grid file", "Path", "none"), "none");
    EXPECT_EQ(profile.GetInt("Grid file", "Count", 7), 7);
    profile.WriteString("Grid file", "Path", "/data/demo grid.MRGGrid");
    profile.WriteInt("Processing files ...", "Wnd Left", -12);
    profile.WriteString("Point Transform", "Wnd Left", "left");
    // Sections and keys are free text: slashes must not create nested groups.
    profile.WriteString("a/b", "c", "slash in section");
    profile.WriteString("a", "b/c", "slash in key");
    profile.WriteString("a\\b", "c", "backslash");
    profile.WriteString("a%2Fb", "c", "escape-like");
    profile.Sync();
  }
  CSettingsProfile profile(path);
  EXPECT_EQ(profile.GetString("Grid file", "Path", ""), "/data/demo grid.MRGGrid");
  EXPECT_EQ(profile.GetInt("Processing files ...", "Wnd Left", 0), -12);
  EXPECT_EQ(profile.GetString("Processing files ...", "Wnd Left", ""), "-12");
  EXPECT_EQ(profile.GetInt("Point Transform", "Wnd Left", 5), 5);  // not an integer: the default
  EXPECT_EQ(profile.GetInt("Grid file", "Wnd Left", 3), 3);        // same key, other section
  EXPECT_EQ(profile.GetString("a/b", "c", ""), "slash in section");
  EXPECT_EQ(profile.GetString("a", "b/c", ""), "slash in key");
  EXPECT_EQ(profile.GetString("a\\b", "c", ""), "backslash");
  EXPECT_EQ(profile.GetString("a%2Fb", "c", ""), "escape-like");
}

TEST(SettingsProfile, ProgramNameIsTheExecutableWithoutExtension) {
  EXPECT_EQ(CSettingsProfile::ProgramName().toStdString(), "test_common_qt");
}
