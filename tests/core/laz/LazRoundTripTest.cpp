// Our encoder then our decoder is the identity: 100,000 random records per point format
// (every field random, and the rare paths of the coders taken: see LazRandomRecords), in
// fixed chunks of LASzip's size and of a few points, and in variable chunks. Formats are
// the test's parameter; a format whose codec exists is added to kFormats.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <thread>

#include "LazFile.h"
#include "LazRandomRecords.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"
#include "core/laz/LazError.h"
#include "core/laz/LazVlr.h"

namespace {

struct CFormatCase {
  int format;
  std::size_t extraBytes;
};

void PrintTo(const CFormatCase& c, std::ostream* out) {
  *out << "format " << c.format << " + " << c.extraBytes << " extra bytes";
}

std::string Name(const testing::TestParamInfo<CFormatCase>& info) {
  return "format" + std::to_string(info.param.format) + "_extra" + std::to_string(info.param.extraBytes);
}

class LazRoundTrip : public testing::TestWithParam<CFormatCase> {};

constexpr std::size_t kPoints = 100000;

TEST_P(LazRoundTrip, RandomRecordsComeBackInChunksOfEverySize) {
  const auto [format, extra] = GetParam();
  const std::size_t length = LasFormatLength(format) + extra;
  const CBytes records = RandomRecords(format, extra, kPoints, 27 + format);
  const CBytes las = MakeLas(format, length, records);
  EXPECT_EQ(DecodeLazRecords(LasToLaz(las)), records) << "chunks of 50000";
  // Chunks of a few points, on fewer records (each chunk resets every model).
  const CBytes few(records.begin(), records.begin() + 3000 * static_cast<std::ptrdiff_t>(length));
  EXPECT_EQ(DecodeLazRecords(LasToLaz(MakeLas(format, length, few), 7)), few) << "chunks of 7";
  EXPECT_EQ(DecodeLazRecords(LasToLaz(las, CLazVlr::kVariableChunks, {1, 2, 9000, 1, 31000})), records)
      << "variable chunks";
}

// One decoder and one encoder reused chunk after chunk, as each thread of the LAS handler
// will: a chunk's result does not depend on the chunks before it.
TEST_P(LazRoundTrip, ReusedCodersGiveEachChunkAsAFreshOneDoes) {
  const auto [format, extra] = GetParam();
  const std::size_t length = LasFormatLength(format) + extra;
  const CBytes records = RandomRecords(format, extra, 30000, 99);
  const CLazVlr vlr = CLazVlr::ForPointFormat(format, length, CLazVlr::kVariableChunks);
  CLazChunkEncoder reused(vlr);
  CLazChunkDecoder decoder(vlr);
  for (const std::size_t start : {0u, 10000u, 20000u, 10000u}) {
    const std::size_t count = start == 20000 ? 10000 : 7000;
    CBytes chunk, fresh;
    reused.EncodeChunk(&records[start * length], count, chunk);
    CLazChunkEncoder(vlr).EncodeChunk(&records[start * length], count, fresh);
    EXPECT_EQ(chunk, fresh) << "chunk at " << start;
    CBytes back(count * length);
    decoder.DecodeChunk(chunk.data(), chunk.size(), count, back.data());
    EXPECT_EQ(0, std::memcmp(back.data(), &records[start * length], back.size())) << "chunk at " << start;
  }
}

// Chunks are independent: threads with a decoder and an encoder each work on the chunks of
// one file at once (the ThreadSanitizer build runs this too).
TEST_P(LazRoundTrip, ThreadsCodeChunksOfOneFileAtOnce) {
  const auto [format, extra] = GetParam();
  const std::size_t length = LasFormatLength(format) + extra, chunkPoints = 2000;
  const CBytes records = RandomRecords(format, extra, 8 * chunkPoints, 7);
  const CLazVlr vlr = CLazVlr::ForPointFormat(format, length, CLazVlr::kVariableChunks);
  std::vector<CBytes> chunks(8), back(8);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      CLazChunkEncoder encoder(vlr);
      CLazChunkDecoder decoder(vlr);
      for (std::size_t i = t; i < chunks.size(); i += 2) {
        encoder.EncodeChunk(&records[i * chunkPoints * length], chunkPoints, chunks[i]);
        back[i].resize(chunkPoints * length);
        decoder.DecodeChunk(chunks[i].data(), chunks[i].size(), chunkPoints, back[i].data());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    EXPECT_EQ(0, std::memcmp(back[i].data(), &records[i * chunkPoints * length], back[i].size())) << "chunk " << i;
  }
}

TEST_P(LazRoundTrip, ItemsAreThoseLaszipWritesAndTheRecordReadsBack) {
  const auto [format, extra] = GetParam();
  const CLazVlr vlr = CLazVlr::ForPointFormat(format, LasFormatLength(format) + extra, 50000);
  EXPECT_EQ(vlr.RecordLength(), LasFormatLength(format) + extra);
  const std::vector<std::uint8_t> bytes = vlr.Serialize();
  EXPECT_EQ(bytes.size(), 34 + 6 * vlr.items.size());
  const CLazVlr back = CLazVlr::Parse(bytes.data(), bytes.size());
  EXPECT_EQ(back.items, vlr.items);
  EXPECT_EQ(back.Serialize(), bytes);
}

const CFormatCase kFormats[] = {{0, 0},  {1, 0}, {2, 0}, {3, 0}, {0, 3}, {1, 1},
                                {3, 27}, {6, 0}, {7, 0}, {8, 0}, {6, 4}, {8, 3}};
INSTANTIATE_TEST_SUITE_P(Formats, LazRoundTrip, testing::ValuesIn(kFormats), Name);

TEST(LazVlr, ItemsOfEveryPointFormatAsLaszipListsThem) {
  using I = CLazItem;
  const auto items = [](int format, std::size_t length) {
    return CLazVlr::ForPointFormat(format, length, 50000).items;
  };
  EXPECT_EQ(items(0, 20), (std::vector<I>{{I::kPoint10, 20, 2}}));
  EXPECT_EQ(items(3, 36),
            (std::vector<I>{{I::kPoint10, 20, 2}, {I::kGpsTime11, 8, 2}, {I::kRgb12, 6, 2}, {I::kByte, 2, 2}}));
  EXPECT_EQ(
      items(5, 63),
      (std::vector<I>{{I::kPoint10, 20, 2}, {I::kGpsTime11, 8, 2}, {I::kRgb12, 6, 2}, {I::kWavePacket13, 29, 1}}));
  EXPECT_EQ(items(6, 30), (std::vector<I>{{I::kPoint14, 30, 3}}));
  EXPECT_EQ(items(7, 36), (std::vector<I>{{I::kPoint14, 30, 3}, {I::kRgb14, 6, 3}}));
  EXPECT_EQ(items(8, 41), (std::vector<I>{{I::kPoint14, 30, 3}, {I::kRgbNir14, 8, 3}, {I::kByte14, 3, 3}}));
  EXPECT_EQ(CLazVlr::ForPointFormat(8, 38, 50000).compressor, CLazVlr::kLayeredChunked);
  EXPECT_EQ(CLazVlr::ForPointFormat(2, 26, 50000).compressor, CLazVlr::kPointwiseChunked);
  EXPECT_THROW(CLazVlr::ForPointFormat(1, 27, 50000), CLazError);
  EXPECT_THROW(CLazVlr::ForPointFormat(11, 40, 50000), CLazError);
}

}  // namespace
