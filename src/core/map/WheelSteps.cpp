#include "core/map/WheelSteps.h"

int CWheelSteps::Add(int delta) {
  if ((delta > 0 && m_pending < 0) || (delta < 0 && m_pending > 0)) m_pending = 0;
  m_pending += delta;
  const long long steps = m_pending / kNotch;  // towards zero: the remainder keeps its sign
  m_pending -= steps * kNotch;
  return static_cast<int>(steps);
}
