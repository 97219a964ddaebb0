#include "core/trans/TransSurface.h"

#include "core/grid/DataPt.h"
#include "core/trans/Gda2020Helmert.h"

double CTransSurface::GetSeparation(const CDataPt& point, double, double, double sign) const {
  return SeparationOf(point.GetValue(m_surface), sign);
}

double CTrans_Ellipsoid_GDA94::GetSeparation(const CDataPt&, double, double, double) const { return 0.0; }

double CTrans_Ellipsoid_GDA2020::GetSeparation(const CDataPt&, double latitude, double longitude, double sign) const {
  return CGda2020Helmert::EllipsoidHeight(latitude, longitude) * sign;
}
