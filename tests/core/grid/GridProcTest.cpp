// The grid generation job end to end: what it writes, what it counts and shows, and
// that every stop leaves no grid file behind.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <regex>
#include <set>

#include "GridGenTestUtil.h"
#include "core/grid/GridInt.h"
#include "support/ClassWideValues.h"
#include "support/TestSupport.h"

using namespace gridgen_test;

namespace {

class GridProcTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;  // put back after the test
  CGridProc::Settings Settings(const std::string& text) {
    WriteFileBytes(m_dir.File("nodes.txt"), text);
    CGridProc::Settings s;
    s.inputPath = m_dir.File("nodes.txt");
    s.outputPath = m_dir.File("out.MRGGrid");
    s.day = 7;
    s.month = 3;
    s.year = 2026;
    s.majorVersion = 2;
    s.minorVersion = 5;
    s.gridSizeSeconds = 60;
    return s;
  }
  bool OutputExists() const { return std::filesystem::exists(m_dir.File("out.MRGGrid")); }

  // Loads the output through the grid reader, with its messages recorded.
  void Load(CGridInt& grid) {
    CRecordingMessenger messenger;
    CScopedMessenger scoped(&messenger);
    CThreadJobRunner runner(false);
    CScopedJobRunner scopedRunner(&runner);
    grid.LoadFile(m_dir.File("out.MRGGrid"));
    ASSERT_TRUE(grid.IsLoaded());
  }

  // The text of a one-cell grid at (-30, 150) with 60-second spacing.
  static std::string OneCell() {
    return Line(-30, 150, 10) + Line(-30, 150 + kMinute, 11) + Line(-30 + kMinute, 150, 12) +
           Line(-30 + kMinute, 150 + kMinute, 13);
  }

  CScratchDir m_dir;
};

std::vector<std::string> SummaryCounts(const std::vector<std::string>& summary) {
  return std::vector<std::string>(summary.begin() + 6, summary.begin() + 10);
}

std::vector<std::string> Counts(int invalid, int notCompliant, int duplicates, int used) {
  return {"Invalid data lines: " + std::to_string(invalid),
          "Points not compliant with grid: " + std::to_string(notCompliant),
          "Duplicate points: " + std::to_string(duplicates), "Points used: " + std::to_string(used)};
}

void ExpectNode(const CGridInt& grid, int row, int column, double base) {
  const CDataPt* node = grid.GetNode(row, column);
  ASSERT_NE(node, nullptr) << "row " << row << " column " << column;
  const auto v = Surfaces(base);
  for (int k = 0; k < 14; ++k) EXPECT_NEAR(node->GetValue(k), v[k], 0.0051) << "surface " << k;
}

