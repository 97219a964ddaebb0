#pragma once
// A named place of the coast map. The name is kept as UTF-16 code units, as the coast
// data file stores it.

#include <string>

#include "core/map/MapPt.h"

class CMapTown {
 public:
  CMapTown() = default;
  CMapTown(std::u16string name, const CMapPt& pos) : m_name(std::move(name)), m_pos(pos) {}

  std::u16string m_name;
  CMapPt m_pos;
};
