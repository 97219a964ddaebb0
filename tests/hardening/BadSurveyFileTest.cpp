// Damaged survey files through each handler's detection and transformation.
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <set>

#include "BadInput.h"
#include "core/common/ByteOrder.h"
#include "core/files/FileESRIGrid.h"
#include "core/files/FileHTF.h"
#include "core/files/FileLAS.h"
#include "core/files/FileText.h"
#include "core/files/FilesTestSupport.h"

namespace {

class BadSurveyFileTest : public ::testing::Test {
 protected:
  // Detection, then (when `process`) the transformation MSL -> LAT, on the bytes as
  // file `name`. Outputs from an earlier case are removed first.
  CRunResult Run(CFileBase& handler, const std::string& name, const std::string& bytes, const std::string& label,
                 bool* detected = nullptr) {
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) std::filesystem::remove(entry);
    const std::string path = m_dir.File(name);
    return bad_input::RunCase(
        path, bytes,
        [&] {
          const bool canRead = handler.CanRead(path);
          if (detected) *detected = canRead;
          CTestJob job;
          const CRunResult run = RunHandler(handler, path, m_grid.Grid(), m_grid.Msl(), m_grid.Lat(), &job);
          EXPECT_LE(run.result, kFileException) << label;
          return run;
        },
        label);
  }
  // Empty files and random bytes: never recognised by the format's own test (except
  // what a text file may be), and never a crash in Process.
  void EmptyAndRandom(CFileBase& handler, const std::string& name, bool textMayMatch) {
    bool detected = true;
    Run(handler, name, "", "empty", &detected);
    EXPECT_FALSE(detected) << "empty " << name;
    for (unsigned seed = 1; seed <= 12; ++seed) {
      Run(handler, name, bad_input::RandomBytes(300 * seed, seed), "random", &detected);
      if (!textMayMatch) {
        EXPECT_FALSE(detected) << "random " << seed;
      }
    }
  }

  CFilesTestGrid m_grid;
  CScratchDir m_dir;
};

// ---- LAS ----

constexpr std::size_t kRecord = 20, kHeader12 = 227, kHeader14 = 375;

template <typename T>
void PutAt(std::string& bytes, std::size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);  // little-endian test machine, like the format
}

// Points inside the grid at X = 150 + 0.01 x, Y = -30 + 0.01 y; the tail follows them.
std::string Las(int minor, std::size_t points) {
  const std::size_t header = minor >= 4 ? kHeader14 : kHeader12;
  std::string bytes(header, '\0');
  std::memcpy(bytes.data(), "LASF", 4);
  bytes[24] = 1;
  bytes[25] = static_cast<char>(minor);
  PutAt<std::uint16_t>(bytes, 94, static_cast<std::uint16_t>(header));
  PutAt<std::uint32_t>(bytes, 96, static_cast<std::uint32_t>(header + 8));
  bytes[104] = 1;
  PutAt<std::uint16_t>(bytes, 105, kRecord);
  PutAt<std::uint32_t>(bytes, 107, minor >= 4 ? 0u : static_cast<std::uint32_t>(points));
  const double scaleOffset[] = {0.01, 0.01, 0.01, 150.0, -30.0, 0.0};
  for (int k = 0; k < 6; ++k) PutAt(bytes, 131 + 8 * k, scaleOffset[k]);
  if (minor >= 4) {
    PutAt<std::uint64_t>(bytes, 235, header + 8 + points * kRecord);
    PutAt<std::uint64_t>(bytes, 247, points);
  }
  bytes += "VLRBYTES";
  for (std::size_t i = 0; i < points; ++i) {
    std::string record(kRecord, static_cast<char>(i));
    PutAt<std::int32_t>(record, 0, 320);
    PutAt<std::int32_t>(record, 4, 250);
    PutAt<std::int32_t>(record, 8, static_cast<std::int32_t>(100 * i));
    bytes += record;
  }
  return bytes + "TAIL";
}

