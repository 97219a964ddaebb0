#include "core/grid/ShiftLattice.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Row and column counts stay well inside 32-bit indices (the GTX header holds them as
// such, and index arithmetic adds a few).
constexpr double kMaxNodesAlongAxis = std::numeric_limits<std::int32_t>::max() - 2.0;

}  // namespace

CShiftLattice::CShiftLattice(const CGridInt& grid, int addSurface, int subtractSurface, PositionHeight gda2020)
    : m_grid(grid), m_add(addSurface), m_subtract(subtractSurface), m_gda2020(gda2020) {
  if (!grid.IsLoaded()) return;
  if (!gda2020 && (addSurface == CDataPt::kEllipsoidGda2020 || subtractSurface == CDataPt::kEllipsoidGda2020)) return;
  const double lastRow = grid.LastRow();
  const double lastColumn = grid.LastColumn();
  // Also false for a non-finite extent or spacing.
  if (!(lastRow >= 1 && lastRow < kMaxNodesAlongAxis && lastColumn >= 1 && lastColumn < kMaxNodesAlongAxis)) return;
  if (!std::isfinite(grid.GetMinLat()) || !std::isfinite(grid.GetMinLon())) return;
  m_geometry.rows = static_cast<std::int32_t>(lastRow) + 1;
  m_geometry.columns = static_cast<std::int32_t>(lastColumn) + 1;
  m_geometry.west = grid.GetMinLon();
  m_geometry.south = grid.GetMinLat();
  m_geometry.spacing = grid.GetGridSize();
  m_valid = true;
}

float CShiftLattice::Value(const CDataPt& point, std::int32_t row, std::int32_t column) const {
  const auto height = [&](int surface) {
    if (surface == CDataPt::kEllipsoid) return 0.0;
    if (surface == CDataPt::kEllipsoidGda2020)
      return m_gda2020(m_geometry.south + row * m_geometry.spacing, m_geometry.west + column * m_geometry.spacing);
    return static_cast<double>(m_grid.DecodeValue(point.m_codes[surface]));
  };
  return static_cast<float>(height(m_add) - height(m_subtract));
}

std::int64_t CShiftLattice::FillRow(std::int32_t row, float* values) const {
  const std::int32_t columns = m_geometry.columns;
  std::fill(values, values + columns, kNoData);
  if (row < 0 || row >= m_geometry.rows) return 0;
  // A node carries a value when it is a corner of a complete cell: of the cell row below
  // it (then a north corner) or of the one above it (a south corner). Cells -1 and
  // columns - 1 have a corner on the lattice too.
  std::vector<unsigned char> valued(static_cast<std::size_t>(columns));
  std::vector<CGridInt::CellSpan> spans;
  std::int64_t count = 0;
  for (const bool above : {false, true}) {
    m_grid.FindCompleteCells(above ? row : row - 1, -1, columns - 1, spans);
    for (const CGridInt::CellSpan& span : spans) {
      const CGridInt::Node* corner = above ? span.south : span.north;
      // The cells first..last have their corners at columns first..last + 1.
      for (std::int32_t c = span.first; c <= span.last + 1; ++c, ++corner) {
        if (c < 0 || c >= columns || valued[static_cast<std::size_t>(c)]) continue;
        valued[static_cast<std::size_t>(c)] = 1;
        values[c] = Value(corner->point, row, c);
        ++count;
      }
    }
  }
  return count;
}
