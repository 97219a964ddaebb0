#include "trans/TransSurface.h"

#include "grid/DataPt.h"

double CTransSurface::GetSeparation(const CDataPt& point) const { return SeparationOf(point.GetValue(m_surface)); }

double CTrans_Ellipsoid_GDA94::GetSeparation(const CDataPt& /*point*/) const { return 0.0; }
