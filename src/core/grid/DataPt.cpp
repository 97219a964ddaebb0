#include "core/grid/DataPt.h"

// Until a grid file is read or a grid is generated, codes mean centimetres above a zero
// offset: the values the grid generator always writes.
float CDataPt::s_offset = 0.0f;
float CDataPt::s_scale = 100.0f;

CDataPt::CDataPt(const std::array<double, kSurfaceCount>& values) {
  for (int k = 0; k < kSurfaceCount; ++k) m_codes[k] = Encode(values[k]);
}

// Deliberately not inline: GCC 12 at -O3, vectorising a loop over inlined copies of
// this function that stores the results as double, can drop the rounding to float for
// some elements, so the same code decoded to two different values.
float CDataPt::Decode(std::uint16_t code, float offset, float scale) {
  return static_cast<float>(static_cast<double>(code) / static_cast<double>(scale) + static_cast<double>(offset));
}
