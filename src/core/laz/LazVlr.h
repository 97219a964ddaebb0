#pragma once
// The payload of the LASzip variable length record (user "laszip encoded", record
// 22204) that marks a LAS file as LAZ and says how its points are coded (laszip.cpp,
// LASzip 3.4), little-endian:
//   u16 compressor  u16 coder  u8 version major  u8 minor  u16 revision  u32 options
//   u32 chunk size  i64 special EVLR count  i64 special EVLR offset  u16 item count
//   then per item: u16 type  u16 size  u16 version          (34 + 6 x items bytes)

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/laz/LazItem.h"

class CLazVlr {
 public:
  static constexpr const char* kUserId = "laszip encoded";
  static constexpr std::uint16_t kRecordId = 22204;

  static constexpr std::uint16_t kPointwise = 1;                 // one stream, no chunks (LASzip 1.x)
  static constexpr std::uint16_t kPointwiseChunked = 2;          // point formats 0 to 5
  static constexpr std::uint16_t kLayeredChunked = 3;            // point formats 6 to 10
  static constexpr std::uint32_t kVariableChunks = 0xFFFFFFFFu;  // chunk size: each chunk's count in the table
  static constexpr std::uint32_t kDefaultChunkSize = 50000;      // LASzip's

  std::uint16_t compressor = kPointwiseChunked;
  std::uint16_t coder = 0;  // 0: arithmetic, the only one
  // The LASzip version whose coding this follows.
  std::uint8_t versionMajor = 3;
  std::uint8_t versionMinor = 4;
  std::uint16_t versionRevision = 3;
  std::uint32_t options = 0;
  std::uint32_t chunkSize = kDefaultChunkSize;
  std::int64_t specialEvlrCount = -1;  // -1: none
  std::int64_t specialEvlrOffset = -1;
  std::vector<CLazItem> items;

  // Reads a payload; throws CLazError when it is too short, names no items, has an
  // unknown compressor or coder, a zero chunk size, or an item of a wrong size. Item
  // versions are left to the chunk codecs.
  static CLazVlr Parse(const std::uint8_t* data, std::size_t size);
  std::vector<std::uint8_t> Serialize() const;

  // The items LASzip writes for point `format` (0 to 10) with records of `recordLength`
  // bytes, the bytes beyond the format's own being extra bytes: formats 0 to 5 version 2
  // items (BYTE for extra bytes), pointwise-chunked; 6 to 10 version 3 items (BYTE14),
  // layered-chunked. Waveform packets are listed as LASzip lists them; the caller refuses
  // formats 4, 5, 9 and 10 if it does not carry them. Throws CLazError for another format
  // or a record too short for its format.
  static CLazVlr ForPointFormat(int format, std::size_t recordLength, std::uint32_t chunkSize);

  // The bytes of a record: the items' sizes added.
  std::size_t RecordLength() const;
  bool Layered() const { return compressor == kLayeredChunked; }
  bool VariableChunks() const { return chunkSize == kVariableChunks; }
};
