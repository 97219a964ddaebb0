// Bytes no LAZ writer writes: cut and bit-flipped chunks, garbage, and LASzip records and
// chunk tables that do not fit their file. Each is a CLazError, never a crash, a read
// outside the bytes given or an endless loop (the sanitizer builds run these too).

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "LazFile.h"
#include "LazRandomRecords.h"
#include "core/common/ByteOrder.h"
#include "core/laz/LazChunkCodec.h"
#include "core/laz/LazChunkTable.h"
#include "core/laz/LazError.h"
#include "core/laz/LazVlr.h"

namespace {

// A chunk of 3000 random format 3 records with 5 extra bytes (every item).
struct CChunkFixture {
  CLazVlr vlr = CLazVlr::ForPointFormat(3, 39, CLazVlr::kDefaultChunkSize);
  std::size_t count = 3000;
  CBytes records = RandomRecords(3, 5, count, 5);
  CBytes chunk;
  CChunkFixture() { CLazChunkEncoder(vlr).EncodeChunk(records.data(), count, chunk); }
};

TEST(LazHostile, CutChunksEndBeforeTheirPoints) {
  const CChunkFixture f;
  CLazChunkDecoder decoder(f.vlr);
  CBytes out(f.records.size());
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{38}, std::size_t{39}, std::size_t{42},
                                 f.chunk.size() / 2, f.chunk.size() - 4, f.chunk.size() - 1}) {
    const CBytes cut(f.chunk.begin(), f.chunk.begin() + static_cast<std::ptrdiff_t>(size));
    try {
      decoder.DecodeChunk(cut.data(), cut.size(), f.count, out.data());
      ADD_FAILURE() << "a chunk cut to " << size << " bytes decoded";
    } catch (const CLazError& error) {
      EXPECT_NE(std::string(error.what()).find("ends before its 3000 points"), std::string::npos) << error.what();
    }
  }
  // The whole chunk decodes, with the decoder reused after the failures; one byte more
  // is a byte left over.
  decoder.DecodeChunk(f.chunk.data(), f.chunk.size(), f.count, out.data());
  EXPECT_EQ(out, f.records);
  CBytes longer = f.chunk;
  longer.push_back(0);
  EXPECT_THROW(decoder.DecodeChunk(longer.data(), longer.size(), f.count, out.data()), CLazError);
}

