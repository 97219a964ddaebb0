#pragma once
// Grid interpolation for long runs of points, giving exactly what CGridInt::Interpolate
// gives, faster. Two things make it fast:
//  - the decoded value of every possible 16-bit code is tabled once (256 KiB, for the
//    coding values in force), so a cell needs no divisions to decode its corners;
//  - the corners of the last cell are kept, so points along a survey track, which
//    mostly stay in one cell, skip the row searches.
// Only the plain case is computed here: a finite position inside the extents, clear of
// every lattice line by more than the snapping tolerance, in a cell whose four corners
// exist. Every other position (near a line, fallback cells, outside) is handed to
// CGridInt::Interpolate itself. The arithmetic below repeats the model's interpolation
// step for step; a test compares the two on many positions.

#include <array>
#include <cstdint>
#include <memory>

#include "grid/DataPt.h"

class CGridInt;

class CGridLookup {
 public:
  // Forgets the grid and the kept cell (a grid may be reloaded in place between files).
  void Reset();
  // As CGridInt::Interpolate on `grid`.
  bool Interpolate(const CGridInt& grid, double latitude, double longitude, CDataPt& result);

 private:
  void Bind(const CGridInt& grid);

  const CGridInt* m_grid = nullptr;
  double m_minLat = 0, m_maxLat = 0, m_minLon = 0, m_maxLon = 0, m_size = 0;
  std::unique_ptr<float[]> m_decoded;  // value of each code under the coding values below
  float m_tableOffset = 0, m_tableScale = 0;
  std::int32_t m_row = -1, m_column = -1;
  std::array<const CDataPt*, 4> m_corners{};  // SW, SE, NW, NE of the kept cell
};
