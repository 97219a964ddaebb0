#pragma once
// A point of the coast map in geographic degrees held as 32-bit floats: x is the
// longitude (east positive), y the latitude (north positive). No datum is attached; the
// map treats the numbers as plain planar coordinates.

class CMapPt {
 public:
  CMapPt() = default;
  CMapPt(float x, float y) : m_x(x), m_y(y) {}

  CMapPt operator+(const CMapPt& other) const { return CMapPt(m_x + other.m_x, m_y + other.m_y); }
  CMapPt operator-(const CMapPt& other) const { return CMapPt(m_x - other.m_x, m_y - other.m_y); }

  float m_x = 0.0f;  // longitude, degrees
  float m_y = 0.0f;  // latitude, degrees
};
