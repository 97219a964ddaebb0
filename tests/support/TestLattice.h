#pragma once
// Grids made in memory for tests: a lattice's header and rows, and a lattice whose
// nodes all hold the same data point (any position inside answers exactly its values).

#include "core/grid/GridInt.h"

// Gives `grid` a lattice of rows x columns nodes every `spacing` degrees from the
// south-west node (south, west), with its rows empty.
inline void SetLattice(CGridInt& grid, double south, double west, double spacing, int rows, int columns) {
  CGridInt::Header header;
  header.gridSize = spacing;
  header.minLat = south;
  header.maxLat = south + (rows - 1) * spacing;
  header.minLon = west;
  header.maxLon = west + (columns - 1) * spacing;
  grid.SetHeader(header);
  grid.SetRowCount(static_cast<std::size_t>(rows));
}

// SetLattice with every node holding `point`.
inline void FillUniform(CGridInt& grid, double south, double west, double spacing, int rows, int columns,
                        const CDataPt& point) {
  SetLattice(grid, south, west, spacing, rows, columns);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) grid.SetNode(r, c, point);
}
