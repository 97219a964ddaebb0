#include <gtest/gtest.h>

#include "common/PathUtil.h"

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
