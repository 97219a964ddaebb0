#include <gtest/gtest.h>

#include <filesystem>

#include "support/CliRun.h"
#include "support/GridFileWriter.h"

namespace {

CTestGridFile Grid() {
  CTestGridFile f;
  f.major = 2, f.minor = 1, f.year = 2096, f.month = 7, f.day = 4;
  f.gridSize = 0.5, f.minLat = -40, f.maxLat = -39.5, f.minLon = 140, f.maxLon = 140.5;
  f.rows = {{{0, f.Codes(0)}, {1, f.Codes(1)}}, {{0, f.Codes(2)}, {1, f.Codes(3)}}};
  return f;
}

TEST(InfoCommand, PrintsTheDetailsOfALoadedGrid) {
  CScratchDir dir;
  WriteFileBytes(dir.File("demo.MRGGrid"), Grid().Bytes());
  const CCliRun run = RunCli(dir, "info demo.MRGGrid");  // relative: made absolute
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "File: demo.MRGGrid\n"
            "Date (D/M/Y): 4/7/2096\n"
            "Major version: 2\n"
            "Minor version: 1\n"
            "Grid size (seconds): 1800.00000\n"
            "Minimum latitude (decimal degrees): -40.0000000000\n"
            "Maximum latitude (decimal degrees): -39.5000000000\n"
            "Minimum longitude (decimal degrees): 140.0000000000\n"
            "Maximum longitude (decimal degrees): 140.5000000000\n");
  EXPECT_EQ(run.err, "");
}

TEST(InfoCommand, FailuresGoToStandardErrorWithExitStatus1) {
  CScratchDir dir;
  CTestGridFile bad = Grid();
  bad.format = 2;
  WriteFileBytes(dir.File("bad.MRGGrid"), bad.Bytes());
  // As the program sees it from inside the folder (the temporary folder may be a link).
  const auto absolute = [&](const char* name) { return (std::filesystem::canonical(dir.Path()) / name).string(); };

  CCliRun run = RunCli(dir, "info bad.MRGGrid");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "No grid file loaded\n");
  EXPECT_EQ(run.err,
            "CGridInt contained an unexpected object.\nFailed to load grid file:\n" + absolute("bad.MRGGrid") + "\n");

  run = RunCli(dir, "info missing.MRGGrid");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot open grid file:\n" + absolute("missing.MRGGrid") + "\n");

  EXPECT_EQ(RunCli(dir, "info").exitCode, 2);  // usage error
}

// A mistyped command is named, with the commands there are, as a usage error.
TEST(CliCommands, AnUnknownCommandIsNamedWithTheCommandList) {
  CScratchDir dir;
  const CCliRun run = RunCli(dir, "bogus demo.MRGGrid");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "unknown command: bogus");
  EXPECT_NE(run.err.find("Commands: info, point, build-grid, transform, summarize"), std::string::npos) << run.err;
}

}  // namespace
