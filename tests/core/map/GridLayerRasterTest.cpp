#include <gtest/gtest.h>

#include <cmath>

#include "LayerTestGrid.h"
#include "core/map/GridLayerRaster.h"
#include "support/ClassWideValues.h"

namespace {

constexpr int kLAT = CLayerTestGrid::kLAT;
constexpr int kAHD = CLayerTestGrid::kAHD;

// A view of `width` x `height` pixels at `scale` pixels per degree centred on (lon, lat).
CMapView MakeView(int width, int height, double scale, float lon, float lat) {
  CMapView view;
  view.SetDrawRect(CPixelRect{5, 30, 5 + width, 30 + height});
  view.SetDataRect(CMapRect(CMapPt(lon - 50, lat - 50), CMapPt(lon + 50, lat + 50)));
  EXPECT_EQ(view.SetView(scale, CMapPt(lon, lat)), EViewChange::kChanged);
  return view;
}

// The map position the status line reports for pixel (x, y) of the drawing rectangle.
CMapPt PositionOf(const CMapView& view, int x, int y) {
  CMapPt p;
  EXPECT_TRUE(view.ClientToMap(CPixelPt{view.GetDrawRect().left + x, view.GetDrawRect().top + y}, p));
  return p;
}

TEST(GridLayerRasterTest, CellsWiderThanAPixelCoverExactlyWhereTheCursorReadsInsideGrid) {
  const CClassWideValues restore;  // CLayerTestGrid sets the coding values
  CLayerTestGrid lattice{-40, 140, 1, 6, 8, 0.5};
  lattice.present = [](int r, int c) { return !(r == 2 && c == 3) && !(r == 0 && c == 7); };
  CGridInt grid;
  lattice.Build(grid);
  const CMapView view = MakeView(200, 150, 20, 143.5f, -37.5f);
  CGridLayerRaster raster;
  raster.Compute(grid, view, {true, kLAT, kAHD});
  ASSERT_EQ(raster.Width(), 200);
  ASSERT_EQ(raster.Height(), 150);

  int covered = 0;
  for (int y = 0; y < raster.Height(); ++y) {
    for (int x = 0; x < raster.Width(); ++x) {
      const CMapPt p = PositionOf(view, x, y);
      CDataPt point;
      const bool inside = grid.Interpolate(p.m_y, p.m_x, point);
      ASSERT_EQ(raster.IsCovered(x, y), inside) << x << ", " << y;
      if (!inside) continue;
      ++covered;
      // The point page's separation at that position, but for its rounding of each
      // surface to the code step (1 cm).
      ASSERT_NEAR(raster.Value(x, y), CGridLayerRaster::SeparationAt(grid, point, p.m_y, p.m_x, kLAT, kAHD), 0.0101);
    }
  }
  EXPECT_GT(covered, 0);
  // The missing node leaves its four cells uncovered.
  const CPixelPt hole = view.MapToClient(CMapPt(143.0f, -38.0f));
  EXPECT_FALSE(raster.IsCovered(hole.x - view.GetDrawRect().left + 3, hole.y - view.GetDrawRect().top - 3));
}

TEST(GridLayerRasterTest, ACellSmallerThanAPixelShowsInThePixelOfItsCentre) {
  const CClassWideValues restore;  // CLayerTestGrid sets the coding values
  // One complete cell, (20, 30), among single nodes that make no cell.
  CLayerTestGrid lattice{-40, 140, 0.01, 50, 50, 10};
  lattice.present = [](int r, int c) {
    return ((r == 20 || r == 21) && (c == 30 || c == 31)) || (r == 5 && c == 5) || (r == 40 && c == 11);
  };
  CGridInt grid;
  lattice.Build(grid);
  const CMapView view = MakeView(100, 100, 25, 140.25f, -39.75f);  // a quarter of a pixel per cell
  CGridLayerRaster raster;
  raster.Compute(grid, view, {true, kLAT, kAHD});

  const CPixelPt centre = view.MapToClient(CMapPt(140.305f, -39.795f));
  const int cx = centre.x - view.GetDrawRect().left, cy = centre.y - view.GetDrawRect().top;
  for (int y = 0; y < raster.Height(); ++y)
    for (int x = 0; x < raster.Width(); ++x) ASSERT_EQ(raster.IsCovered(x, y), x == cx && y == cy) << x << ", " << y;
  // The value at the cell's centre: AHD at columns 30 and 31 lies 3.0 and 3.1 m above LAT.
  EXPECT_NEAR(raster.Value(cx, cy), 3.05, 1e-5);
  ASSERT_TRUE(raster.HasRange());
  EXPECT_EQ(raster.Min(), raster.Max());

  // A view away from the grid covers nothing.
  raster.Compute(grid, MakeView(100, 100, 25, 150.0f, -39.75f), {true, kLAT, kAHD});
  EXPECT_FALSE(raster.HasRange());
}

// The grid's last lattice lines decide which cells a far-out view shows: a cell that
// the extents end in (here a little short of its north and east lines) is shown, as the
// grid answers in it.
TEST(GridLayerRasterTest, ACellTheExtentsEndInShowsInThePixelOfItsCentre) {
  const CClassWideValues restore;  // CLayerTestGrid sets the coding values
  CLayerTestGrid lattice{-40, 140, 0.01, 50, 50, 10};
  lattice.present = [](int r, int c) { return r >= 48 && c >= 48; };  // cell (48, 48) alone
  CGridInt grid;
  lattice.Build(grid);
  CGridInt::Header header;
  header.gridSize = 0.01, header.minLat = -40, header.minLon = 140;
  header.maxLat = -40 + 0.49 - 2 * CGridInt::kOnLineTolerance;  // twice the tolerance short of line 49
  header.maxLon = 140 + 0.49 - 2 * CGridInt::kOnLineTolerance;
  grid.SetHeader(header);
  CDataPt point;
  ASSERT_TRUE(grid.Interpolate(-39.515, 140.485, point));  // the cell's centre

  const CMapView view = MakeView(100, 100, 25, 140.25f, -39.75f);  // a quarter of a pixel per cell
  CGridLayerRaster raster;
  raster.Compute(grid, view, {true, kLAT, kAHD});
  const CPixelPt centre = view.MapToClient(CMapPt(140.485f, -39.515f));
  EXPECT_TRUE(raster.IsCovered(centre.x - view.GetDrawRect().left, centre.y - view.GetDrawRect().top));
}

TEST(GridLayerRasterTest, AFullGridLeavesNoGapAndNoOverhangAtAnyScale) {
  const CClassWideValues restore;  // CLayerTestGrid sets the coding values
  // 2 x 3 degrees in cells of 0.05 degrees, AHD 1 m per degree above LAT; the scales put
  // 0.5 to 15 pixels in a cell.
  const CLayerTestGrid lattice{-40, 140, 0.05, 41, 61, 1};
  CGridInt grid;
  lattice.Build(grid);
  for (double scale : {10.0, 15.0, 19.9, 20.0, 20.1, 35.0, 80.0, 300.0}) {
    // The whole grid, and a small view that the grid overflows.
    for (const CMapView& view : {MakeView(240, 180, scale, 141.5f, -39.0f), MakeView(40, 16, scale, 142.2f, -39.0f)}) {
      SCOPED_TRACE(testing::Message() << scale << " px/deg, " << view.GetDrawRect().Width() << " px wide");
      CGridLayerRaster raster;
      raster.Compute(grid, view, {true, kLAT, kAHD});
      const double pixel = 1.0 / scale;
      for (int y = 0; y < raster.Height(); ++y) {
        for (int x = 0; x < raster.Width(); ++x) {
          const CMapPt p = PositionOf(view, x, y);
          const double inset = std::min({p.m_x - 140.0, 143.0 - p.m_x, p.m_y + 40.0, -38.0 - p.m_y});
          if (inset > pixel) {
            ASSERT_TRUE(raster.IsCovered(x, y)) << x << ", " << y;
          } else if (inset < -pixel) {
            ASSERT_FALSE(raster.IsCovered(x, y)) << x << ", " << y;
          }
          // Each pixel's value comes from within half a pixel of its own place.
          if (raster.IsCovered(x, y)) {
            ASSERT_NEAR(raster.Value(x, y), p.m_x - 140.0, 0.5 * pixel + 0.011) << x << ", " << y;
          }
        }
      }
    }
  }
}

TEST(GridLayerRasterTest, SeparationIsTheHeightOfTheSecondSurfaceAboveTheFirst) {
  const CClassWideValues restore;                      // CLayerTestGrid sets the coding values
  const CLayerTestGrid lattice{-40, 140, 1, 5, 5, 2};  // AHD is 0 to 8 m above LAT
  CGridInt grid;
  lattice.Build(grid);
  const CMapView view = MakeView(300, 300, 40, 142.0f, -38.0f);  // the whole grid and some sea
  const CPixelPt node = view.MapToClient(CMapPt(142.0f, -38.0f));
  const int x = node.x - view.GetDrawRect().left, y = node.y - view.GetDrawRect().top;
  const double tolerance = 2.0 / 40 + 0.01;  // a pixel's worth, and a code step

  CGridLayerRaster raster;
  raster.Compute(grid, view, {true, kLAT, kAHD});
  EXPECT_NEAR(raster.Value(x, y), 4.0, tolerance);
  ASSERT_TRUE(raster.HasRange());
  EXPECT_NEAR(raster.Min(), 0.0, tolerance);
  EXPECT_NEAR(raster.Max(), 8.0, tolerance);

  raster.Compute(grid, view, {true, kAHD, kLAT});
  EXPECT_NEAR(raster.Value(x, y), -4.0, tolerance);
  raster.Compute(grid, view, {true, CDataPt::kEllipsoid, kAHD});
  EXPECT_NEAR(raster.Value(x, y), -16.0, tolerance);
  raster.Compute(grid, view, {false, kLAT, kAHD});  // coverage alone
  EXPECT_EQ(raster.Value(x, y), 0.0f);
  EXPECT_FALSE(raster.IsCovered(0, 0));
}

}  // namespace
