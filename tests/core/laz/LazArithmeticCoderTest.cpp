// The arithmetic coder and the integer compressor: what they write they read back, and
// they read the chunk tables of LAZ files written by other encoders and write the same
// bytes again (the tables are coded with nothing but these two).

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "core/common/ByteOrder.h"
#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazIntegerCompressor.h"
#include "support/TestSupport.h"

namespace {

std::string RealLaz(const char* name) {
  return ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/tests/data/real/laz/" + name);
}

// One step of a mixed stream: what is coded and how.
struct CStep {
  int kind;  // 0, 1 bit models; 2..6 symbol models; 7 raw bits; 8 short; 9 int; 10 int64
  std::uint32_t bits;
  std::uint64_t value;
};

const std::uint32_t kSymbolCounts[] = {2, 16, 17, 256, 2048};

std::vector<CStep> MixedSteps(std::mt19937_64& random, std::size_t count) {
  std::vector<CStep> steps;
  for (std::size_t i = 0; i < count; ++i) {
    CStep step{static_cast<int>(random() % 11), 0, 0};
    // Skewed values (mostly the smallest) give long runs of 0xFF bytes, hence carries.
    const bool skewed = random() % 4 != 0;
    if (step.kind <= 1) {
      step.value = skewed ? (random() % 64 == 0) : random() % 2;
    } else if (step.kind <= 6) {
      const std::uint32_t symbols = kSymbolCounts[step.kind - 2];
      step.value = skewed ? (random() % 16 == 0 ? random() % symbols : 0) : random() % symbols;
    } else if (step.kind == 7) {
      step.bits = 1 + static_cast<std::uint32_t>(random() % 32);
      step.value = random() & (step.bits == 32 ? 0xFFFFFFFFu : (1u << step.bits) - 1);
    } else {
      step.value = random();
    }
    steps.push_back(step);
  }
  return steps;
}

struct CModels {
  CLazBitModel bits[2];
  std::vector<CLazSymbolModel> symbols;
  CModels() {
    for (std::uint32_t n : kSymbolCounts) symbols.emplace_back(n);
  }
};

void Encode(const std::vector<CStep>& steps, std::vector<std::uint8_t>& out) {
  CModels models;
  CLazArithmeticEncoder encoder;
  encoder.Init(out);
  for (const CStep& s : steps) {
    if (s.kind <= 1) {
      encoder.EncodeBit(models.bits[s.kind], static_cast<std::uint32_t>(s.value));
    } else if (s.kind <= 6) {
      encoder.EncodeSymbol(models.symbols[s.kind - 2], static_cast<std::uint32_t>(s.value));
    } else if (s.kind == 7) {
      encoder.WriteBits(s.bits, static_cast<std::uint32_t>(s.value));
    } else if (s.kind == 8) {
      encoder.WriteShort(static_cast<std::uint16_t>(s.value));
    } else if (s.kind == 9) {
      encoder.WriteInt(static_cast<std::uint32_t>(s.value));
    } else {
      encoder.WriteInt64(s.value);
    }
  }
  encoder.Done();
}

TEST(LazArithmeticCoder, MixedStreamsReadBackAndEndOnTheirLastByte) {
  std::mt19937_64 random(27);
  for (int round = 0; round < 40; ++round) {
    const std::vector<CStep> steps = MixedSteps(random, round == 0 ? 0 : 20000);
    std::vector<std::uint8_t> bytes = {0xAB};  // the encoder appends after what is there
    Encode(steps, bytes);
    ASSERT_EQ(bytes[0], 0xAB);
    CModels models;
    CLazArithmeticDecoder decoder;
    decoder.Init(bytes.data() + 1, bytes.size() - 1);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CStep& s = steps[i];
      std::uint64_t got;
      if (s.kind <= 1) {
        got = decoder.DecodeBit(models.bits[s.kind]);
      } else if (s.kind <= 6) {
        got = decoder.DecodeSymbol(models.symbols[s.kind - 2]);
      } else if (s.kind == 7) {
        got = decoder.ReadBits(s.bits);
      } else if (s.kind == 8) {
        got = decoder.ReadShort();
      } else if (s.kind == 9) {
        got = decoder.ReadInt();
      } else {
        got = decoder.ReadInt64();
      }
      const std::uint64_t expected = s.kind == 8 ? s.value & 0xFFFFu : s.kind == 9 ? s.value & 0xFFFFFFFFu : s.value;
      ASSERT_EQ(got, expected) << "round " << round << ", step " << i << " of kind " << s.kind;
    }
    // The decoder reads exactly the bytes written: four ahead, matched by Done's bytes.
    EXPECT_EQ(decoder.BytesRead(), bytes.size() - 1) << "round " << round;
    EXPECT_FALSE(decoder.Failed());
  }
}

