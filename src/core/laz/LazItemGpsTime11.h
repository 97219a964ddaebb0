#pragma once
// The GPSTIME11 item, version 2: the GPS time (a double, 8 bytes) of point formats 1, 3,
// 4 and 5, coded as LASzip 2 and later code it (lasreaditemcompressed_v2.cpp,
// laswriteitemcompressed_v2.cpp; bit-exact with them and with laz-perf). The double's
// bits are taken as a 64-bit integer. Up to four time sequences are followed at once
// (interleaved flight lines): each keeps its last time and its last 32-bit difference.
// A point's time is sent as
//   - unchanged, or
//   - a multiple (-10 to 500) of the sequence's last difference plus a correction, or
//   - a 32-bit difference when the last was 0, or
//   - a switch to another sequence whose time is within 32 bits (then one of the above),
//   - or in full (a new sequence: upper 32 bits against the last, lower 32 bits raw).
// The same object decodes or encodes; Init starts a chunk from its first record.

#include <array>
#include <cstdint>

#include "core/laz/LazArithmeticCoder.h"
#include "core/laz/LazIntegerCompressor.h"

class CLazGpsTime11Coder {
 public:
  static constexpr std::size_t kSize = 8;

  CLazGpsTime11Coder();
  void Init(const std::uint8_t* first);
  // Throws CLazError on a sequence switch that no writer sends (two in a row).
  void Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item);
  void Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item);

 private:
  void EncodeInSequence(CLazArithmeticEncoder& encoder, std::uint64_t time);
  void EncodeFull(CLazArithmeticEncoder& encoder, std::uint64_t time);
  // The sequence other than the current one whose last time is within a 32-bit
  // difference of `time` (1 to 3 steps on), 0 when none is.
  std::uint32_t OtherSequence(std::uint64_t time) const;
  // A multiple's correction: when an extreme multiple has been used more than three
  // times running, its difference becomes the sequence's difference.
  void CountExtreme(std::int32_t difference);

  std::uint32_t m_last = 0;  // the current sequence
  std::uint32_t m_next = 0;  // the sequence a full time replaces next
  std::array<std::uint64_t, 4> m_lastTime{};
  std::array<std::int32_t, 4> m_lastDifference{};
  std::array<std::int32_t, 4> m_extremeCount{};

  CLazSymbolModel m_multiple;     // after a non-zero difference
  CLazSymbolModel m_afterZero;    // after a zero difference
  CLazIntegerCompressor m_times;  // 32 bits, 9 contexts
};
