#include "core/map/GridLayerRaster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/trans/Gda2020Helmert.h"

namespace {

constexpr float kNotCovered = std::numeric_limits<float>::quiet_NaN();

// Degrees (about 1 m) from a lattice line beyond which a position certainly lies in
// its own cell: well beyond the grid's on-line tolerance (about 0.1 m), within which
// the grid may answer with the cell across the line.
constexpr double kInsideMargin = 1e-5;

bool IsSurface(int k) { return k >= 0 && k < CDataPt::kSurfaceCount; }

// What the separation of `to` above `from` takes from the position alone: the GDA2020
// ellipsoid's height above the GDA94 one, for the side that is that ellipsoid.
double PositionTerm(int from, int to, double latitude, double longitude) {
  const auto height = [&](int k) {
    return k == CDataPt::kEllipsoidGda2020 ? CGda2020Helmert::EllipsoidHeight(latitude, longitude) : 0.0;
  };
  return height(to) - height(from);
}

bool ReadsPosition(const CGridLayerRaster::Request& request) {
  return request.from == CDataPt::kEllipsoidGda2020 || request.to == CDataPt::kEllipsoidGda2020;
}

// The map position the status line reports for a pixel of the drawing rectangle, by
// column and by row (see CMapView::ClientToMap).
std::vector<float> ColumnLongitudes(const CMapView& view) {
  const CPixelRect& draw = view.GetDrawRect();
  std::vector<float> longitudes(static_cast<std::size_t>(std::max(0, draw.Width())));
  for (std::size_t x = 0; x < longitudes.size(); ++x) {
    CMapPt p;
    view.ClientToMap(CPixelPt{draw.left + static_cast<int>(x), draw.top}, p);
    longitudes[x] = p.m_x;
  }
  return longitudes;
}

float RowLatitude(const CMapView& view, int y) {
  CMapPt p;
  view.ClientToMap(CPixelPt{view.GetDrawRect().left, view.GetDrawRect().top + y}, p);
  return p.m_y;
}

// The decoded heights of surface k (0 for the ellipsoid) at the corners of a located
// cell, in the order SW, SE, NW, NE.
std::array<double, 4> CornerHeights(const CGridInt& grid, const CGridInt::Cell& cell, int k) {
  if (!IsSurface(k)) return {};
  const auto at = static_cast<std::size_t>(k);
  return {grid.DecodeValue(cell.southPair[0].point.m_codes[at]), grid.DecodeValue(cell.southPair[1].point.m_codes[at]),
          grid.DecodeValue(cell.northPair[0].point.m_codes[at]), grid.DecodeValue(cell.northPair[1].point.m_codes[at])};
}

std::int32_t ClampToIndex(double index) {
  return static_cast<std::int32_t>(std::clamp(index, -2147483647.0, 2147483646.0));
}

}  // namespace

double CGridLayerRaster::SeparationAt(const CGridInt& grid, const CDataPt& point, double latitude, double longitude,
                                      int from, int to) {
  const auto height = [&](int k) {
    return IsSurface(k) ? static_cast<double>(grid.DecodeValue(point.m_codes[static_cast<std::size_t>(k)])) : 0.0;
  };
  return height(to) - height(from) + PositionTerm(from, to, latitude, longitude);
}

bool CGridLayerRaster::IsCovered(int x, int y) const { return !std::isnan(Value(x, y)); }

void CGridLayerRaster::Compute(const CGridInt& grid, const CMapView& view, const Request& request) {
  m_width = std::max(0, view.GetDrawRect().Width());
  m_height = std::max(0, view.GetDrawRect().Height());
  m_values.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), kNotCovered);
  m_hasRange = false;
  m_min = m_max = 0;
  if (!view.HasView() || !grid.IsLoaded() || m_values.empty()) return;

  const CMapRect shown = view.ViewRect();
  if (shown.m_max.m_x < grid.GetMinLon() || shown.m_min.m_x > grid.GetMaxLon() || shown.m_max.m_y < grid.GetMinLat() ||
      shown.m_min.m_y > grid.GetMaxLat())
    return;
  if (grid.GetGridSize() * view.GetScale() >= 1.0)
    ComputeByPixel(grid, view, request);
  else
    ComputeByCell(grid, view, request);
  FindRange();
}

