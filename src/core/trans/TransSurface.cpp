#include "core/trans/TransSurface.h"

#include "core/grid/DataPt.h"

double CTransSurface::GetSeparation(const CDataPt& point, double sign) const {
  return SeparationOf(point.GetValue(m_surface), sign);
}

double CTrans_Ellipsoid_GDA94::GetSeparation(const CDataPt& /*point*/, double /*sign*/) const { return 0.0; }
