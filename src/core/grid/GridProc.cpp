#include "core/grid/GridProc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "core/common/NumberText.h"
#include "core/common/TextLine.h"
#include "core/grid/GridTextReader.h"
#include "core/grid/GridWriter.h"
#include "core/jobs/Messenger.h"

namespace {

inline const char* SkipSpace(const char* p) {
  while (IsClassicSpace(*p)) ++p;
  return p;
}

// The C library's conversion in the "C" locale, for what the fast path leaves to it.
inline double LibraryConvert(const char* p, char** end, double*) { return ClassicStrtod(p, end); }
inline float LibraryConvert(const char* p, char** end, float*) { return ClassicStrtof(p, end); }

// Reads one number the way scanf's %lf / %f conversion does: leading white space, an
// optional sign, then decimal, hexadecimal, infinity or NaN forms. std::from_chars does
// the common decimal case (exactly rounded, like strtod); a leading '+', hexadecimal
// forms and values out of range go to strtod/strtof so that the result is the same.
//
// Two details in which scanf differs from strtod: it swallows an exponent marker that
// has no digits after it ("1e", "1e+", "0x1p" read as the mantissa with the marker
// consumed, unless the number already had its exponent), and it refuses a "0x" without hexadecimal digits, where strtod
// reads 0.
template <typename T>
bool ReadNumber(const char*& p, const char* end, T& value) {
  const char* start = SkipSpace(p);
  const char* digits = start;
  if (*digits == '+') {
    ++digits;
    if (*digits == '+' || *digits == '-') return false;
  }
  const char* mantissa = digits + (*digits == '-' ? 1 : 0);
  const bool hex = mantissa[0] == '0' && (mantissa[1] == 'x' || mantissa[1] == 'X');
  const char* stop = nullptr;
  bool converted = false;
  if (!hex) {
    const auto result = std::from_chars(digits, end, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return false;
    if (result.ec == std::errc()) {
      stop = result.ptr;
      converted = true;
    }
  }
  if (!converted) {
    char* libraryStop = nullptr;
    value = LibraryConvert(start, &libraryStop, static_cast<T*>(nullptr));
    if (libraryStop == start || (hex && libraryStop == mantissa + 1)) return false;
    stop = libraryStop;
  }
  const char marker = hex ? 'p' : 'e';
  const auto isMarker = [marker](char c) { return (c | 0x20) == marker; };
  if (isMarker(*stop) && std::find_if(mantissa, stop, isMarker) == stop) {
    ++stop;
    if (*stop == '+' || *stop == '-') ++stop;
  }
  p = stop;
  return true;
}

// printf-style text of integers, which no locale changes (numbers with decimals go
// through ClassicFixed).
std::string Format(const char* format, auto... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// Physical memory in bytes, or 0 when the platform does not say.
unsigned long long PhysicalMemoryBytes();

}  // namespace

#if __has_include(<unistd.h>)
#include <unistd.h>
namespace {
unsigned long long PhysicalMemoryBytes() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) return static_cast<unsigned long long>(pages) * pageSize;
#endif
  return 0;
}
}  // namespace
#else
namespace {
unsigned long long PhysicalMemoryBytes() { return 0; }
}  // namespace
#endif

bool CGridProc::ParseDataLine(const char* line, double& latitude, double& longitude, float values[14]) {
  const char* end = line + std::strlen(line);
  const char* p = line;
  if (!ReadNumber(p, end, latitude) || !ReadNumber(p, end, longitude)) return false;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
  for (int k = 0; k < CDataPt::kSurfaceCount; ++k) {
    if (!ReadNumber(p, end, values[k]) || !std::isfinite(values[k])) return false;
  }
  return true;
}

