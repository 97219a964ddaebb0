// Golden tests of `marevert-cli build-grid`: exit status, summary on standard output,
// messages on standard error, and the checks of the settings dialog.

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "support/CliRun.h"

namespace {

class BuildGridCli : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text = "latitude longitude LAT MLLW MLWS MLW MHLW MLWN AHD MSL MLHW MHWN MHW MHHW MHWS HAT\n";
    for (const char* position :
         {"-30 150", "-30 150.0166666666667", "-29.9833333333333 150", "-29.9833333333333 150.0166666666667"})
      text += std::string(position) + " 10 10.2 10.3 10.4 10.5 10.6 11 11.1 11.5 11.6 11.7 11.8 11.9 12.5\n";
    WriteFileBytes(m_dir.File("nodes.txt"), text);
  }

  // Runs marevert-cli in the scratch folder with the given arguments.
  CCliRun Cli(const std::string& arguments) { return RunCli(m_dir, arguments); }
  bool GridExists() const { return std::filesystem::exists(m_dir.File("out.MRGGrid")); }

  CScratchDir m_dir;
};

TEST_F(BuildGridCli, WritesTheGridAndPrintsTheSummary) {
  const CCliRun r =
      Cli("build-grid --input nodes.txt --output out.MRGGrid --date 7/3/2026 --major 3 --minor 1 --grid-size 60");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Date (D/M/Y): 7/3/2026\n"
            "Major version: 3\n"
            "Minor version: 1\n"
            "Grid size (seconds): 60.00000\n"
            "Minimum lat, lon (decimal degrees): -30.0000000000, 150.0000000000\n"
            "Maximum lat, lon (decimal degrees): -29.9833333333, 150.0166666667\n"
            "Invalid data lines: 1\n"
            "Points not compliant with grid: 0\n"
            "Duplicate points: 0\n"
            "Points used: 4\n");
  EXPECT_EQ(ReadFileBytes(m_dir.File("out.MRGGrid")).size(), 219u);
}

TEST_F(BuildGridCli, DefaultsAreTodayVersionZeroAndSixtySeconds) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const CCliRun r = Cli("build-grid --input nodes.txt --output out.MRGGrid");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  char date[64];
  std::snprintf(date, sizeof(date), "Date (D/M/Y): %d/%d/%d\n", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
  EXPECT_EQ(r.out.substr(0, r.out.find("Grid size")), std::string(date) + "Major version: 0\nMinor version: 0\n");
  EXPECT_NE(r.out.find("Grid size (seconds): 60.00000\n"), std::string::npos);
}

// Each argument reaches its check (the limits themselves: GridGenLimitsTest).
TEST_F(BuildGridCli, RefusesValuesTheSettingsDialogRefuses) {
  const std::pair<const char*, const char*> cases[] = {
      {"--date 32/3/2026", "Enter an integer between 1 and 31.\n"},
      {"--date 7/13/2026", "Enter an integer between 1 and 12.\n"},
      {"--date 7/3/1969", "Enter an integer between 1970 and 3000.\n"},
      {"--date 7/3", "Enter the date as D/M/Y.\n"},
      {"--major 1.5", "Enter an integer.\n"},
      {"--minor abc", "Enter an integer.\n"},
      {"--grid-size 0", "Enter a number between 1e-07 and 10000000.\n"},
      // The first failing field in the dialog's order is the one reported.
      {"--date 40/13/1 --grid-size 0", "Enter an integer between 1 and 31.\n"},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(arguments);
    const CCliRun r = Cli(std::string("build-grid --input nodes.txt --output out.MRGGrid ") + arguments);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(GridExists());
  }
}

TEST_F(BuildGridCli, AJobThatStopsExitsWithOneAndNoGrid) {
  CCliRun r = Cli("build-grid --input missing.txt --output out.MRGGrid");
  EXPECT_EQ(r.exitCode, 1);
  // The path is made absolute, so the message names the folder too.
  EXPECT_EQ(r.err, "Cannot open file: \n" + (m_dir.Path() / "missing.txt").string() + "\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(GridExists());

  WriteFileBytes(m_dir.File("short.txt"), "-30 150 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n");
  r = Cli("build-grid --input short.txt --output out.MRGGrid");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "There are < 4 valid data points, cannot create grid\n");
  EXPECT_FALSE(GridExists());
}

}  // namespace