TEST_F(BadSurveyFileTest, LasCutsAreInputErrorsBeforeThePointsAndExceptionsInsideThem) {
  CFileLAS las;
  for (int minor : {2, 4}) {
    const std::string whole = Las(minor, 6);
    const std::size_t pointOffset = (minor >= 4 ? kHeader14 : kHeader12) + 8;
    const std::size_t pointsEnd = pointOffset + 6 * kRecord;
    ASSERT_EQ(Run(las, "cloud.las", whole, "whole").result, kFileDone);
    for (std::size_t cut : bad_input::CutOffsets(whole.size())) {
      const std::string label = "LAS 1." + std::to_string(minor) + " cut at " + std::to_string(cut);
      const FileResult result = Run(las, "cloud.las", whole.substr(0, cut), label).result;
      const FileResult expected = cut < pointOffset ? kFileInputError : cut < pointsEnd ? kFileException : kFileDone;
      EXPECT_EQ(result, expected) << label;
    }
  }
}

TEST_F(BadSurveyFileTest, LasDamagedLengthsCountsAndOffsets) {
  CFileLAS las;
  const std::string whole = Las(2, 3);
  const auto patched = [&](std::size_t at, auto value) {
    std::string bytes = whole;
    PutAt(bytes, at, value);
    return bytes;
  };
  for (std::uint16_t length : {0, 1, 8, 11}) {
    EXPECT_EQ(Run(las, "c.las", patched(105, length), "record length").result, kFileInputError) << length;
  }
  // Lengths past the records: the last record runs out of file.
  for (std::uint16_t length : {22, 200, 65535}) {
    EXPECT_EQ(Run(las, "c.las", patched(105, length), "long record").result, kFileException) << length;
  }
  for (std::uint32_t count : {4u, 1000u, std::numeric_limits<std::uint32_t>::max()}) {
    EXPECT_EQ(Run(las, "c.las", patched(107, count), "point count").result, kFileException) << count;
  }
  const std::string v14 = Las(4, 3);
  for (std::uint64_t count : {std::uint64_t{4}, std::numeric_limits<std::uint64_t>::max()}) {
    std::string bytes = v14;
    PutAt(bytes, 247, count);
    EXPECT_EQ(Run(las, "c.las", bytes, "64-bit point count").result, kFileException) << count;
  }
  // Point data beyond the file or inside the header fields the handler reads (an offset
  // inside the rest of the header only moves where the records are taken from).
  for (std::uint32_t offset : {std::uint32_t(whole.size() + 1), std::numeric_limits<std::uint32_t>::max(),
                               std::uint32_t{0}, std::uint32_t{100}}) {
    EXPECT_EQ(Run(las, "c.las", patched(96, offset), "point offset").result, kFileInputError) << offset;
    EXPECT_EQ(las.GetNotes().size(), 1u) << offset;  // what is wrong
  }
  // A zero Z scale cannot carry heights; versions the header does not describe still
  // read as 1.2 headers.
  EXPECT_EQ(Run(las, "c.las", patched(147, 0.0), "z scale").result, kFileInputError);
  for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    const CRunResult run = Run(las, "c.las", patched(147, bad), "absurd z scale");
    EXPECT_EQ(run.result, kFileDone);
    EXPECT_EQ(run.transformed, 0u);
    EXPECT_EQ(run.outside, 3u);
  }
  std::string version = whole;
  version[24] = 9;
  version[25] = 99;
  Run(las, "c.las", version, "unknown version");
  EmptyAndRandom(las, "c.las", false);
}

