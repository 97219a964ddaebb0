#include "grid/GridInt.h"

#include <algorithm>
#include <bit>
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

// Number of 16-bit codes.
constexpr std::size_t kCodeCount = 65536;

// Gap-skipping probes of a row search before it turns to plain bisection.
constexpr int kSkipProbes = 4;

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
  m_index.clear();
  m_index.shrink_to_fit();
  m_decoded.clear();
  m_decoded.shrink_to_fit();
  m_filePath.clear();
  SetHeader(Header{});
}

bool CGridInt::IsLoaded() const { return m_gridSize > 0 && m_rows.size() >= 2; }

std::ptrdiff_t CGridInt::FindColumn(const Row& row, std::int32_t column) {
  if (row.empty()) return -1;
  std::int64_t lo = 0, hi = static_cast<std::int64_t>(row.size()) - 1;
  const auto at = [&row](std::int64_t i) { return static_cast<std::int64_t>(row[static_cast<std::size_t>(i)].column); };
  if (column <= at(lo)) return column == at(lo) ? lo : -1;
  if (column >= at(hi)) return column == at(hi) ? hi : -1;
  // Here at(lo) < column < at(hi). Columns are unique and ascending, so the node sits no
  // further right than lo + (column - at(lo)) and no further left than
  // hi - (at(hi) - column). Probing those spots first finds a node behind a single gap
  // at once (one probe in a row without gaps, where plain bisection would touch a dozen
  // cache lines); rows with many gaps fall back to bisection.
  for (int probe = 0; hi - lo > 1; ++probe) {
    std::int64_t p;
    if (probe < kSkipProbes)
      p = (probe % 2 == 0) ? lo + (column - at(lo)) : hi - (at(hi) - column);
    else
      p = lo + (hi - lo) / 2;
    p = std::clamp(p, lo + 1, hi - 1);
    const std::int64_t c = at(p);
    if (c == column) return static_cast<std::ptrdiff_t>(p);
    if (c < column)
      lo = p;
    else
      hi = p;
  }
  return -1;
}

std::ptrdiff_t CGridInt::FindNode(std::size_t r, std::int32_t column) const {
  const RowIndex& index = m_index[r];
  if (!index.valid) return FindColumn(m_rows[r], column);
  if (index.count == 1) {  // a row without gaps
    const std::int64_t at = static_cast<std::int64_t>(column) - index.inlineRuns[0].column;
    return at >= 0 && at < static_cast<std::int64_t>(m_rows[r].size()) ? static_cast<std::ptrdiff_t>(at) : -1;
  }
  const Run* runs = index.Runs();
  const Run* runsEnd = runs + index.count;
  const Run* next =
      std::upper_bound(runs, runsEnd, column, [](std::int32_t c, const Run& run) { return c < run.column; });
  if (next == runs) return -1;
  const Run& start = *(next - 1);
  const std::int64_t end =
      next == runsEnd ? static_cast<std::int64_t>(m_rows[r].size()) : static_cast<std::int64_t>(next->index);
  const std::int64_t at = static_cast<std::int64_t>(start.index) + (static_cast<std::int64_t>(column) - start.column);
  return at < end ? static_cast<std::ptrdiff_t>(at) : -1;
}

void CGridInt::RowIndex::Add(const Run& run) {
  if (count < kInlineRuns) {
    inlineRuns[count] = run;
  } else {
    if (count == kInlineRuns) moreRuns.assign(inlineRuns, inlineRuns + kInlineRuns);
    moreRuns.push_back(run);
  }
  ++count;
}

void CGridInt::IndexRow(std::size_t r) {
  const Row& nodes = m_rows[r];
  RowIndex& index = m_index[r];
  index = RowIndex{};
  for (std::size_t i = 0; i < nodes.size(); ++i)
    if (i == 0 || nodes[i].column != nodes[i - 1].column + 1)
      index.Add({nodes[i].column, static_cast<std::int32_t>(i)});
  index.moreRuns.shrink_to_fit();
}

const CDataPt* CGridInt::GetNode(std::int32_t row, std::int32_t column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return nullptr;
  const std::ptrdiff_t at = FindNode(static_cast<std::size_t>(row), column);
  return at < 0 ? nullptr : &m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(at)].point;
}

