// The binary grid writer gives the bytes of the independent test writer, for rows that
// fill its buffer in small steps and a row larger than a whole block, and names the file
// and the system's reason when a write fails.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/grid/GridWriter.h"
#include "support/GridFileWriter.h"
#include "support/TestSupport.h"

TEST(GridWriter, BytesFollowTheFormatAcrossBufferGrowthAndBlocks) {
  CTestGridFile expected;
  expected.rows.resize(4);
  for (int c = 0; c < 40000; ++c) expected.rows[1].push_back({c, CTestGridFile::Codes(c)});  // 1.28 MB
  for (int c = 0; c < 3000; ++c) expected.rows[3].push_back({2 * c - 5, CTestGridFile::Codes(c + 7)});

  CScratchDir dir;
  CGridWriter writer;
  ASSERT_TRUE(writer.Open(dir.File("g.MRGGrid")));
  CGridWriter::Header header;
  header.majorVersion = expected.major, header.minorVersion = expected.minor;
  header.year = expected.year, header.month = expected.month, header.day = expected.day;
  header.gridSize = expected.gridSize, header.minLat = expected.minLat, header.maxLat = expected.maxLat;
  header.minLon = expected.minLon, header.maxLon = expected.maxLon;
  header.valueOffset = expected.offset, header.valueScale = expected.scale;
  header.rowCount = static_cast<std::int32_t>(expected.rows.size());
  writer.WriteHeader(header);
  for (const auto& points : expected.rows) {
    CGridInt::Row row;
    for (const CTestGridFile::Point& p : points) {
      CDataPt point;
      point.m_codes = p.codes;
      row.push_back({p.column, point});
    }
    writer.WriteRow(row);
  }
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadFileBytes(dir.File("g.MRGGrid")), expected.Bytes());
}

TEST(GridWriter, AFailedWriteNamesTheFileAndTheSystemsReason) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CGridWriter writer;
  ASSERT_TRUE(writer.Open("/dev/full"));
  writer.WriteHeader(CGridWriter::Header{});
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(writer.ErrorReport(), "An error occurred while writing /dev/full: No space left on device.");
}