TEST_F(GridProcTest, OneCellGridHasTwoRowsOfTwoPointsAndTheFullSummary) {
  CGridRun run(
      Settings("Latitude Longitude LAT MLLW MLWS MLW MHLW MLWN AHD MSL MLHW MHWN MHW MHHW MHWS HAT\n" + OneCell()));
  EXPECT_TRUE(run.Messages().empty());
  EXPECT_TRUE(run.job.OutputWritten());
  const std::vector<std::string> expected = {"Date (D/M/Y): 7/3/2026",
                                             "Major version: 2",
                                             "Minor version: 5",
                                             "Grid size (seconds): 60.00000",
                                             "Minimum lat, lon (decimal degrees): -30.0000000000, 150.0000000000",
                                             "Maximum lat, lon (decimal degrees): -29.9833333333, 150.0166666667",
                                             "Invalid data lines: 1",
                                             "Points not compliant with grid: 0",
                                             "Duplicate points: 0",
                                             "Points used: 4"};
  EXPECT_EQ(run.Summary(), expected);

  const std::string bytes = ReadFileBytes(m_dir.File("out.MRGGrid"));
  ASSERT_EQ(bytes.size(), 219u);  // 83 + 2 * (4 + 2 * 32)
  EXPECT_EQ(bytes.substr(0, 3), "MRG");
  std::int32_t formatCode, reserved, rows;
  float offset, scale;
  std::memcpy(&formatCode, bytes.data() + 3, 4);
  std::memcpy(&reserved, bytes.data() + 7, 4);
  std::memcpy(&offset, bytes.data() + 71, 4);
  std::memcpy(&scale, bytes.data() + 75, 4);
  std::memcpy(&rows, bytes.data() + 79, 4);
  EXPECT_EQ(formatCode, 1);
  EXPECT_EQ(reserved, 0);
  EXPECT_EQ(offset, 10.0f);  // floor of the lowest value
  EXPECT_EQ(scale, 100.0f);
  EXPECT_EQ(rows, 2);

  CGridInt grid;
  Load(grid);
  EXPECT_EQ(grid.GetRowCount(), 2u);
  EXPECT_EQ(grid.GetRow(0).size(), 2u);
  EXPECT_EQ(grid.GetRow(1).size(), 2u);
  ExpectNode(grid, 0, 0, 10);
  ExpectNode(grid, 0, 1, 11);
  ExpectNode(grid, 1, 0, 12);
  ExpectNode(grid, 1, 1, 13);
  // The lowest value codes to 0, the highest (13 + 3.25) to 625.
  EXPECT_EQ(grid.GetNode(0, 0)->m_codes[0], 0);
  EXPECT_EQ(grid.GetNode(1, 1)->m_codes[13], 625);
}

// Numbers that the C library reads (a leading "+", hexadecimal) and the summary's
// decimals come out the same under a comma-decimal locale.
TEST_F(GridProcTest, CommaLocaleBuildsTheSameGridAndSummary) {
  // Every "1x." number with a "+" in front, and the first node again in hexadecimal.
  std::string text = std::regex_replace(OneCell(), std::regex(" 1([0-9])\\."), " +1$1.");
  text += "-0x1.ep4 0x1.2cp7";
  for (int k = 0; k < 14; ++k) text += " 0x1.4p3";
  text += "\n";
  std::vector<std::string> summaries[2];
  std::string grids[2];
  for (int i = 0; i < 2; ++i) {
    const CScopedLocale locale(i == 0 ? "C" : kCommaLocale);
    CGridRun run(Settings(text));
    summaries[i] = run.Summary();
    grids[i] = ReadFileBytes(m_dir.File("out.MRGGrid"));
  }
  ASSERT_EQ(summaries[0].size(), 10u);
  EXPECT_EQ(summaries[0][4], "Minimum lat, lon (decimal degrees): -30.0000000000, 150.0000000000");
  EXPECT_EQ(SummaryCounts(summaries[0]), Counts(0, 0, 1, 4));
  EXPECT_EQ(summaries[1], summaries[0]);
  EXPECT_EQ(grids[0].size(), 219u);
  EXPECT_TRUE(grids[1] == grids[0]);
}

