#pragma once
// The RGB12 item, version 2: red, green and blue (16 bits each) of point formats 2, 3
// and 5, coded as LASzip 2 and later code them (lasreaditemcompressed_v2.cpp,
// laswriteitemcompressed_v2.cpp; bit-exact with them and with laz-perf). A 7-bit mask
// says which of the six bytes changed and whether the colour is a grey (all channels
// equal); each changed byte is a difference modulo 256, green's and blue's predicted
// from red's change (blue's from the mean of red's and green's).
// The same object decodes or encodes; Init starts a chunk from its first record.

#include <array>
#include <cstdint>

#include "core/laz/LazArithmeticCoder.h"

class CLazRgb12Coder {
 public:
  static constexpr std::size_t kSize = 6;

  CLazRgb12Coder();
  void Init(const std::uint8_t* first);
  void Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item);
  void Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item);

 private:
  std::array<std::uint16_t, 3> m_last{};  // red, green, blue
  CLazSymbolModel m_changed;
  // Byte differences: red low and high, green low and high, blue low and high.
  std::array<CLazSymbolModel, 6> m_diffs;
};
