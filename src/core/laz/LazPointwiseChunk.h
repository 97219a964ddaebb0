#pragma once
// Chunks of the pointwise compressors (LASzip's "pointwise" and "pointwise-chunked", point
// formats 0 to 5): the chunk's first record is stored raw, then every further record is
// coded item by item, in the record's item order, by one arithmetic coder that runs to
// the end of the chunk. Items: POINT10, GPSTIME11, RGB12 and BYTE, version 2 (LASzip 2.0
// and later). Version 1 items (LASzip 1.x, before 2011) and waveform packets are refused.
//
// One decoder or encoder per thread, reused chunk after chunk: the models are reset at
// each chunk's first record, not reallocated.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazItem.h"

class CLazPoint10Coder;
class CLazGpsTime11Coder;
class CLazRgb12Coder;
class CLazBytes10Coder;

// The coders of a record's items, shared by the decoder and the encoder.
class CLazPointwiseItems {
 public:
  // Throws CLazError for an item these chunks do not hold, or a version not supported.
  explicit CLazPointwiseItems(const std::vector<CLazItem>& items);
  ~CLazPointwiseItems();
  CLazPointwiseItems(const CLazPointwiseItems&) = delete;
  CLazPointwiseItems& operator=(const CLazPointwiseItems&) = delete;

  std::size_t RecordLength() const { return m_recordLength; }

 protected:
  enum class EKind : std::uint8_t { kPoint10, kGpsTime11, kRgb12, kBytes };
  struct CSlot {
    EKind kind;
    std::size_t offset;  // in the record
    CLazBytes10Coder* bytes;
  };
  // Every coder starts its chunk from the record `first`.
  void Init(const std::uint8_t* first);

  std::vector<CSlot> m_slots;
  std::size_t m_recordLength = 0;
  std::unique_ptr<CLazPoint10Coder> m_point10;
  std::unique_ptr<CLazGpsTime11Coder> m_gpsTime;
  std::unique_ptr<CLazRgb12Coder> m_rgb;
  std::vector<std::unique_ptr<CLazBytes10Coder>> m_bytes;
};

class CLazPointwiseDecoder : public CLazPointwiseItems {
 public:
  using CLazPointwiseItems::CLazPointwiseItems;
  // Decodes `pointCount` records (pointCount x RecordLength() bytes at `records`) from
  // the chunk's `size` bytes at `chunk`, and answers how many of them the chunk used.
  // Throws CLazError when the chunk ends before its points or holds what no writer
  // writes.
  std::size_t DecodeChunk(const std::uint8_t* chunk, std::size_t size, std::uint64_t pointCount, std::uint8_t* records);

 private:
  CLazArithmeticDecoder m_decoder;
};

class CLazPointwiseEncoder : public CLazPointwiseItems {
 public:
  using CLazPointwiseItems::CLazPointwiseItems;
  // Appends the chunk of the `count` records at `records` to `out` (nothing for none).
  void EncodeChunk(const std::uint8_t* records, std::size_t count, std::vector<std::uint8_t>& out);

 private:
  CLazArithmeticEncoder m_encoder;
};
