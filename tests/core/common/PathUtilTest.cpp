#include <gtest/gtest.h>

#include "core/common/PathUtil.h"
#include "support/TestSupport.h"

TEST(PathParts, BackslashWinsOverSlash) {
  EXPECT_EQ(GetFileNamePart("D:\\survey/a\\run1.xyz"), "run1.xyz");
  EXPECT_EQ(GetFolderPart("D:\\survey/a\\run1.xyz"), "D:\\survey/a\\");
  EXPECT_EQ(GetFileNamePart("/data/run1.xyz"), "run1.xyz");
  EXPECT_EQ(GetFolderPart("/data/run1.xyz"), "/data/");
}

TEST(PathParts, NoSeparatorGivesEmptyTexts) {
  EXPECT_EQ(GetFileNamePart("run1.xyz"), "");
  EXPECT_EQ(GetFolderPart("run1.xyz"), "");
  EXPECT_EQ(GetFileNamePart(""), "");
}

TEST(ProgramFolder, EndsWithSeparatorAndHonoursOverride) {
  std::string folder;
  ASSERT_TRUE(GetProgramFolder(folder));
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  SetProgramFolderOverride("/tmp/elsewhere");
  ASSERT_TRUE(GetProgramFolder(folder));
  EXPECT_EQ(folder, "/tmp/elsewhere/");
  SetProgramFolderOverride("");
  ASSERT_TRUE(GetProgramFolder(folder));
  EXPECT_NE(folder, "/tmp/elsewhere/");
}

TEST(IsNumberText, AcceptsPlainDecimalsAndLoneSigns) {
  for (const char* text : {"12.5", "-3", "0", "-", ".", "-.", "  7.25\t", "-0.5", "5."})
    EXPECT_TRUE(IsNumberText(text)) << '"' << text << '"';
}

TEST(IsNumberText, RefusesEverythingElse) {
  for (const char* text : {"", "   ", "1e3", "+2", "1.2.3", "--1", "2-", "1 2", "12abc", "abc", "-1-", "1,5"})
    EXPECT_FALSE(IsNumberText(text)) << '"' << text << '"';
}

TEST(TextToDouble, TakesTheLeadingNumericPart) {
  EXPECT_DOUBLE_EQ(TextToDouble("-"), 0.0);
  EXPECT_DOUBLE_EQ(TextToDouble("."), 0.0);
  EXPECT_DOUBLE_EQ(TextToDouble("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(TextToDouble(" -3.25xyz"), -3.25);
}

TEST(UserStateFolder, XdgStateHomeWhenAbsoluteElseUnderHomeCreatedForTheUserAlone) {
  const CScratchDir dir;
  const CScopedEnv home("HOME", (dir.Path() / "home").c_str());
  std::string folder;
  for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/state"}) {
    const CScopedEnv scoped("XDG_STATE_HOME", xdg);
    ASSERT_TRUE(GetUserStateFolder(folder)) << (xdg ? xdg : "unset");
    EXPECT_EQ(folder, dir.File("home/.local/state/marevert/")) << (xdg ? xdg : "unset");
  }
  EXPECT_EQ(std::filesystem::status(dir.Path() / "home").permissions(), std::filesystem::perms::owner_all);

  const CScopedEnv xdg("XDG_STATE_HOME", dir.File("state").c_str());
  ASSERT_TRUE(GetUserStateFolder(folder));
  EXPECT_EQ(folder, dir.File("state/marevert/"));
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  const CScopedEnv noHome("HOME", nullptr);
  const CScopedEnv noXdg("XDG_STATE_HOME", nullptr);
  EXPECT_FALSE(GetUserStateFolder(folder));
  EXPECT_EQ(folder, "");
}