bool CGridInt::GetCell(std::int32_t row, std::int32_t column, const CDataPt* corners[4]) const {
  if (row < 0 || static_cast<std::size_t>(row) + 1 >= m_rows.size()) return false;
  // One search per row: the east neighbour, if present, is the next node of the row.
  for (int side = 0; side < 2; ++side) {
    const std::size_t r = static_cast<std::size_t>(row) + side;
    const Row& nodes = m_rows[r];
    const std::ptrdiff_t west = FindNode(r, column);
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

  // Combine the decoded corner values surface by surface, in the order SE, SW, NW, NE,
  // then code the results. Values are looked up in a decoding table by code: the
  // model's own table while the coding values it was made for hold, otherwise a small
  // one for just these four corners. Both go through the same loop, so that both give
  // bit for bit the same result.
  constexpr int kSurfaces = CDataPt::kSurfaceCount;
  const double* decoded = m_decoded.data();
  const std::uint16_t* sw = corners[0]->m_codes.data();
  const std::uint16_t* se = corners[1]->m_codes.data();
  const std::uint16_t* nw = corners[2]->m_codes.data();
  const std::uint16_t* ne = corners[3]->m_codes.data();
  double cornerTable[4 * kSurfaces];
  std::uint16_t cornerIndex[4][kSurfaces];
  const bool tableHolds =
      !m_decoded.empty() &&
      std::bit_cast<std::uint32_t>(m_decodedOffset) == std::bit_cast<std::uint32_t>(CDataPt::s_offset) &&
      std::bit_cast<std::uint32_t>(m_decodedScale) == std::bit_cast<std::uint32_t>(CDataPt::s_scale);
  if (!tableHolds) {
    for (int x = 0; x < 4; ++x)
      for (int k = 0; k < kSurfaces; ++k) {
        cornerTable[x * kSurfaces + k] = corners[x]->GetValue(k);
        cornerIndex[x][k] = static_cast<std::uint16_t>(x * kSurfaces + k);
      }
    decoded = cornerTable;
    sw = cornerIndex[0], se = cornerIndex[1], nw = cornerIndex[2], ne = cornerIndex[3];
  }
  std::array<float, kSurfaces> values;
  for (int k = 0; k < kSurfaces; ++k) {
    const double sum = wSE * decoded[se[k]] + wSW * decoded[sw[k]] + wNW * decoded[nw[k]] + wNE * decoded[ne[k]];
    values[k] = static_cast<float>(sum / area);
  }
  result.m_codes = CDataPt::EncodeAll(values);
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
  m_index.clear();
  m_index.shrink_to_fit();
  m_rows.resize(count);
  m_index.resize(count);
  if (count == 0) return;  // nothing to interpolate yet: no table
  if (m_decoded.empty() ||
      std::bit_cast<std::uint32_t>(m_decodedOffset) != std::bit_cast<std::uint32_t>(CDataPt::s_offset) ||
      std::bit_cast<std::uint32_t>(m_decodedScale) != std::bit_cast<std::uint32_t>(CDataPt::s_scale)) {
    m_decoded.resize(kCodeCount);
    CDataPt point;
    for (std::size_t code = 0; code < kCodeCount; ++code) {
      point.m_codes[0] = static_cast<std::uint16_t>(code);
      m_decoded[code] = point.GetValue(0);
    }
    m_decodedOffset = CDataPt::s_offset;
    m_decodedScale = CDataPt::s_scale;
  }
}

void CGridInt::SetNode(std::int32_t row, std::int32_t column, const CDataPt& point) {
  const std::size_t r = static_cast<std::size_t>(row);
  Row& nodes = m_rows.at(r);
  if (!m_index[r].valid) SortRow(r);
  const auto it = std::lower_bound(nodes.begin(), nodes.end(), column,
                                   [](const Node& node, std::int32_t c) { return node.column < c; });
  if (it != nodes.end() && it->column == column) {
    it->point = point;
    return;
  }
  const bool append = it == nodes.end();
  nodes.insert(it, Node{column, point});
  if (!append) {
    IndexRow(r);
  } else if (nodes.size() == 1 || column != nodes[nodes.size() - 2].column + 1) {
    // Appending in ascending order, the way a grid is built, keeps this cheap.
    m_index[r].Add({column, static_cast<std::int32_t>(nodes.size() - 1)});
  }
}

void CGridInt::SortRow(std::size_t r) {
  Row& nodes = m_rows[r];
  const auto ascending = [](const Node& a, const Node& b) { return a.column < b.column; };
  // Files are written in strictly ascending column order; only other files need work.
  if (std::adjacent_find(nodes.begin(), nodes.end(),
                         [](const Node& a, const Node& b) { return a.column >= b.column; }) == nodes.end()) {
    IndexRow(r);
    return;
  }
  std::stable_sort(nodes.begin(), nodes.end(), ascending);
  // Of each run of equal columns keep the last node: a later record replaces an earlier one.
  auto out = nodes.begin();
  for (auto it = nodes.begin(); it != nodes.end();) {
    auto runEnd = std::upper_bound(it, nodes.end(), *it, ascending);
    *out++ = *(runEnd - 1);
    it = runEnd;
  }
  nodes.erase(out, nodes.end());
  IndexRow(r);
}
