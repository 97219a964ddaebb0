// Layered chunks (LAS 1.4 point formats 6 to 8): our encoder followed by our decoder gives the
// records back, layers that no point changes are stored empty and read back as repeats, chunks
// written by other encoders re-encode to the same bytes, and hostile chunks throw CLazError.
// (That laz-perf reads our chunks as we meant, and that we read the real files as laz-perf
// does, is checked by check_layered_chunks.js on the files laz_layered_cases writes.)

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "LazFile.h"
#include "LazRecords14.h"
#include "core/common/ByteOrder.h"
#include "core/laz/LazChunkTable.h"
#include "core/laz/LazError.h"
#include "core/laz/LazLayeredChunk.h"
#include "support/TestSupport.h"

namespace {

struct CFormatCase {
  int format;
  std::size_t extraBytes;
};
constexpr CFormatCase kFormats[] = {{6, 0}, {6, 4}, {7, 0}, {7, 2}, {8, 3}};

// The layer sizes a chunk stores, after its first record and point count.
std::vector<std::uint32_t> LayerSizes(const std::vector<std::uint8_t>& chunk, std::size_t recordLength,
                                      std::size_t layers) {
  std::vector<std::uint32_t> sizes;
  for (std::size_t i = 0; i < layers; ++i) {
    sizes.push_back(ReadLittleEndian<std::uint32_t>(chunk.data() + recordLength + 4 + 4 * i));
  }
  return sizes;
}

std::size_t LayerCount(const CFormatCase& f) { return 9 + (f.format == 7 ? 1 : f.format == 8 ? 2 : 0) + f.extraBytes; }

std::vector<std::uint8_t> EncodeOne(const CRecords14& r, std::size_t count) {
  CLazLayeredEncoder encoder(Items14(r.format, r.extraBytes));
  std::vector<std::uint8_t> chunk;
  encoder.EncodeChunk(r.bytes.data(), count, chunk);
  return chunk;
}

// Whether decoding throws CLazError (anything else escaping fails the test).
bool DecodeThrows(CLazLayeredDecoder& decoder, const std::uint8_t* chunk, std::size_t size, std::uint64_t points,
                  std::vector<std::uint8_t>& out) {
  try {
    decoder.DecodeChunk(chunk, size, points, out.data());
    return false;
  } catch (const CLazError&) {
    return true;
  }
}

TEST(LazLayeredChunk, RandomRecordsRoundTripAndUnchangedLayersAreStoredEmpty) {
  const std::vector<std::size_t> pattern = {1, 2, 7, 500, 3000, 20000, 9000, 50000, 130};
  for (const CFormatCase& f : kFormats) {
    SCOPED_TRACE("format " + std::to_string(f.format) + " with " + std::to_string(f.extraBytes) + " extra bytes");
    const CRecords14 r = MakeRecords14(f.format, f.extraBytes, 100000, pattern, 1000 + f.format * 10 + f.extraBytes);
    const std::vector<CLazItem> items = Items14(f.format, f.extraBytes);
    CLazLayeredEncoder encoder(items);
    CLazLayeredDecoder decoder(items);
    ASSERT_EQ(decoder.RecordLength(), r.recordLength);
    const std::size_t layers = LayerCount(f);
    std::vector<int> empty(layers, 0), full(layers, 0);
    std::vector<std::uint8_t> chunk, decoded;
    std::size_t first = 0;
    for (std::size_t c = 0; c < r.chunkSizes.size(); ++c) {
      const std::size_t count = r.chunkSizes[c];
      const std::uint8_t* records = r.bytes.data() + first * r.recordLength;
      chunk.assign({0x5A});  // the encoder appends
      encoder.EncodeChunk(records, count, chunk);
      decoded.assign(count * r.recordLength, 0);
      decoder.DecodeChunk(chunk.data() + 1, chunk.size() - 1, count, decoded.data());
      ASSERT_EQ(std::memcmp(decoded.data(), records, decoded.size()), 0) << "chunk " << c << " of " << count;
      ASSERT_EQ(ReadLittleEndian<std::uint32_t>(chunk.data() + 1 + r.recordLength), count);
      if (count > 100) {
        const std::vector<std::uint8_t> body(chunk.begin() + 1, chunk.end());
        const std::vector<std::uint32_t> sizes = LayerSizes(body, r.recordLength, layers);
        for (std::size_t i = 0; i < layers; ++i) ++(sizes[i] ? full : empty)[i];
      }
      first += count;
    }
    // X and Y, and Z, are always stored; every other layer is empty in some chunk and not in others.
    EXPECT_EQ(empty[0] + empty[1], 0);
    for (std::size_t i = 2; i < layers; ++i) {
      EXPECT_GT(empty[i], 0) << "layer " << i;
      EXPECT_GT(full[i], 0) << "layer " << i;
    }
  }
}

TEST(LazLayeredChunk, ChunksOfOtherEncodersDecodeAndReencodeByteForByte) {
  for (const char* name : {"f6_1_4_w_evlr.laz", "f7_autzen_clip.copc.laz", "f7_simple.copc.laz", "f8_append-bug.laz"}) {
    SCOPED_TRACE(name);
    const std::string file = ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/tests/data/real/laz/" + name);
    const CBytes laz(file.begin(), file.end());
    const CLasLayout layout = ReadLasLayout(laz);
    const CLazVlr vlr = FindLazVlr(laz);
    const auto tableAt = ReadLittleEndian<std::uint64_t>(&laz[layout.pointDataOffset]);
    const CLazChunkTable table =
        CLazChunkTable::Parse(&laz[tableAt], layout.pointDataEnd - tableAt, layout.pointDataOffset + 8, tableAt,
                              vlr.chunkSize, layout.pointCount, layout.recordLength);
    CLazLayeredDecoder decoder(vlr.items);
    CLazLayeredEncoder encoder(vlr.items);
    ASSERT_EQ(decoder.RecordLength(), layout.recordLength);
    std::vector<std::uint8_t> records, again;
    for (const CLazChunkTable::CChunk& chunk : table.Chunks()) {
      const std::uint8_t* bytes = &laz[chunk.offset];
      records.assign(chunk.points * layout.recordLength, 0);
      EXPECT_EQ(decoder.DecodeChunk(bytes, chunk.bytes, chunk.points, records.data()), chunk.bytes);
      again.clear();
      encoder.EncodeChunk(records.data(), chunk.points, again);
      ASSERT_EQ(again, std::vector<std::uint8_t>(bytes, bytes + chunk.bytes));
    }
  }
}

TEST(LazLayeredChunk, TruncatedChunksAndImpossibleSizesOrCountsThrow) {
  const CRecords14 r = MakeRecords14(8, 3, 300, {300}, 7);
  const std::vector<std::uint8_t> chunk = EncodeOne(r, 300);
  CLazLayeredDecoder decoder(Items14(8, 3));
  std::vector<std::uint8_t> out(300 * r.recordLength);
  for (std::size_t size = 0; size < chunk.size(); ++size) {
    // A copy of exactly `size` bytes, so that a read beyond them would be seen by ASan too.
    const std::vector<std::uint8_t> cut(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(size));
    ASSERT_TRUE(DecodeThrows(decoder, cut.data(), cut.size(), 300, out)) << size << " bytes";
  }
  ASSERT_FALSE(DecodeThrows(decoder, chunk.data(), chunk.size(), 300, out));

  EXPECT_TRUE(DecodeThrows(decoder, chunk.data(), chunk.size(), 299, out));  // not the chunk's count
  for (std::size_t layer = 0; layer < LayerCount({8, 3}); ++layer) {
    for (const std::uint32_t size : {0xFFFFFFFFu, 0x7FFFFFFFu, static_cast<std::uint32_t>(chunk.size())}) {
      std::vector<std::uint8_t> bad = chunk;
      WriteLittleEndian(bad.data() + r.recordLength + 4 + 4 * layer, size);
      EXPECT_TRUE(DecodeThrows(decoder, bad.data(), bad.size(), 300, out)) << "layer " << layer << " of " << size;
    }
  }
  // The decoder still reads a good chunk after all that.
  ASSERT_FALSE(DecodeThrows(decoder, chunk.data(), chunk.size(), 300, out));
  EXPECT_EQ(out, r.bytes);
}

TEST(LazLayeredChunk, BitFlippedChunksThrowOrDecodeButNeverCrash) {
  std::mt19937_64 random(99);
  int thrown = 0, decoded = 0;
  for (const CFormatCase& f : kFormats) {
    const CRecords14 r = MakeRecords14(f.format, f.extraBytes, 200, {200}, 31 + f.format);
    const std::vector<std::uint8_t> chunk = EncodeOne(r, 200);
    CLazLayeredDecoder decoder(Items14(f.format, f.extraBytes));
    std::vector<std::uint8_t> out(200 * r.recordLength);
    for (int round = 0; round < 400; ++round) {
      std::vector<std::uint8_t> bad = chunk;
      for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
        // Mostly in the layers; now and then in the first record, the count or the sizes.
        const std::size_t at =
            random() % 4 ? random() % bad.size() : random() % (r.recordLength + 4 + 4 * LayerCount(f));
        bad[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
      }
      (DecodeThrows(decoder, bad.data(), bad.size(), 200, out) ? thrown : decoded)++;
    }
  }
  EXPECT_GT(thrown, 0);
  EXPECT_GT(decoded, 0);
}

TEST(LazLayeredChunk, ItemListsOtherThanFormats6To8AreRefused) {
  const std::vector<std::vector<CLazItem>> refused = {
      {},
      {{CLazItem::kPoint14, 30, 3}, {CLazItem::kWavePacket14, 29, 3}},  // format 9
      {{CLazItem::kPoint14, 30, 2}},
      {{CLazItem::kPoint14, 30, 4}},
      {{CLazItem::kPoint14, 28, 3}},
      {{CLazItem::kPoint14, 30, 3}, {CLazItem::kRgb14, 8, 3}},
      {{CLazItem::kPoint14, 30, 3}, {CLazItem::kByte14, 0, 3}},
      {{CLazItem::kPoint14, 30, 3}, {CLazItem::kByte14, 5000, 3}},
      {{CLazItem::kPoint14, 30, 3}, {CLazItem::kByte14, 2, 3}, {CLazItem::kRgb14, 6, 3}},
      {{CLazItem::kRgb14, 6, 3}, {CLazItem::kPoint14, 30, 3}},
      {{CLazItem::kPoint10, 20, 2}},
  };
  for (const std::vector<CLazItem>& items : refused) {
    EXPECT_THROW(CLazLayeredDecoder{items}, CLazError) << items.size() << " items";
    EXPECT_THROW(CLazLayeredEncoder{items}, CLazError) << items.size() << " items";
  }
  try {
    CLazLayeredDecoder decoder({{CLazItem::kPoint14, 30, 3}, {CLazItem::kWavePacket14, 29, 3}});
  } catch (const CLazError& e) {
    EXPECT_NE(std::string(e.what()).find("waveform"), std::string::npos) << e.what();
  }
}

}  // namespace
