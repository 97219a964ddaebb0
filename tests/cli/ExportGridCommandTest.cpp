// marevert-cli export-grid: usage errors, exit status, the printed pipeline for each
// sign convention, and the printed cct check line run as written.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/CliRun.h"

namespace {

// Runs a shell command line in the folder, its output captured.
CCliRun Shell(const CScratchDir& dir, const std::string& command) {
  return RunShell(dir.Path().string(), command, dir);
}

CCliRun Export(const CScratchDir& dir, const std::string& arguments) {
  return Shell(dir, "'" MAREVERT_BIN_DIR "/marevert-cli' export-grid --grid '" MAREVERT_BIN_DIR
                    "/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid' " +
                        arguments);
}

// The line of `text` that starts with `prefix`, without the prefix ("" if none).
std::string LineAfter(const std::string& text, const std::string& prefix) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
  return "";
}

TEST(ExportGridCommand, UsageErrorsExitWithTwo) {
  CScratchDir dir;
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"--output a.tif", "Give either --from and --to, or --surface\n"},
      {"--from LAT --to AHD --surface MSL --output a.tif", "Give either --from and --to, or --surface\n"},
      {"--from LAT --output a.tif", "Both --from and --to are needed\n"},
      {"--from LAT --to Chart --output a.tif", "Unknown vertical reference: Chart\n"},
      {"--surface ellipsoid --output a.tif", "--surface needs one of the fourteen surfaces, not the ellipsoid\n"},
      {"--surface LAT --output a.grd", "The output's extension is neither .tif nor .gtx: give --format\n"},
      {"--surface LAT --output a.tif --format tif", "--format is gtiff or gtx\n"},
  };
  for (const auto& c : cases) {
    const CCliRun run = Export(dir, c.arguments);
    EXPECT_EQ(run.exitCode, 2) << c.arguments;
    EXPECT_EQ(run.err.substr(0, std::string(c.message).size()), c.message) << c.arguments;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.tif")));
}

TEST(ExportGridCommand, GridThatDoesNotLoadExitsWithOne) {
  CScratchDir dir;
  const CCliRun run = Shell(dir, "'" MAREVERT_BIN_DIR
                                 "/marevert-cli' export-grid --grid none.MRGGrid --surface LAT "
                                 "--output a.gtx");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot open grid file:\n" + dir.File("none.MRGGrid") + "\n");
}

TEST(ExportGridCommand, PipelineMultiplierFollowsTheSignConvention) {
  CScratchDir dir;
  const struct {
    const char* arguments;
    std::string pipeline;
  } cases[] = {
      {"--from LAT --to AHD --output s.tif",
       "from LAT heights to AHD heights: +proj=vgridshift +grids=" + dir.File("s.tif") + " +multiplier=1"},
      {"--from LAT --to AHD --output s.tif --depths-positive",
       "from LAT depths to AHD depths: +proj=vgridshift +grids=" + dir.File("s.tif") + " +multiplier=-1"},
      {"--surface AHD --output 'a b.gtx'",
       "from Ellipsoid (GDA94/WGS84) heights to AHD heights: +proj=vgridshift "
       "+grids=\"" +
           dir.File("a b.gtx") + "\" +multiplier=-1"},
      {"--from MSL --to ellipsoid --format gtx --output s.dat",
       "from MSL heights to Ellipsoid (GDA94/WGS84) heights: "
       "+proj=vgridshift +grids=" +
           dir.File("s.dat") + " +multiplier=1"},
  };
  for (const auto& c : cases) {
    const CCliRun run = Export(dir, c.arguments);
    ASSERT_EQ(run.exitCode, 0) << c.arguments << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(LineAfter(run.out, "PROJ pipeline "), c.pipeline) << run.out;
  }
}

TEST(ExportGridCommand, PrintedCheckLineRunsAndGivesMarevertsValue) {
  if (std::system("command -v cct >/dev/null 2>&1") != 0) GTEST_SKIP() << "cct (proj-bin) not installed";
  CScratchDir dir;
  const CCliRun run = Export(dir, "--from LAT --to AHD --output 'LAT to AHD.tif'");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string check = LineAfter(run.out, "Check: ");
  ASSERT_NE(check, "") << run.out;
  // "  (Marevert carries 0 in LAT to V in AHD there)"
  const std::string expected = LineAfter(run.out, "  (Marevert carries 0 in LAT to ");
  const std::string value = expected.substr(0, expected.find(' '));
  const CCliRun cct = Shell(dir, check);
  ASSERT_EQ(cct.exitCode, 0) << check << cct.err;
  std::istringstream columns(cct.out);
  std::string longitude, latitude, height;
  columns >> longitude >> latitude >> height;
  EXPECT_EQ(height, value) << check;

  // The same value, in centimetres, from the point command at that position.
  const std::string position = check.substr(check.find('"') + 1);
  std::istringstream coordinates(position);
  std::string lon, lat;
  coordinates >> lon >> lat;
  const CCliRun point = Shell(dir, "'" MAREVERT_BIN_DIR "/marevert-cli' point --grid '" MAREVERT_BIN_DIR
                                   "/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid' --lat=" +
                                       lat + " --lon " + lon + " --height 0 --from LAT");
  const CClassicThreadLocale classic;  // the expected text has a decimal point
  char rounded[32];
  std::snprintf(rounded, sizeof rounded, "%.2f", std::stod(value));
  EXPECT_EQ(LineAfter(point.out, "AHD\t").substr(LineAfter(point.out, "AHD\t").find('\t') + 1), rounded);
}

}  // namespace
