#pragma once
// The BYTE item, version 2: the extra bytes after the standard fields of a point format
// 0 to 5 record, each coded as a difference modulo 256 from the same byte of the previous
// point, by a model of its own (as LASzip 2 and later code them; bit-exact with them and
// with laz-perf). The same object decodes or encodes; Init starts a chunk from its first
// record.

#include <cstdint>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"

class CLazBytes10Coder {
 public:
  explicit CLazBytes10Coder(std::size_t count);
  void Init(const std::uint8_t* first);
  void Decode(CLazArithmeticDecoder& decoder, std::uint8_t* item);
  void Encode(CLazArithmeticEncoder& encoder, const std::uint8_t* item);

 private:
  std::vector<std::uint8_t> m_last;
  std::vector<CLazSymbolModel> m_models;
};
