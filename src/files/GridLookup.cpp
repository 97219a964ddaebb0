#include "files/GridLookup.h"

#include <cmath>
#include <cstring>

#include "grid/GridInt.h"

namespace {

// The model's snapping tolerance and index limit (decimal degrees, cell index). A
// position this close to a lattice line goes to the model itself.
constexpr double kOnLineTolerance = 8.983e-7;
constexpr double kMaxCellIndex = 2147483646.0;
constexpr std::size_t kCodeCount = 65536;

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

void CGridLookup::Reset() {
  m_grid = nullptr;
  m_row = m_column = -1;
}

void CGridLookup::Bind(const CGridInt& grid) {
  m_grid = &grid;
  m_minLat = grid.GetMinLat();
  m_maxLat = grid.GetMaxLat();
  m_minLon = grid.GetMinLon();
  m_maxLon = grid.GetMaxLon();
  m_size = grid.GetGridSize();
  m_row = m_column = -1;
  if (!m_decoded || !SameBits(m_tableOffset, CDataPt::s_offset) || !SameBits(m_tableScale, CDataPt::s_scale)) {
    if (!m_decoded) m_decoded = std::make_unique<float[]>(kCodeCount);
    CDataPt point;
    for (std::size_t code = 0; code < kCodeCount; ++code) {
      point.m_codes[0] = static_cast<std::uint16_t>(code);
      m_decoded[code] = point.GetValue(0);
    }
    m_tableOffset = CDataPt::s_offset;
    m_tableScale = CDataPt::s_scale;
  }
}

bool CGridLookup::Interpolate(const CGridInt& grid, double latitude, double longitude, CDataPt& result) {
  if (m_grid != &grid || !SameBits(m_tableOffset, CDataPt::s_offset) || !SameBits(m_tableScale, CDataPt::s_scale)) {
    Bind(grid);
  }
  if (!grid.IsLoaded() || !std::isfinite(latitude) || !std::isfinite(longitude) || latitude < m_minLat ||
      latitude > m_maxLat || longitude < m_minLon || longitude > m_maxLon) {
    return grid.Interpolate(latitude, longitude, result);
  }
  const double g = m_size;
  const double rho = (latitude - m_minLat) / g;
  const double gamma = (longitude - m_minLon) / g;
  if (!(rho < kMaxCellIndex) || !(gamma < kMaxCellIndex)) return grid.Interpolate(latitude, longitude, result);
  const std::int32_t i = static_cast<std::int32_t>(rho);
  const std::int32_t j = static_cast<std::int32_t>(gamma);
  if ((rho - i) * g < kOnLineTolerance || (static_cast<double>(i + 1) - rho) * g < kOnLineTolerance ||
      (gamma - j) * g < kOnLineTolerance || (static_cast<double>(j + 1) - gamma) * g < kOnLineTolerance) {
    return grid.Interpolate(latitude, longitude, result);
  }
  if (i != m_row || j != m_column) {
    m_corners = {grid.GetNode(i, j), grid.GetNode(i, j + 1), grid.GetNode(i + 1, j), grid.GetNode(i + 1, j + 1)};
    if (!m_corners[0] || !m_corners[1] || !m_corners[2] || !m_corners[3]) {
      m_row = m_column = -1;
      return grid.Interpolate(latitude, longitude, result);
    }
    m_row = i;
    m_column = j;
  }

  // The model's own formula, in the same order of operations.
  const double south = i * g + m_minLat;
  const double west = j * g + m_minLon;
  const double north = south + g;
  const double east = west + g;
  const double wSW = (north - latitude) * (east - longitude);
  const double wSE = (north - latitude) * (longitude - west);
  const double wNW = (latitude - south) * (east - longitude);
  const double wNE = (latitude - south) * (longitude - west);
  const double area = g * g;
  const float* decoded = m_decoded.get();
  const auto& sw = m_corners[0]->m_codes;
  const auto& se = m_corners[1]->m_codes;
  const auto& nw = m_corners[2]->m_codes;
  const auto& ne = m_corners[3]->m_codes;
  for (int k = 0; k < CDataPt::kSurfaceCount; ++k) {
    const double sum = wSE * decoded[se[k]] + wSW * decoded[sw[k]] + wNW * decoded[nw[k]] + wNE * decoded[ne[k]];
    result.m_codes[k] = CDataPt::Encode(static_cast<float>(sum / area));
  }
  return true;
}
