#pragma once
// The adaptive arithmetic coder of LAZ and its two kinds of model. LASzip's coder is
// Amir Said's FastAC (A. Said, "Introduction to Arithmetic Coding - Theory and
// Practice", HP Labs report HPL-2004-76): a 32-bit interval renormalised a byte at a
// time, 32-bit products, models whose probabilities are recomputed periodically rather
// than after every symbol. Every byte the encoder writes and every value the decoder
// reads is bit-exact with LASzip 3.4 (arithmeticencoder.cpp, arithmeticdecoder.cpp,
// arithmeticmodel.cpp) and with laz-perf: the same update periods and count halving,
// the same renormalisation, the same closing bytes.
//
//   m_length  L, the interval's length: 2^24 <= L < 2^32 between calls
//   m_base    the encoder's interval start; a carry out of it ripples into bytes written
//   m_value   the decoder's code value minus the interval start: 0 <= value < L
//
// The decoder keeps value < L whatever the bytes (the one start that breaks it, four 0xFF
// bytes, no encoder writes and is flagged), so table look-ups stay inside their tables on
// hostile input; it reads zero bytes past the end of its data and flags that instead.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace LazCoder {
inline constexpr std::uint32_t kMinLength = 0x01000000u;  // renormalise below this
inline constexpr std::uint32_t kMaxLength = 0xFFFFFFFFu;  // the interval at the start
inline constexpr std::uint32_t kBitLengthShift = 13;      // bits of L dropped before a bit model's product
inline constexpr std::uint32_t kBitMaxCount = 1u << kBitLengthShift;
inline constexpr std::uint32_t kSymbolLengthShift = 15;  // bits of L dropped before a symbol model's product
inline constexpr std::uint32_t kSymbolMaxCount = 1u << kSymbolLengthShift;
}  // namespace LazCoder

// A model of one bit: the probability of a 0, recomputed every 4 bits at first and every
// 64 at most.
class CLazBitModel {
 public:
  CLazBitModel() { Reset(); }
  // Equal odds and frequent updates again, as at the start of a chunk.
  void Reset() {
    m_bit0Count = 1;
    m_bitCount = 2;
    m_bit0Prob = 1u << (LazCoder::kBitLengthShift - 1);
    m_updateCycle = m_bitsUntilUpdate = 4;
  }

 private:
  friend class CLazArithmeticDecoder;
  friend class CLazArithmeticEncoder;
  void Update();

  std::uint32_t m_bit0Prob = 0;  // probability of a 0, scaled to 2^13
  std::uint32_t m_bit0Count = 0;
  std::uint32_t m_bitCount = 0;
  std::uint32_t m_updateCycle = 0;
  std::uint32_t m_bitsUntilUpdate = 0;
};

// A model of `symbols` symbols (2 to 2048): their counts, the cumulative distribution
// scaled to 2^15, and for more than 2 symbols a table from the top bits of a scaled code
// value to the first symbol it may be, which the decoder searches from.
class CLazSymbolModel {
 public:
  explicit CLazSymbolModel(std::uint32_t symbols);
  // Every count back to 1, as at the start of a chunk; nothing is reallocated. The
  // model is reset when next used, which codes the same: a chunk pays only for the
  // models it uses.
  void Reset() { m_pending = kResetPending; }
  std::uint32_t Symbols() const { return m_symbols; }

 private:
  friend class CLazArithmeticDecoder;
  friend class CLazArithmeticEncoder;
  void Update();
  void BuildTable();
  // Does what is pending: the reset (a copy of the fresh block), or the table's rebuild.
  void Prepare();

  // Distribution, counts and table in one block, then the same block as a fresh model
  // has it.
  std::unique_ptr<std::uint32_t[]> m_storage;
  std::size_t m_blockSize = 0;
  std::uint32_t m_freshTotal = 0;
  std::uint32_t* m_distribution = nullptr;  // [symbols]
  std::uint32_t* m_counts = nullptr;        // [symbols]
  std::uint32_t* m_table = nullptr;         // [tableSize + 2], or none
  std::uint32_t m_symbols = 0;
  std::uint32_t m_lastSymbol = 0;
  std::uint32_t m_tableSize = 0;
  std::uint32_t m_tableShift = 0;
  std::uint32_t m_totalCount = 0;
  std::uint32_t m_updateCycle = 0;
  std::uint32_t m_symbolsUntilUpdate = 0;
  // Work left for the next use: a reset, or the table's rebuild after an update (only a
  // decoder needs the table).
  static constexpr std::uint8_t kResetPending = 1, kTablePending = 2;
  std::uint8_t m_pending = 0;
};

// Reads what CLazArithmeticEncoder wrote, from a buffer the caller keeps alive.
class CLazArithmeticDecoder {
 public:
  // Starts on `size` bytes at `data`, reading the first four.
  void Init(const std::uint8_t* data, std::size_t size);

