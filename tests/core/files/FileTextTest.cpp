// The xyz text handler: exact output lines, coordinate order rules, excluded points,
// errors and cancel with the outputs they leave, CRLF lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "HandlerTest.h"
#include "core/files/FileText.h"
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

namespace {

// What a file of odd lines many blocks long must give, line by line: each line's
// outputs and separation when it is a file of its own.
struct CLineAlone {
  std::string transformed, excluded;
  CSeparationStats separation;
  std::uint64_t pieces = 0;  // the line pieces it is read as
};

class FileTextThreadsTest : public FileTextTest {
 protected:
  CLineAlone RunAlone(const std::string& line) {
    const CRunResult run = Run(line);
    EXPECT_EQ(run.result, kFileDone) << line;
    return {HasTransformed() ? Transformed() : "", HasExcluded() ? Excluded() : "", m_handler.GetSeparation(),
            run.transformed + run.outside};
  }

  // Checks a run's outputs, counts and separation against those of the first `end`
  // of `lines` (indices into m_alone) alone, one after another.
  void ExpectLines(const std::vector<int>& lines, std::size_t end, const CRunResult& run, FileResult result) {
    CLineAlone expected;
    for (std::size_t i = 0; i < end; ++i) {
      const CLineAlone& line = m_alone[static_cast<std::size_t>(lines[i])];
      expected.transformed += line.transformed;
      expected.excluded += line.excluded;
      expected.separation.Merge(line.separation);
    }
    EXPECT_EQ(run.result, result);
    EXPECT_EQ(run.transformed, expected.separation.Count());
    EXPECT_TRUE(Transformed() == expected.transformed);
    EXPECT_TRUE(Excluded() == expected.excluded);
    const CSeparationStats& separation = m_handler.GetSeparation();
    EXPECT_EQ(separation.Count(), expected.separation.Count());
    EXPECT_EQ(separation.Mean(), expected.separation.Mean());
    EXPECT_EQ(separation.Min(), expected.separation.Min());
    EXPECT_EQ(separation.Max(), expected.separation.Max());
  }

  // The kinds of line, each handled differently; the last one is a long line read as
  // two pieces, the first of 5095 bytes.
  const std::vector<std::string> m_kinds = {"153.0 -27.0 1.000\n",
                                            "140.0 -27.0 1.0\n",
                                            "-27.4701\t153.0235\t1.234\tA17\r\n",
                                            "153.0235,-27.4701,-0.5,x\n",
                                            "  153.1 , -27.2 ,+2\r\n",
                                            "-27.0 153.0 nan keep\n",
                                            "500000.0 6950000.0 1.0\n",
                                            "153.2 -27.2 -1.504 \n",
                                            "153.0 -27.0 1.0 " + std::string(5095 - 16, 'a') + "153.1 -27.1 2.0\n"};
  std::vector<CLineAlone> m_alone;
};

}  // namespace

TEST_F(FileTextThreadsTest, ManyBlocksGiveWhatEachLineGivesAlone) {
  for (const std::string& kind : m_kinds) m_alone.push_back(RunAlone(kind));
  m_alone.push_back(RunAlone("153.0 -27.0 7.0"));  // no line end: only last
  std::vector<int> lines;
  std::string input;
  unsigned random = 1;
  for (int i = 0; i < 150000; ++i) {
    random = random * 1103515245u + 12345u;
    const int kind = (random >> 16) % 1000 == 0 ? 8 : static_cast<int>((random >> 16) % 8);
    lines.push_back(kind);
    input += m_kinds[static_cast<std::size_t>(kind)];
  }
  for (const unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    const CHandlerThreads use(threads);
    lines.push_back(9);
    ExpectLines(lines, lines.size(), Run(input + "153.0 -27.0 7.0"), kFileDone);
    lines.pop_back();
    // A northern latitude deep in the file stops it there.
    const std::string head = input.substr(0, input.size() / 3 * 2);
    const std::size_t before = static_cast<std::size_t>(std::count(head.begin(), head.end(), '\n'));
    std::string stopped = input;
    stopped.insert(input.rfind('\n', head.size()) + 1, "153.0 27.0 1.0\n");
    ExpectLines(lines, before, Run(stopped), kFileInputError);
  }
}

TEST_F(FileTextThreadsTest, CancelDeepInTheFileStopsAtTheLineItWasSeen) {
  for (const std::string& kind : m_kinds) m_alone.push_back(RunAlone(kind));
  std::vector<int> lines;
  std::string input;
  for (int i = 0; i < 120000; ++i) {
    lines.push_back(i % 8);
    input += m_kinds[static_cast<std::size_t>(i % 8)];
  }
  for (const unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    const CHandlerThreads use(threads);
    CCancelAtJob job(60);
    const CRunResult run = Run(input, &job);
    const std::uint64_t seen = run.transformed + run.outside;
    EXPECT_EQ(seen % 100, 0u);
    EXPECT_GT(seen, lines.size() / 2);
    EXPECT_LT(seen, lines.size());
    ExpectLines(lines, static_cast<std::size_t>(seen), run, kFileCancelled);
    EXPECT_GE(job.m_progress.back(), 60u);
  }
}

TEST_F(FileTextTest, EmptyFileLeavesNoOutput) {
  const CRunResult run = Run("");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed + run.outside, 0u);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
}
