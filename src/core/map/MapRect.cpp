#include "core/map/MapRect.h"

#include <algorithm>

CMapRect::CMapRect(const CMapPt& a, const CMapPt& b)
    : m_min(std::min(a.m_x, b.m_x), std::min(a.m_y, b.m_y)), m_max(std::max(a.m_x, b.m_x), std::max(a.m_y, b.m_y)) {}

void CMapRect::Extend(const CMapPt& pt) {
  m_min.m_x = std::min(m_min.m_x, pt.m_x);
  m_min.m_y = std::min(m_min.m_y, pt.m_y);
  m_max.m_x = std::max(m_max.m_x, pt.m_x);
  m_max.m_y = std::max(m_max.m_y, pt.m_y);
}

bool CMapRect::Intersects(const CMapRect& other) const {
  return std::max(m_min.m_x, other.m_min.m_x) <= std::min(m_max.m_x, other.m_max.m_x) &&
         std::max(m_min.m_y, other.m_min.m_y) <= std::min(m_max.m_y, other.m_max.m_y);
}

bool CMapRect::Contains(const CMapPt& pt) const {
  return m_min.m_x <= pt.m_x && pt.m_x <= m_max.m_x && m_min.m_y <= pt.m_y && pt.m_y <= m_max.m_y;
}

CMapPt CMapRect::Centre() const { return CMapPt((m_min.m_x + m_max.m_x) * 0.5f, (m_min.m_y + m_max.m_y) * 0.5f); }
