#include "core/grid/GridInt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridRead.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"

namespace {

constexpr double kOnLineTolerance = CGridInt::kOnLineTolerance;

// Row and column indices are 32-bit; a position whose index would not leave room for
// the cell's far corner cannot lie in any cell.
constexpr double kMaxCellIndex = 2147483646.0;

// A grid is flagged as old from this age on, in whole days.
constexpr long long kExpiryDays = 184;
constexpr double kSecondsPerDay = 86400.0;

// Gap-skipping probes of a row search before it turns to plain bisection.
constexpr int kSkipProbes = 4;

// Number of 16-bit codes.
constexpr std::size_t kCodeCount = 65536;

// The decoding table of a pair of coding values: 65,536 conversions, which cost more
// than reading a small grid. The last table made is kept, as models read or generated
// one after another mostly share their coding values (a program reloading its grid,
// the generator's centimetre codes).
std::shared_ptr<const float[]> DecodeTableFor(float offset, float scale) {
  static std::mutex mutex;
  static std::shared_ptr<const float[]> last;
  static float lastOffset = 0, lastScale = 0;
  const std::lock_guard<std::mutex> lock(mutex);
  if (last && std::bit_cast<std::uint32_t>(lastOffset) == std::bit_cast<std::uint32_t>(offset) &&
      std::bit_cast<std::uint32_t>(lastScale) == std::bit_cast<std::uint32_t>(scale))
    return last;
  const auto table = std::make_shared_for_overwrite<float[]>(kCodeCount);
  float* values = table.get();
  // CDataPt::Decode's steps written out, so that the loop needs no call per code; each
  // result is stored as float, rounded exactly as Decode rounds it.
  const double divisor = scale, shift = offset;
  for (std::size_t code = 0; code < kCodeCount; ++code)
    values[code] = static_cast<float>(static_cast<double>(code) / divisor + shift);
  last = table;
  lastOffset = offset;
  lastScale = scale;
  return last;
}

// Whether a position `distance` lattice spacings from a line (`spacing` degrees apart)
// lies on it.
bool OnLine(double distance, double spacing) { return distance * spacing < kOnLineTolerance; }

// The lattice line at or below a fractional index (0 <= index < kMaxCellIndex), or the
// one above when the position lies on it; true when the position lies on the line found.
bool SnapToLine(double index, double spacing, std::int32_t& line) {
  line = static_cast<std::int32_t>(index);
  if (OnLine(index - line, spacing)) return true;
  if (OnLine(static_cast<double>(line + 1) - index, spacing)) {
    ++line;
    return true;
  }
  return false;
}

// The last line SnapToLine reaches along an axis whose far edge lies at fractional
// index `edge`: the line at or below it when the edge lies on that line, else the line
// above it (the edge snapped onto it, or the far side of the edge's cell).
double LastLine(double edge, double spacing) {
  const double below = std::floor(edge);
  return OnLine(edge - below, spacing) ? below : below + 1;
}

}  // namespace

void CGridInt::LoadFile(const std::string& path) {
  CGridRead job(*this, path);
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Marevert - Reading grid file", false);
}

