#include <gtest/gtest.h>

#include <filesystem>

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

TEST(AbsolutePath, AgainstTheWorkingFolderAndNormalised) {
  EXPECT_EQ(AbsolutePath(""), "");
  EXPECT_EQ(AbsolutePath("/data/./a/../run1.xyz"), "/data/run1.xyz");
  EXPECT_EQ(AbsolutePath("a/run1.xyz"), (std::filesystem::current_path() / "a/run1.xyz").string());
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
