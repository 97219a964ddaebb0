#pragma once
// A grid whose nodes all hold the same data point, so that any position inside it
// answers exactly that point's values.

#include "grid/GridInt.h"

// Makes `grid` a lattice of rows x columns nodes every `spacing` degrees from the
// south-west node (south, west), each holding `point`.
inline void FillUniform(CGridInt& grid, double south, double west, double spacing, int rows, int columns,
                        const CDataPt& point) {
  CGridInt::Header header;
  header.gridSize = spacing;
  header.minLat = south;
  header.maxLat = south + (rows - 1) * spacing;
  header.minLon = west;
  header.maxLon = west + (columns - 1) * spacing;
  grid.SetHeader(header);
  grid.SetRowCount(static_cast<std::size_t>(rows));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) grid.SetNode(r, c, point);
}