  std::uint32_t DecodeBit(CLazBitModel& model);
  std::uint32_t DecodeSymbol(CLazSymbolModel& model);
  // Values written without a model: 1 to 32 bits, 16, 32 and 64 bits.
  std::uint32_t ReadBits(std::uint32_t bits);
  std::uint32_t ReadShort();
  std::uint32_t ReadInt();
  std::uint64_t ReadInt64();

  // Whether the decoder read past the end of its bytes (it read zeros there).
  bool Overran() const { return m_overran; }
  // Whether it met what no encoder writes (a raw value out of its range, a start that
  // breaks the interval); the value read was cut to its range.
  bool Corrupt() const { return m_corrupt; }
  bool Failed() const { return m_overran || m_corrupt; }
  // Bytes taken from the data so far (those read past its end included).
  std::size_t BytesRead() const { return static_cast<std::size_t>(m_next - m_begin) + m_pastEnd; }

 private:
  std::uint8_t NextByte() {
    if (m_next != m_end) return *m_next++;
    m_overran = true;
    ++m_pastEnd;
    return 0;
  }
  void Renormalise() {
    do {
      m_value = (m_value << 8) | NextByte();
    } while ((m_length <<= 8) < LazCoder::kMinLength);
  }
  std::uint32_t ReadRaw(std::uint32_t bits);

  const std::uint8_t* m_begin = nullptr;
  const std::uint8_t* m_next = nullptr;
  const std::uint8_t* m_end = nullptr;
  std::size_t m_pastEnd = 0;
  std::uint32_t m_value = 0;
  std::uint32_t m_length = 0;
  bool m_overran = false;
  bool m_corrupt = false;
};

// Appends coded bytes to a vector; Done() writes the closing bytes.
class CLazArithmeticEncoder {
 public:
  // Starts a new stream at the end of `out`, which must outlive the encoder's use. Until
  // Done() the vector holds room beyond the bytes written.
  void Init(std::vector<std::uint8_t>& out);

  void EncodeBit(CLazBitModel& model, std::uint32_t bit);
  void EncodeSymbol(CLazSymbolModel& model, std::uint32_t symbol);
  // Values without a model: `value` in `bits` bits (1 to 32), 16, 32 and 64 bits.
  void WriteBits(std::uint32_t bits, std::uint32_t value);
  void WriteShort(std::uint16_t value) { WriteRaw(16, value); }
  void WriteInt(std::uint32_t value) {
    WriteShort(static_cast<std::uint16_t>(value & 0xFFFFu));
    WriteShort(static_cast<std::uint16_t>(value >> 16));
  }
  void WriteInt64(std::uint64_t value) {
    WriteInt(static_cast<std::uint32_t>(value));
    WriteInt(static_cast<std::uint32_t>(value >> 32));
  }
  // The bytes that pin the final interval, then the two or three zero bytes the decoder
  // reads ahead (it always reads four bytes more than the renormalisations wrote).
  void Done();

 private:
  void WriteRaw(std::uint32_t bits, std::uint32_t value) {
    const std::uint32_t start = m_base;
    m_base += value * (m_length >>= bits);
    if (start > m_base) PropagateCarry();
    if (m_length < LazCoder::kMinLength) Renormalise();
  }
  // Adds the carry out of m_base to the bytes written: trailing 0xFF bytes become 0.
  // It never reaches before this stream's first byte (the code value stays below 2^32).
  void PropagateCarry() {
    std::uint8_t* p = m_next - 1;
    while (*p == 0xFFu) {
      *p = 0;
      --p;
    }
    ++*p;
  }
  void Renormalise() {
    do {
      if (m_next == m_end) Grow();
      *m_next++ = static_cast<std::uint8_t>(m_base >> 24);
      m_base <<= 8;
    } while ((m_length <<= 8) < LazCoder::kMinLength);
  }
  void Grow();

  static constexpr std::size_t kFirstBytes = 4096;

  std::vector<std::uint8_t>* m_out = nullptr;
  std::size_t m_start = 0;         // this stream's first byte in m_out
  std::uint8_t* m_next = nullptr;  // into m_out's bytes, grown ahead of the writes
  std::uint8_t* m_end = nullptr;
  std::uint32_t m_base = 0;
  std::uint32_t m_length = 0;
};

// ---- The hot paths, inline ---------------------------------------------------------------

inline std::uint32_t CLazArithmeticDecoder::DecodeBit(CLazBitModel& model) {
  const std::uint32_t x = model.m_bit0Prob * (m_length >> LazCoder::kBitLengthShift);
  const std::uint32_t bit = m_value >= x;
  if (bit == 0) {
    m_length = x;
    ++model.m_bit0Count;
  } else {
    m_value -= x;
    m_length -= x;
  }
  if (m_length < LazCoder::kMinLength) Renormalise();
  if (--model.m_bitsUntilUpdate == 0) model.Update();
  return bit;
}

