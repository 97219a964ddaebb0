// The xyz text handler: exact output lines, coordinate order rules, excluded points,
// errors and cancel with the outputs they leave, CRLF lines.

#include <gtest/gtest.h>

#include <filesystem>

#include "HandlerTest.h"
#include "files/FileText.h"
#include "support/TestSupport.h"

namespace {

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

class FileTextTest : public CHandlerTest<CFileText> {
 protected:
  FileTextTest() : CHandlerTest("run", ".xyz") {}
};

}  // namespace

TEST_F(FileTextTest, RewritesOnlyTheThirdNumber) {
  const CRunResult run =
      Run("-27.4701\t153.0235\t1.234\tA17\n"
          "153.0235,-27.4701,-0.5,x\n"
          "  153.1 , -27.2 ,2\n"
          "-27.3 153.2 1e1 extra 5 6\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 4u);
  EXPECT_EQ(run.outside, 0u);
  EXPECT_EQ(Transformed(),
            "-27.4701\t153.0235\t2.73\tA17\n"
            "153.0235,-27.4701,1.00,x\n"
            "  153.1 , -27.2 ,3.50\n"
            "-27.3 153.2 11.50 extra 5 6\n");
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileTextTest, DepthsPositiveSubtract) {
  CTransBase::s_sign = -1.0;
  EXPECT_EQ(Run("153.0 -27.0 10.00\n").result, kFileDone);
  EXPECT_EQ(Transformed(), "153.0 -27.0 8.50\n");
}

TEST_F(FileTextTest, OutsidePointsGoUnchangedToTheExcludedFile) {
  const CRunResult run =
      Run("153.0 -27.0 1.000\n"
          "140.0 -27.0 1.000\n"       // west of the grid
          "500000 -27.0 1.000\n"      // easting with a latitude: geographic, outside
          "-27.0 153.0 nan keep\n");  // not a number: outside, never formatted
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(run.outside, 3u);
  EXPECT_EQ(Transformed(), "153.0 -27.0 2.50\n");
  EXPECT_EQ(Excluded(), "140.0 -27.0 1.000\n500000 -27.0 1.000\n-27.0 153.0 nan keep\n");
}

TEST_F(FileTextTest, NoPointInsideLeavesOnlyTheExcludedFile) {
  EXPECT_EQ(Run("140.0 -27.0 1\n").result, kFileDone);
  EXPECT_FALSE(HasTransformed());
  EXPECT_EQ(Excluded(), "140.0 -27.0 1\n");
}

TEST_F(FileTextTest, MapGridCoordinatesInEitherOrder) {
  const CRunResult run = Run("500000.0 6950000.0 1.0\n6950000.0 500000.0 1.0\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(Transformed(), "500000.0 6950000.0 2.50\n6950000.0 500000.0 2.50\n");
  // The batch zone decides: in zone 49 (central meridian 111) the position is far west.
  EXPECT_EQ(Run("500000.0 6950000.0 1.0\n", nullptr, 49).outside, 1u);
}

TEST_F(FileTextTest, PlusSignKeptOnlyForNonNegativeValues) {
  EXPECT_EQ(Run("153.0 -27.0 +1.00\n153.0,-27.0,+1.00\n").result, kFileDone);
  EXPECT_EQ(Transformed(), "153.0 -27.0 +2.50\n153.0,-27.0,+2.50\n");
  // Depths: 1.23 - 1.50 = -0.27, which must not become "+-0.27".
  CTransBase::s_sign = -1.0;
  EXPECT_EQ(Run("153.0 -27.0 +1.23 r\n153.0 -27.0 +1.77\n").result, kFileDone);
  EXPECT_EQ(Transformed(), "153.0 -27.0 -0.27 r\n153.0 -27.0 +0.27\n");
}

TEST_F(FileTextTest, CrlfLinesKeepTheirLineEnds) {
  const CRunResult run = Run("153.0 -27.0 1.0\r\n140.0 -27.0 1.0\r\n153.0 -27.0 2.0");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(Transformed(), "153.0 -27.0 2.50\r\n153.0 -27.0 3.50");
  EXPECT_EQ(Excluded(), "140.0 -27.0 1.0\r\n");
}

TEST_F(FileTextTest, FormatErrorsStopWithLinesSoFarKept) {
  // A northern latitude (both numbers positive) ends the file.
  CRunResult run = Run("153.0 -27.0 1.0\n153.0 27.0 1.0\n153.0 -27.0 1.0\n");
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(Transformed(), "153.0 -27.0 2.50\n");
  EXPECT_FALSE(HasExcluded());
  // A trailing empty line comes after all points were written.
  run = Run("153.0 -27.0 1.0\n140.0 -27.0 1.0\n\n");
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(run.outside, 1u);
  EXPECT_TRUE(HasTransformed());
  EXPECT_TRUE(HasExcluded());
  // Only two numbers; and a white-space line.
  EXPECT_EQ(Run("153.0 -27.0\n").result, kFileInputError);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
  EXPECT_EQ(Run(" \t \n").result, kFileInputError);
}

TEST_F(FileTextTest, LongLineIsReadInTwoPieces) {
  // The first piece is a whole point with filler; the second piece begins with text.
  const std::string filler(5095 - 16, 'a');
  const CRunResult run = Run("153.0 -27.0 1.0 " + filler + "bbb\n");
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(Transformed(), "153.0 -27.0 2.50 " + filler);
}

TEST_F(FileTextTest, BlockShiftMovesEveryPoint) {
  WriteFileBytes(m_dir.File("run.xyz"), "10.0 -80.0 1.0\n");
  CTrans_NULL none;
  CTrans_BlockShift shift(0.5);
  const CRunResult run = RunHandler(m_handler, m_dir.File("run.xyz"), nullptr, &none, &shift);
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(ReadFileBytes(m_dir.File("run_Block Shift_0.50m.xyz")), "10.0 -80.0 1.50\n");
  EXPECT_FALSE(Exists(m_dir.File("run_NULL.xyz")));
}

TEST_F(FileTextTest, CancelStopsAtTheHundredthLine) {
  std::string input;
  for (int i = 0; i < 250; ++i) input += "153.0 -27.0 1.0\n";
  CTestJob job;
  job.SetCancel(true);
  const CRunResult run = Run(input, &job);
  EXPECT_EQ(run.result, kFileCancelled);
  EXPECT_EQ(run.transformed, 100u);
  EXPECT_EQ(job.m_progress, std::vector<unsigned>{40});
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileTextTest, ProgressFollowsTheInputPosition) {
  std::string input;
  for (int i = 0; i < 1000; ++i) input += "153.0 -27.0 1.0\n";
  CTestJob job;
  EXPECT_EQ(Run(input, &job).result, kFileDone);
  EXPECT_EQ(job.m_progress, (std::vector<unsigned>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST_F(FileTextTest, MissingInputIsAnInputError) {
  const CRunResult run = RunHandler(m_handler, m_dir.File("none.xyz"), m_grid.Grid(), m_grid.Msl(), m_grid.Lat());
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.outside, 0u);
  EXPECT_EQ(run.transformed, 0u);
}

TEST_F(FileTextTest, LinesAcrossReadBlocksAreWholeLines) {
  // About 2.6 MB: lines straddle the reader's 1 MiB blocks.
  std::string input, expected;
  {
    const CClassicThreadLocale classic;  // std::to_string writes a double as "%f" does
    for (int i = 0; i < 120000; ++i) {
      const std::string lon = std::to_string(150.5 + (i % 1000) * 0.004);
      input += lon + " -27.25 " + std::to_string(i % 7) + ".125 r" + std::to_string(i) + "\n";
      expected += lon + " -27.25 " + std::to_string(i % 7 + 1) + ".63 r" + std::to_string(i) + "\n";
    }
  }
  const CRunResult run = Run(input);
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 120000u);
  EXPECT_TRUE(Transformed() == expected);
}