// Variable-length records that run into the point data are an input error, said in a
// note, with no output left; the header is copied as it is when its count is too small
// (a note says so), and the start signature of LAS 1.0 and padding are no records.
TEST_F(BadSurveyFileTest, LasRecordsThatRunIntoThePointsAreInputErrors) {
  CFileLAS las;
  const std::string whole = Las(2, 3);  // 8 bytes between the header and the points
  const auto withCount = [&](std::string bytes, std::uint32_t count) {
    PutAt(bytes, 100, count);
    return bytes;
  };
  // A record of `data` bytes whose length field says `length`, in place of the 8 bytes.
  const auto withRecord = [&](std::uint16_t length, std::size_t data, std::uint16_t headerSize = kHeader12) {
    std::string record(54 + data, '\0');
    std::memcpy(record.data() + 2, "Producer", 8);
    PutAt(record, 20, length);
    std::string bytes = whole.substr(0, kHeader12) + record + whole.substr(kHeader12 + 8);
    PutAt<std::uint32_t>(bytes, 96, static_cast<std::uint32_t>(kHeader12 + record.size()));
    PutAt<std::uint16_t>(bytes, 94, headerSize);
    return bytes;
  };
  for (const auto& [label, bytes] : std::vector<std::pair<std::string, std::string>>{
           {"count past the 8 bytes", withCount(whole, 1)},
           {"count of 2^32 - 1", withCount(whole, std::numeric_limits<std::uint32_t>::max())},
           {"length past the points", withCount(withRecord(100, 20), 1)},
           {"second record counted", withCount(withRecord(20, 20), 2)},
           {"header size past the points", withCount(withRecord(20, 20, 400), 1)}}) {
    const CRunResult run = Run(las, "c.las", bytes, label);
    EXPECT_EQ(run.result, kFileInputError) << label;
    ASSERT_EQ(las.GetNotes().size(), 1u) << label;
    EXPECT_NE(las.GetNotes()[0].find("variable-length records"), std::string::npos) << las.GetNotes()[0];
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("c_LAT.las"))) << label;
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("c_MSL.las"))) << label;
  }

  // A record the count leaves out: copied as it is, and noted.
  const std::string uncounted = withRecord(20, 20);
  CRunResult run = Run(las, "c.las", uncounted, "uncounted record");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 3u);
  EXPECT_EQ(las.GetNotes(), std::vector<std::string>{"The header counts 0 variable-length records, but 1 lie before "
                                                     "the point data: the header is copied as it is"});
  const std::string output = ReadFileBytes(m_dir.File("c_LAT.las"));
  EXPECT_EQ(output.substr(kHeader12, 54 + 20), uncounted.substr(kHeader12, 54 + 20));
  // The LAS 1.0 start signature, and zeros, after the counted records: no note.
  for (const std::string& gap : {std::string("\xDD\xCC", 2), std::string(300, '\0')}) {
    std::string bytes = withCount(withRecord(20, 20), 1);
    bytes[25] = 0;
    bytes.insert(kHeader12 + 54 + 20, gap);
    PutAt<std::uint32_t>(bytes, 96, static_cast<std::uint32_t>(kHeader12 + 54 + 20 + gap.size()));
    run = Run(las, "c.las", bytes, "gap after the records");
    EXPECT_EQ(run.result, kFileDone) << gap.size();
    EXPECT_EQ(run.transformed, 3u);
    EXPECT_TRUE(las.GetNotes().empty()) << las.GetNotes()[0];
  }
}

// ---- HTF ----

std::string Htf(const std::string& mask) {
  return "HTF HEADER\nHTF VERSION: 2.0\nTOTAL SOUNDINGS: 4         \nTOTAL VALID SOUNDINGS: 3         \n"
         "GRID ZONE: 56\nSURVEY: harbour\nSOUNDING DATA\n" +
         mask +
         "\n"
         "0 -27.5 153.2 10.00 A\n"
         "1 -27.5 153.2 12.00 C\n"
         "; comment\n"
         "0 -27.5 140.0 11.00\n"
         "0 -27.6 153.3 14.00\n"
         "END OF SOUNDING DATA\n";
}

TEST_F(BadSurveyFileTest, HtfCutsAreInputErrorsUntilTheMaskIsComplete) {
  CFileHTF htf;
  const std::string whole = Htf("[10000110000]");
  // Twelve characters make a mask; the closing bracket is not needed.
  const std::size_t maskEnd = whole.find("]\n");
  ASSERT_EQ(Run(htf, "s.htf", whole, "whole").result, kFileDone);
  for (std::size_t cut : bad_input::CutOffsets(whole.size())) {
    const std::string label = "HTF cut at " + std::to_string(cut);
    const FileResult result = Run(htf, "s.htf", whole.substr(0, cut), label).result;
    if (cut < maskEnd) {
      EXPECT_EQ(result, kFileInputError) << label;
    } else {
      // A record cut inside its fields has too few of them.
      EXPECT_TRUE(result == kFileDone || result == kFileInputError) << label;
    }
  }
}

