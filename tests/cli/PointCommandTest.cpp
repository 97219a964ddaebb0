// marevert-cli point: rows on standard output, check messages on standard error, and
// the exit status of each outcome.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "support/CliRun.h"
#include "support/GridFileWriter.h"

namespace {

// One 0.5-degree cell at 40 S, 140 E with the same values at its four corners:
// surface k lies at -2.10 + 0.25 k metres (LAT -2.10, AHD -0.60, MLHW -0.10, HAT 1.15).
class PointCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CTestGridFile f;
    f.gridSize = 0.5, f.minLat = -40, f.maxLat = -39.5, f.minLon = 140, f.maxLon = 140.5;
    f.offset = -50.0f, f.scale = 100.0f;
    std::array<std::uint16_t, 14> codes;
    for (int k = 0; k < 14; ++k) codes[k] = static_cast<std::uint16_t>(4790 + 25 * k);
    f.rows = {{{0, codes}, {1, codes}}, {{0, codes}, {1, codes}}};
    WriteFileBytes(m_dir.File("cell.MRGGrid"), f.Bytes());
  }
  CCliRun Point(const std::string& arguments) { return RunCli(m_dir, "point --grid cell.MRGGrid " + arguments); }

  CScratchDir m_dir;
};

TEST_F(PointCommandTest, HeightsPositiveRowsLargestSeparationFirst) {
  const CCliRun run = Point("--lat -39.8 --lon 140.2 --height 2 --from ahd");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "HAT\t1.15\t0.25\n"
            "MHWS\t0.90\t0.50\n"
            "MHHW\t0.65\t0.75\n"
            "MHW\t0.40\t1.00\n"
            "MHWN\t0.15\t1.25\n"
            "Ellipsoid (GDA2020)\t0.08\t1.32\n"  // 0.0847 m above the GDA94 ellipsoid there
            "Ellipsoid (GDA94/WGS84)\t0.00\t1.40\n"
            "MLHW\t-0.10\t1.50\n"
            "MSL\t-0.35\t1.75\n"
            "AHD\t-0.60\t2.00\n"
            "MLWN\t-0.85\t2.25\n"
            "MHLW\t-1.10\t2.50\n"
            "MLW\t-1.35\t2.75\n"
            "MLWS\t-1.60\t3.00\n"
            "MLLW\t-1.85\t3.25\n"
            "LAT\t-2.10\t3.50\n");
}

TEST_F(PointCommandTest, DepthsPositiveFromTheEllipsoid) {
  const CCliRun run = Point("--lat=-39.5 --lon 140 --height 10 --from ELLIPSOID --depths-positive");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  // 10 m below the ellipsoid is 7.90 m below LAT (2.10 m under the ellipsoid) and 11.15 m below HAT.
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), "LAT\t2.10\t7.90\n");
  EXPECT_NE(run.out.find("Ellipsoid (GDA94/WGS84)\t0.00\t10.00\n"), std::string::npos);
  EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "HAT\t-1.15\t11.15\n");
}

TEST_F(PointCommandTest, JsonGivesTheCentimetreValuesOfTheTextRows) {
  const CCliRun run = Point("--lat -39.75 --lon 140.25 --height 2.123456 --from MSL --json");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json result = nlohmann::json::parse(run.out);
  EXPECT_EQ(result["inside"], true);
  ASSERT_EQ(result["rows"].size(), 16u);
  // HAT's decoded surface value is the float 1.15f (1.1499999761581421 as a double) and
  // its height 0.623456...: the JSON says what the text row "HAT 1.15 0.62" says.
  EXPECT_NE(run.out.find(R"({"height":0.62,"reference":"HAT","separation":1.15})"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(R"({"height":2.12,"reference":"MSL","separation":-0.35})"), std::string::npos) << run.out;
  // No number anywhere carries more than two decimals.
  EXPECT_FALSE(std::regex_search(run.out, std::regex(R"(\.[0-9]{3})"))) << run.out;
}

TEST_F(PointCommandTest, FailedCheckExitsWith2AndTheFirstMessage) {
  struct Case {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"--lat 90.000001 --lon 999 --height x --from AHD", "* Range [-90 .. 90]\n"},
      {"--lat 1e1 --lon 140 --height 1 --from AHD", "* Range [-90 .. 90]\n"},
      {"--lat -39.8 --lon 180.5 --height x --from AHD", "* Range [-180 .. 180]\n"},
      {"--lat -39.8 --lon 140.2 --height '' --from AHD", "* Enter a number\n"},
      {"--lat -39.8 --lon 140.2 --height 1e3 --from AHD", "* Enter a number\n"},
  };
  for (const Case& c : cases) {
    const CCliRun run = Point(c.arguments);
    EXPECT_EQ(run.exitCode, 2) << c.arguments;
    EXPECT_EQ(run.err, c.message) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
  }
  const CCliRun unknown = Point("--lat -39.8 --lon 140.2 --height 1 --from Chart");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_EQ(unknown.err.rfind("Unknown vertical reference: Chart\n", 0), 0u);
  EXPECT_EQ(Point("--lat -39.8 --lon 140.2 --height 1").exitCode, 2);  // --from missing
}

TEST_F(PointCommandTest, OutsideExitsWith3) {
  const char* outside = "* The requested position is not within the current grid\n";
  CCliRun run = Point("--lat -35 --lon 140.2 --height 1 --from AHD");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err, outside);
  EXPECT_EQ(run.out, "");

  run = Point("--lat -35 --lon 140.2 --height 1 --from AHD --json");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json::parse(R"({"inside": false, "rows": []})"));

  // A grid that does not load: its own message first, then the position is outside.
  run = RunCli(m_dir, "point --grid missing.MRGGrid --lat -39.8 --lon 140.2 --height 1 --from AHD");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err.rfind("Cannot open grid file:\n", 0), 0u);
  EXPECT_EQ(run.err.substr(run.err.size() - std::string(outside).size()), outside);
}

}  // namespace
