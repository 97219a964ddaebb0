#include "core/files/LasRecordSummary.h"

#include <algorithm>

#include "core/common/ByteOrder.h"

void CLasRecordSummary::Add(const char* records, std::size_t count, std::size_t recordLength,
                            const unsigned char* flags, unsigned char flag) {
  std::array<std::int32_t, 3> low = m_min, high = m_max;
  std::uint64_t added = 0;
  const bool withReturns = recordLength > kReturnByte;
  for (std::size_t i = 0; i < count; ++i) {
    if (flags[i] != flag) continue;
    const char* record = records + i * recordLength;
    for (int axis = 0; axis < 3; ++axis) {
      const std::int32_t value = ReadLittleEndian<std::int32_t>(record + 4 * axis);
      low[axis] = std::min(low[axis], value);
      high[axis] = std::max(high[axis], value);
    }
    if (withReturns) ++m_lowNibbles[static_cast<unsigned char>(record[kReturnByte]) & 0x0F];
    ++added;
  }
  m_min = low;
  m_max = high;
  m_records += added;
}

void CLasRecordSummary::Merge(const CLasRecordSummary& other) {
  for (int axis = 0; axis < 3; ++axis) {
    m_min[axis] = std::min(m_min[axis], other.m_min[axis]);
    m_max[axis] = std::max(m_max[axis], other.m_max[axis]);
  }
  for (std::size_t i = 0; i < m_lowNibbles.size(); ++i) m_lowNibbles[i] += other.m_lowNibbles[i];
  m_records += other.m_records;
}

std::uint64_t CLasRecordSummary::Returns(int number, int bits) const {
  if (bits == 4) return number >= 1 && number <= 15 ? m_lowNibbles[number] : 0;
  // Three bits: bit 3 belongs to another field, so both of its values count.
  return number >= 1 && number <= 7 ? m_lowNibbles[number] + m_lowNibbles[number + 8] : 0;
}
