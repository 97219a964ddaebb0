// The HTF handler: header copy, zone line, field mask, valid/invalid/starred records,
// comment and end lines, the in-place totals correction, CRLF files, errors and cancel.

#include <gtest/gtest.h>

#include <filesystem>

#include "HandlerTest.h"
#include "core/files/FileHTF.h"
#include "support/TestSupport.h"

namespace {

// The header with the totals lines of `total` and `valid` (padded to 10 characters of
// room for the number) and a field mask.
std::string Header(const std::string& mask, const std::string& zone = "55", const std::string& total = "7",
                   const std::string& valid = "6") {
  auto pad = [](std::string text) {
    text.resize(10, ' ');
    return text;
  };
  return "HTF HEADER\nHTF VERSION: 2.0\nTOTAL SOUNDINGS: " + pad(total) + "\nTOTAL VALID SOUNDINGS: " + pad(valid) +
         "\nGRID ZONE: " + zone + "\nSURVEY: harbour\nSOUNDING DATA\n" + mask + "\n";
}

const std::string kLatLonMask = "[10000110000]";  // fields 1, 6 (latitude), 7 (longitude)
const std::string kGridMask = "[10000001100]";    // fields 1, 8, 9 (map grid)

class FileHTFTest : public CHandlerTest<CFileHTF> {
 protected:
  FileHTFTest() : CHandlerTest("sound", ".htf") {}
};

}  // namespace

TEST_F(FileHTFTest, SplitsRecordsAndCorrectsTotals) {
  const CRunResult run = Run(Header(kLatLonMask) +
                             "0 -27.5 153.2 10.00 A\n"
                             "0 -27.5 140.0 11.00 B\n"  // outside
                             "1 -27.5 153.2 12.00 C\n"  // invalid
                             "; comment\n"
                             "0 -27.5 153.2 12.3* D\n"  // starred depth
                             "0 -27.5* 153.2 13.00\n"   // starred position
                             "0 -27.6 153.3 14.00\n"
                             "END OF SOUNDING DATA\n"
                             "dropped\n");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 2u);
  EXPECT_EQ(run.outside, 1u);  // invalid and starred records are not "outside"
  EXPECT_EQ(Transformed(), Header(kLatLonMask, "55", "2", "2") +
                               "0 -27.5 153.2 11.50 A\n"
                               "; comment\n"
                               "0 -27.6 153.3 15.50\n"
                               "END OF SOUNDING DATA\n");
  EXPECT_EQ(Excluded(), Header(kLatLonMask, "55", "4", "3") +
                            "0 -27.5 140.0 11.00 B\n"
                            "1 -27.5 153.2 12.00 C\n"
                            "; comment\n"
                            "0 -27.5 153.2 12.3* D\n"
                            "0 -27.5* 153.2 13.00\n"
                            "END OF SOUNDING DATA\n");
}

TEST_F(FileHTFTest, MapGridFieldsInEitherOrderWithTheFileZone) {
  // The file says zone 56; the batch zone 49 would put the position far west.
  const std::string records = "0 500000 6950000 10.00\n0 6950000 500000 10.00\n";
  CRunResult run = Run(Header(kGridMask, "56") + records, nullptr, 49);
  EXPECT_EQ(run.transformed, 2u);
  EXPECT_EQ(Transformed(), Header(kGridMask, "56", "2", "2") + "0 500000 6950000 11.50\n0 6950000 500000 11.50\n");
  // A zone line outside 49..56 leaves the batch zone.
  run = Run(Header(kGridMask, "60") + records, nullptr, 49);
  EXPECT_EQ(run.outside, 2u);
  run = Run(Header(kGridMask, "60") + records, nullptr, 56);
  EXPECT_EQ(run.transformed, 2u);
}

TEST_F(FileHTFTest, BothPositionPairsUseLatitudeAndLongitude) {
  CTransBase::s_sign = -1.0;
  const std::string mask = "[10000111100]";
  const CRunResult run = Run(Header(mask) + "0 -27.5 153.2 1 2 10.00\n");
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(Transformed(), Header(mask, "55", "1", "1") + "0 -27.5 153.2 1 2 8.50\n");
}

TEST_F(FileHTFTest, CrlfLinesAndALastRecordWithoutLineEnd) {
  std::string header = Header(kLatLonMask);
  std::string crlf;
  for (const char c : header) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const CRunResult run = Run(crlf + "0 -27.5 153.2 10.00\r\n0 -27.6 153.3 14.00");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 2u);
  std::string expected;
  for (const char c : Header(kLatLonMask, "55", "2", "2"))
    expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Transformed(), expected + "0 -27.5 153.2 11.50\r\n0 -27.6 153.3 15.50");
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileHTFTest, HeaderErrorsLeaveNoOutput) {
  EXPECT_EQ(Run("HTF HEADER\nHTF VERSION: 2.0\nTOTAL SOUNDINGS: 1\nSOUNDING DATA\n[10000110000]\n").result,
            kFileInputError);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
  EXPECT_EQ(Run(Header("[1000011000")).result, kFileInputError);                              // mask too short
  EXPECT_EQ(Run(Header("[10000100000]") + "0 -27.5 153.2 10.00\n").result, kFileInputError);  // no pair
  EXPECT_EQ(Run("HTF HEADER\nHTF VERSION: 2.0\nGRID ZONE: 56\nSOUNDING DATA\n").result, kFileInputError);
  EXPECT_FALSE(HasTransformed());
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileHTFTest, TooFewFieldsStopsWithoutCorrectingTotals) {
  const CRunResult run = Run(Header(kLatLonMask) + "0 -27.5 153.2 10.00\n0 -27.5\n0 -27.5 153.2 10.00\n");
  EXPECT_EQ(run.result, kFileInputError);
  EXPECT_EQ(run.transformed, 1u);
  EXPECT_EQ(Transformed(), Header(kLatLonMask) + "0 -27.5 153.2 11.50\n");
  EXPECT_FALSE(HasExcluded());
}