TEST_F(BadSurveyFileTest, HtfDamagedMasksFieldsAndTotals) {
  CFileHTF htf;
  for (const std::string mask :
       {"[", "[1]", "[1000011000", "[00000000000]", "[10000100000]", "[10000000100]", "10000110000", "[]]]]]]]]]]]]"}) {
    EXPECT_EQ(Run(htf, "s.htf", Htf(mask), "mask " + mask).result, kFileInputError) << mask;
  }
  // A mask asking for more fields than the records have.
  EXPECT_EQ(Run(htf, "s.htf", Htf("[11111111111]"), "full mask").result, kFileInputError);
  // Odd but readable masks and fields.
  for (const std::string& mask :
       std::vector<std::string>{"[10000110000" + std::string(5000, '1') + "]", "[x0000110000]"}) {
    Run(htf, "s.htf", Htf(mask), "long or odd mask");
  }
  std::string fields = Htf("[10000110000]");
  fields.replace(fields.find("0 -27.6 153.3 14.00"), 19, "0 1e999 -1e999 nan");
  CRunResult run = Run(htf, "s.htf", fields, "absurd fields");
  EXPECT_EQ(run.result, kFileDone);
  EXPECT_EQ(run.transformed, 1u);
  // Totals that cannot be parsed or are missing: the records are still transformed.
  std::string totals = Htf("[10000110000]");
  totals.replace(totals.find("4         "), 10, "9999999999");
  EXPECT_EQ(Run(htf, "s.htf", totals, "huge totals").result, kFileDone);
  std::string noZone = Htf("[10000110000]");
  noZone.erase(noZone.find("GRID ZONE"), 14);
  EXPECT_EQ(Run(htf, "s.htf", noZone, "no zone").result, kFileInputError);
  EmptyAndRandom(htf, "s.htf", false);
}

// ---- ESRI ASCII grid ----

const std::string kEsriHeader =
    "ncols 2\nnrows 2\nxllcorner 154.3\nyllcorner -27.0\ncellsize 0.5\nNODATA_value -9999\n";

TEST_F(BadSurveyFileTest, EsriCutsAreInputErrorsUntilTheLastCellStarts) {
  CFileESRIGrid esri;
  const std::string whole = kEsriHeader + "1.0 -9999\n2.0 3.0\n";
  const std::size_t lastCell = whole.rfind("3.0");
  ASSERT_EQ(Run(esri, "g.asc", whole, "whole").result, kFileDone);
  for (std::size_t cut : bad_input::CutOffsets(whole.size())) {
    const std::string label = "ESRI cut at " + std::to_string(cut);
    const FileResult result = Run(esri, "g.asc", whole.substr(0, cut), label).result;
    EXPECT_EQ(result, cut <= lastCell ? kFileInputError : kFileDone) << label;
  }
}

TEST_F(BadSurveyFileTest, EsriAbsurdSizesAndHeaders) {
  CFileESRIGrid esri;
  const std::string cells = "1.0 2.0\n3.0 4.0\n";
  for (const std::string size : {"99999999999999", "9223372036854775807", "99999999999999999999999", "2147483648"}) {
    const std::string header =
        "ncols " + size + "\nnrows " + size + "\nxllcorner 154.3\nyllcorner -27.0\ncellsize 0.5\nNODATA_value -9999\n";
    EXPECT_EQ(Run(esri, "g.asc", header + cells, "absurd size " + size).result, kFileInputError) << size;
  }
  for (const std::string size : {"0", "-1", "-9223372036854775808", "x"}) {
    const std::string header =
        "ncols 2\nnrows " + size + "\nxllcorner 154.3\nyllcorner -27.0\ncellsize 0.5\nNODATA_value -9999\n";
    EXPECT_EQ(Run(esri, "g.asc", header + cells, "empty size " + size).result, kFileInputError) << size;
  }
  // Absurd positions and cell sizes: every cell is outside, none crashes.
  for (const std::string cell : {"1e308", "nan", "-inf", "0"}) {
    const std::string header =
        "ncols 2\nnrows 2\nxllcorner " + cell + "\nyllcorner -27.0\ncellsize " + cell + "\nNODATA_value -9999\n";
    Run(esri, "g.asc", header + cells, "absurd cell " + cell);
  }
  std::string missing = kEsriHeader;
  missing.erase(missing.find("cellsize"), 13);
  EXPECT_EQ(Run(esri, "g.asc", missing + cells, "missing line").result, kFileInputError);
  EXPECT_EQ(Run(esri, "g.asc", kEsriHeader + std::string(20000, ' ') + "\n", "blank cells").result, kFileInputError);
  EmptyAndRandom(esri, "g.asc", false);
}