void CGridProc::Run() {
  m_outputWritten = false;
  m_outputCreated = false;
  CMessenger& messenger = GetMessenger();
  try {
    // 1. Grid size. A non-finite size cannot describe a lattice either.
    if (!(m_settings.gridSizeSeconds > 0) || !std::isfinite(m_settings.gridSizeSeconds)) {
      messenger.ShowMessage("Invalid grid size");
      return;
    }
    const double g = m_settings.gridSizeSeconds / 3600.0;

    // 2. Input file.
    CGridTextReader reader;
    if (!reader.Open(m_settings.inputPath)) {
      messenger.ShowMessage("Cannot open file: \n" + m_settings.inputPath);
      return;
    }

    // 3. to 5. First pass, then enough points and a value range that fits 16-bit
    // centimetre codes.
    const Extents extents = SearchExtents(reader);
    if (extents.dataLines < kMinDataLines) {
      messenger.ShowMessage("There are < 4 valid data points, cannot create grid");
      return;
    }
    if (static_cast<double>(extents.maxValue) - extents.minValue > kMaxValueRange) {
      messenger.ShowMessage("The range of surface minimum and maximum values exceed 650");
      return;
    }

    // 6. Coding values: whole metres below the lowest value, centimetre steps.
    CDataPt::s_offset = std::floor(extents.minValue);
    CDataPt::s_scale = kValueScale;

    // 7. The lattice's rows.
    std::size_t rowCount = 0;
    if (!CountRows(extents, g, rowCount)) return;
    CGridInt lattice;
    lattice.SetRowCount(rowCount);

    // 8. and 9. Second pass.
    const Counters counters = GridData(reader, extents, g, lattice);
    reader.Close();
    SetText("Generating binary grid file ...");
    SetProgress(0);

    // 10. to 13. Output; a failure to create it ends the job without a summary.
    bool written = false;
    if (!WriteGrid(lattice, extents, g, written)) return;

    // 14. and 15. Summary.
    std::vector<std::string> lines;
    lines.push_back(Format("Date (D/M/Y): %d/%d/%d", m_settings.day, m_settings.month, m_settings.year));
    lines.push_back(Format("Major version: %d", m_settings.majorVersion));
    lines.push_back(Format("Minor version: %d", m_settings.minorVersion));
    // As long as the numbers need: a coordinate of 1e300 has over 300 digits.
    lines.push_back("Grid size (seconds): " + ClassicFixed(m_settings.gridSizeSeconds, 5));
    lines.push_back("Minimum lat, lon (decimal degrees): " + ClassicFixed(extents.minLat, 10) + ", " +
                    ClassicFixed(extents.minLon, 10));
    lines.push_back("Maximum lat, lon (decimal degrees): " + ClassicFixed(extents.maxLat, 10) + ", " +
                    ClassicFixed(extents.maxLon, 10));
    lines.push_back(Format("Invalid data lines: %lld", counters.invalidLines));
    lines.push_back(Format("Points not compliant with grid: %lld", counters.notCompliant));
    lines.push_back(Format("Duplicate points: %lld", counters.duplicates));
    lines.push_back(Format("Points used: %lld", counters.used));
    if (IsCancelled()) {
      lines.push_back("");
      lines.push_back("WARNING the grid generation was not completed normally");
      RemoveOutput();
      written = false;
    }
    m_outputWritten = written;
    messenger.ShowMessageList("Grid summary", lines);
  } catch (const std::bad_alloc&) {
    // The lattice, reader and writer are released by now; a half-written output goes too.
    RemoveOutput();
    m_outputWritten = false;
    messenger.ShowMessage("Not enough memory to build the grid");
  }
}

