#include "grid/GridInt.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/PathUtil.h"
#include "grid/GridRead.h"
#include "process/JobRunner.h"
#include "process/Messenger.h"

namespace {

// A position closer than this to a lattice line counts as lying on it, in decimal
// degrees (about 0.1 m on the ground).
constexpr double kOnLineTolerance = 8.983e-7;

// Row and column indices are 32-bit; a position whose index would not leave room for
// the cell's far corner cannot lie in any cell.
constexpr double kMaxCellIndex = 2147483646.0;

// A grid is flagged as old from this age on, in whole days.
constexpr long long kExpiryDays = 184;
constexpr double kSecondsPerDay = 86400.0;

std::string Format(const char* format, double value) {
  char text[128];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

void CGridInt::LoadFile(const std::string& path) {
  CGridRead job(*this, path);
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Marevert - Reading grid file", false);
}

void CGridInt::Reset() {
  m_rows.clear();
  m_rows.shrink_to_fit();
  m_filePath.clear();
  SetHeader(Header{});
}

bool CGridInt::IsLoaded() const { return m_gridSize > 0 && m_rows.size() >= 2; }

std::ptrdiff_t CGridInt::FindColumn(const Row& row, std::int32_t column) {
  if (row.empty()) return -1;
  const std::int64_t first = row.front().column;
  const std::int64_t last = row.back().column;
  if (column < first || column > last) return -1;
  // Columns in a row are unique and ascending, so the node of `column` can only sit
  // between these two indices; in a row without gaps they coincide.
  const std::int64_t n = static_cast<std::int64_t>(row.size());
  std::int64_t lo = std::max<std::int64_t>(0, (n - 1) - (last - column));
  std::int64_t hi = std::min<std::int64_t>(n - 1, column - first);
  while (lo <= hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    const std::int32_t c = row[static_cast<std::size_t>(mid)].column;
    if (c == column) return static_cast<std::ptrdiff_t>(mid);
    if (c < column)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return -1;
}

const CDataPt* CGridInt::GetNode(std::int32_t row, std::int32_t column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return nullptr;
  const Row& nodes = m_rows[static_cast<std::size_t>(row)];
  const std::ptrdiff_t index = FindColumn(nodes, column);
  return index < 0 ? nullptr : &nodes[static_cast<std::size_t>(index)].point;
}

bool CGridInt::GetCell(std::int32_t row, std::int32_t column, const CDataPt* corners[4]) const {
  if (row < 0 || static_cast<std::size_t>(row) + 1 >= m_rows.size()) return false;
  // One search per row: the east neighbour, if present, is the next node of the row.
  for (int side = 0; side < 2; ++side) {
    const Row& nodes = m_rows[static_cast<std::size_t>(row) + side];
    const std::ptrdiff_t west = FindColumn(nodes, column);
    if (west < 0) return false;
    const std::size_t east = static_cast<std::size_t>(west) + 1;
    if (east >= nodes.size() || nodes[east].column != column + 1) return false;
    corners[2 * side] = &nodes[static_cast<std::size_t>(west)].point;
    corners[2 * side + 1] = &nodes[east].point;
  }
  return true;
}

// Interpolation contract: row r of the lattice lies at latitude m_minLat + r * g and
// column c at longitude m_minLon + c * g (g = m_gridSize, decimal degrees); cell (R, C)
// has its south-west corner at node (R, C). The extents are inclusive. A position
// within kOnLineTolerance of a lattice line snaps to it, and may then also be answered
// by the cell on the other side of that line when its own cell is incomplete. The four
// corner values are combined in double with area weights and the result is coded
// again, so it is quantised to the code step. A missing corner makes a cell unusable;
// there is no extrapolation.
bool CGridInt::Interpolate(double latitude, double longitude, CDataPt& result) const {
  if (!IsLoaded()) return false;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
  if (latitude < m_minLat || latitude > m_maxLat || longitude < m_minLon || longitude > m_maxLon) return false;

  const double g = m_gridSize;
  const double rho = (latitude - m_minLat) / g;
  const double gamma = (longitude - m_minLon) / g;
  if (!(rho < kMaxCellIndex) || !(gamma < kMaxCellIndex)) return false;

  std::int32_t i = static_cast<std::int32_t>(rho);
  bool onRow = false;
  if ((rho - i) * g < kOnLineTolerance) {
    onRow = true;
  } else if ((static_cast<double>(i + 1) - rho) * g < kOnLineTolerance) {
    ++i;
    onRow = true;
  }
  std::int32_t j = static_cast<std::int32_t>(gamma);
  bool onColumn = false;
  if ((gamma - j) * g < kOnLineTolerance) {
    onColumn = true;
  } else if ((static_cast<double>(j + 1) - gamma) * g < kOnLineTolerance) {
    ++j;
    onColumn = true;
  }

  // The nominal cell first, then the neighbours across the lines the position lies on.
  const CDataPt* corners[4];  // SW, SE, NW, NE
  std::int32_t r = i, c = j;
  if (!GetCell(r, c, corners)) {
    if (onRow && GetCell(i - 1, j, corners)) {
      r = i - 1;
    } else if (onColumn && GetCell(i, j - 1, corners)) {
      c = j - 1;
    } else if (onRow && onColumn && GetCell(i - 1, j - 1, corners)) {
      r = i - 1;
      c = j - 1;
    } else {
      return false;
    }
  }

  const double south = r * g + m_minLat;
  const double west = c * g + m_minLon;
  const double north = south + g;
  const double east = west + g;
  // A fallback cell may lie up to the tolerance away, so a weight may be a hair below
  // zero; that is intended (the coding clamps the result).
  const double wSW = (north - latitude) * (east - longitude);
  const double wSE = (north - latitude) * (longitude - west);
  const double wNW = (latitude - south) * (east - longitude);
  const double wNE = (latitude - south) * (longitude - west);
  const double area = g * g;

  std::array<double, CDataPt::kSurfaceCount> values;
  for (int k = 0; k < CDataPt::kSurfaceCount; ++k) {
    const double sum = wSE * corners[1]->GetValue(k) + wSW * corners[0]->GetValue(k) +
                       wNW * corners[2]->GetValue(k) + wNE * corners[3]->GetValue(k);
    values[k] = static_cast<float>(sum / area);
  }
  result.m_codes = CDataPt(values).m_codes;
  return true;
}

std::vector<std::string> CGridInt::GetDetails() const {
  if (!IsLoaded()) return {"No grid file loaded"};
  char date[96];
  std::snprintf(date, sizeof date, "Date (D/M/Y): %d/%d/%d", m_day, m_month, m_year);
  return {
      "File: " + GetFileNamePart(m_filePath),
      date,
      "Major version: " + std::to_string(m_majorVersion),
      "Minor version: " + std::to_string(m_minorVersion),
      Format("Grid size (seconds): %.5f", m_gridSize * 3600.0),
      Format("Minimum latitude (decimal degrees): %.10f", m_minLat),
      Format("Maximum latitude (decimal degrees): %.10f", m_maxLat),
      Format("Minimum longitude (decimal degrees): %.10f", m_minLon),
      Format("Maximum longitude (decimal degrees): %.10f", m_maxLon),
  };
}

void CGridInt::CheckAge() const { CheckAge(std::time(nullptr)); }

void CGridInt::CheckAge(std::time_t now) const {
  if (!IsLoaded()) return;
  // A date that is no calendar date has no age: no warning.
  if (m_year < 1900 || m_month < 1 || m_month > 12 || m_day < 1 || m_day > 31) return;
  std::tm issue{};
  issue.tm_year = m_year - 1900;
  issue.tm_mon = m_month - 1;
  issue.tm_mday = m_day;  // a day past the month's end rolls over, as mktime does
  issue.tm_isdst = -1;    // local midnight, daylight saving as the system decides
  const std::time_t issued = std::mktime(&issue);
  if (issued == static_cast<std::time_t>(-1)) return;
  const double ageDays = std::trunc(std::difftime(now, issued) / kSecondsPerDay);
  if (ageDays < static_cast<double>(kExpiryDays)) return;  // also a date in the future
  GetMessenger().ShowDocument("Marevert Grid file expired", "Grid_Expiry_Warning.rtf", true);
}

void CGridInt::SetHeader(const Header& header) {
  m_majorVersion = header.majorVersion;
  m_minorVersion = header.minorVersion;
  m_year = header.year;
  m_month = header.month;
  m_day = header.day;
  m_gridSize = header.gridSize;
  m_minLat = header.minLat;
  m_maxLat = header.maxLat;
  m_minLon = header.minLon;
  m_maxLon = header.maxLon;
}

void CGridInt::SetRowCount(std::size_t count) {
  m_rows.clear();
  m_rows.shrink_to_fit();
  m_rows.resize(count);
}

void CGridInt::SetNode(std::int32_t row, std::int32_t column, const CDataPt& point) {
  Row& nodes = m_rows.at(static_cast<std::size_t>(row));
  const auto it = std::lower_bound(nodes.begin(), nodes.end(), column,
                                   [](const Node& node, std::int32_t c) { return node.column < c; });
  if (it != nodes.end() && it->column == column)
    it->point = point;
  else
    nodes.insert(it, Node{column, point});
}

void CGridInt::SortRow(std::size_t r) {
  Row& nodes = m_rows[r];
  const auto ascending = [](const Node& a, const Node& b) { return a.column < b.column; };
  // Files are written in strictly ascending column order; only other files need work.
  if (std::adjacent_find(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
        return a.column >= b.column;
      }) == nodes.end())
    return;
  std::stable_sort(nodes.begin(), nodes.end(), ascending);
  // Of each run of equal columns keep the last node: a later record replaces an earlier one.
  auto out = nodes.begin();
  for (auto it = nodes.begin(); it != nodes.end();) {
    auto runEnd = std::upper_bound(it, nodes.end(), *it, ascending);
    *out++ = *(runEnd - 1);
    it = runEnd;
  }
  nodes.erase(out, nodes.end());
}
