#pragma once
// The chunk codec of a LAZ file: decodes or encodes one chunk at a time with the coder
// its LASzip record names (pointwise for point formats 0 to 5, layered for 6 to 10).
// One object per thread, reused chunk after chunk; chunks are independent, so threads
// may work on different chunks of one file at once. No file is read or written here:
// the caller finds each chunk's bytes and point count in the chunk table.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/laz/LazLayeredChunk.h"
#include "core/laz/LazPointwiseChunk.h"
#include "core/laz/LazVlr.h"

class CLazChunkDecoder {
 public:
  // Throws CLazError when the record's compressor or items are not supported.
  explicit CLazChunkDecoder(const CLazVlr& vlr);

  // Decodes the chunk of `pointCount` points held by exactly `size` bytes at `chunk`
  // into `records` (pointCount x RecordLength() bytes). Throws CLazError when the chunk
  // ends before its points, holds bytes they do not use, or decodes to values no writer
  // writes.
  void DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount, std::uint8_t* records);
  std::size_t RecordLength() const { return m_recordLength; }

 private:
  std::size_t m_recordLength;
  std::optional<CLazPointwiseDecoder> m_pointwise;
  std::optional<CLazLayeredDecoder> m_layered;
};

class CLazChunkEncoder {
 public:
  // Throws CLazError when the record's compressor or items are not supported.
  explicit CLazChunkEncoder(const CLazVlr& vlr);

  // Appends the chunk of the `count` records at `records` to `out`.
  void EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out);
  std::size_t RecordLength() const { return m_recordLength; }

 private:
  std::size_t m_recordLength;
  std::optional<CLazPointwiseEncoder> m_pointwise;
  std::optional<CLazLayeredEncoder> m_layered;
};