void CGridLayerRaster::ComputeByPixel(const CGridInt& grid, const CMapView& view, const Request& request) {
  const double g = grid.GetGridSize();
  const bool readsPosition = ReadsPosition(request);
  const std::vector<float> longitudes = ColumnLongitudes(view);
  CGridInt::Cell cell{};
  bool located = false;
  for (int y = 0; y < m_height; ++y) {
    const double latitude = RowLatitude(view, y);
    float* out = m_values.data() + static_cast<std::size_t>(y) * m_width;
    // The cell of the last covered pixel of this row and the longitudes between which
    // the grid would answer with that cell again (empty when it may not).
    bool inCell = false;
    double west = 0, south = 0, eastInner = 0, westInner = 0;
    std::array<double, 4> from{}, to{};  // the two surfaces at the corners SW, SE, NW, NE
    for (int x = 0; x < m_width; ++x) {
      const double longitude = longitudes[static_cast<std::size_t>(x)];
      if (!inCell || !(longitude > westInner && longitude < eastInner)) {
        // Neighbouring rows mostly share cells too: the last one found spares the search.
        inCell = grid.LocateCell(latitude, longitude, cell, located ? &cell : nullptr);
        if (!inCell) continue;
        located = true;
        south = grid.GetMinLat() + cell.row * g;
        west = grid.GetMinLon() + cell.column * g;
        // Well inside the cell (and the extents), away from the lines where the grid
        // may answer with a neighbouring cell, it answers with this one.
        const bool rowInside = latitude > south + kInsideMargin && latitude < south + g - kInsideMargin &&
                               latitude > grid.GetMinLat() && latitude < grid.GetMaxLat();
        westInner = rowInside ? std::max(west + kInsideMargin, grid.GetMinLon()) : 0;
        eastInner = rowInside ? std::min(west + g - kInsideMargin, grid.GetMaxLon()) : 0;
        if (request.separation) {
          from = CornerHeights(grid, cell, request.from);
          to = CornerHeights(grid, cell, request.to);
        }
      }
      if (!request.separation) {
        out[x] = 0;
        continue;
      }
      // Bilinear in the cell with the grid's own area weights.
      const double north = south + g, east = west + g;
      const std::array<double, 4> w = {(north - latitude) * (east - longitude), (north - latitude) * (longitude - west),
                                       (latitude - south) * (east - longitude),
                                       (latitude - south) * (longitude - west)};
      const double area = g * g;
      const auto at = [&w, area](const std::array<double, 4>& h) {
        return (w[1] * h[1] + w[0] * h[0] + w[2] * h[2] + w[3] * h[3]) / area;
      };
      const double term = readsPosition ? PositionTerm(request.from, request.to, latitude, longitude) : 0.0;
      out[x] = static_cast<float>(at(to) - at(from) + term);
    }
  }
}

