// The LAS handler on compressed files (LAZ): the same points transformed as LAS and as
// LAZ must give the same outputs, the LAZ ones coded (decompressed by the codec's own
// whole-file reader, they are the LAS outputs byte for byte), on one thread and on
// every core alike; a chunk that does not decode is an input error naming the chunk.
// Other readers (laz-perf) read these outputs in check_las_outputs.js.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "FilesTestSupport.h"
#include "LazFile.h"
#include "LazRandomRecords.h"
#include "core/common/ByteOrder.h"
#include "core/files/FileLAS.h"
#include "core/laz/LazChunkTable.h"
#include "support/TestSupport.h"

namespace {

std::string Text(const CBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
CBytes Bytes(const std::string& text) { return CBytes(text.begin(), text.end()); }

// `count` records of point `format` with `extra` extra bytes, every field random but the
// position: runs of points inside the files test grid and outside it (longitude 140),
// at 0.01 degree a unit as tools/laz's MakeLas scales them.
CBytes SurveyRecords(int format, std::size_t extra, std::size_t count, std::uint64_t seed) {
  CBytes records = RandomRecords(format, extra, count, seed);
  const std::size_t length = LasFormatLength(format) + extra;
  std::mt19937 random(static_cast<unsigned>(seed));
  bool inside = true;
  for (std::size_t i = 0; i < count; ++i) {
    if (random() % 9 == 0) inside = !inside;
    std::uint8_t* record = &records[i * length];
    WriteLittleEndian(record, static_cast<std::int32_t>((inside ? 15050 : 14000) + random() % 400));
    WriteLittleEndian(record + 4, static_cast<std::int32_t>(-2950 + random() % 400));
    WriteLittleEndian(record + 8, static_cast<std::int32_t>(random() % 200000) - 100000);
  }
  return records;
}

// A LAS file of `records`, from LAS 1.4 on with an extended record after the points.
CBytes SurveyLas(int format, std::size_t extra, const CBytes& records) {
  CBytes las = MakeLas(format, LasFormatLength(format) + extra, records);
  if (format >= 6) {
    WriteLittleEndian(&las[235], static_cast<std::uint64_t>(las.size()));
    WriteLittleEndian(&las[243], std::uint32_t{1});
    CBytes evlr(60 + 12);
    std::memcpy(&evlr[2], "Marevert test", 13);
    WriteLittleEndian(&evlr[20], std::uint64_t{12});
    std::memcpy(&evlr[60], "EVLR PAYLOAD", 12);
    las.insert(las.end(), evlr.begin(), evlr.end());
  }
  return las;
}

class FileLAZTest : public ::testing::Test {
 protected:
  // Transforms `input` as `name` (MSL to LAT), answering the result and the outputs
  // (empty when not written).
  struct COutputs {
    CRunResult run;
    std::string transformed, excluded;
  };
  COutputs Run(const std::string& name, const CBytes& input, CProcessBase* job = nullptr) {
    WriteFileBytes(m_dir.File(name), Text(input));
    COutputs outputs{RunHandler(m_handler, m_dir.File(name), m_grid.Grid(), m_grid.Msl(), m_grid.Lat(), job), {}, {}};
    const std::string stem = m_dir.File(name.substr(0, name.find('.'))), extension = name.substr(name.find('.'));
    for (const auto& [ref, bytes] : {std::pair{"_LAT", &outputs.transformed}, std::pair{"_MSL", &outputs.excluded}}) {
      if (std::filesystem::exists(stem + ref + extension)) *bytes = ReadFileBytes(stem + ref + extension);
      std::filesystem::remove(stem + ref + extension);
    }
    return outputs;
  }

  CFilesTestGrid m_grid;
  CScratchDir m_dir;
  CFileLAS m_handler;
};

}  // namespace

// Point formats of both coders, with and without extra bytes, in chunks of LASzip's
// size, of a few points (so that each output's chunks cut across the input's, over
// many blocks) and of varying sizes (as COPC's).
TEST_F(FileLAZTest, LazOutputsAreTheLasOutputsCoded) {
  const struct {
    int format;
    std::size_t extra;
    std::uint32_t chunkSize;
    std::vector<std::uint32_t> variableSizes;
  } cases[] = {
      {0, 0, CLazVlr::kDefaultChunkSize, {}},           {1, 0, 7, {}},  {3, 5, 64, {}}, {6, 0, 7, {}},
      {7, 0, CLazVlr::kVariableChunks, {3, 50, 11, 1}}, {8, 3, 29, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("point format " + std::to_string(c.format) + ", chunks of " + std::to_string(c.chunkSize));
    const CBytes las = SurveyLas(c.format, c.extra, SurveyRecords(c.format, c.extra, 700, 11 + c.format));
    const CBytes laz = LasToLaz(las, c.chunkSize, c.variableSizes);
    const COutputs plain = Run("cloud.las", las);
    const COutputs coded = Run("cloud.laz", laz);
    ASSERT_EQ(plain.run.result, kFileDone);
    ASSERT_EQ(coded.run.result, kFileDone) << (m_handler.GetNotes().empty() ? "" : m_handler.GetNotes()[0]);
    EXPECT_EQ(coded.run.transformed, plain.run.transformed);
    EXPECT_EQ(coded.run.outside, plain.run.outside);
    ASSERT_GT(plain.run.transformed, 100u);
    ASSERT_GT(plain.run.outside, 100u);
    for (const auto& [ours, expected] :
         {std::pair{&coded.transformed, &plain.transformed}, std::pair{&coded.excluded, &plain.excluded}}) {
      const CBytes output = Bytes(*ours);
      // Decompressed, the LAS output exactly: header, VLRs, records and extended records.
      EXPECT_EQ(Text(LazToLas(output)), *expected);
      // The input's LASzip record and point format bits, and the input's chunk size: all
      // chunks but the last full (which the codec's reader checks).
      EXPECT_EQ(FindLazVlr(output).Serialize(), FindLazVlr(laz).Serialize());
      EXPECT_EQ(output[104], laz[104]);
    }
    // One thread writes the same bytes.
    const CHandlerThreads one(1);
    const COutputs single = Run("cloud.laz", laz);
    EXPECT_EQ(single.transformed, coded.transformed);
    EXPECT_EQ(single.excluded, coded.excluded);
  }
}

// A chunk that does not decode stops the file as an input error, its note naming the
// chunk; the chunks before it are written (as a LAS file's records before an error are).
// A chunk table that does not fit the file is refused before any output is made.
TEST_F(FileLAZTest, DamagedChunksAreInputErrorsThatNameTheChunk) {
  const CBytes las = SurveyLas(1, 0, SurveyRecords(1, 0, 700, 5));
  const CBytes laz = LasToLaz(las, 50);
  const std::size_t pointData = ReadLittleEndian<std::uint32_t>(&laz[96]);
  const auto tableOffset = ReadLittleEndian<std::uint64_t>(&laz[pointData]);
  const auto table =
      CLazChunkTable::Parse(&laz[tableOffset], laz.size() - tableOffset, pointData + 8, tableOffset, 50, 700, 28);
  CBytes damaged = laz;
  const CLazChunkTable::CChunk& chunk = table.Chunks()[9];
  for (std::size_t i = chunk.offset + 40; i < chunk.offset + chunk.bytes - 4; ++i) damaged[i] ^= 0x5A;
  const COutputs broken = Run("cloud.laz", damaged);
  EXPECT_EQ(broken.run.result, kFileInputError);
  ASSERT_EQ(m_handler.GetNotes().size(), 1u);
  EXPECT_EQ(m_handler.GetNotes()[0].rfind("LAZ chunk 9: ", 0), 0u) << m_handler.GetNotes()[0];
  EXPECT_GT(broken.transformed.size() + broken.excluded.size(), 2 * pointData);

  CBytes noTable = laz;
  WriteLittleEndian(&noTable[pointData], std::uint64_t{pointData});  // never written
  const COutputs refused = Run("cloud.laz", noTable);
  EXPECT_EQ(refused.run.result, kFileInputError);
  ASSERT_EQ(m_handler.GetNotes().size(), 1u);
  EXPECT_NE(m_handler.GetNotes()[0].find("without its chunk table"), std::string::npos) << m_handler.GetNotes()[0];
  EXPECT_EQ(refused.transformed + refused.excluded, "");
}