CGridProc::Extents CGridProc::SearchExtents(CGridTextReader& reader) {
  Extents extents;
  CProgressThrottle throttle;
  SetText("Searching extents ...");
  SetProgress(0);
  throttle.Reset();
  char line[kLineBuffer];
  const long long percentBase = reader.Length() + 1;
  double latitude = 0, longitude = 0;
  float values[CDataPt::kSurfaceCount];
  while (reader.NextLine(line, kLineBuffer)) {
    // A cancel leaves the pass; what was gathered so far is used.
    if (IsCancelled()) break;
    throttle.Report(*this, reader.Position() * 100 / percentBase);
    if (!ParseDataLine(line, latitude, longitude, values)) continue;
    const auto [lo, hi] = std::minmax_element(values, values + CDataPt::kSurfaceCount);
    if (extents.dataLines++ == 0) {
      extents.minLat = extents.maxLat = latitude;
      extents.minLon = extents.maxLon = longitude;
      extents.minValue = *lo;
      extents.maxValue = *hi;
    } else {
      extents.minLat = std::min(extents.minLat, latitude);
      extents.maxLat = std::max(extents.maxLat, latitude);
      extents.minLon = std::min(extents.minLon, longitude);
      extents.maxLon = std::max(extents.maxLon, longitude);
      extents.minValue = std::min(extents.minValue, *lo);
      extents.maxValue = std::max(extents.maxValue, *hi);
    }
  }
  return extents;
}

