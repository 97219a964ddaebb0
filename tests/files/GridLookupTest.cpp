// The handlers' fast interpolation must answer exactly what the grid model answers.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "files/GridLookup.h"
#include "FilesTestSupport.h"

namespace {

// A 2-minute lattice over 2 degrees with varying values and a hole of missing nodes.
void BuildVaryingGrid(CGridInt& grid) {
  CGridInt::Header header;
  header.majorVersion = 1;
  header.gridSize = 1.0 / 30;
  header.minLat = -28.0;
  header.maxLat = -26.0;
  header.minLon = 152.0;
  header.maxLon = 154.0;
  grid.SetHeader(header);
  grid.SetRowCount(61);
  for (int r = 0; r < 61; ++r) {
    for (int c = 0; c < 61; ++c) {
      if (r >= 20 && r < 24 && c >= 30 && c < 33) continue;  // hole
      std::array<double, CDataPt::kSurfaceCount> values{};
      for (int k = 0; k < CDataPt::kSurfaceCount; ++k) values[k] = -3.0 + 0.4 * k + std::sin(r * 0.3 + c * 0.7 + k);
      grid.SetNode(r, c, CDataPt(values));
    }
  }
}

void ExpectSame(CGridLookup& lookup, const CGridInt& grid, double lat, double lon) {
  CDataPt fast, model;
  fast.m_codes.fill(7);
  model.m_codes.fill(7);
  const bool fastInside = lookup.Interpolate(grid, lat, lon, fast);
  ASSERT_EQ(fastInside, grid.Interpolate(lat, lon, model)) << lat << " " << lon;
  ASSERT_EQ(fast.m_codes, model.m_codes) << lat << " " << lon;
}

}  // namespace

TEST(GridLookupTest, MatchesTheModelEverywhere) {
  CFilesTestGrid guard;  // restores the coding values
  CGridInt grid;
  BuildVaryingGrid(grid);
  CGridLookup lookup;
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> lat(-28.1, -25.9), lon(151.9, 154.1), step(-2e-5, 2e-5);
  for (int n = 0; n < 20000; ++n) ExpectSame(lookup, grid, lat(rng), lon(rng));
  // Along a track, crossing cell lines and the hole.
  double a = -27.3, o = 152.9;
  for (int n = 0; n < 20000; ++n) {
    o += 1e-5;
    a += step(rng);
    ExpectSame(lookup, grid, a, o);
  }
  // On and next to lattice lines, at the extents, and non-finite positions.
  for (const double d : {0.0, 4e-7, 8.9e-7, 9.1e-7, 2e-6}) {
    ExpectSame(lookup, grid, -27.0 + d, 153.0 + d);
    ExpectSame(lookup, grid, -27.0 - d, 153.0 - d);
    ExpectSame(lookup, grid, -28.0 + d, 152.5);
    ExpectSame(lookup, grid, -26.0 - d, 154.0 - d);
  }
  ExpectSame(lookup, grid, NAN, 153.0);
  ExpectSame(lookup, grid, -27.0, INFINITY);
  // Other coding values take effect at once.
  CDataPt::s_offset = -50.0f;
  CDataPt::s_scale = 200.0f;
  for (int n = 0; n < 2000; ++n) ExpectSame(lookup, grid, lat(rng), lon(rng));
}

TEST(GridLookupTest, ResetForgetsAReloadedGrid) {
  CFilesTestGrid guard;
  CGridInt grid;
  BuildVaryingGrid(grid);
  CGridLookup lookup;
  ExpectSame(lookup, grid, -27.01, 153.01);
  // Same object, new contents: after Reset the kept cell must not be used.
  std::array<double, CDataPt::kSurfaceCount> values{};
  values.fill(1.0);
  for (int r = 0; r < 61; ++r) {
    for (int c = 0; c < 61; ++c) grid.SetNode(r, c, CDataPt(values));
  }
  lookup.Reset();
  ExpectSame(lookup, grid, -27.01, 153.01);
}