void CGridInt::Reset() {
  SetRowCount(0);
  m_decoded.reset();
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

std::ptrdiff_t CGridInt::FindNode(std::size_t r, std::int32_t column, bool pair) const {
  const RowRef& ref = m_refs[r];
  const std::int32_t count = ref.runCount;
  if (count == kUnindexed) {
    const Row& nodes = m_rows[r];
    const std::ptrdiff_t at = FindColumn(nodes, column);
    if (at < 0 || !pair) return at;
    const std::size_t east = static_cast<std::size_t>(at) + 1;
    return east < nodes.size() && nodes[east].column == column + 1 ? at : -1;
  }
  if (count == 0) return -1;
  // The run holding the column, if any: the last one starting at or before it.
  const Run* runs = Runs(r);
  const Run* next;
  if (count == 1) {  // a row without gaps
    next = runs + 1;
  } else if (count <= kInlineRuns) {
    next = runs + 1;
    while (next != runs + count && next->column <= column) ++next;
  } else {
    next = std::upper_bound(runs, runs + count, column, [](std::int32_t c, const Run& run) { return c < run.column; });
    if (next == runs) return -1;  // left of the first run
  }
  const Run& start = *(next - 1);
  if (column < start.column) return -1;
  const std::int64_t end = next == runs + count ? ref.size : next->index;
  // Consecutive columns always share a run, so the east neighbour is in this run too.
  const std::int64_t at = static_cast<std::int64_t>(start.index) + (static_cast<std::int64_t>(column) - start.column);
  return at + (pair ? 1 : 0) < end ? static_cast<std::ptrdiff_t>(at) : -1;
}

void CGridInt::AddRun(std::size_t r, const Run& run) {
  RowRef& ref = m_refs[r];
  if (ref.runCount < kInlineRuns) {
    ref.inlineRuns[ref.runCount] = run;
  } else {
    std::vector<Run>& more = m_moreRuns[r];
    if (ref.runCount == kInlineRuns) more.assign(ref.inlineRuns, ref.inlineRuns + kInlineRuns);
    more.push_back(run);
  }
  ++ref.runCount;
}

void CGridInt::IndexRow(std::size_t r) {
  const Row& nodes = m_rows[r];
  m_refs[r] = RowRef{};
  m_refs[r].nodes = nodes.data();
  m_refs[r].size = static_cast<std::int32_t>(nodes.size());
  m_moreRuns[r].clear();
  for (std::size_t i = 0; i < nodes.size(); ++i)
    if (i == 0 || nodes[i].column != nodes[i - 1].column + 1)
      AddRun(r, {nodes[i].column, static_cast<std::int32_t>(i)});
  m_moreRuns[r].shrink_to_fit();
}

CGridInt::CGridInt(const CGridInt& other)
    : m_filePath(other.m_filePath),
      m_maxLat(other.m_maxLat),
      m_minLat(other.m_minLat),
      m_maxLon(other.m_maxLon),
      m_minLon(other.m_minLon),
      m_gridSize(other.m_gridSize),
      m_majorVersion(other.m_majorVersion),
      m_minorVersion(other.m_minorVersion),
      m_year(other.m_year),
      m_month(other.m_month),
      m_day(other.m_day),
      m_rows(other.m_rows),
      m_refs(other.m_refs.size()),
      m_moreRuns(other.m_moreRuns.size()),
      m_decoded(other.m_decoded),
      m_decodedOffset(other.m_decodedOffset),
      m_decodedScale(other.m_decodedScale),
      m_ownCoding(other.m_ownCoding),
      m_coding(other.m_coding) {
  for (std::size_t r = 0; r < m_rows.size(); ++r) {
    if (other.m_refs[r].runCount == kUnindexed)
      m_refs[r].runCount = kUnindexed;
    else
      IndexRow(r);
  }
}

CGridInt& CGridInt::operator=(const CGridInt& other) {
  if (this != &other) {
    CGridInt copy(other);
    *this = std::move(copy);
  }
  return *this;
}

const CGridInt::Run* CGridInt::RunsOf(std::size_t r, std::vector<Run>& scratch, std::int32_t& count,
                                      const Node*& nodes) const {
  const RowRef& ref = m_refs[r];
  if (ref.runCount != kUnindexed) {
    count = ref.runCount;
    nodes = ref.nodes;
    return Runs(r);
  }
  const Row& row = m_rows[r];
  scratch.clear();
  for (std::size_t i = 0; i < row.size(); ++i)
    if (i == 0 || row[i].column != row[i - 1].column + 1)
      scratch.push_back({row[i].column, static_cast<std::int32_t>(i)});
  count = static_cast<std::int32_t>(scratch.size());
  nodes = row.data();
  return scratch.data();
}

void CGridInt::FindCompleteCells(std::int32_t row, std::int32_t first, std::int32_t last,
                                 std::vector<CellSpan>& spans) const {
  spans.clear();
  if (row < 0 || static_cast<std::size_t>(row) + 1 >= m_rows.size() || first > last) return;
  const std::size_t r = static_cast<std::size_t>(row);
  std::vector<Run> southScratch, northScratch;
  std::int32_t southCount = 0, northCount = 0;
  const Node *southNodes = nullptr, *northNodes = nullptr;
  const Run* south = RunsOf(r, southScratch, southCount, southNodes);
  const Run* north = RunsOf(r + 1, northScratch, northCount, northNodes);
  // Run k of a row holds the nodes from its index up to the next run's (or the row's
  // end): consecutive columns, so a run of columns a..b holds the cells a..b-1.
  const auto lastColumn = [](const Run* runs, std::int32_t count, std::int32_t k, std::int32_t size) {
    const std::int32_t end = k + 1 < count ? runs[k + 1].index : size;
    return static_cast<std::int64_t>(runs[k].column) + (end - runs[k].index) - 1;
  };
  // The first run of each row that may reach `first`: the last one starting at or before it.
  const auto firstRun = [first](const Run* runs, std::int32_t count) {
    const Run* after =
        std::upper_bound(runs, runs + count, first, [](std::int32_t c, const Run& run) { return c < run.column; });
    return static_cast<std::int32_t>(std::max<std::ptrdiff_t>(after - runs - 1, 0));
  };
  const std::int32_t southSize = static_cast<std::int32_t>(m_rows[r].size());
  const std::int32_t northSize = static_cast<std::int32_t>(m_rows[r + 1].size());
  for (std::int32_t p = firstRun(south, southCount), q = firstRun(north, northCount);
       p < southCount && q < northCount;) {
    const std::int64_t southLast = lastColumn(south, southCount, p, southSize);
    const std::int64_t northLast = lastColumn(north, northCount, q, northSize);
    const std::int64_t from = std::max<std::int64_t>({south[p].column, north[q].column, first});
    if (from > last) break;
    const std::int64_t to = std::min<std::int64_t>({southLast - 1, northLast - 1, last});
    if (from <= to)
      spans.push_back({static_cast<std::int32_t>(from), static_cast<std::int32_t>(to),
                       southNodes + south[p].index + (from - south[p].column),
                       northNodes + north[q].index + (from - north[q].column)});
    if (southLast < northLast)
      ++p;
    else
      ++q;
  }
}

double CGridInt::LastRow() const {
  return std::min(LastLine((m_maxLat - m_minLat) / m_gridSize, m_gridSize), static_cast<double>(m_rows.size()) - 1);
}

double CGridInt::LastColumn() const { return LastLine((m_maxLon - m_minLon) / m_gridSize, m_gridSize); }

const CDataPt* CGridInt::GetNode(std::int32_t row, std::int32_t column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return nullptr;
  const std::ptrdiff_t at = FindNode(static_cast<std::size_t>(row), column, false);
  return at < 0 ? nullptr : &m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(at)].point;
}

