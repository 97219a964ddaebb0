#include "grid/DataPt.h"

// Until a grid file is read or a grid is generated, codes mean centimetres above a zero
// offset: the values the grid generator always writes.
float CDataPt::s_offset = 0.0f;
float CDataPt::s_scale = 100.0f;

CDataPt::CDataPt(const std::array<double, kSurfaceCount>& values) {
  for (int k = 0; k < kSurfaceCount; ++k) m_codes[k] = Encode(values[k]);
}
