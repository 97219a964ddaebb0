#include "core/laz/LazIntegerCompressor.h"

#include <algorithm>
#include <limits>

CLazIntegerCompressor::CLazIntegerCompressor(std::uint32_t bits, std::uint32_t contexts, std::uint32_t bitsHigh,
                                             std::uint32_t range)
    : m_bitsHigh(bitsHigh) {
  if (range) {
    // As many bits as range needs, one fewer when it is a power of two.
    m_correctorBits = static_cast<std::uint32_t>(std::bit_width(range));
    if (range == (1u << (m_correctorBits - 1))) --m_correctorBits;
    m_correctorRange = range;
    m_correctorMin = -static_cast<std::int32_t>(range / 2);
    m_correctorMax = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_correctorMin) + range - 1);
  } else if (bits && bits < 32) {
    m_correctorBits = bits;
    m_correctorRange = 1u << bits;
    m_correctorMin = -static_cast<std::int32_t>(m_correctorRange / 2);
    m_correctorMax = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_correctorMin) + m_correctorRange - 1);
  } else {
    m_correctorBits = 32;
    m_correctorRange = 0;
    m_correctorMin = std::numeric_limits<std::int32_t>::min();
    m_correctorMax = std::numeric_limits<std::int32_t>::max();
  }
  m_contexts = contexts;
  m_models.reserve(contexts + m_correctorBits);
  for (std::uint32_t i = 0; i < contexts; ++i) m_models.emplace_back(m_correctorBits + 1);
  for (std::uint32_t k = 1; k <= m_correctorBits; ++k) m_models.emplace_back(1u << std::min(k, bitsHigh));
  m_resetAt.assign(m_models.size(), 0);
}

void CLazIntegerCompressor::Reset() {
  if (++m_resets == 0) {  // after 2^32 resets: start the count again
    m_resets = 1;
    std::fill(m_resetAt.begin(), m_resetAt.end(), 0u);
    m_zeroOrOneResetAt = 0;
  }
}