TEST_F(GridProcTest, SparseGridReadsBackWithEmptyRowsHeaderAndCodes) {
  // Rows 0, 3 and 4 carry points, rows 1 and 2 none; the input runs in no particular
  // order, including columns going backwards within a row.
  const double lat0 = -12.5, lon0 = 130.25, g = 2 * kMinute;
  std::string text;
  std::set<std::pair<int, int>> nodes = {{0, 0}, {0, 7}, {0, 3}, {3, 5}, {4, 1}, {4, 0}, {3, 2}, {0, 1}, {4, 6}};
  const std::vector<std::pair<int, int>> order(nodes.begin(), nodes.end());
  for (int pass = 0; pass < 2; ++pass)  // odd positions first, then even ones
    for (std::size_t i = pass == 0 ? 1 : 0; i < order.size(); i += 2) {
      const auto [r, c] = order[i];
      text += Line(lat0 + r * g, lon0 + c * g, -20.0 + r + 0.01 * c);
    }
  CGridProc::Settings s = Settings(text);
  s.gridSizeSeconds = 120;
  CGridRun run(s);
  ASSERT_TRUE(run.job.OutputWritten());
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(0, 0, 0, 9));

  CGridInt grid;
  Load(grid);
  EXPECT_EQ(grid.GetMajorVersion(), 2);
  EXPECT_EQ(grid.GetMinorVersion(), 5);
  EXPECT_EQ(grid.GetYear(), 2026);
  EXPECT_EQ(grid.GetMonth(), 3);
  EXPECT_EQ(grid.GetDay(), 7);
  EXPECT_DOUBLE_EQ(grid.GetGridSize(), 120.0 / 3600.0);
  // The text carries 12 decimals.
  EXPECT_NEAR(grid.GetMinLat(), lat0, 1e-12);
  EXPECT_NEAR(grid.GetMaxLat(), lat0 + 4 * g, 1e-12);
  EXPECT_NEAR(grid.GetMinLon(), lon0, 1e-12);
  EXPECT_NEAR(grid.GetMaxLon(), lon0 + 7 * g, 1e-12);
  EXPECT_EQ(CDataPt::s_offset, -20.0f);
  EXPECT_EQ(CDataPt::s_scale, 100.0f);
  ASSERT_EQ(grid.GetRowCount(), 5u);
  EXPECT_TRUE(grid.GetRow(1).empty());
  EXPECT_TRUE(grid.GetRow(2).empty());
  std::size_t stored = 0;
  for (std::size_t r = 0; r < grid.GetRowCount(); ++r) {
    const CGridInt::Row& row = grid.GetRow(r);
    stored += row.size();
    for (std::size_t i = 1; i < row.size(); ++i) EXPECT_LT(row[i - 1].column, row[i].column);
  }
  EXPECT_EQ(stored, nodes.size());
  for (const auto& [r, c] : nodes) ExpectNode(grid, r, c, -20.0 + r + 0.01 * c);

  // Row blocks are written in ascending column order: row 0 holds 0, 1, 3, 7.
  const std::string bytes = ReadFileBytes(m_dir.File("out.MRGGrid"));
  std::int32_t count, columns[4];
  std::memcpy(&count, bytes.data() + 83, 4);
  ASSERT_EQ(count, 4);
  for (int i = 0; i < 4; ++i) std::memcpy(&columns[i], bytes.data() + 87 + 32 * i, 4);
  EXPECT_EQ(std::vector<int>(columns, columns + 4), std::vector<int>({0, 1, 3, 7}));
}

TEST_F(GridProcTest, FirstPointAtANodeWinsWhetherTheRepeatIsAdjacentOrLater) {
  CGridRun run(Settings(Line(-30, 150, 10) + Line(-30, 150, 50) +  // repeat right after
                        Line(-30, 150 + kMinute, 11) + Line(-30 + kMinute, 150, 12) +
                        Line(-30 + kMinute, 150 + kMinute, 13) + Line(-30, 150 + kMinute, 60) +  // repeat later
                        Line(-30, 150, 70)));
  ASSERT_TRUE(run.job.OutputWritten());
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(0, 0, 3, 4));
  CGridInt grid;
  Load(grid);
  ExpectNode(grid, 0, 0, 10);
  ExpectNode(grid, 0, 1, 11);
}

