#pragma once
// Integers coded as a correction to a prediction, as LASzip's IntegerCompressor codes
// them (integercompressor.cpp, LASzip 3.4; bit-exact with it and with laz-perf). The
// corrector c = real - prediction, folded into the value range of `bits` bits, is sent
// as k, the size of the smallest interval [-(2^k - 1), 2^k] holding it (one model per
// context), then its place in that interval: k = 0 by a bit model (c is 0 or 1); k up to
// bitsHigh by a symbol model of 2^k symbols; larger k by a model of the top bitsHigh bits
// and the k - bitsHigh low bits raw.
//
// Arithmetic on values wraps modulo 2^32 (done in unsigned types), as the format's
// writers do with their signed overflow.

#include <bit>
#include <cstdint>
#include <vector>

#include "core/laz/LazArithmeticCoder.h"

class CLazIntegerCompressor {
 public:
  // Values of `bits` bits (32: any 32-bit value) or, when `range` is not 0, in
  // [0, range); `contexts` separate models of k; corrections of more than `bitsHigh`
  // bits send their low bits raw. The models are made here, once.
  explicit CLazIntegerCompressor(std::uint32_t bits = 16, std::uint32_t contexts = 1, std::uint32_t bitsHigh = 8,
                                 std::uint32_t range = 0);

  // Every model back to its start, as at the start of a chunk (the two are the same).
  // A model is reset when first used after this, which codes the same as resetting it
  // here, and a chunk that uses few of the models pays for those alone.
  void InitDecompressor() { Reset(); }
  void InitCompressor() { Reset(); }
  void Reset();

  std::int32_t Decompress(CLazArithmeticDecoder& decoder, std::int32_t prediction, std::uint32_t context = 0);
  void Compress(CLazArithmeticEncoder& encoder, std::int32_t prediction, std::int32_t real, std::uint32_t context = 0);

  // k of the last value coded or decoded: the item coders choose contexts by it.
  std::uint32_t GetK() const { return m_k; }

 private:
  std::int32_t ReadCorrector(CLazArithmeticDecoder& decoder, CLazSymbolModel& kModel);
  void WriteCorrector(CLazArithmeticEncoder& encoder, std::int32_t corrector, CLazSymbolModel& kModel);
  // A model of m_models, reset first when this is its first use since Reset().
  CLazSymbolModel& Model(std::size_t index) {
    if (m_resetAt[index] != m_resets) {
      m_models[index].Reset();
      m_resetAt[index] = m_resets;
    }
    return m_models[index];
  }
  CLazBitModel& ZeroOrOne() {
    if (m_zeroOrOneResetAt != m_resets) {
      m_zeroOrOne.Reset();
      m_zeroOrOneResetAt = m_resets;
    }
    return m_zeroOrOne;
  }

  std::uint32_t m_k = 0;
  std::uint32_t m_bitsHigh;
  std::uint32_t m_correctorBits;   // k runs from 0 to this
  std::uint32_t m_correctorRange;  // 2^bits or range; 0 for 32 bits
  std::int32_t m_correctorMin;     // folded correctors lie in [min, max]
  std::int32_t m_correctorMax;
  // The models of k, one per context, then those of the correctors for k = 1 to
  // correctorBits: index contexts + k - 1.
  std::vector<CLazSymbolModel> m_models;
  std::uint32_t m_contexts;
  CLazBitModel m_zeroOrOne;  // k = 0
  // Resets counted from 1; the count at each model's last reset (0: never).
  std::uint32_t m_resets = 1;
  std::vector<std::uint32_t> m_resetAt;
  std::uint32_t m_zeroOrOneResetAt = 0;
};

// ---- The hot paths, inline ---------------------------------------------------------------

inline std::int32_t CLazIntegerCompressor::ReadCorrector(CLazArithmeticDecoder& decoder, CLazSymbolModel& kModel) {
  m_k = decoder.DecodeSymbol(kModel);
  if (m_k == 0) return static_cast<std::int32_t>(decoder.DecodeBit(ZeroOrOne()));
  if (m_k >= 32) return m_correctorMin;
  CLazSymbolModel& model = Model(m_contexts + m_k - 1);
  std::uint32_t c;
  if (m_k <= m_bitsHigh) {
    c = decoder.DecodeSymbol(model);
  } else {
    const std::uint32_t lowBits = m_k - m_bitsHigh;
    c = decoder.DecodeSymbol(model) << lowBits;
    c |= decoder.ReadBits(lowBits);
  }
  // c in [0, 2^k): the upper half stands for [2^(k-1) + 1, 2^k], the lower half for
  // [-(2^k - 1), -2^(k-1)].
  const std::uint32_t half = 1u << (m_k - 1);
  return static_cast<std::int32_t>(c >= half ? c + 1 : c - (2 * half - 1));
}

inline std::int32_t CLazIntegerCompressor::Decompress(CLazArithmeticDecoder& decoder, std::int32_t prediction,
                                                      std::uint32_t context) {
  std::uint32_t real =
      static_cast<std::uint32_t>(prediction) + static_cast<std::uint32_t>(ReadCorrector(decoder, Model(context)));
  // Back into [0, range) when the values have fewer than 32 bits.
  if (static_cast<std::int32_t>(real) < 0) {
    real += m_correctorRange;
  } else if (real >= m_correctorRange) {
    real -= m_correctorRange;
  }
  return static_cast<std::int32_t>(real);
}

inline void CLazIntegerCompressor::WriteCorrector(CLazArithmeticEncoder& encoder, std::int32_t corrector,
                                                  CLazSymbolModel& kModel) {
  // The smallest k with c in [-(2^k - 1), 2^k].
  const std::uint32_t c = static_cast<std::uint32_t>(corrector);
  const std::uint32_t magnitude = corrector <= 0 ? 0u - c : c - 1;
  m_k = static_cast<std::uint32_t>(std::bit_width(magnitude));
  encoder.EncodeSymbol(kModel, m_k);
  if (m_k == 0) {
    encoder.EncodeBit(ZeroOrOne(), c);
    return;
  }
  if (m_k >= 32) return;  // the one corrector of k = 32 is the minimum, sent by k alone
  const std::uint32_t place = corrector < 0 ? c + ((1u << m_k) - 1) : c - 1;
  CLazSymbolModel& model = Model(m_contexts + m_k - 1);
  if (m_k <= m_bitsHigh) {
    encoder.EncodeSymbol(model, place);
  } else {
    const std::uint32_t lowBits = m_k - m_bitsHigh;
    encoder.EncodeSymbol(model, place >> lowBits);
    encoder.WriteBits(lowBits, place & ((1u << lowBits) - 1));
  }
}

inline void CLazIntegerCompressor::Compress(CLazArithmeticEncoder& encoder, std::int32_t prediction, std::int32_t real,
                                            std::uint32_t context) {
  // The corrector folded into [min, max].
  std::uint32_t c = static_cast<std::uint32_t>(real) - static_cast<std::uint32_t>(prediction);
  if (static_cast<std::int32_t>(c) < m_correctorMin) {
    c += m_correctorRange;
  } else if (static_cast<std::int32_t>(c) > m_correctorMax) {
    c -= m_correctorRange;
  }
  WriteCorrector(encoder, static_cast<std::int32_t>(c), Model(context));
}
