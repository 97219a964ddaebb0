// The owning file handle: a failed close (the last buffered write) is reported, and a
// moved handle closes its stream once.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/common/FileHandle.h"
#include "support/TestSupport.h"

TEST(FileHandle, CloseReportsTheWriteItCouldNotFinish) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CFileHandle full("/dev/full", "w");
  ASSERT_TRUE(full.IsOpen());
  std::fputs("buffered until the close", full.Get());
  EXPECT_FALSE(full.Close());
  EXPECT_FALSE(full.IsOpen());
  EXPECT_TRUE(full.Close());  // nothing left to close
}

TEST(FileHandle, MovedHandleOwnsTheStream) {
  CScratchDir dir;
  CFileHandle first(dir.File("a.txt"), "w");
  ASSERT_TRUE(first.IsOpen());
  CFileHandle second = std::move(first);
  EXPECT_FALSE(first.IsOpen());
  std::fputs("written", second.Get());
  second = CFileHandle(dir.File("b.txt"), "w");  // the first stream is closed here, its text written
  EXPECT_EQ(ReadFileBytes(dir.File("a.txt")), "written");
  EXPECT_FALSE(CFileHandle(dir.File("missing/c.txt"), "r").IsOpen());
}
