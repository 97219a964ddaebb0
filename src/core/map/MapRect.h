#pragma once
// An axis-aligned rectangle in map coordinates (degrees). m_min is the south-west
// corner, m_max the north-east one; m_min never exceeds m_max in either component.

#include "core/map/MapPt.h"

class CMapRect {
 public:
  CMapRect() = default;
  // The rectangle spanned by two corners given in any order.
  CMapRect(const CMapPt& a, const CMapPt& b);

  // Grows the rectangle just enough to hold pt.
  void Extend(const CMapPt& pt);
  // Whether the two rectangles share at least one point; touching edges count. Compared
  // on the 32-bit values.
  bool Intersects(const CMapRect& other) const;
  // Whether pt lies inside or on the edge.
  bool Contains(const CMapPt& pt) const;
  CMapPt Centre() const;

  CMapPt m_min;
  CMapPt m_max;
};
