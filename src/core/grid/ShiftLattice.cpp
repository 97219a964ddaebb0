#include "core/grid/ShiftLattice.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Row and column counts stay well inside 32-bit indices (the GTX header holds them as
// such, and index arithmetic adds a few).
constexpr double kMaxNodesAlongAxis = std::numeric_limits<std::int32_t>::max() - 2.0;

// The last lattice line the model reaches along one axis: the extent's far edge, or the
// line it snaps to when the edge lies within the on-line tolerance of one (a header
// written with ten decimals lies a hair beyond the last line). `extent` and `spacing`
// in degrees.
double LastLine(double extent, double spacing) {
  return std::ceil(extent / spacing - CGridInt::kOnLineTolerance / spacing);
}

}  // namespace

CShiftLattice::CShiftLattice(const CGridInt& grid, int addSurface, int subtractSurface, PositionHeight gda2020)
    : m_grid(grid), m_add(addSurface), m_subtract(subtractSurface), m_gda2020(gda2020) {
  if (!grid.IsLoaded()) return;
  if (!gda2020 && (addSurface == CDataPt::kEllipsoidGda2020 || subtractSurface == CDataPt::kEllipsoidGda2020)) return;
  const double g = grid.GetGridSize();
  const double lastRow =
      std::min(LastLine(grid.GetMaxLat() - grid.GetMinLat(), g), static_cast<double>(grid.GetRowCount()) - 1);
  const double lastColumn = LastLine(grid.GetMaxLon() - grid.GetMinLon(), g);
  // Also false for a non-finite extent or spacing.
  if (!(lastRow >= 1 && lastRow < kMaxNodesAlongAxis && lastColumn >= 1 && lastColumn < kMaxNodesAlongAxis)) return;
  if (!std::isfinite(grid.GetMinLat()) || !std::isfinite(grid.GetMinLon())) return;
  m_geometry.rows = static_cast<std::int32_t>(lastRow) + 1;
  m_geometry.columns = static_cast<std::int32_t>(lastColumn) + 1;
  m_geometry.west = grid.GetMinLon();
  m_geometry.south = grid.GetMinLat();
  m_geometry.spacing = g;
  m_valid = true;
}

void CShiftLattice::MarkPairs(std::int32_t row, unsigned char* pairs) const {
  const std::int32_t columns = m_geometry.columns;
  std::fill(pairs, pairs + columns + 2, 0);
  if (row < 0 || static_cast<std::size_t>(row) >= m_grid.GetRowCount()) return;
  const CGridInt::Row& nodes = m_grid.GetRow(static_cast<std::size_t>(row));
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    const std::int32_t west = nodes[i - 1].column;
    if (nodes[i].column == west + 1 && west >= -1 && west < columns) pairs[west + 1] = 1;
  }
}

float CShiftLattice::Value(const CDataPt& point, std::int32_t row, std::int32_t column) const {
  const auto height = [&](int surface) {
    if (surface == kEllipsoid) return 0.0;
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
  // Cell (R, C) is complete when rows R and R + 1 both hold the pair at C; a node of
  // row `row` is a corner of the cells C = c - 1 and c of the rows below and above it.
  std::vector<unsigned char> below(static_cast<std::size_t>(columns) + 2);
  std::vector<unsigned char> here(below.size());
  std::vector<unsigned char> above(below.size());
  MarkPairs(row - 1, below.data());
  MarkPairs(row, here.data());
  MarkPairs(row + 1, above.data());
  std::int64_t count = 0;
  for (const CGridInt::Node& node : m_grid.GetRow(static_cast<std::size_t>(row))) {
    const std::int32_t c = node.column;
    if (c < 0 || c >= columns) continue;
    const std::size_t west = static_cast<std::size_t>(c), east = west + 1;  // pairs index of cells c - 1 and c
    const bool cornerOfCompleteCell =
        (here[west] && (below[west] || above[west])) || (here[east] && (below[east] || above[east]));
    if (!cornerOfCompleteCell) continue;
    values[c] = Value(node.point, row, c);
    ++count;
  }
  return count;
}
