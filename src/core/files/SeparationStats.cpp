#include "core/files/SeparationStats.h"

#include <algorithm>

void CSeparationStats::Merge(const CSeparationStats& other) {
  m_min = std::min(m_min, other.m_min);
  m_max = std::max(m_max, other.m_max);
  m_count += other.m_count;
  m_steps += other.m_steps;
  m_wideSum += other.m_wideSum;
}

double CSeparationStats::Mean() const {
  if (m_count == 0) return 0.0;
  // The whole steps' metres, then the fraction of a metre, so that no precision is lost
  // in converting the 128-bit count.
  constexpr std::int64_t kStepsPerWholeMetre = 4294967296;
  const auto whole = static_cast<double>(m_steps / kStepsPerWholeMetre);
  const auto fraction = static_cast<double>(m_steps % kStepsPerWholeMetre) / kStepsPerMetre;
  return (whole + fraction + m_wideSum) / static_cast<double>(m_count);
}