TEST_F(GridProcTest, PointsOffTheLatticeAreCountedAndNearbyOnesSnapped) {
  CGridRun run(Settings(OneCell() + Line(-30 + 0.5 * kMinute, 150, 14) +            // half a cell off in latitude
                        Line(-30, 150 + 0.5 * kMinute, 14) +                        // half a cell off in longitude
                        Line(-30 + kMinute - 5e-7, 150 + 2 * kMinute + 5e-7, 15) +  // within tolerance of a node
                        Line(-30, 150 + 2.5 * kMinute, 16)));  // widens the longitude extent by 2.5 cells
  ASSERT_TRUE(run.job.OutputWritten()) << ::testing::PrintToString(run.Messages());
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(0, 3, 0, 5));
  EXPECT_EQ(run.Summary()[5], "Maximum lat, lon (decimal degrees): -29.9833333333, 150.0416666667");
  CGridInt grid;
  Load(grid);
  EXPECT_NEAR(grid.GetMaxLon(), 150 + 2.5 * kMinute, 1e-12);  // extent kept as found, not whole cells
  ExpectNode(grid, 1, 2, 15);
  EXPECT_EQ(grid.GetNode(0, 2), nullptr);
  EXPECT_EQ(grid.GetRow(0).size(), 2u);
}

TEST_F(GridProcTest, JunkLinesAreInvalidAndDoNotStopTheJob) {
  std::string text = OneCell();
  text += "\n";                                           // blank
  text += "   \t \r\n";                                   // white space only
  text += "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13\n";      // fifteen numbers
  text += "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13 nan\n";  // not finite
  text += "-30 inf 1 2 3 4 5 6 7 8 9 10 11 12 13 14\n";
  text += "-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13 1e39\n";                   // beyond single precision
  text += "1e400 150 1 2 3 4 5 6 7 8 9 10 11 12 13 14\n";                   // beyond double precision
  text += std::string("\0-30 150 1 2 3 4 5 6 7 8 9 10 11 12 13 14\n", 42);  // starts with a zero byte
  text += "garbage \xff\xfe\x01 text\n";
  CGridRun run(Settings(text));
  ASSERT_TRUE(run.job.OutputWritten());
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(9, 0, 0, 4));
  EXPECT_EQ(run.Summary()[4], "Minimum lat, lon (decimal degrees): -30.0000000000, 150.0000000000");
}

TEST_F(GridProcTest, HugeCoordinatesOnOneNodeGiveAOneRowGridAndAFullSummary) {
  // Finite but absurd: every point on the same node, so the lattice is a single row.
  const std::string node = "1e300 -1e300 1 2 3 4 5 6 7 8 9 10 11 12 13 14\n";
  CGridRun run(Settings(node + node + node + node));
  ASSERT_TRUE(run.job.OutputWritten());
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(0, 0, 3, 1));
  const std::string minimum = run.Summary()[4];
  EXPECT_EQ(minimum.substr(minimum.size() - 11), ".0000000000");  // not cut short
  EXPECT_GT(minimum.size(), 600u);
}

TEST_F(GridProcTest, LinesLongerThanTheBufferArriveInPieces) {
  // A data line padded beyond the 5095 characters of one read: its first piece is a data
  // line, the rest (blanks) comes as a second, invalid line. CRLF line ends are fine.
  std::string longLine = Line(-30, 150, 10);
  longLine.pop_back();
  longLine += std::string(6000, ' ') + "\r\n";
  std::string text =
      longLine + Line(-30, 150 + kMinute, 11) + Line(-30 + kMinute, 150, 12) + Line(-30 + kMinute, 150 + kMinute, 13);
  CGridRun run(Settings(text));
  ASSERT_TRUE(run.job.OutputWritten());
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(1, 0, 0, 4));
}

struct CEarlyStop {
  const char* name;
  std::string text;
  double gridSizeSeconds;
  std::string message;
};

void PrintTo(const CEarlyStop& c, std::ostream* os) { *os << c.name; }

class GridProcEarlyStopTest : public GridProcTest, public ::testing::WithParamInterface<CEarlyStop> {};

