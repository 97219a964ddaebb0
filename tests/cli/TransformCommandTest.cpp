// marevert-cli transform: the batch without windows. Summary on standard output, the
// batch log beside the last file, the application log beside the program, and the exit
// status 0 (every file OK), 1 (a file had an error) or 2 (usage error).

#include <gtest/gtest.h>

#include <filesystem>

#include "support/CliRun.h"

namespace fs = std::filesystem;

namespace {

const std::string kDemoGrid = MAREVERT_SOURCE_DIR "/data/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid";

// Runs a copy of marevert-cli placed in the scratch folder, so that its application
// log (kept beside the program) lands there too.
class TransformCommandTest : public ::testing::Test {
 protected:
  TransformCommandTest() {
    fs::copy_file(MAREVERT_BIN_DIR "/marevert-cli", m_dir.File("marevert-cli"));
    fs::create_directory(m_dir.File("work"));
  }
  CCliRun Cli(const std::string& arguments) const {
    const std::string program = m_dir.File("marevert-cli");
    return RunShell(Work(""), "'" + program + "' transform " + arguments, m_dir);
  }
  std::string Work(const std::string& name) const { return m_dir.File("work/" + name); }
  std::string AppLog() const { return ReadFileBytes(m_dir.File("Application Log.txt")); }
  void CopySample(const std::string& name) const {
    fs::copy_file(MAREVERT_SOURCE_DIR "/data/samples/" + name, Work(name));
  }

  CScratchDir m_dir;
};

TEST_F(TransformCommandTest, BlockShiftNeedsNoGrid) {
  WriteFileBytes(Work("a.xyz"), "100.0 -60.0 1.00\n151.5 -27.5 -2.25\n");
  const CCliRun run = Cli("--block-shift 0.5 a.xyz");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress drawn when standard error is not a terminal
  EXPECT_EQ(run.out,
            "Files OK: 1, files with errors: 0\n"
            "Processed 1 file(s) of 1\n"
            "\n"
            "Summary log file written to:\n" +
                Work("Log.txt") + "\n");
  EXPECT_EQ(ReadFileBytes(Work("a_Block Shift_0.50m.xyz")), "100.0 -60.0 1.50\n151.5 -27.5 -1.75\n");
  EXPECT_NE(AppLog().find("\tNULL\tBlock Shift\tGeneric text\t2\t\t1\n"), std::string::npos) << AppLog();
}

TEST_F(TransformCommandTest, DepthsPositiveTurnTheShiftAround) {
  WriteFileBytes(Work("a.xyz"), "151.5 -27.5 3.00\n");
  const CCliRun run = Cli("--block-shift=-0.25 --depths-positive a.xyz");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(Work("a_Block Shift_-0.25m.xyz")), "151.5 -27.5 3.25\n");
  EXPECT_NE(AppLog().find("\t-1\n"), std::string::npos) << AppLog();
}

TEST_F(TransformCommandTest, SamplesOnTheDemoGrid) {
  const char* samples[] = {"sample_grid.asc", "sample_latlon.xyz", "sample_mga56.xyz", "sample_soundings.htf",
                           "sample_v12.las",  "sample_v14.las",    "sample_v14.laz"};
  std::string names;
  for (const char* sample : samples) {
    CopySample(sample);
    names += std::string(" ") + sample;
  }
  const CCliRun run = Cli("--grid '" + kDemoGrid + "' --from lat --to AHD --zone 56 --depths-positive" + names);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Files OK: 7, files with errors: 0\nProcessed 7 file(s) of 7\n"), std::string::npos)
      << run.out;
  for (const char* sample : samples) {
    const std::string stem = fs::path(sample).stem().string(), ext = fs::path(sample).extension().string();
    EXPECT_TRUE(fs::exists(Work(stem + "_AHD" + ext))) << sample;
    EXPECT_TRUE(fs::exists(Work(stem + "_LAT" + ext))) << sample;  // each sample has points outside
  }
  EXPECT_NE(AppLog().find("\tLAT\tAHD\tESRI ASCII Grid, Generic text, HTF, LAS\t"), std::string::npos) << AppLog();
  EXPECT_NE(AppLog().find("\tMarevert_Demo_Synthetic_NotForNavigation.MRGGrid\t-1\n"), std::string::npos);
}

TEST_F(TransformCommandTest, AFileWithAnErrorGivesStatusOne) {
  CopySample("sample_latlon.xyz");
  const CCliRun run = Cli("--grid '" + kDemoGrid + "' --from ellipsoid --to MSL missing.xyz sample_latlon.xyz");
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(run.out.rfind("\nError with file: " + Work("missing.xyz") + "\nCannot open the file\n", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("Files OK: 1, files with errors: 1\nProcessed 1 file(s) of 2\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(Work("sample_latlon_MSL.xyz")));
}

TEST_F(TransformCommandTest, UsageErrorsGiveStatusTwoAndTouchNothing) {
  WriteFileBytes(Work("a.xyz"), "151.5 -27.5 3.00\n");
  const std::string grid = "--grid '" + kDemoGrid + "' ";
  const struct {
    std::string arguments, message;
  } cases[] = {
      {grid + "--from LAT --to lat a.xyz", "The input and output vertical references must be different"},
      {grid + "--from LAT --to nowhere a.xyz", "Unknown vertical reference: nowhere"},
      {grid + "--from LAT a.xyz", "Both --from and --to are needed"},
      {"--from LAT --to AHD a.xyz", "--grid is needed unless --block-shift is given"},
      {grid + "a.xyz", "Give either --from and --to, or --block-shift"},
      {grid + "--from LAT --to AHD --block-shift 1 a.xyz", "Give either --from and --to, or --block-shift"},
      {"--block-shift 1e3 a.xyz", "Invalid block shift (not a number)"},
      {grid + "--from LAT --to AHD --zone 57 a.xyz", "--zone"},
      {grid + "--from LAT --to AHD", "FILE"},
  };
  for (const auto& c : cases) {
    const CCliRun run = Cli(c.arguments);
    EXPECT_EQ(run.exitCode, 2) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
  }
  EXPECT_FALSE(fs::exists(Work("Log.txt")));
  EXPECT_FALSE(fs::exists(m_dir.File("Application Log.txt")));
}

}  // namespace