TEST_F(FileHTFTest, CancelCorrectsTotalsForWhatWasWritten) {
  std::string records;
  for (int i = 0; i < 150; ++i) records += "0 -27.5 153.2 10.00\n";
  CTestJob job;
  job.SetCancel(true);
  const CRunResult run = Run(Header(kLatLonMask) + records, &job);
  EXPECT_EQ(run.result, kFileCancelled);
  EXPECT_EQ(run.transformed, 100u);
  EXPECT_EQ(Transformed().substr(0, Header(kLatLonMask, "55", "100", "100").size()),
            Header(kLatLonMask, "55", "100", "100"));
}

TEST_F(FileHTFTest, TotalsThatDoNotFitStayAndMissingTotalsFail) {
  const std::string path = m_dir.File("t.htf");
  WriteFileBytes(path, "HTF HEADER\nTOTAL SOUNDINGS: 7\r\nX\nTOTAL VALID SOUNDINGS: 6   \r\nREST\n");
  EXPECT_TRUE(CFileHTF::UpdateTotals(path, 12, 1));
  EXPECT_EQ(ReadFileBytes(path), "HTF HEADER\nTOTAL SOUNDINGS: 7\r\nX\nTOTAL VALID SOUNDINGS: 11  \r\nREST\n");
  WriteFileBytes(path, "HTF HEADER\nNO TOTALS\n");
  EXPECT_FALSE(CFileHTF::UpdateTotals(path, 1, 0));
  // Through Process: the outputs are complete, but the result is an output error.
  const std::string header = "HTF HEADER\nHTF VERSION: 2.0\nGRID ZONE: 56\nSOUNDING DATA\n[10000110000]\n";
  const CRunResult run = Run(header + "0 -27.5 153.2 10.00\n");
  EXPECT_EQ(run.result, kFileOutputError);
  EXPECT_EQ(Transformed(), header + "0 -27.5 153.2 11.50\n");
}

TEST_F(FileHTFTest, ManyBlocksGiveWhatEachRecordGivesAloneOnOneOrTwoThreads) {
  const std::vector<std::string> kinds = {
      "0 -27.5 153.2 10.00 A\n", "0 -27.5 140.0 11.00 B\r\n", "1 -27.5 153.2 12.00 C\n", "; comment\n",
      "0 -27.5 153.2 12.3* D\n", "0 -27.5* 153.2 13.00\n",    "0 -27.6 153.3 14.00\r\n"};
  const std::string header = Header(kLatLonMask);
  // Each record's outputs as a file of its own, less the header; a comment alone leaves
  // no output, and goes to both.
  std::vector<std::pair<std::string, std::string>> alone;
  for (const std::string& kind : kinds) {
    Run(header + kind);
    alone.emplace_back(HasTransformed() ? Transformed().substr(header.size())
                       : kind[0] == ';' ? kind
                                        : "",
                       HasExcluded()    ? Excluded().substr(header.size())
                       : kind[0] == ';' ? kind
                                        : "");
  }
  std::string records, transformed, excluded;
  std::uint64_t counts[3] = {};  // transformed, excluded, invalid
  std::string badAt;             // the records up to a third of the way, then one with too few fields
  unsigned random = 1;
  for (int i = 0; i < 100000; ++i) {
    random = random * 1103515245u + 12345u;
    const std::size_t kind = (random >> 16) % kinds.size();
    records += kinds[kind];
    transformed += alone[kind].first;
    excluded += alone[kind].second;
    counts[0] += kind == 0 || kind == 6;
    counts[1] += kind != 0 && kind != 6 && kind != 3;
    counts[2] += kind == 2;
    if (i == 30000) badAt = records;
  }
  const std::string end = "END OF SOUNDING DATA\n";
  const auto total = [](std::uint64_t count) { return std::to_string(count); };
  for (const unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(threads);
    const CHandlerThreads use(threads);
    const CRunResult run = Run(header + records + end + "0 -27.6 153.3 14.00\n");
    EXPECT_EQ(run.result, kFileDone);
    EXPECT_EQ(run.transformed, counts[0]);
    EXPECT_EQ(m_handler.GetSeparation().Count(), counts[0]);
    EXPECT_TRUE(Transformed() == Header(kLatLonMask, "55", total(counts[0]), total(counts[0])) + transformed + end);
    EXPECT_TRUE(Excluded() ==
                Header(kLatLonMask, "55", total(counts[1]), total(counts[1] - counts[2])) + excluded + end);
    // A record with too few fields stops the file there; the totals stay as copied.
    EXPECT_EQ(Run(header + badAt + "0 -27.5\n" + records).result, kFileInputError);
    EXPECT_TRUE(Transformed().size() + Excluded().size() ==
                2 * header.size() + badAt.size() + std::count(badAt.begin(), badAt.end(), ';') * 10);
  }
}
