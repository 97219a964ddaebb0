#pragma once
// Layered chunks: how LAZ stores LAS 1.4 point records (formats 6, 7 and 8, items POINT14,
// RGB14 or RGBNIR14, BYTE14, version 3). A chunk is
//
//   the first record, whole (its items' bytes in the record's order)
//   the number of records in the chunk          (32-bit little-endian)
//   each item's layer sizes, in item order      (32-bit little-endian each; 0: an empty layer)
//   each item's layers, in the same order
//
// and each layer is an arithmetic-coded stream of its own, so a field that never changes in a
// chunk costs no bytes at all (LASzip's lasreadpoint.cpp / laswritepoint.cpp). Layer sizes and
// counts come from the file and are checked against the chunk's bytes before anything is read.
//
// One decoder or encoder per thread, reused chunk after chunk: nothing is allocated per chunk
// or per point once the first chunk has sized the encoder's layer buffers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/laz/LazItem.h"
#include "core/laz/LazItems14Byte.h"
#include "core/laz/LazItems14Point.h"
#include "core/laz/LazItems14Rgb.h"

class CLazLayeredDecoder {
 public:
  // Items as the LASzip record lists them: POINT14, then RGB14 or RGBNIR14 or neither, then
  // BYTE14 or nothing, all of version 3. Anything else throws CLazError.
  explicit CLazLayeredDecoder(const std::vector<CLazItem>& items);

  // Decodes the chunk of `pointCount` records in the `size` bytes at `chunk` into `records`
  // (pointCount times the record length) and answers how many of the bytes the chunk used.
  // Throws CLazError when the chunk is not a layered chunk of that many records.
  std::size_t DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount, std::uint8_t* records);

  std::size_t RecordLength() const { return m_recordLength; }

 private:
  CLazPoint14Decoder m_point;
  std::optional<CLazRgb14Decoder> m_rgb;
  std::optional<CLazByte14Decoder> m_bytes;
  std::size_t m_rgbOffset = 0, m_bytesOffset = 0, m_recordLength = 0;
  std::vector<CLazLayerBytes> m_layers;  // every item's layers, in chunk order
};

class CLazLayeredEncoder {
 public:
  explicit CLazLayeredEncoder(const std::vector<CLazItem>& items);

  // Appends the chunk of the `count` records at `records` to `out`.
  void EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out);

  std::size_t RecordLength() const { return m_recordLength; }

 private:
  CLazPoint14Encoder m_point;
  std::optional<CLazRgb14Encoder> m_rgb;
  std::optional<CLazByte14Encoder> m_bytes;
  std::size_t m_rgbOffset = 0, m_bytesOffset = 0, m_recordLength = 0;
};