const CGridInt::Node* CGridInt::FindCell(std::int32_t row, std::int32_t column, const Node*& north) const {
  if (row < 0 || static_cast<std::size_t>(row) + 1 >= m_rows.size()) return nullptr;
  const std::size_t r = static_cast<std::size_t>(row);
  // Both rows are settled from their records alone; the nodes are read afterwards,
  // side by side.
  const std::ptrdiff_t south = FindNode(r, column, true);
  if (south < 0) return nullptr;
  const std::ptrdiff_t northAt = FindNode(r + 1, column, true);
  if (northAt < 0) return nullptr;
  const auto nodesOf = [this](std::size_t at) {
    return m_refs[at].runCount == kUnindexed ? m_rows[at].data() : m_refs[at].nodes;
  };
  north = nodesOf(r + 1) + northAt;
  return nodesOf(r) + south;
}

// Interpolation contract: row r of the lattice lies at latitude m_minLat + r * g and
// column c at longitude m_minLon + c * g (g = m_gridSize, decimal degrees); cell (R, C)
// has its south-west corner at node (R, C). The extents are inclusive. A position
// within kOnLineTolerance of a lattice line snaps to it, and may then also be answered
// by the cell on the other side of that line when its own cell is incomplete. The four
// corner values are combined in double with area weights and the result is coded
// again, so it is quantised to the code step. A missing corner makes a cell unusable;
// there is no extrapolation.
bool CGridInt::LocateCell(double latitude, double longitude, Cell& cell, const Cell* previous) const {
  if (!IsLoaded()) return false;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
  if (latitude < m_minLat || latitude > m_maxLat || longitude < m_minLon || longitude > m_maxLon) return false;

  const double g = m_gridSize;
  const double rho = (latitude - m_minLat) / g;
  const double gamma = (longitude - m_minLon) / g;
  if (!(rho < kMaxCellIndex) || !(gamma < kMaxCellIndex)) return false;

  std::int32_t i, j;
  const bool onRow = SnapToLine(rho, g, i);
  const bool onColumn = SnapToLine(gamma, g, j);

  // The nominal cell first, then the neighbours across the lines the position lies on.
  // Each pair holds a west corner and, next to it, its east neighbour.
  const Node* northPair = nullptr;
  std::int32_t r = i, c = j;
  const Node* southPair = nullptr;
  // A located cell holds what FindCell gives for its row and column, however it was
  // found; so a previous cell at (i, j) is what the nominal search would find.
  if (previous && previous->row == i && previous->column == j) {
    southPair = previous->southPair;
    northPair = previous->northPair;
  } else {
    southPair = FindCell(r, c, northPair);
  }
  if (!southPair) {
    if (onRow && (southPair = FindCell(i - 1, j, northPair))) {
      r = i - 1;
    } else if (onColumn && (southPair = FindCell(i, j - 1, northPair))) {
      c = j - 1;
    } else if (onRow && onColumn && (southPair = FindCell(i - 1, j - 1, northPair))) {
      r = i - 1;
      c = j - 1;
    } else {
      return false;
    }
  }
  // Start fetching both pairs while the weights are worked out.
  __builtin_prefetch(southPair);
  __builtin_prefetch(reinterpret_cast<const char*>(southPair + 2) - 1);
  __builtin_prefetch(northPair);
  __builtin_prefetch(reinterpret_cast<const char*>(northPair + 2) - 1);
  cell.southPair = southPair;
  cell.northPair = northPair;
  cell.row = r;
  cell.column = c;

  const double south = r * g + m_minLat;
  const double west = c * g + m_minLon;
  const double north = south + g;
  const double east = west + g;
  // A fallback cell may lie up to the tolerance away, so a weight may be a hair below
  // zero; that is intended (the coding clamps the result).
  cell.wSW = (north - latitude) * (east - longitude);
  cell.wSE = (north - latitude) * (longitude - west);
  cell.wNW = (latitude - south) * (east - longitude);
  cell.wNE = (latitude - south) * (longitude - west);
  cell.area = g * g;
  return true;
}