bool CGridProc::CountRows(const Extents& extents, double g, std::size_t& rowCount) {
  CMessenger& messenger = GetMessenger();
  // Everything stays in double until it is known to fit, so that a huge extent or a tiny
  // grid size cannot overflow an integer.
  const double n = (extents.maxLat - extents.minLat) / g;
  const double r = std::trunc(n + 0.5);
  if (std::fabs((n - r) * g) > kTolerance) {
    messenger.ShowMessage("The latitude extent points are not compliant with the specified grid");
    return false;
  }
  if (!(r + 1 <= static_cast<double>(kMaxRows))) {
    messenger.ShowMessage("Too many data points in file");
    return false;
  }
  // Latitudes span at most 180 degrees. A wider extent comes from numbers that are no
  // latitudes, and would only build a table of millions of empty rows (gigabytes from a
  // file of a few lines).
  if (extents.maxLat - extents.minLat > kMaxLatitudeExtent) {
    messenger.ShowMessage("The latitude extent is more than 180 degrees");
    return false;
  }
  // Column indices are 32-bit in the file; refuse a longitude extent that needs more.
  const double columns = (extents.maxLon - extents.minLon) / g + 0.5;
  if (!(columns <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    messenger.ShowMessage("The longitude extent needs more columns than a grid file can hold");
    return false;
  }
  rowCount = static_cast<std::size_t>(r) + 1;
  // The row table alone must fit comfortably: past physical memory the system would
  // rather end the process than refuse the allocation.
  const unsigned long long memory = PhysicalMemoryBytes();
  if (memory != 0 && static_cast<double>(rowCount) * sizeof(CGridInt::Row) > memory / 2.0) {
    messenger.ShowMessage("Not enough memory to build the grid");
    return false;
  }
  return true;
}

CGridProc::Counters CGridProc::GridData(CGridTextReader& reader, const Extents& extents, double g, CGridInt& lattice) {
  Counters counters;
  CProgressThrottle throttle;
  SetText("Gridding data ...");
  SetProgress(0);
  throttle.Reset();
  reader.Rewind();
  char line[kLineBuffer];
  const long long percentBase = reader.Length() + 1;
  const double rowCount = static_cast<double>(lattice.GetRowCount());
  const double maxColumn = std::numeric_limits<std::int32_t>::max();
  double latitude = 0, longitude = 0;
  float values[CDataPt::kSurfaceCount];
  while (reader.NextLine(line, kLineBuffer)) {
    if (IsCancelled()) break;
    throttle.Report(*this, reader.Position() * 100 / percentBase);
    if (!ParseDataLine(line, latitude, longitude, values)) {
      ++counters.invalidLines;
      continue;
    }
    const double rho = (latitude - extents.minLat) / g;
    const double row = std::trunc(rho + 0.5);
    const double gamma = (longitude - extents.minLon) / g;
    const double column = std::trunc(gamma + 0.5);
    // A point outside the extents (the file changed between the passes) cannot be
    // placed either.
    if (std::fabs((rho - row) * g) > kTolerance || std::fabs((gamma - column) * g) > kTolerance || row < 0 ||
        row >= rowCount || column < 0 || column > maxColumn) {
      ++counters.notCompliant;
      continue;
    }
    CGridInt::Row& nodes = lattice.MutableRow(static_cast<std::size_t>(row));
    const auto c = static_cast<std::int32_t>(column);
    // Input usually runs along rows, so a node mostly goes at the end of its row. A node
    // out of order is appended as well; SortRows sorts the row after the pass.
    if (!nodes.empty() && nodes.back().column == c) {
      ++counters.duplicates;
      continue;
    }
    CGridInt::Node& node = nodes.emplace_back();
    node.column = c;
    for (int k = 0; k < CDataPt::kSurfaceCount; ++k) node.point.m_codes[k] = CDataPt::Encode(values[k]);
    ++counters.used;
  }
  SortRows(lattice, counters);
  return counters;
}

void CGridProc::SortRows(CGridInt& lattice, Counters& counters) {
  // Sort rows filled out of order by column, keeping file order among equal columns;
  // then the first point at each node stays and the others count as duplicates. (The
  // model's own SortRow keeps the last one, as the file reader needs.)
  const auto before = [](const CGridInt::Node& a, const CGridInt::Node& b) { return a.column < b.column; };
  const auto notAscending = [](const CGridInt::Node& a, const CGridInt::Node& b) { return a.column >= b.column; };
  const auto same = [](const CGridInt::Node& a, const CGridInt::Node& b) { return a.column == b.column; };
  for (std::size_t i = 0; i < lattice.GetRowCount(); ++i) {
    CGridInt::Row& nodes = lattice.MutableRow(i);
    if (std::adjacent_find(nodes.begin(), nodes.end(), notAscending) == nodes.end()) continue;
    std::stable_sort(nodes.begin(), nodes.end(), before);
    const auto last = std::unique(nodes.begin(), nodes.end(), same);
    const auto removed = static_cast<long long>(nodes.end() - last);
    nodes.erase(last, nodes.end());
    counters.duplicates += removed;
    counters.used -= removed;
  }
}

bool CGridProc::WriteGrid(const CGridInt& lattice, const Extents& extents, double g, bool& written) {
  CMessenger& messenger = GetMessenger();
  const std::string& output = m_settings.outputPath;
  CGridWriter writer;
  if (!writer.Open(output)) {
    messenger.ShowMessage("Cannot open file: \n" + output);
    return false;
  }
  m_outputCreated = true;
  CGridWriter::Header header;
  header.majorVersion = m_settings.majorVersion;
  header.minorVersion = m_settings.minorVersion;
  header.year = m_settings.year;
  header.month = m_settings.month;
  header.day = m_settings.day;
  header.gridSize = g;
  header.minLat = extents.minLat;
  header.maxLat = extents.maxLat;
  header.minLon = extents.minLon;
  header.maxLon = extents.maxLon;
  header.valueOffset = CDataPt::s_offset;
  header.valueScale = CDataPt::s_scale;
  const std::size_t rowCount = lattice.GetRowCount();
  header.rowCount = static_cast<std::int32_t>(rowCount);
  writer.WriteHeader(header);

  CProgressThrottle throttle;
  throttle.Reset();
  for (std::size_t i = 0; i < rowCount; ++i) {
    writer.WriteRow(lattice.GetRow(i));
    if (IsCancelled()) break;
    throttle.Report(*this, static_cast<long long>(i * 100 / rowCount));
  }
  written = writer.Close();
  if (!written) {
    messenger.ShowMessage(writer.ErrorReport());
    messenger.ShowMessage("Cannot create the binary grid file: \n" + output);
    RemoveOutput();
  }
  return true;
}

void CGridProc::RemoveOutput() {
  // Only a file this job created, and only a regular one: an output such as /dev/null
  // stays.
  if (!m_outputCreated) return;
  m_outputCreated = false;
  std::error_code ec;
  if (std::filesystem::is_regular_file(m_settings.outputPath, ec)) std::filesystem::remove(m_settings.outputPath, ec);
}
