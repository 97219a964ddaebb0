#include "files/LasRecordSummary.h"

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