TEST_P(GridProcEarlyStopTest, ShowsItsMessageAndWritesNothing) {
  const CEarlyStop& c = GetParam();
  CGridProc::Settings s = Settings(c.text);
  s.gridSizeSeconds = c.gridSizeSeconds;
  CGridRun run(s);
  EXPECT_EQ(run.Messages(), std::vector<std::string>{c.message});
  EXPECT_FALSE(run.HasSummary());
  EXPECT_FALSE(run.job.OutputWritten());
  EXPECT_FALSE(OutputExists());
}

std::string Cell(double lat, double lon, double g, double base, double top) {
  return Line(lat, lon, base) + Line(lat, lon + g, base) + Line(lat + g, lon, base) + Line(lat + g, lon + g, top);
}

INSTANTIATE_TEST_SUITE_P(
    Stops, GridProcEarlyStopTest,
    ::testing::Values(
        CEarlyStop{"ZeroGridSize", "", 0, "Invalid grid size"},
        CEarlyStop{"NegativeGridSize", "", -60, "Invalid grid size"},
        CEarlyStop{"NaNGridSize", "", std::nan(""), "Invalid grid size"},
        CEarlyStop{"InfiniteGridSize", "", HUGE_VAL, "Invalid grid size"},
        CEarlyStop{"EmptyFile", "", 60, "There are < 4 valid data points, cannot create grid"},
        CEarlyStop{"ThreeLines",
                   Line(-30, 150, 1) + Line(-30, 150 + kMinute, 1) + Line(-30 + kMinute, 150, 1) + "header\n", 60,
                   "There are < 4 valid data points, cannot create grid"},
        // Lowest value 0 m (the LAT of most nodes), highest 650.1 m (the HAT of the last).
        CEarlyStop{"RangeOver650m", Cell(-30, 150, kMinute, 0, 650.1 - 3.25), 60,
                   "The range of surface minimum and maximum values exceed 650"},
        CEarlyStop{"LatitudeExtentHalfACellOff", Cell(-30, 150, kMinute, 0, 1) + Line(-30 + 1.5 * kMinute, 150, 1), 60,
                   "The latitude extent points are not compliant with the specified grid"},
        // One degree at 1e-7 seconds is 3.6e10 rows.
        CEarlyStop{"TooManyRows", Cell(-31, 150, 1.0, 0, 1), 1e-7, "Too many data points in file"},
        // 0.3 degree at 1e-6 seconds: 1.08e9 rows, just above the limit of 1073741823.
        CEarlyStop{"JustAboveTheRowLimit", Cell(-30, 150, 0.3, 0, 1), 1e-6, "Too many data points in file"},
        // One row, but 100 degrees of longitude at 1e-4 seconds is 3.6e9 columns.
        CEarlyStop{"ColumnsBeyond32Bits", Line(-30, 50, 1) + Line(-30, 60, 1) + Line(-30, 100, 1) + Line(-30, 150, 1),
                   1e-4, "The longitude extent needs more columns than a grid file can hold"},
        CEarlyStop{"ExtremeCoordinates",
                   Line(-1e308, -1e308, 1) + Line(1e308, 1e308, 1) + Line(0, 0, 1) + Line(1, 1, 1), 60,
                   "Too many data points in file"}),
    [](const ::testing::TestParamInfo<CEarlyStop>& info) { return std::string(info.param.name); });

TEST_F(GridProcTest, UnopenableInputStopsWithTheInputPath) {
  for (const std::string& input : {m_dir.File("missing.txt"), m_dir.Path().string(), std::string()}) {
    CGridProc::Settings s = Settings("");
    s.inputPath = input;
    CGridRun run(s);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{"Cannot open file: \n" + input});
    EXPECT_FALSE(run.HasSummary());
    EXPECT_FALSE(OutputExists());
  }
}

TEST_F(GridProcTest, UncreatableOutputStopsWithoutSummary) {
  CGridProc::Settings s = Settings(OneCell());
  s.outputPath = m_dir.File("no such folder/out.MRGGrid");
  CGridRun run(s);
  EXPECT_EQ(run.Messages(), std::vector<std::string>{"Cannot open file: \n" + s.outputPath});
  EXPECT_FALSE(run.HasSummary());
  EXPECT_FALSE(run.job.OutputWritten());
}