TEST(LazArithmeticCoder, HostileBytesAreReadSafelyAndFlagged) {
  std::mt19937_64 random(4711);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> bytes(random() % 64);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(round % 3 == 0 ? 0xFF : random());
    CModels models;
    CLazIntegerCompressor integers(32, 2);
    CLazArithmeticDecoder decoder;
    decoder.Init(bytes.data(), bytes.size());
    for (int i = 0; i < 2000; ++i) {
      decoder.DecodeSymbol(models.symbols[i % 5]);
      decoder.DecodeBit(models.bits[i % 2]);
      decoder.ReadBits(1 + i % 32);
      integers.Decompress(decoder, i, i % 2);
    }
    EXPECT_TRUE(decoder.Overran());
  }
}

TEST(LazIntegerCompressor, EveryWidthAndContextReadsBack) {
  struct CCase {
    std::uint32_t bits, contexts, bitsHigh, range;
  };
  const CCase cases[] = {{32, 2, 8, 0}, {32, 9, 8, 0}, {16, 4, 8, 0}, {8, 1, 8, 0}, {16, 1, 8, 1000}, {32, 1, 11, 0}};
  std::mt19937_64 random(11);
  for (const CCase& c : cases) {
    const std::int64_t span = c.range ? c.range : c.bits == 32 ? (std::int64_t{1} << 32) : (std::int64_t{1} << c.bits);
    const auto draw = [&] {
      const std::uint64_t r = random();
      // Extremes, small steps and anything, in the values' own range.
      const std::int64_t v = r % 5 == 0   ? (r % 2 ? span - 1 : 0)
                             : r % 5 == 1 ? static_cast<std::int64_t>(r >> 40) % 8
                                          : static_cast<std::int64_t>((r >> 8) % static_cast<std::uint64_t>(span));
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    };
    std::vector<std::int32_t> predictions, values;
    std::vector<std::uint32_t> contexts;
    for (int i = 0; i < 20000; ++i) {
      predictions.push_back(draw());
      values.push_back(draw());
      contexts.push_back(static_cast<std::uint32_t>(random() % c.contexts));
    }
    if (c.bits == 32 && !c.range) {  // the one corrector of k = 32
      predictions.push_back(0);
      values.push_back(std::numeric_limits<std::int32_t>::min());
      contexts.push_back(0);
    }

    std::vector<std::uint8_t> bytes;
    CLazArithmeticEncoder encoder;
    CLazIntegerCompressor compressor(c.bits, c.contexts, c.bitsHigh, c.range);
    encoder.Init(bytes);
    compressor.InitCompressor();
    std::vector<std::uint32_t> ks;
    for (std::size_t i = 0; i < values.size(); ++i) {
      compressor.Compress(encoder, predictions[i], values[i], contexts[i]);
      ks.push_back(compressor.GetK());
    }
    encoder.Done();

    CLazArithmeticDecoder decoder;
    CLazIntegerCompressor decompressor(c.bits, c.contexts, c.bitsHigh, c.range);
    decoder.Init(bytes.data(), bytes.size());
    decompressor.InitDecompressor();
    for (std::size_t i = 0; i < values.size(); ++i) {
      ASSERT_EQ(decompressor.Decompress(decoder, predictions[i], contexts[i]), values[i])
          << c.bits << " bits, range " << c.range << ", value " << i;
      ASSERT_EQ(decompressor.GetK(), ks[i]);
    }
    EXPECT_EQ(decoder.BytesRead(), bytes.size());
  }
}

