#include "trans/TransSurface.h"

#include "grid/DataPt.h"

double CTransSurface::GetSeparation(const CDataPt& point) const {
  return static_cast<double>(point.GetValue(m_surface)) * s_sign;
}

double CTrans_Ellipsoid_GDA94::GetSeparation(const CDataPt& /*point*/) const { return 0.0; }
