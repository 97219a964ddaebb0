#pragma once
// The lattice both point benchmarks work on: 600 x 600 nodes at one minute from
// (-40, 140), every node present, smoothly varying surfaces.

#include <array>

#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"

constexpr int kSide = 600;  // nodes per row and column of a one-minute lattice
constexpr double kGridSize = 1.0 / 60;

inline void BuildPointBenchGrid(CGridInt& grid) {
  CDataPt::s_offset = -50.0f;
  CDataPt::s_scale = 100.0f;
  CGridInt::Header header;
  header.gridSize = kGridSize;
  header.minLat = -40;
  header.maxLat = -40 + (kSide - 1) * kGridSize;
  header.minLon = 140;
  header.maxLon = 140 + (kSide - 1) * kGridSize;
  grid.SetHeader(header);
  grid.SetRowCount(kSide);
  for (int r = 0; r < kSide; ++r) {
    auto& row = grid.MutableRow(r);
    row.reserve(kSide);
    for (int c = 0; c < kSide; ++c) {
      std::array<double, CDataPt::kSurfaceCount> values;
      for (int k = 0; k < CDataPt::kSurfaceCount; ++k) values[k] = -3.0 + 0.4 * k + 0.001 * ((r * 7 + c * 3) % 100);
      row.push_back({c, CDataPt(values)});
    }
    grid.SortRow(r);
  }
}