// The chunk table at the end of a LAZ file: version 0, the chunk count, then for each
// chunk (its point count when chunks vary,) its byte size, coded with an integer
// compressor of 32 bits and 2 contexts against the previous chunk's. Read here by hand,
// so that only the coder and the integer compressor are under test.
TEST(LazArithmeticCoder, ChunkTablesOfOtherEncodersDecodeAndReencodeByteForByte) {
  struct CFile {
    const char* name;
    bool variable;
    std::uint32_t chunks;
  };
  for (const CFile& file : {CFile{"f3_autzen_trim.laz", false, 3}, CFile{"f7_simple.copc.laz", true, 0},
                            CFile{"f8_append-bug.laz", false, 1}}) {
    SCOPED_TRACE(file.name);
    const std::string laz = RealLaz(file.name);
    ASSERT_GT(laz.size(), 400u);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(laz.data());
    const std::uint32_t pointData = ReadLittleEndian<std::uint32_t>(bytes + 96);
    const std::uint64_t points =
        bytes[25] >= 4 ? ReadLittleEndian<std::uint64_t>(bytes + 247) : ReadLittleEndian<std::uint32_t>(bytes + 107);
    const std::uint64_t tableAt = ReadLittleEndian<std::uint64_t>(bytes + pointData);
    ASSERT_LT(tableAt + 8, laz.size());
    ASSERT_EQ(ReadLittleEndian<std::uint32_t>(bytes + tableAt), 0u);
    const std::uint32_t chunks = ReadLittleEndian<std::uint32_t>(bytes + tableAt + 4);
    if (file.chunks) {
      EXPECT_EQ(chunks, file.chunks);
    }

    const std::uint8_t* coded = bytes + tableAt + 8;
    CLazArithmeticDecoder decoder;
    CLazIntegerCompressor integers(32, 2);
    decoder.Init(coded, laz.size() - (tableAt + 8));
    integers.InitDecompressor();
    std::vector<std::int32_t> counts, sizes;
    std::uint64_t countSum = 0, sizeSum = 0;
    for (std::uint32_t i = 0; i < chunks; ++i) {
      if (file.variable) counts.push_back(integers.Decompress(decoder, counts.empty() ? 0 : counts.back(), 0));
      sizes.push_back(integers.Decompress(decoder, sizes.empty() ? 0 : sizes.back(), 1));
      countSum += file.variable ? counts.back() : 0;
      sizeSum += sizes.back();
    }
    EXPECT_FALSE(decoder.Failed());
    // The chunks fill the point data from after the table's 8-byte offset to the table.
    EXPECT_EQ(pointData + 8 + sizeSum, tableAt);
    if (file.variable) {
      EXPECT_EQ(countSum, points);
    }
    const std::size_t tableBytes = decoder.BytesRead();

    std::vector<std::uint8_t> again;
    CLazArithmeticEncoder encoder;
    CLazIntegerCompressor compressor(32, 2);
    encoder.Init(again);
    compressor.InitCompressor();
    for (std::uint32_t i = 0; i < chunks; ++i) {
      if (file.variable) compressor.Compress(encoder, i ? counts[i - 1] : 0, counts[i], 0);
      compressor.Compress(encoder, i ? sizes[i - 1] : 0, sizes[i], 1);
    }
    encoder.Done();
    EXPECT_EQ(again, std::vector<std::uint8_t>(coded, coded + tableBytes));
  }
}

}  // namespace
