#include "grid/DataPt.h"

#include <cmath>

// Until a grid file is read or a grid is generated, codes mean centimetres above a zero
// offset: the values the grid generator always writes.
float CDataPt::s_offset = 0.0f;
float CDataPt::s_scale = 100.0f;

CDataPt::CDataPt(const std::array<double, kSurfaceCount>& values) {
  for (int k = 0; k < kSurfaceCount; ++k) m_codes[k] = Encode(values[k]);
}

std::uint16_t CDataPt::Encode(double value) {
  // The scaling is done in single precision, the rounding half up in double.
  const float scaled = (static_cast<float>(value) - s_offset) * s_scale;
  const double rounded = std::trunc(static_cast<double>(scaled) + 0.5);
  // Clamp rather than wrap: an interpolated value a hair below the offset (slightly
  // negative weights of a fallback cell) must give code 0, not one near 65535. NaN
  // also gives 0.
  if (!(rounded > 0.0)) return 0;
  if (rounded >= 65535.0) return 65535;
  return static_cast<std::uint16_t>(rounded);
}
