#include "core/map/MapLine.h"

void CMapLine::AddPoint(const CMapPt& pt) {
  if (m_points.empty()) {
    m_bounds = CMapRect(pt, pt);
  } else {
    m_bounds.Extend(pt);
  }
  m_points.push_back(pt);
}