bool CGridInt::Interpolate(double latitude, double longitude, CDataPt& result) const {
  Cell cell;
  if (!LocateCell(latitude, longitude, cell)) return false;
  InterpolateCell(cell, result);
  return true;
}

void CGridInt::InterpolateCell(const Cell& cell, CDataPt& result) const {
  // Decode the 56 corner codes exactly as CDataPt::GetValue does (in double, rounded to
  // float) in one pass that the compiler vectorises, then combine them surface by
  // surface in the order SE, SW, NW, NE and code the results. Keep the two passes apart:
  // with the decoding folded into the weighted sum, GCC 12 at -O3 drops the rounding to
  // float for the last surface (see GetValue).
  constexpr int kSurfaces = CDataPt::kSurfaceCount;
  enum { kSW, kSE, kNW, kNE };
  std::uint16_t codes[4][kSurfaces];
  std::memcpy(codes[kSW], cell.southPair[0].point.m_codes.data(), sizeof codes[0]);
  std::memcpy(codes[kSE], cell.southPair[1].point.m_codes.data(), sizeof codes[0]);
  std::memcpy(codes[kNW], cell.northPair[0].point.m_codes.data(), sizeof codes[0]);
  std::memcpy(codes[kNE], cell.northPair[1].point.m_codes.data(), sizeof codes[0]);
  const Coding coding = GetCoding();
  float decoded[4][kSurfaces];
  if (const float* table = DecodeTable(coding)) {
    // The model's table of decoded values still holds: look them up (cheaper than 56
    // divisions; floats keep the table at 256 KB, mostly in cache).
    for (int x = 0; x < 4; ++x)
      for (int k = 0; k < kSurfaces; ++k) decoded[x][k] = table[codes[x][k]];
  } else {
    const double scale = coding.scale, offset = coding.offset;
    for (int x = 0; x < 4; ++x)
      for (int k = 0; k < kSurfaces; ++k)
        decoded[x][k] = static_cast<float>(static_cast<double>(codes[x][k]) / scale + offset);
  }
  const double wSE = cell.wSE, wSW = cell.wSW, wNW = cell.wNW, wNE = cell.wNE;
  std::array<float, kSurfaces> values;
  for (int k = 0; k < kSurfaces; ++k) {
    const double sum = wSE * static_cast<double>(decoded[kSE][k]) + wSW * static_cast<double>(decoded[kSW][k]) +
                       wNW * static_cast<double>(decoded[kNW][k]) + wNE * static_cast<double>(decoded[kNE][k]);
    values[k] = static_cast<float>(sum / cell.area);
  }
  result.m_codes = CDataPt::EncodeAll(values, coding.offset, coding.scale);
}

