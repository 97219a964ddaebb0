#pragma once
// What the loaded grid looks like in one view of the coast map: for every pixel of the
// drawing rectangle, whether a transformation is possible there and the separation
// between two chosen surfaces. Only the view is rasterised: the work reads the grid's
// sparse rows for the part in view, never a raster of the whole grid.
//
// Which pixels a cell covers depends on its size on screen (g = grid size in degrees,
// s = view scale in pixels per degree):
// - g * s >= 1 (cells at least a pixel wide): every pixel answers for its own map
//   position, the one the status line reports under the cursor, through
//   CGridInt::LocateCell. A pixel is covered exactly when the cursor there reads
//   "Inside grid", and its separation is interpolated as the point page's is, without
//   the page's rounding of each surface to the grid's code step.
// - g * s < 1 (several cells per pixel): every complete cell up to the grid's last
//   lattice lines (CGridInt::LastRow, LastColumn) marks the pixel that holds its centre
//   (the pixel a coastline point there is drawn on), so no cell is lost however far out
//   the view is. Such a pixel takes the separation at the centre of the
//   complete cell nearest to its own position.
// In both cases every complete cell in view covers at least one pixel.

#include <cstddef>
#include <vector>

#include "core/grid/DataPt.h"
#include "core/map/MapView.h"

class CGridInt;

class CGridLayerRaster {
 public:
  // CDataPt::kEllipsoid under the name the map's layers use.
  static constexpr int kEllipsoid = CDataPt::kEllipsoid;

  // What to compute: with `separation`, the height of surface `to` above surface `from`
  // (surface indices 0..13, CDataPt::kEllipsoid or CDataPt::kEllipsoidGda2020), in
  // metres, without the sign convention; without it only the coverage (covered pixels
  // then hold 0).
  struct Request {
    bool separation = false;
    int from = 0;
    int to = 0;
  };

  // The height of surface `to` above `from` at a data point interpolated from `grid` at
  // `latitude`, `longitude` (decimal degrees), in metres.
  static double SeparationAt(const CGridInt& grid, const CDataPt& point, double latitude, double longitude, int from,
                             int to);

  // Rasterises `grid` for the drawing rectangle and view of `view`. Without a view, or
  // without a loaded grid, nothing is covered.
  void Compute(const CGridInt& grid, const CMapView& view, const Request& request);

  // The size of the last computation: the drawing rectangle's.
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // Pixel (x, y) counted from the drawing rectangle's top-left corner.
  bool IsCovered(int x, int y) const;
  // The separation at a covered pixel (0 for coverage alone); NaN where not covered.
  float Value(int x, int y) const { return m_values[static_cast<std::size_t>(y) * m_width + x]; }
  // One row of values, m_width long.
  const float* Row(int y) const { return m_values.data() + static_cast<std::size_t>(y) * m_width; }

  // Whether any pixel is covered, and the smallest and largest value of the covered ones.
  bool HasRange() const { return m_hasRange; }
  float Min() const { return m_min; }
  float Max() const { return m_max; }

 private:
  void ComputeByPixel(const CGridInt& grid, const CMapView& view, const Request& request);
  void ComputeByCell(const CGridInt& grid, const CMapView& view, const Request& request);
  void FindRange();

  int m_width = 0, m_height = 0;
  std::vector<float> m_values;  // row by row from the top; NaN where not covered
  bool m_hasRange = false;
  float m_min = 0, m_max = 0;
};
