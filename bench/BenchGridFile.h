#pragma once
// A synthetic grid file for the benchmarks that run the programs: every node of a
// regular lattice present, smooth surfaces a few metres apart that vary over the whole
// area. Coded with offset -100 and scale 100 (centimetres).

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/grid/GridWriter.h"

struct CBenchLattice {
  int columns, rows;
  double spacing;  // degrees
  double south, west;
};

// The grid export benchmarks' lattice: 1800 x 900 nodes at one minute of arc
// (30 x 15 degrees) from (-45, 120).
constexpr CBenchLattice kExportBenchLattice{1800, 900, 1.0 / 60, -45, 120};

inline CDataPt BenchNodeValues(int r, int c) {
  std::array<double, CDataPt::kSurfaceCount> values;
  const double geoid = 20 * std::sin(r * 0.004) + 15 * std::cos(c * 0.003);
  for (int k = 0; k < CDataPt::kSurfaceCount; ++k)
    values[k] = geoid + 0.4 * (k - 6) * (1.5 + std::sin(c * 0.01 + r * 0.02));
  return CDataPt(values);
}

// Writes the grid file, or ends the benchmark when it cannot.
inline void WriteBenchGridFile(const std::string& path, const CBenchLattice& lattice) {
  CDataPt::s_offset = -100.0f;
  CDataPt::s_scale = 100.0f;
  CGridWriter writer;
  if (!writer.Open(path)) std::exit(1);
  CGridWriter::Header header;
  header.majorVersion = 1, header.year = 2099, header.month = 3, header.day = 8;  // no age notice
  header.gridSize = lattice.spacing;
  header.minLat = lattice.south, header.maxLat = lattice.south + (lattice.rows - 1) * lattice.spacing;
  header.minLon = lattice.west, header.maxLon = lattice.west + (lattice.columns - 1) * lattice.spacing;
  header.valueOffset = CDataPt::s_offset, header.valueScale = CDataPt::s_scale;
  header.rowCount = lattice.rows;
  writer.WriteHeader(header);
  for (int r = 0; r < lattice.rows; ++r) {
    CGridInt::Row row;
    for (int c = 0; c < lattice.columns; ++c) row.push_back({c, BenchNodeValues(r, c)});
    writer.WriteRow(row);
  }
  if (!writer.Close()) std::exit(1);
}
