#include "core/laz/LazChunkTable.h"

#include <algorithm>
#include <string>

#include "core/common/ByteOrder.h"
#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazError.h"
#include "core/laz/LazIntegerCompressor.h"
#include "core/laz/LazVlr.h"

namespace {

constexpr std::size_t kHeadBytes = 8;  // version, chunk count
constexpr std::uint32_t kCountContext = 0, kBytesContext = 1;
constexpr std::uint64_t kCoderBytes = 4;  // the least an arithmetic coder writes

}  // namespace

CLazChunkTable CLazChunkTable::Parse(const std::uint8_t* table, std::size_t size, std::uint64_t chunksStart,
                                     std::uint64_t tableOffset, std::uint32_t chunkSize, std::uint64_t pointCount,
                                     std::size_t recordLength) {
  // The least bytes of a chunk: its first record raw, then its coded stream.
  const std::uint64_t leastBytes = std::max<std::uint64_t>(recordLength, 1) + kCoderBytes;
  if (tableOffset + kHeadBytes == chunksStart) {
    throw CLazError("LAZ file without its chunk table (its writer did not finish it)");
  }
  if (tableOffset < chunksStart || size < kHeadBytes) {
    throw CLazError("LAZ chunk table offset " + std::to_string(tableOffset) + " lies outside the file's point data");
  }
  const std::uint32_t version = ReadLittleEndian<std::uint32_t>(table);
  if (version != 0) throw CLazError("LAZ chunk table of unknown version " + std::to_string(version));
  const std::uint32_t count = ReadLittleEndian<std::uint32_t>(table + 4);
  const std::uint64_t span = tableOffset - chunksStart;
  const bool variable = chunkSize == CLazVlr::kVariableChunks;
  if (count > span / leastBytes) {
    throw CLazError("LAZ chunk table lists " + std::to_string(count) + " chunks in " + std::to_string(span) + " bytes");
  }
  if (!variable) {
    // Fixed-size chunks: all full but the last.
    const std::uint64_t expected = pointCount / chunkSize + (pointCount % chunkSize != 0);
    if (count != expected) {
      throw CLazError("LAZ chunk table lists " + std::to_string(count) + " chunks for " + std::to_string(pointCount) +
                      " points in chunks of " + std::to_string(chunkSize));
    }
  }

  CLazChunkTable result(chunksStart);
  CLazArithmeticDecoder decoder;
  CLazIntegerCompressor integers(32, 2);
  decoder.Init(table + kHeadBytes, size - kHeadBytes);
  std::uint32_t lastPoints = 0, lastBytes = 0;
  std::uint64_t offset = chunksStart, points = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    CChunk chunk;
    if (variable) {
      lastPoints = static_cast<std::uint32_t>(
          integers.Decompress(decoder, static_cast<std::int32_t>(lastPoints), kCountContext));
      chunk.points = lastPoints;
    } else {
      chunk.points = i + 1 < count ? chunkSize : pointCount - static_cast<std::uint64_t>(chunkSize) * i;
    }
    lastBytes =
        static_cast<std::uint32_t>(integers.Decompress(decoder, static_cast<std::int32_t>(lastBytes), kBytesContext));
    chunk.bytes = lastBytes;
    chunk.offset = offset;
    const std::string where = "LAZ chunk table: chunk " + std::to_string(i) + " ";
    if (decoder.Failed()) throw CLazError(where + "is cut short or corrupt");
    if (chunk.bytes < leastBytes || chunk.bytes > tableOffset - offset) {
      throw CLazError(where + "of " + std::to_string(chunk.bytes) + " bytes does not fit before the table");
    }
    if (chunk.points == 0 || chunk.points > MaxPoints(chunk.bytes)) {
      throw CLazError(where + "of " + std::to_string(chunk.bytes) + " bytes cannot hold " +
                      std::to_string(chunk.points) + " points");
    }
    offset += chunk.bytes;
    points += chunk.points;
    result.m_chunks.push_back(chunk);
  }
  if (offset != tableOffset) {
    throw CLazError("LAZ chunk table: the chunks end at " + std::to_string(offset) + ", the table starts at " +
                    std::to_string(tableOffset));
  }
  if (points != pointCount) {
    throw CLazError("LAZ chunk table: the chunks hold " + std::to_string(points) + " points, the header says " +
                    std::to_string(pointCount));
  }
  return result;
}

void CLazChunkTable::Add(std::uint64_t points, std::uint64_t bytes) {
  if (points > 0xFFFFFFFFu || bytes > 0xFFFFFFFFu) {
    throw CLazError("LAZ chunk of " + std::to_string(points) + " points in " + std::to_string(bytes) +
                    " bytes is too large for the chunk table");
  }
  m_chunks.push_back({End(), bytes, points});
}

std::uint64_t CLazChunkTable::End() const {
  return m_chunks.empty() ? m_chunksStart : m_chunks.back().offset + m_chunks.back().bytes;
}

std::vector<std::uint8_t> CLazChunkTable::Serialize(bool variable) const {
  std::vector<std::uint8_t> bytes(kHeadBytes);
  WriteLittleEndian(bytes.data(), std::uint32_t{0});
  WriteLittleEndian(bytes.data() + 4, static_cast<std::uint32_t>(m_chunks.size()));
  if (m_chunks.empty()) return bytes;
  CLazArithmeticEncoder encoder;
  CLazIntegerCompressor integers(32, 2);
  encoder.Init(bytes);
  for (std::size_t i = 0; i < m_chunks.size(); ++i) {
    const auto previous = [&](std::uint64_t CChunk::*field) {
      return i ? static_cast<std::int32_t>(static_cast<std::uint32_t>(m_chunks[i - 1].*field)) : 0;
    };
    if (variable) {
      integers.Compress(encoder, previous(&CChunk::points),
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(m_chunks[i].points)), kCountContext);
    }
    integers.Compress(encoder, previous(&CChunk::bytes),
                      static_cast<std::int32_t>(static_cast<std::uint32_t>(m_chunks[i].bytes)), kBytesContext);
  }
  encoder.Done();
  return bytes;
}
