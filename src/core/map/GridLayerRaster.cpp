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

// Extents are whole multiples of the grid size up to the file's rounding.
constexpr double kIndexTolerance = 1e-6;

// Degrees (about 1 m) from a lattice line beyond which a position certainly lies in
// its own cell: well beyond the grid's on-line tolerance (about 0.1 m), within which
// the grid may answer with the cell across the line.
constexpr double kInsideMargin = 1e-5;

// A run of consecutive columns of one grid row: its first and last column and the
// position of its first node in the row.
struct CRun {
  std::int32_t first, last;
  std::size_t index;
};

// Complete cells of one cell row: consecutive columns first..last, with the positions of
// the south-west corner of `first` in the south row and of its north-west corner in the
// north row (each corner's east neighbour follows it).
struct CCellSpan {
  std::int32_t first, last;
  std::size_t south, north;
};

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

// The runs of `row` from its first column at or after `lo` up to column `hi`.
void FindRuns(const CGridInt::Row& row, std::int32_t lo, std::int32_t hi, std::vector<CRun>& runs) {
  runs.clear();
  std::size_t i = static_cast<std::size_t>(
      std::lower_bound(row.begin(), row.end(), lo,
                       [](const CGridInt::Node& node, std::int32_t column) { return node.column < column; }) -
      row.begin());
  // Columns are unique and ascending, so column - position never decreases along the
  // row and stays the same within a run: the run ends before it first grows.
  const auto key = [&row](std::size_t at) {
    return static_cast<std::int64_t>(row[at].column) - static_cast<std::int64_t>(at);
  };
  while (i < row.size() && row[i].column <= hi) {
    std::size_t end = i + 1, limit = row.size();
    while (end < limit) {
      const std::size_t mid = end + (limit - end) / 2;
      if (key(mid) > key(i))
        limit = mid;
      else
        end = mid + 1;
    }
    runs.push_back({row[i].column, row[end - 1].column, i});
    i = end;
  }
}

// The complete cells of the cell row between grid rows `south` and `north` (the runs of
// each), in column order.
void FindCellSpans(const std::vector<CRun>& south, const std::vector<CRun>& north, std::vector<CCellSpan>& spans) {
  spans.clear();
  std::size_t p = 0, q = 0;
  while (p < south.size() && q < north.size()) {
    const CRun& s = south[p];
    const CRun& n = north[q];
    // A run of columns a..b holds the cells a..b-1.
    const std::int32_t first = std::max(s.first, n.first);
    const std::int32_t last = std::min(s.last, n.last) - 1;
    if (first <= last) {
      spans.push_back({first, last, s.index + static_cast<std::size_t>(first - s.first),
                       n.index + static_cast<std::size_t>(first - n.first)});
    }
    if (s.last < n.last)
      ++p;
    else
      ++q;
  }
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
  // Cells lie wholly within the extents and their rows within the stored ones.
  const std::int32_t rowLimit = std::min(ClampToIndex(std::floor((grid.GetMaxLat() - minLat) / g + kIndexTolerance)),
                                         static_cast<std::int32_t>(grid.GetRowCount() - 1));
  const std::int32_t columnLimit = ClampToIndex(std::floor((grid.GetMaxLon() - minLon) / g + kIndexTolerance));

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

  std::vector<CRun> southRuns, northRuns;
  std::vector<CCellSpan> spans;
  for (const RowOnScreen& on : rows) {
    const CGridInt::Row& south = grid.GetRow(static_cast<std::size_t>(on.row));
    const CGridInt::Row& north = grid.GetRow(static_cast<std::size_t>(on.row) + 1);
    FindRuns(south, columnFirst, columnLast + 1, southRuns);
    FindRuns(north, columnFirst, columnLast + 1, northRuns);
    FindCellSpans(southRuns, northRuns, spans);
    float* out = m_values.data() + static_cast<std::size_t>(on.y) * m_width;
    const auto centre = static_cast<float>(minLat + (on.row + 0.5) * g);
    for (const CCellSpan& span : spans) {
      const std::int32_t first = std::max(span.first, columnFirst);
      const std::int32_t last = std::min(span.last, columnLast);
      if (first > last) continue;
      const auto pixelOf = [&](std::int32_t c) {
        return view.MapToClient(CMapPt(static_cast<float>(minLon + (c + 0.5) * g), centre)).x - draw.left;
      };
      // Centres lie less than a pixel apart: every pixel from the first centre's to the
      // last one's holds at least one.
      const int x0 = std::max(0, pixelOf(first));
      const int x1 = std::min(m_width - 1, pixelOf(last));
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
        const std::size_t s = span.south + static_cast<std::size_t>(c - span.first);
        const std::size_t n = span.north + static_cast<std::size_t>(c - span.first);
        // The value at the cell's centre: the mean of its four corners.
        const auto height = [&](int k) {
          if (!IsSurface(k)) return 0.0;
          const auto at = static_cast<std::size_t>(k);
          return (static_cast<double>(grid.DecodeValue(south[s].point.m_codes[at])) +
                  grid.DecodeValue(south[s + 1].point.m_codes[at]) + grid.DecodeValue(north[n].point.m_codes[at]) +
                  grid.DecodeValue(north[n + 1].point.m_codes[at])) /
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