void CGridInt::InterpolateCell(const Cell& cell, const int* surfaces, int count, CDataPt& result) const {
  const Coding coding = GetCoding();
  const float* table = DecodeTable(coding);
  const double scale = coding.scale, offset = coding.offset;
  for (int n = 0; n < count; ++n) {
    const int k = surfaces[n];
    if (k < 0 || k >= CDataPt::kSurfaceCount) continue;
    const std::uint16_t codes[4] = {cell.southPair[0].point.m_codes[k], cell.southPair[1].point.m_codes[k],
                                    cell.northPair[0].point.m_codes[k], cell.northPair[1].point.m_codes[k]};
    // The same steps as Interpolate for one surface: each corner decoded to float,
    // then combined in double in the order SE, SW, NW, NE.
    float decoded[4];
    for (int x = 0; x < 4; ++x)
      decoded[x] = table ? table[codes[x]] : static_cast<float>(static_cast<double>(codes[x]) / scale + offset);
    const double sum = cell.wSE * static_cast<double>(decoded[1]) + cell.wSW * static_cast<double>(decoded[0]) +
                       cell.wNW * static_cast<double>(decoded[2]) + cell.wNE * static_cast<double>(decoded[3]);
    const float value = static_cast<float>(sum / cell.area);
    result.m_codes[static_cast<std::size_t>(k)] = CDataPt::Encode(value, coding.offset, coding.scale);
  }
}

std::vector<std::string> CGridInt::GetDetails() const {
  if (!IsLoaded()) return {"No grid file loaded"};
  // Each line as long as its numbers need: a damaged header's 1e300 has 300 digits.
  return {
      "File: " + GetFileNamePart(m_filePath),
      "Date (D/M/Y): " + std::to_string(m_day) + "/" + std::to_string(m_month) + "/" + std::to_string(m_year),
      "Major version: " + std::to_string(m_majorVersion),
      "Minor version: " + std::to_string(m_minorVersion),
      "Grid size (seconds): " + ClassicFixed(m_gridSize * 3600.0, 5),
      "Minimum latitude (decimal degrees): " + ClassicFixed(m_minLat, 10),
      "Maximum latitude (decimal degrees): " + ClassicFixed(m_maxLat, 10),
      "Minimum longitude (decimal degrees): " + ClassicFixed(m_minLon, 10),
      "Maximum longitude (decimal degrees): " + ClassicFixed(m_maxLon, 10),
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
  m_refs.clear();
  m_refs.shrink_to_fit();
  m_moreRuns.clear();
  m_moreRuns.shrink_to_fit();
  m_rows.resize(count);
  m_refs.resize(count);
  m_moreRuns.resize(count);
  if (count != 0) MakeDecodeTable();
}

void CGridInt::SetCoding(const Coding& coding) {
  m_ownCoding = true;
  m_coding = coding;
  if (!m_rows.empty()) MakeDecodeTable();
}

void CGridInt::MakeDecodeTable() {
  const Coding coding = GetCoding();
  if (DecodeTable(coding)) return;
  m_decoded = DecodeTableFor(coding.offset, coding.scale);
  m_decodedOffset = coding.offset;
  m_decodedScale = coding.scale;
}

void CGridInt::SetNode(std::int32_t row, std::int32_t column, const CDataPt& point) {
  const std::size_t r = static_cast<std::size_t>(row);
  Row& nodes = m_rows.at(r);
  if (m_refs[r].runCount == kUnindexed) SortRow(r);
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
    return;
  }
  // Appending in ascending order, the way a grid is built, keeps this cheap.
  m_refs[r].nodes = nodes.data();
  m_refs[r].size = static_cast<std::int32_t>(nodes.size());
  if (nodes.size() == 1 || column != nodes[nodes.size() - 2].column + 1)
    AddRun(r, {column, static_cast<std::int32_t>(nodes.size() - 1)});
}

void CGridInt::SortRow(std::size_t r) {
  Row& nodes = m_rows[r];
  // Files are written in strictly ascending column order; only other files need work.
  if (std::adjacent_find(nodes.begin(), nodes.end(),
                         [](const Node& a, const Node& b) { return a.column >= b.column; }) == nodes.end()) {
    IndexRow(r);
    return;
  }
  // Sort keys of (column, position) put equal columns in the order appended without a
  // stable sort (whose temporary buffer is not needed); of each run of equal columns the
  // last one, the latest record, wins.
  struct Key {
    std::int32_t column;
    std::uint32_t position;
  };
  std::vector<Key> keys(nodes.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) keys[i] = {nodes[i].column, static_cast<std::uint32_t>(i)};
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
    return a.column != b.column ? a.column < b.column : a.position < b.position;
  });
  Row sorted;
  sorted.reserve(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (i + 1 == keys.size() || keys[i + 1].column != keys[i].column) sorted.push_back(nodes[keys[i].position]);
  sorted.shrink_to_fit();
  nodes.swap(sorted);
  IndexRow(r);
}