TEST(LazHostile, BitFlipsInTheCodedStreamAreFound) {
  const CChunkFixture f;
  CLazChunkDecoder decoder(f.vlr);
  CBytes out(f.records.size());
  std::mt19937_64 random(3);
  int found = 0;
  constexpr int kFlips = 300;
  for (int i = 0; i < kFlips; ++i) {
    CBytes flipped = f.chunk;
    const std::size_t at = 39 + random() % (flipped.size() - 39);  // after the raw first record
    flipped[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    try {
      decoder.DecodeChunk(flipped.data(), flipped.size(), f.count, out.data());
      EXPECT_NE(out, f.records) << "a flip at " << at << " decoded to the same records";
    } catch (const CLazError&) {
      ++found;
    }
  }
  // A flip changes what is decoded after it, and so, nearly always, how many bytes the
  // decoder takes: the chunk then ends early or has bytes left over.
  EXPECT_GE(found, kFlips * 95 / 100);
}

TEST(LazHostile, GarbageChunksDecodeSafely) {
  const CLazVlr vlr = CLazVlr::ForPointFormat(3, 39, CLazVlr::kDefaultChunkSize);
  CLazChunkDecoder decoder(vlr);
  std::mt19937_64 random(8);
  constexpr std::size_t kCount = 20000;
  CBytes out(kCount * 39);
  for (int i = 0; i < 300; ++i) {
    CBytes garbage(random() % 2000);
    for (std::uint8_t& b : garbage) b = static_cast<std::uint8_t>(i % 4 == 0 ? 0xFF : i % 4 == 1 ? 0 : random());
    EXPECT_THROW(decoder.DecodeChunk(garbage.data(), garbage.size(), kCount, out.data()), CLazError);
  }
}

TEST(LazHostile, LaszipRecordsThatDoNotParse) {
  const CBytes good = CLazVlr::ForPointFormat(3, 40, 50000).Serialize();
  const auto with = [&](std::size_t at, std::uint16_t value) {
    CBytes bytes = good;
    WriteLittleEndian(&bytes[at], value);
    return bytes;
  };
  const std::vector<CBytes> bad = {
      CBytes(good.begin(), good.begin() + 33),  // shorter than its fixed part
      CBytes(good.begin(), good.end() - 1),     // its last item cut
      with(32, 0),                              // no items
      with(32, 9),                              // more items than bytes
      with(0, 0),
      with(0, 4),               // compressor none, unknown
      with(2, 1),               // unknown coder
      with(12, 0),              // chunks of 0 points
      with(36, 21),             // POINT10 of 21 bytes
      with(34 + 6 * 3, 99),     // unknown item type
      with(34 + 6 * 3 + 2, 0),  // extra bytes of size 0
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    EXPECT_THROW(CLazVlr::Parse(bad[i].data(), bad[i].size()), CLazError) << "case " << i;
  }
  EXPECT_NO_THROW(CLazVlr::Parse(good.data(), good.size()));
}

TEST(LazHostile, ItemListsTheChunkCoderCannotCode) {
  using I = CLazItem;
  const std::vector<std::vector<I>> lists = {
      {},
      {{I::kPoint10, 20, 1}},                        // LASzip 1.x
      {{I::kPoint10, 20, 3}},                        // unknown version
      {{I::kPoint10, 20, 2}, {I::kPoint10, 20, 2}},  // twice
      {{I::kPoint10, 20, 2}, {I::kGpsTime11, 8, 2}, {I::kWavePacket13, 29, 1}},
      {{I::kPoint10, 20, 2}, {I::kRgbNir14, 8, 3}},
  };
  for (std::size_t i = 0; i < lists.size(); ++i) {
    CLazVlr vlr;
    vlr.items = lists[i];
    EXPECT_THROW(CLazChunkDecoder{vlr}, CLazError) << "list " << i;
    EXPECT_THROW(CLazChunkEncoder{vlr}, CLazError) << "list " << i;
  }
}

// A table of three chunks at 1000 (bytes 100, 200, 50; points 10, 20, 5) and the table
// right after them.
struct CTableFixture {
  std::uint64_t start = 1000, tableAt = 1350;
  CBytes Bytes(bool variable,
               std::vector<std::pair<std::uint64_t, std::uint64_t>> chunks = {{10, 100}, {20, 200}, {5, 50}}) const {
    CLazChunkTable table(start);
    for (const auto& [points, bytes] : chunks) table.Add(points, bytes);
    return table.Serialize(variable);
  }
};

TEST(LazHostile, ChunkTablesThatDoNotFitTheirFile) {
  const CTableFixture f;
  const std::uint32_t kVariable = CLazVlr::kVariableChunks;
  const auto parse = [&](const CBytes& bytes, std::uint32_t chunkSize, std::uint64_t points,
                         std::uint64_t tableAt = 1350) {
    return CLazChunkTable::Parse(bytes.data(), bytes.size(), f.start, tableAt, chunkSize, points, 20);
  };
  // The good ones, fixed and variable.
  const CLazChunkTable variable = parse(f.Bytes(true), kVariable, 35);
  ASSERT_EQ(variable.Chunks().size(), 3u);
  EXPECT_EQ(variable.Chunks()[1].offset, 1100u);
  EXPECT_EQ(variable.Chunks()[2].points, 5u);
  const CLazChunkTable fixed = parse(f.Bytes(false, {{20, 100}, {20, 200}, {5, 50}}), 20, 45);
  EXPECT_EQ(fixed.Chunks()[2].points, 5u);
  EXPECT_EQ(fixed.Chunks()[2].offset, 1300u);

  CBytes version = f.Bytes(true);
  version[0] = 1;
  EXPECT_THROW(parse(version, kVariable, 35), CLazError);
  CBytes many = f.Bytes(true);
  WriteLittleEndian(&many[4], std::uint32_t{0xFFFFFFFF});
  EXPECT_THROW(parse(many, kVariable, 35), CLazError);
  EXPECT_THROW(parse(f.Bytes(true), kVariable, 36), CLazError);        // points not the header's
  EXPECT_THROW(parse(f.Bytes(true), kVariable, 35, 1351), CLazError);  // chunks end before the table
  EXPECT_THROW(parse(f.Bytes(true), kVariable, 35, 1300), CLazError);  // or after it
  EXPECT_THROW(parse(f.Bytes(false), 10, 45), CLazError);              // 3 chunks for 45 points in chunks of 10
  EXPECT_THROW(parse(f.Bytes(true, {{10, 100}, {0, 200}, {25, 50}}), kVariable, 35), CLazError);  // no points
  EXPECT_THROW(parse(f.Bytes(true, {{10, 100}, {20, 250}, {5, 0}}), kVariable, 35), CLazError);   // no bytes
  const CBytes cut = f.Bytes(true);
  EXPECT_THROW(parse(CBytes(cut.begin(), cut.end() - 3), kVariable, 35), CLazError);
  EXPECT_THROW(parse(CBytes(cut.begin(), cut.begin() + 7), kVariable, 35), CLazError);
  // A writer that never came back to fill in the table's offset left it pointing at itself.
  EXPECT_THROW(parse(f.Bytes(true), kVariable, 35, f.start - 8), CLazError);
}

}  // namespace
