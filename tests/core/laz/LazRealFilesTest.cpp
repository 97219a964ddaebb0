// LAZ files written by other encoders (tests/data/real/laz, SOURCES.md there): decoded to
// the records of the same points uncompressed, and encoded again to the very same chunk
// bytes and chunk table (the writers follow LASzip's coders as ours does).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "LazFile.h"
#include "core/common/ByteOrder.h"
#include "core/laz/LazError.h"
#include "support/TestSupport.h"

namespace {

CBytes Real(const std::string& name) {
  const std::string bytes = ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/tests/data/real/laz/" + name);
  return CBytes(bytes.begin(), bytes.end());
}

CBytes LasRecords(const CBytes& las) {
  const CLasLayout layout = ReadLasLayout(las);
  const auto begin = las.begin() + static_cast<std::ptrdiff_t>(layout.pointDataOffset);
  return CBytes(begin, begin + static_cast<std::ptrdiff_t>(layout.pointCount * layout.recordLength));
}

// The point data of a LAZ file from its first chunk on: its chunks, its chunk table and,
// in files of older laz-perf, 32 bytes after the table that readers skip.
CBytes ChunksAndTable(const CBytes& laz) {
  const CLasLayout layout = ReadLasLayout(laz);
  return CBytes(laz.begin() + static_cast<std::ptrdiff_t>(layout.pointDataOffset + 8),
                laz.begin() + static_cast<std::ptrdiff_t>(layout.pointDataEnd));
}

TEST(LazRealFiles, DecodeToTheSamePointsUncompressed) {
  for (const char* name : {"f0_point10", "f1_point-time", "f2_point-color"}) {
    SCOPED_TRACE(name);
    const CBytes laz = Real(std::string(name) + ".laz"), las = Real(std::string(name) + ".las");
    ASSERT_FALSE(laz.empty());
    EXPECT_EQ(DecodeLazRecords(laz), LasRecords(las));
    // The whole file back: its records, VLRs and header fields as the uncompressed file's.
    const CBytes back = LazToLas(laz);
    EXPECT_EQ(LasRecords(back), LasRecords(las));
    const CLasLayout layout = ReadLasLayout(back);
    EXPECT_FALSE(layout.compressed);
    EXPECT_EQ(layout.pointCount, ReadLasLayout(las).pointCount);
  }
}

TEST(LazRealFiles, EncodeAgainToTheSameChunksAndTable) {
  for (const char* name :
       {"f0_point10.laz", "f1_point-time.laz", "f2_point-color.laz", "f3_simple.laz", "f3_extrabytes.laz",
        "f3_autzen_trim.laz", "f0_no-points.laz", "f6_1_4_w_evlr.laz", "f8_append-bug.laz"}) {
    SCOPED_TRACE(name);
    const CBytes laz = Real(name);
    const CBytes again = LasToLaz(LazToLas(laz), FindLazVlr(laz).chunkSize);
    const CBytes ours = ChunksAndTable(again), theirs = ChunksAndTable(laz);
    ASSERT_LE(ours.size(), theirs.size());
    EXPECT_LE(theirs.size() - ours.size(), 32u);
    EXPECT_TRUE(std::equal(ours.begin(), ours.end(), theirs.begin()));
    EXPECT_EQ(FindLazVlr(again).items, FindLazVlr(laz).items);
    EXPECT_EQ(ReadLittleEndian<std::uint32_t>(&again[100]), ReadLittleEndian<std::uint32_t>(&laz[100]));  // VLRs
    EXPECT_EQ(ReadLasLayout(again).pointDataOffset, ReadLasLayout(laz).pointDataOffset);
  }
}

TEST(LazRealFiles, VersionOneItemsAreRefusedByName) {
  // LASzip 1.2, one stream without chunks: its version 1 items predate LASzip 2.0.
  try {
    DecodeLazRecords(Real("f3_simple_compressor1_v1.laz"));
    FAIL() << "decoded";
  } catch (const CLazError& error) {
    EXPECT_NE(std::string(error.what()).find("version 1"), std::string::npos) << error.what();
  }
}

}  // namespace