TEST_F(GridProcTest, AnEarlyStopLeavesAnExistingOutputAlone) {
  WriteFileBytes(m_dir.File("out.MRGGrid"), "older grid");
  CGridRun run(Settings("not a grid\n"));
  EXPECT_EQ(run.Messages(), std::vector<std::string>{"There are < 4 valid data points, cannot create grid"});
  EXPECT_EQ(ReadFileBytes(m_dir.File("out.MRGGrid")), "older grid");
}

TEST_F(GridProcTest, WriteFailureIsReportedThenTheSummaryShown) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CGridProc::Settings s = Settings(OneCell());
  s.outputPath = "/dev/full";
  CGridRun run(s);
  const auto messages = run.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[0].find("/dev/full"), std::string::npos) << messages[0];
  EXPECT_EQ(messages[1], "Cannot create the binary grid file: \n/dev/full");
  EXPECT_EQ(SummaryCounts(run.Summary()), Counts(0, 0, 0, 4));
  EXPECT_FALSE(run.job.OutputWritten());
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // only files the job created are deleted
}

// Raises the cancel flag when the job reports its n-th 0 percent, i.e. at the start of
// the n-th stage (1 searching extents, 2 gridding data, 3 writing).
class CCancelAtStage : public CProcessWindow {
 public:
  CCancelAtStage(CProcessBase& job, int stage) : m_job(job), m_stage(stage) {}
  void OnProcessProgress(unsigned percent) override {
    if (percent == 0 && ++m_zeros == m_stage) m_job.SetCancel(true);
  }
  void OnProcessText() override {}
  void OnProcessDone() override {}

 private:
  CProcessBase& m_job;
  int m_stage;
  int m_zeros = 0;
};

TEST_F(GridProcTest, CancelWhileGriddingRemovesTheOutputAndWarns) {
  for (int stage : {2, 3}) {
    SCOPED_TRACE(stage);
    std::string text;
    for (int r = 0; r < 40; ++r)
      for (int c = 0; c < 40; ++c) text += Line(-30 + r * kMinute, 150 + c * kMinute, 1);
    CGridProc::Settings s = Settings(text);
    CGridProc job(s);
    CCancelAtStage window(job, stage);
    CRecordingMessenger messenger;
    {
      CScopedMessenger scoped(&messenger);
      job.SetWindow(&window);
      CThreadJobRunner(false).RunModal(job, "Building grid file", true);
    }
    EXPECT_TRUE(messenger.Messages().empty());
    const auto entries = messenger.Entries();
    ASSERT_EQ(entries.size(), 1u);
    const auto& summary = entries[0].lines;
    ASSERT_EQ(summary.size(), 12u);
    EXPECT_EQ(summary[10], "");
    EXPECT_EQ(summary[11], "WARNING the grid generation was not completed normally");
    // Cancelled at the start of gridding no point is placed; while writing all are.
    EXPECT_EQ(summary[9], stage == 2 ? "Points used: 0" : "Points used: 1600");
    EXPECT_FALSE(job.OutputWritten());
    EXPECT_FALSE(OutputExists());
  }
}

TEST_F(GridProcTest, CancelWhileSearchingExtentsUsesWhatWasGathered) {
  CGridProc::Settings s = Settings(OneCell());
  CGridProc job(s);
  CCancelAtStage window(job, 1);
  CRecordingMessenger messenger;
  {
    CScopedMessenger scoped(&messenger);
    job.SetWindow(&window);
    CThreadJobRunner(false).RunModal(job, "Building grid file", true);
  }
  EXPECT_EQ(messenger.Messages(), std::vector<std::string>{"There are < 4 valid data points, cannot create grid"});
  EXPECT_FALSE(OutputExists());
}

}  // namespace
