#pragma once
// Grids for the grid layer tests: a lattice of `rows` x `columns` nodes every `size`
// degrees from (minLat, minLon), the nodes `present` answers true for. LAT lies at
// -20 m everywhere and AHD rises eastward by `slope` metres per degree from LAT at the
// west edge, so the separation LAT -> AHD is slope * (longitude - minLon). Codes step
// by 1 cm.

#include <array>
#include <functional>

#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "support/TestLattice.h"

struct CLayerTestGrid {
  double minLat = 0, minLon = 0, size = 1;
  int rows = 2, columns = 2;
  double slope = 0;  // metres per degree
  std::function<bool(int, int)> present = [](int, int) { return true; };

  static constexpr int kLAT = 0, kAHD = 6;

  void Build(CGridInt& grid) const {
    CDataPt::s_offset = -100.0f;
    CDataPt::s_scale = 100.0f;
    grid.Reset();
    SetLattice(grid, minLat, minLon, size, rows, columns);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        if (!present(r, c)) continue;
        std::array<double, CDataPt::kSurfaceCount> values;
        values.fill(-20.0);
        values[kAHD] = -20.0 + slope * c * size;
        grid.SetNode(r, c, CDataPt(values));
      }
    }
  }
};