void CGridLayerRaster::ComputeByCell(const CGridInt& grid, const CMapView& view, const Request& request) {
  const CPixelRect& draw = view.GetDrawRect();
  const double g = grid.GetGridSize();
  const double minLat = grid.GetMinLat(), minLon = grid.GetMinLon();
  const bool readsPosition = ReadsPosition(request);
  // The cells up to the last lattice lines the grid answers on.
  const std::int32_t rowLimit = ClampToIndex(grid.LastRow());
  const std::int32_t columnLimit = ClampToIndex(grid.LastColumn());

  // The cells whose centres may fall in the drawing rectangle, with a cell to spare.
  const CMapRect shown = view.ViewRect();
  const std::int32_t rowFirst = std::max(0, ClampToIndex(std::floor((shown.m_min.m_y - minLat) / g) - 1));
  const std::int32_t rowLast = std::min(rowLimit - 1, ClampToIndex(std::ceil((shown.m_max.m_y - minLat) / g) + 1));
  const std::int32_t columnFirst = std::max(0, ClampToIndex(std::floor((shown.m_min.m_x - minLon) / g) - 1));
  const std::int32_t columnLast =
      std::min(columnLimit - 1, ClampToIndex(std::ceil((shown.m_max.m_x - minLon) / g) + 1));
  if (rowFirst > rowLast || columnFirst > columnLast) return;

  // Each cell row lands on the pixel row of its centres. Of the cell rows that share a
  // pixel row, the one nearest to the pixel's own latitude goes first and wins.
  struct RowOnScreen {
    int y;
    float distance;
    std::int32_t row;
  };
  std::vector<RowOnScreen> rows;
  for (std::int32_t r = rowFirst; r <= rowLast; ++r) {
    const auto centre = static_cast<float>(minLat + (r + 0.5) * g);
    const int y = view.MapToClient(CMapPt(view.GetOrigin().m_x, centre)).y - draw.top;
    if (y < 0 || y >= m_height) continue;
    rows.push_back({y, std::fabs(RowLatitude(view, y) - centre), r});
  }
  std::sort(rows.begin(), rows.end(), [](const RowOnScreen& a, const RowOnScreen& b) {
    return a.y != b.y ? a.y < b.y : a.distance < b.distance;
  });

  const std::vector<float> longitudes = ColumnLongitudes(view);

  std::vector<CGridInt::CellSpan> spans;
  for (const RowOnScreen& on : rows) {
    grid.FindCompleteCells(on.row, columnFirst, columnLast, spans);
    float* out = m_values.data() + static_cast<std::size_t>(on.y) * m_width;
    const auto centre = static_cast<float>(minLat + (on.row + 0.5) * g);
    for (const CGridInt::CellSpan& span : spans) {
      const auto pixelOf = [&](std::int32_t c) {
        return view.MapToClient(CMapPt(static_cast<float>(minLon + (c + 0.5) * g), centre)).x - draw.left;
      };
      // Centres lie less than a pixel apart: every pixel from the first centre's to the
      // last one's holds at least one.
      const int x0 = std::max(0, pixelOf(span.first));
      const int x1 = std::min(m_width - 1, pixelOf(span.last));
      for (int x = x0; x <= x1; ++x) {
        if (!std::isnan(out[x])) continue;  // a nearer cell row was here first
        if (!request.separation) {
          out[x] = 0;
          continue;
        }
        // The cell nearest to the pixel's position is the one holding it.
        const double index = std::floor((longitudes[static_cast<std::size_t>(x)] - minLon) / g);
        const auto c = static_cast<std::int32_t>(
            std::clamp(index, static_cast<double>(span.first), static_cast<double>(span.last)));
        const CGridInt::Node* south = span.south + (c - span.first);
        const CGridInt::Node* north = span.north + (c - span.first);
        // The value at the cell's centre: the mean of its four corners.
        const auto height = [&](int k) {
          if (!IsSurface(k)) return 0.0;
          const auto at = static_cast<std::size_t>(k);
          return (static_cast<double>(grid.DecodeValue(south[0].point.m_codes[at])) +
                  grid.DecodeValue(south[1].point.m_codes[at]) + grid.DecodeValue(north[0].point.m_codes[at]) +
                  grid.DecodeValue(north[1].point.m_codes[at])) /
                 4.0;
        };
        const double term =
            readsPosition ? PositionTerm(request.from, request.to, centre, minLon + (c + 0.5) * g) : 0.0;
        out[x] = static_cast<float>(height(request.to) - height(request.from) + term);
      }
    }
  }
}

void CGridLayerRaster::FindRange() {
  for (float v : m_values) {
    if (std::isnan(v)) continue;
    if (!m_hasRange) {
      m_min = m_max = v;
      m_hasRange = true;
    }
    m_min = std::min(m_min, v);
    m_max = std::max(m_max, v);
  }
}
