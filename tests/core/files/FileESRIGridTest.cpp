// The ESRI ASCII grid handler: cell positions (corner and centre keywords, map-grid),
// no-data cells, exact outputs, header and cell errors, cancel, and a read-back of a
// transformed grid by GDAL.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>

#include "HandlerTest.h"
#include "core/files/FileESRIGrid.h"
#include "support/TestSupport.h"

namespace {

const std::string kHeader =
    "ncols 2\n"
    "nrows 2\n"
    "xllcorner 154.3\n"
    "yllcorner -27.0\n"
    "cellsize 0.5\n"
    "NODATA_value -9999\n";

class FileESRIGridTest : public CHandlerTest<CFileESRIGrid> {
 protected:
  FileESRIGridTest() : CHandlerTest("dem", ".asc") {}
};

}  // namespace

TEST_F(FileESRIGridTest, CornerKeywordsShiftByHalfACell) {
  // Centres 154.55 and 155.05 (east of the grid) in rows -26.25 and -26.75.
  CRunResult run = Run(kHeader + "1.0 -9999\n2.0 3.0\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 2u);
  EXPECT_EQ(run.outside, 1u);
  EXPECT_EQ(Transformed(), kHeader + "2.50 -9999 3.50 -9999 ");
  EXPECT_EQ(Excluded(), kHeader + "-9999 -9999 -9999 3.0 ");

  // The same numbers as centres: 154.3 and 154.8, all inside; only the transformed
  // file remains.
  const std::string centre = "NCOLS 2\nNROWS 2\nXLLCENTER 154.3\nYLLCENTER -27.0\nCELLSIZE 0.5\nNODATA_VALUE -9999\n";
  run = Run(centre + "1.0 -9999 2.0\n\n3.0\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 3u);
  EXPECT_EQ(run.outside, 0u);
  EXPECT_EQ(Transformed(), centre + "2.50 -9999 3.50 4.50 ");
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileESRIGridTest, NoDataIsComparedAsText) {
  // "-9999.0" is not the no-data text "-9999": it is a height (outside the lattice's
  // range of values does not matter).
  CTransBase::s_sign = -1.0;
  const CRunResult run = Run(kHeader + "-9999.0 -9999 10 0\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 2u);
  EXPECT_EQ(Transformed(), kHeader + "-10000.50 -9999 8.50 -9999 ");
}

TEST_F(FileESRIGridTest, AllNoDataLeavesNoOutput) {
  const CRunResult run = Run(kHeader + "-9999 -9999 -9999 -9999\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed + run.outside, 0u);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileESRIGridTest, MapGridCornerUsesTheBatchZone) {
  const std::string header = "ncols 2\nnrows 1\nxllcorner 499000\nyllcorner 6949000\ncellsize 1000\nnodata_value -1\n";
  EXPECT_EQ(Run(header + "1 2\n", nullptr, 56).transformed, 2u);
  EXPECT_EQ(Transformed(), header + "2.50 3.50 ");
  EXPECT_EQ(Run(header + "1 2\n", nullptr, 49).outside, 2u);
}

TEST_F(FileESRIGridTest, CrlfHeaderIsCopiedAsItIs) {
  const std::string header =
      "ncols 2\r\nnrows 1\r\nxllcenter 154\r\nyllcenter -27\r\ncellsize 0.5\r\nNODATA_value  -9999 \r\n";
  EXPECT_EQ(Run(header + "1\r\n-9999\r\n").result, kFileDone);
  EXPECT_EQ(Transformed(), header + "2.50 -9999 ");
}

TEST_F(FileESRIGridTest, HeaderErrorsLeaveNoOutput) {
  const std::string rest = "xllcorner 154\nyllcorner -27\ncellsize 0.5\nNODATA_value -9999\n1 2\n";
  EXPECT_EQ(Run("nrows 1\nncols 2\n" + rest).result, kFileInputError);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
  // A grid without columns or rows is an input error, not an empty success.
  EXPECT_EQ(Run("ncols 0\nnrows 1\n" + rest).result, kFileInputError);
  EXPECT_EQ(Run("ncols 2\nnrows -1\n" + rest).result, kFileInputError);
  EXPECT_FALSE(HasTransformed());
  EXPECT_EQ(Run("ncols 2\nnrows 1\nxllcorner 154\nyllcorner -27\ncellsize 0.5\n").result, kFileInputError);
  EXPECT_EQ(Run("ncols 2\nnrows 1\nxllcorner 154\nyllcorner -27\ncellsize 0.5\nnodata -9999\n1 2\n").result,
            kFileInputError);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileESRIGridTest, TooFewCellsKeepsWhatWasWritten) {
  const CRunResult run = Run(kHeader + "1.0 -9999\n5.0\n");
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.transformed, 2u);
  EXPECT_EQ(Transformed(), kHeader + "2.50 -9999 6.50 ");
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileESRIGridTest, CancelAfterTheFirstRow) {
  CTestJob job;
  job.SetCancel(true);
  const CRunResult run = Run(kHeader + "1.0 2.0\n3.0 4.0\n", &job);
  EXPECT_EQ(run.result, kFileCancelled);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(run.outside, 1u);
  EXPECT_EQ(Transformed(), kHeader + "2.50 -9999 ");
  EXPECT_EQ(Excluded(), kHeader + "-9999 2.0 ");
  // 0 % is not more than 5 above the starting -5, so nothing was reported.
  EXPECT_TRUE(job.m_progress.empty());
}

// GDAL's own ASCII grid reader must see the transformed grid with the input's shape,
// no-data value and the new cell values.
TEST_F(FileESRIGridTest, GdalReadsTheTransformedGrid) {
  if (std::system("gdalinfo --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "gdalinfo not installed";
  const std::string header = "ncols 4\nnrows 3\nxllcorner 153.0\nyllcorner -28.0\ncellsize 0.25\nNODATA_value -9999\n";
  ASSERT_EQ(Run(header + "1 2 3 4\n5 -9999 7 8\n9 10 11 12\n").result, kFileDone);
  const std::string command = "LC_ALL=C gdalinfo -stats \"" + m_dir.File("dem_LAT.asc") + "\" 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe);
  std::string report;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe.get())) report += buffer;
  EXPECT_NE(report.find("Size is 4, 3"), std::string::npos) << report;
  EXPECT_NE(report.find("NoData Value=-9999"), std::string::npos) << report;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(report, m, std::regex(R"(Minimum=([-0-9.]+), Maximum=([-0-9.]+), Mean=([-0-9.]+))")))
      << report;
  // Eleven cells 1..12 without 6, each raised by 1.50.
  const CClassicThreadLocale classic;  // the report's numbers have a decimal point
  EXPECT_NEAR(std::stod(m[1]), 2.5, 1e-3);
  EXPECT_NEAR(std::stod(m[2]), 13.5, 1e-3);
  EXPECT_NEAR(std::stod(m[3]), 88.5 / 11, 1e-3);
}

namespace {

// "%.2f" of hundredths / 100, without the C library's locale.
std::string Hundredths(int hundredths) {
  const int magnitude = std::abs(hundredths);
  std::string text = hundredths < 0 ? "-" : "";
  text += std::to_string(magnitude / 100);
  text += '.';
  text += std::to_string(100 + magnitude % 100).substr(1);
  return text;
}

}  // namespace

TEST_F(FileESRIGridTest, ManyBlocksGiveEveryCellInOrderOnOneOrTwoThreads) {
  // 300 x 300 cells (several blocks) with centres at longitudes 154.8505 + 0.001 j: the
  // first 150 columns lie inside the grid, the others east of it. CRLF rows.
  constexpr int kSide = 300;
  std::string input =
      "ncols 300\r\nnrows 300\r\nxllcorner 154.85\r\nyllcorner -27.0\r\ncellsize 0.001\r\nNODATA_value -9999\r\n";
  const std::string header = input;
  std::vector<std::string> transformed, excluded;  // each cell's text in each output
  std::uint64_t inside = 0;
  for (int i = 0; i < kSide; ++i) {
    for (int j = 0; j < kSide; ++j) {
      const int quarters = (i * 31 + j * 17) % 40 - 20;
      const std::string value = (i * 7 + j) % 13 == 0 ? "-9999" : Hundredths(quarters * 25);
      input += value + (j + 1 < kSide ? (j % 5 == 0 ? "\t" : " ") : "\r\n");
      const bool noData = value == "-9999", east = j >= kSide / 2;
      inside += !noData && !east;
      transformed.push_back(noData || east ? "-9999 " : Hundredths(quarters * 25 + 150) + " ");
      excluded.push_back((noData || !east ? "-9999" : value) + " ");
    }
  }
  const auto expectCells = [&](std::size_t cells) {
    std::string first = header, second = header;
    for (std::size_t k = 0; k < cells; ++k) {
      first += transformed[k];
      second += excluded[k];
    }
    EXPECT_TRUE(Transformed() == first);
    EXPECT_TRUE(Excluded() == second);
  };
  for (const unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    const CHandlerThreads use(threads);
    CRunResult run = Run(input);
    EXPECT_EQ(run.result, kFileDone);
    EXPECT_EQ(run.transformed, inside);
    EXPECT_EQ(m_handler.GetSeparation().Count(), inside);
    expectCells(transformed.size());
    // Cut short inside a row of a later block: every cell there is written.
    const std::size_t cut = input.size() * 3 / 4;
    const std::string head = input.substr(0, input.find_first_of(" \t\r", cut));
    run = Run(head);
    EXPECT_EQ(run.result, kFileInputError);
    const std::size_t cells =
        static_cast<std::size_t>(
            std::count_if(head.begin(), head.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n'; })) -
        11;  // the header's six blanks and six line ends, and the last cell
    expectCells(cells);
    // A cancel seen at a row's end leaves the rows up to that one.
    CCancelAtJob job(50);
    run = Run(input, &job);
    EXPECT_EQ(run.result, kFileCancelled);
    const unsigned seenAt = job.m_progress.back();  // row * 100 / kSide of the row it was seen at
    EXPECT_GE(seenAt, 50u);
    expectCells(static_cast<std::size_t>(kSide) * ((seenAt * kSide + 99) / 100 + 1));
  }
}
