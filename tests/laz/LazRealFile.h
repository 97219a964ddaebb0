#pragma once
// The chunks of a real LAZ file under tests/data/real/laz, found by reading the LAS header,
// the LASzip record's items and chunk size, and the chunk table by hand (so that the chunk
// codecs can be checked on their own).

#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazIntegerCompressor.h"
#include "core/laz/LazItem.h"
#include "support/TestSupport.h"

struct CRealLazChunk {
  std::size_t offset = 0, size = 0;  // in the file
  std::uint64_t points = 0;
};

struct CRealLaz {
  std::string bytes;
  std::vector<CLazItem> items;
  std::size_t recordLength = 0;
  std::uint64_t points = 0;
  std::vector<CRealLazChunk> chunks;
  const std::uint8_t* At(std::size_t offset) const {
    return reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
  }
};

inline CRealLaz ReadRealLaz(const std::string& name) {
  CRealLaz laz;
  laz.bytes = ReadFileBytes(std::string(MAREVERT_SOURCE_DIR) + "/tests/data/real/laz/" + name);
  const std::uint8_t* b = laz.At(0);
  const auto headerSize = ReadLittleEndian<std::uint16_t>(b + 94);
  const auto pointData = ReadLittleEndian<std::uint32_t>(b + 96);
  const auto vlrs = ReadLittleEndian<std::uint32_t>(b + 100);
  laz.recordLength = ReadLittleEndian<std::uint16_t>(b + 105);
  laz.points = b[25] >= 4 ? ReadLittleEndian<std::uint64_t>(b + 247) : ReadLittleEndian<std::uint32_t>(b + 107);
  std::uint32_t chunkSize = 0;
  for (std::size_t i = 0, at = headerSize; i < vlrs; ++i) {
    const auto length = ReadLittleEndian<std::uint16_t>(b + at + 20);
    if (ReadLittleEndian<std::uint16_t>(b + at + 18) == 22204) {
      const std::uint8_t* p = b + at + 54;
      chunkSize = ReadLittleEndian<std::uint32_t>(p + 12);
      for (std::uint16_t k = 0, n = ReadLittleEndian<std::uint16_t>(p + 32); k < n; ++k) {
        laz.items.push_back({ReadLittleEndian<std::uint16_t>(p + 34 + 6 * k),
                             ReadLittleEndian<std::uint16_t>(p + 36 + 6 * k),
                             ReadLittleEndian<std::uint16_t>(p + 38 + 6 * k)});
      }
    }
    at += 54 + length;
  }
  const auto tableAt = ReadLittleEndian<std::uint64_t>(b + pointData);
  const auto chunks = ReadLittleEndian<std::uint32_t>(b + tableAt + 4);
  CLazArithmeticDecoder decoder;
  CLazIntegerCompressor integers(32, 2);
  decoder.Init(b + tableAt + 8, laz.bytes.size() - tableAt - 8);
  integers.InitDecompressor();
  std::int32_t count = 0, size = 0;
  std::uint64_t left = laz.points;
  std::size_t offset = pointData + 8;
  for (std::uint32_t i = 0; i < chunks; ++i) {
    const bool variable = chunkSize == 0xFFFFFFFFu;
    if (variable) count = integers.Decompress(decoder, count, 0);
    size = integers.Decompress(decoder, size, 1);
    const std::uint64_t points =
        variable ? static_cast<std::uint64_t>(count) : std::min<std::uint64_t>(chunkSize, left);
    laz.chunks.push_back({offset, static_cast<std::size_t>(size), points});
    offset += static_cast<std::size_t>(size);
    left -= points;
  }
  return laz;
}
