#include "core/laz/LazArithmeticCoder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace LazCoder;

void CLazBitModel::Update() {
  // Halve the counts when they reach the limit, keeping a 1 the possible outcome.
  if ((m_bitCount += m_updateCycle) > kBitMaxCount) {
    m_bitCount = (m_bitCount + 1) >> 1;
    m_bit0Count = (m_bit0Count + 1) >> 1;
    if (m_bit0Count == m_bitCount) ++m_bitCount;
  }
  const std::uint32_t scale = 0x80000000u / m_bitCount;
  m_bit0Prob = (m_bit0Count * scale) >> (31 - kBitLengthShift);
  // Updates grow rarer by a quarter each time, to every 64 bits.
  m_updateCycle = std::min<std::uint32_t>((5 * m_updateCycle) >> 2, 64);
  m_bitsUntilUpdate = m_updateCycle;
}

CLazSymbolModel::CLazSymbolModel(std::uint32_t symbols) : m_symbols(symbols) {
  if (symbols < 2 || symbols > (1u << 11)) throw std::invalid_argument("LAZ symbol model of an unsupported size");
  m_lastSymbol = symbols - 1;
  if (symbols > 2) {
    // The decoding table only speeds the search, so its size is ours to choose (LASzip
    // has one for more than 16 symbols, of a quarter to half an entry per symbol): one
    // to two entries per symbol, at least 32 and at most 512, so that the search mostly
    // lands on its symbol at once (a hard-to-predict bisection costs more than the
    // division). At most 512 keeps the shift at 6 or more, which keeps the index within
    // the table whatever the bytes (see DecodeSymbol).
    std::uint32_t tableBits = 5;
    while (symbols > (1u << tableBits) && tableBits < 9) ++tableBits;
    m_tableSize = 1u << tableBits;
    m_tableShift = kSymbolLengthShift - tableBits;
  }
  m_blockSize = 2 * static_cast<std::size_t>(symbols) + (m_tableSize ? m_tableSize + 2 : 0);
  m_storage = std::make_unique<std::uint32_t[]>(2 * m_blockSize);
  m_distribution = m_storage.get();
  m_counts = m_distribution + symbols;
  if (m_tableSize) m_table = m_counts + symbols;
  // The state of a fresh model (every count 1), kept after the live one for Reset to
  // copy back: a chunk's many resets then cost a copy each, not a recount.
  m_totalCount = 0;
  m_updateCycle = m_symbols;
  std::fill(m_counts, m_counts + m_symbols, 1u);
  Update();
  if (m_tableSize) BuildTable();
  m_pending = 0;
  m_freshTotal = m_totalCount;
  std::copy(m_storage.get(), m_storage.get() + m_blockSize, m_storage.get() + m_blockSize);
  m_symbolsUntilUpdate = m_updateCycle = (m_symbols + 6) >> 1;
}

void CLazSymbolModel::Prepare() {
  if (m_pending & kResetPending) {
    std::memcpy(m_storage.get(), m_storage.get() + m_blockSize, m_blockSize * sizeof(std::uint32_t));
    m_totalCount = m_freshTotal;
    m_symbolsUntilUpdate = m_updateCycle = (m_symbols + 6) >> 1;
  } else if (m_pending & kTablePending) {
    BuildTable();
  }
  m_pending = 0;
}

void CLazSymbolModel::BuildTable() {
  // For each entry, the last symbol whose distribution lies below the entry's value.
  std::uint32_t s = 0;
  for (std::uint32_t k = 0; k < m_symbols; ++k) {
    const std::uint32_t w = m_distribution[k] >> m_tableShift;
    while (s < w) m_table[++s] = k - 1;
  }
  m_table[0] = 0;
  while (s <= m_tableSize) m_table[++s] = m_symbols - 1;
}

void CLazSymbolModel::Update() {
  if ((m_totalCount += m_updateCycle) > kSymbolMaxCount) {
    m_totalCount = 0;
    for (std::uint32_t n = 0; n < m_symbols; ++n) m_totalCount += (m_counts[n] = (m_counts[n] + 1) >> 1);
  }
  // The cumulative distribution scaled to 2^15; the decoding table follows it when a
  // decoder next needs it (an encoder never does).
  const std::uint32_t scale = 0x80000000u / m_totalCount;
  std::uint32_t sum = 0;
  for (std::uint32_t k = 0; k < m_symbols; ++k) {
    m_distribution[k] = (scale * sum) >> (31 - kSymbolLengthShift);
    sum += m_counts[k];
  }
  if (m_tableSize) m_pending |= kTablePending;
  m_updateCycle = std::min((5 * m_updateCycle) >> 2, (m_symbols + 6) << 3);
  m_symbolsUntilUpdate = m_updateCycle;
}

void CLazArithmeticDecoder::Init(const std::uint8_t* data, std::size_t size) {
  m_begin = m_next = data;
  m_end = data + size;
  m_pastEnd = 0;
  m_overran = m_corrupt = false;
  m_length = kMaxLength;
  m_value = 0;
  for (int i = 0; i < 4; ++i) m_value = (m_value << 8) | NextByte();
  if (m_value >= m_length) {
    m_corrupt = true;
    m_value = m_length - 1;
  }
}

void CLazArithmeticEncoder::Init(std::vector<std::uint8_t>& out) {
  m_out = &out;
  m_start = out.size();
  out.resize(m_start + kFirstBytes);
  m_next = out.data() + m_start;
  m_end = out.data() + out.size();
  m_base = 0;
  m_length = kMaxLength;
}

void CLazArithmeticEncoder::Grow() {
  // By as much as this stream holds: its bytes are made (and zeroed) once, or twice at
  // most, whatever the vector held before it.
  const std::size_t used = static_cast<std::size_t>(m_next - m_out->data());
  m_out->resize(used + std::max(used - m_start, kFirstBytes));
  m_next = m_out->data() + used;
  m_end = m_out->data() + m_out->size();
}

void CLazArithmeticEncoder::Done() {
  const std::uint32_t start = m_base;
  bool anotherByte = true;
  if (m_length > 2 * kMinLength) {
    m_base += kMinLength;  // one more byte pins the interval
    m_length = kMinLength >> 1;
  } else {
    m_base += kMinLength >> 1;  // two more bytes
    m_length = kMinLength >> 9;
    anotherByte = false;
  }
  if (start > m_base) PropagateCarry();
  Renormalise();
  for (int i = 0; i < (anotherByte ? 3 : 2); ++i) {
    if (m_next == m_end) Grow();
    *m_next++ = 0;
  }
  m_out->resize(static_cast<std::size_t>(m_next - m_out->data()));
  m_out = nullptr;
}
