#pragma once
// Data points with chosen surface values for the reference and point tests, and a guard
// that sets the class-wide coding values and sign factor for them and puts them back.

#include <array>

#include "core/grid/DataPt.h"
#include "core/trans/TransBase.h"
#include "support/ClassWideValues.h"

// Codes of 1 cm from -100 m: values between -100 and 555 m are exact to 5 mm.
class CCodingGuard {
 public:
  CCodingGuard() { CTransBase::s_sign = 1.0; }

 private:
  CClassWideValues m_saved{-100.0f, 100.0f};
};

// Surface order: 0 LAT, 1 MLLW, 2 MLWS, 3 MLW, 4 MHLW, 5 MLWN, 6 AHD, 7 MSL, 8 MLHW,
// 9 MHWN, 10 MHW, 11 MHHW, 12 MHWS, 13 HAT.
using SurfaceValues = std::array<double, CDataPt::kSurfaceCount>;

// Every surface distinct: LAT -2.00 m, rising by 0.25 m per surface to HAT 1.25 m (so
// MHWS lies above MHHW although MHHW comes first in the list).
inline SurfaceValues DistinctSurfaces() {
  SurfaceValues values{};
  for (int k = 0; k < CDataPt::kSurfaceCount; ++k) values[k] = -2.0 + 0.25 * k;
  return values;
}