// ---- generic text ----

TEST_F(BadSurveyFileTest, TextCutsAndDamagedLines) {
  CFileText text;
  const std::string whole = "153.2 -27.5 10.0\n153.2,-27.5,11.5 extra\n140 -27.5 3\n-27.6\t153.3\t-4.25\n";
  ASSERT_EQ(Run(text, "p.xyz", whole, "whole").result, kFileDone);
  for (std::size_t cut : bad_input::CutOffsets(whole.size())) {
    const std::string label = "text cut at " + std::to_string(cut);
    const FileResult result = Run(text, "p.xyz", whole.substr(0, cut), label).result;
    EXPECT_TRUE(result == kFileDone || result == kFileInputError) << label;
  }
  for (const std::string& bad :
       std::vector<std::string>{"1 2\n", "a b c\n", "27.5 153.2 1\n", "-153.2 -27.5 1\n", "1e999 -1e999 1e999\n",
                                "nan nan nan\n", std::string(20000, '9') + " 1 2\n"}) {
    Run(text, "p.xyz", whole + bad, "damaged line");
  }
  EXPECT_EQ(Run(text, "p.xyz", whole + "1 2\n", "two numbers").result, kFileInputError);
  EXPECT_EQ(Run(text, "p.xyz", whole + "27.5 153.2 1\n", "northern latitude").result, kFileInputError);
  EmptyAndRandom(text, "p.xyz", true);
}

// ---- LAZ ----

// Real LAZ files of both coders, one of them COPC, cut anywhere and with a byte changed
// anywhere: cut before the chunk table, an input error (the table no longer fits);
// otherwise, whatever the handler answers (the table may be whole, a changed chunk may
// still decode), never a crash, a hang or a changed input.
TEST_F(BadSurveyFileTest, LazCutsAndChangedBytes) {
  CFileLAS las;
  for (const std::string name : {"f1_point-time.laz", "f6_1_4_w_evlr.laz", "f7_autzen_clip.copc.laz"}) {
    const std::string whole = bad_input::SourceFile("tests/data/real/laz/" + name);
    ASSERT_FALSE(whole.empty()) << name;
    const auto table =
        ReadLittleEndian<std::uint64_t>(whole.data() + ReadLittleEndian<std::uint32_t>(whole.data() + 96));
    for (const std::size_t cut : bad_input::CutOffsets(whole.size())) {
      const FileResult result = Run(las, "c.laz", whole.substr(0, cut), name + " cut").result;
      if (cut < table) {
        EXPECT_EQ(result, kFileInputError) << name << " cut at " << cut;
      }
    }
    std::mt19937 random(7);
    for (int change = 0; change < 300; ++change) {
      std::string bytes = whole;
      const std::size_t at = random() % bytes.size();
      bytes[at] = static_cast<char>(bytes[at] ^ (1 + random() % 255));
      Run(las, "c.laz", bytes, name + " changed at " + std::to_string(at));
    }
  }
}

// ---- the project's own samples, cut ----

TEST_F(BadSurveyFileTest, SampleFilesCutAnywhereNeverChangeTheInput) {
  CFileLAS las;
  CFileHTF htf;
  CFileESRIGrid esri;
  CFileText text;
  const std::vector<std::pair<std::string, CFileBase*>> samples = {
      {"sample_v12.las", &las},      {"sample_v14.las", &las},     {"sample_v14.laz", &las},
      {"sample_grid.asc", &esri},    {"sample_latlon.xyz", &text}, {"sample_mga56.xyz", &text},
      {"sample_soundings.htf", &htf}};
  for (const auto& [name, handler] : samples) {
    const std::string whole = bad_input::SourceFile("data/samples/" + name);
    if (whole.empty()) continue;  // samples not present in this tree
    for (std::size_t cut : bad_input::CutOffsets(whole.size())) Run(*handler, name, whole.substr(0, cut), name);
  }
}

}  // namespace