inline std::uint32_t CLazArithmeticDecoder::DecodeSymbol(CLazSymbolModel& model) {
  if (model.m_pending) model.Prepare();
  const std::uint32_t* distribution = model.m_distribution;
  std::uint32_t symbol;
  std::uint32_t x;
  std::uint32_t y = m_length;
  if (model.m_table) {
    // The table gives the range of symbols whose interval may hold the scaled value;
    // bisection finishes. With L >= 2^24 and value < L, scaled < 2^15 + 64, so a shift
    // of 6 or more keeps the index within tableSize.
    m_length >>= LazCoder::kSymbolLengthShift;
    const std::uint32_t scaled = m_value / m_length;
    const std::uint32_t t = scaled >> model.m_tableShift;
    symbol = model.m_table[t];
    std::uint32_t n = model.m_table[t + 1] + 1;
    while (n > symbol + 1) {
      const std::uint32_t k = (symbol + n) >> 1;
      if (distribution[k] > scaled) {
        n = k;
      } else {
        symbol = k;
      }
    }
    x = distribution[symbol] * m_length;
    if (symbol != model.m_lastSymbol) y = distribution[symbol + 1] * m_length;
  } else {
    // Two symbols: bisection on the products, a single comparison.
    x = symbol = 0;
    m_length >>= LazCoder::kSymbolLengthShift;
    std::uint32_t n = model.m_symbols;
    std::uint32_t k = n >> 1;
    do {
      const std::uint32_t z = m_length * distribution[k];
      if (z > m_value) {
        n = k;
        y = z;
      } else {
        symbol = k;
        x = z;
      }
    } while ((k = (symbol + n) >> 1) != symbol);
  }
  m_value -= x;
  m_length = y - x;
  if (m_length < LazCoder::kMinLength) Renormalise();
  ++model.m_counts[symbol];
  if (--model.m_symbolsUntilUpdate == 0) model.Update();
  return symbol;
}

inline std::uint32_t CLazArithmeticDecoder::ReadRaw(std::uint32_t bits) {
  // value < L gives symbol <= 2^bits + (L mod 2^bits) / (L >> bits), which only a
  // corrupt stream makes reach 2^bits.
  std::uint32_t symbol = m_value / (m_length >>= bits);
  m_value -= m_length * symbol;
  if (m_length < LazCoder::kMinLength) Renormalise();
  if (symbol >> bits) {
    m_corrupt = true;
    symbol &= (1u << bits) - 1;
  }
  return symbol;
}

inline std::uint32_t CLazArithmeticDecoder::ReadBits(std::uint32_t bits) {
  assert(bits >= 1 && bits <= 32);
  if (bits > 19) {
    const std::uint32_t low = ReadRaw(16);
    return (ReadRaw(bits - 16) << 16) | low;
  }
  return ReadRaw(bits);
}

inline std::uint32_t CLazArithmeticDecoder::ReadShort() { return ReadRaw(16); }

inline std::uint32_t CLazArithmeticDecoder::ReadInt() {
  const std::uint32_t low = ReadRaw(16);
  return (ReadRaw(16) << 16) | low;
}

inline std::uint64_t CLazArithmeticDecoder::ReadInt64() {
  const std::uint64_t low = ReadInt();
  return (static_cast<std::uint64_t>(ReadInt()) << 32) | low;
}

inline void CLazArithmeticEncoder::EncodeBit(CLazBitModel& model, std::uint32_t bit) {
  assert(bit <= 1);
  const std::uint32_t x = model.m_bit0Prob * (m_length >> LazCoder::kBitLengthShift);
  if (bit == 0) {
    m_length = x;
    ++model.m_bit0Count;
  } else {
    const std::uint32_t start = m_base;
    m_base += x;
    m_length -= x;
    if (start > m_base) PropagateCarry();
  }
  if (m_length < LazCoder::kMinLength) Renormalise();
  if (--model.m_bitsUntilUpdate == 0) model.Update();
}

inline void CLazArithmeticEncoder::EncodeSymbol(CLazSymbolModel& model, std::uint32_t symbol) {
  assert(symbol <= model.m_lastSymbol);
  if (model.m_pending & CLazSymbolModel::kResetPending) model.Prepare();
  const std::uint32_t start = m_base;
  if (symbol == model.m_lastSymbol) {
    const std::uint32_t x = model.m_distribution[symbol] * (m_length >> LazCoder::kSymbolLengthShift);
    m_base += x;
    m_length -= x;
  } else {
    const std::uint32_t x = model.m_distribution[symbol] * (m_length >>= LazCoder::kSymbolLengthShift);
    m_base += x;
    m_length = model.m_distribution[symbol + 1] * m_length - x;
  }
  if (start > m_base) PropagateCarry();
  if (m_length < LazCoder::kMinLength) Renormalise();
  ++model.m_counts[symbol];
  if (--model.m_symbolsUntilUpdate == 0) model.Update();
}

inline void CLazArithmeticEncoder::WriteBits(std::uint32_t bits, std::uint32_t value) {
  assert(bits >= 1 && bits <= 32 && (bits == 32 || value >> bits == 0));
  if (bits > 19) {
    WriteShort(static_cast<std::uint16_t>(value & 0xFFFFu));
    value >>= 16;
    bits -= 16;
  }
  WriteRaw(bits, value);
}
