#pragma once
// One coastline: its points in file order, drawn as one closed filled polygon, and
// their bounding rectangle, kept so that the map can skip lines outside the view
// without looking at their points.

#include <vector>

#include "core/map/MapPt.h"
#include "core/map/MapRect.h"

class CMapLine {
 public:
  // Appends pt; the first point sets the bounds, later ones extend them.
  void AddPoint(const CMapPt& pt);

  CMapRect m_bounds;
  std::vector<CMapPt> m_points;
};
