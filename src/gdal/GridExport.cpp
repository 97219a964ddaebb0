#include "gdal/GridExport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "core/common/NumberText.h"
#include "core/common/PathUtil.h"
#include "core/common/StagedFile.h"
#include "core/grid/GtxWriter.h"
#include "core/grid/ShiftLattice.h"
#include "core/jobs/Messenger.h"
#include "core/trans/Gda2020Helmert.h"
#include "gdal/GeoTiffShiftWriter.h"

namespace {

constexpr double kSecondsPerDegree = 3600.0;
constexpr int kCheckDecimals = 4;  // of the cct check line's output

std::string Int(long long value) { return std::to_string(value); }

// "D/M/Y, version M.m" of the grid file.
std::string DateAndVersion(const CGridInt& grid) {
  return Int(grid.GetDay()) + "/" + Int(grid.GetMonth()) + "/" + Int(grid.GetYear()) + ", version " +
         Int(grid.GetMajorVersion()) + "." + Int(grid.GetMinorVersion());
}

std::string Lowercase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Whether the output is the grid file itself (which the export must not replace).
bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

std::optional<CGridExport::Format> CGridExport::FormatFromName(std::string_view name) {
  const std::string lower = Lowercase(name);
  if (lower == "gtiff") return Format::GeoTiff;
  if (lower == "gtx") return Format::Gtx;
  return std::nullopt;
}

std::optional<CGridExport::Format> CGridExport::FormatFromPath(const std::string& path) {
  const std::string extension = Lowercase(std::filesystem::path(path).extension().string());
  if (extension == ".tif" || extension == ".tiff") return Format::GeoTiff;
  if (extension == ".gtx") return Format::Gtx;
  return std::nullopt;
}

CGridExport::CGridExport(const CGridInt& grid, const CShiftGridDefinition& definition, std::string outputPath,
                         Format format)
    : m_grid(grid), m_definition(definition), m_outputPath(std::move(outputPath)), m_format(format) {}

void CGridExport::Run() {
  m_written = false;
  m_summary.clear();
  m_rowCounts.clear();
  CMessenger& messenger = GetMessenger();
  const CShiftLattice lattice(m_grid, m_definition.GetAddSurface(), m_definition.GetSubtractSurface(),
                              &CGda2020Helmert::EllipsoidHeight);
  if (!lattice.IsValid()) {
    messenger.ShowMessage("The grid holds no lattice of at least one cell to export");
    return;
  }
  if (IsSameFile(m_outputPath, m_grid.GetFilePath())) {
    messenger.ShowMessage("The export would replace the grid file itself:\n" + m_outputPath);
    return;
  }
  SetText("Writing: " + GetFileNamePart(m_outputPath));
  SetProgress(0);
  m_throttle.Reset();
  try {
    CStagedFile staged(m_outputPath);
    m_rowCounts.assign(static_cast<std::size_t>(lattice.GetGeometry().rows), 0);
    const bool complete = m_format == Format::GeoTiff ? WriteGeoTiff(lattice, staged.GetTempPath())
                                                      : WriteGtx(lattice, staged.GetTempPath());
    if (!complete || IsCancelled()) return;  // the staged file goes with `staged`
    std::string error;
    if (!staged.Commit(error)) {
      messenger.ShowMessage(error);
      messenger.ShowMessage("Cannot create file: \n" + m_outputPath);
      return;
    }
  } catch (const std::bad_alloc&) {
    messenger.ShowMessage("Not enough memory to export the grid");
    return;
  } catch (const std::length_error&) {
    messenger.ShowMessage("Not enough memory to export the grid");
    return;
  }
  m_written = true;
  MakeSummary(lattice);
}

void CGridExport::ReportRow(std::int32_t done, std::int32_t rows) {
  m_throttle.Report(*this, static_cast<long long>(done) * 100 / rows);
}

bool CGridExport::FillRow(const CShiftLattice& lattice, std::int32_t row, float* values) {
  const std::int32_t columns = lattice.GetGeometry().columns;
  const std::int64_t valued = lattice.FillRow(row, values);
  m_rowCounts[static_cast<std::size_t>(row)] = valued;
  std::int64_t seen = 0;
  bool finite = true, inGtxRange = true;
  for (std::int32_t c = 0; c < columns; ++c) {
    const float v = values[c];
    if (v == CShiftLattice::kNoData) continue;
    ++seen;
    finite = finite && std::isfinite(v);
    inGtxRange = inGtxRange && std::fabs(v) <= kGtxLimit;
  }
  const char* problem = nullptr;
  if (!finite)
    problem = "A node's value is not a finite number (damaged coding values in the grid file?)";
  else if (seen != valued)
    problem = "A node's value equals the no-data value -88.8888";
  else if (m_format == Format::Gtx && !inGtxRange)
    problem = "A node's value lies beyond 1000 m, which GTX readers take as no-data; export to GeoTIFF instead";
  if (problem == nullptr) return true;
  const double latitude = lattice.GetGeometry().south + row * lattice.GetGeometry().spacing;
  GetMessenger().ShowMessage(std::string(problem) + " (row at latitude " + ClassicFixed(latitude, 10) + ")");
  return false;
}

bool CGridExport::WriteGeoTiff(const CShiftLattice& lattice, const std::string& path) {
  const CShiftLattice::Geometry& geometry = lattice.GetGeometry();
  CGeoTiffShiftWriter::Metadata metadata;
  metadata.type = m_definition.GetTypeName();
  metadata.geographicEpsg = m_definition.GetGeographicEpsg();
  metadata.sampleDescription = m_definition.GetSampleDescription();
  metadata.description = m_definition.GetMeaning() + ". From the Marevert grid file " +
                         GetFileNamePart(m_grid.GetFilePath()) + " dated " + DateAndVersion(m_grid) +
                         ". PROJ: +proj=vgridshift +multiplier=" + (m_definition.GetMultiplier() < 0 ? "-1" : "1") +
                         " carries values " + m_definition.GetDirection() + ".";
  char dateTime[64];
  std::snprintf(dateTime, sizeof dateTime, "%04d:%02d:%02d 00:00:00", m_grid.GetYear(), m_grid.GetMonth(),
                m_grid.GetDay());
  metadata.dateTime = dateTime;
  metadata.software = std::string("Marevert ") + MAREVERT_VERSION;
  const double north = geometry.south + (geometry.rows - 1) * geometry.spacing;
  const double east = geometry.west + (geometry.columns - 1) * geometry.spacing;
  metadata.areaOfUse = "Where the grid file has data within latitudes " + ClassicFixed(geometry.south, 6) + " to " +
                       ClassicFixed(north, 6) + " and longitudes " + ClassicFixed(geometry.west, 6) + " to " +
                       ClassicFixed(east, 6);

  CGeoTiffShiftWriter writer;
  const auto fail = [&writer, this] {
    const std::string report = writer.ErrorReport();
    if (!report.empty()) GetMessenger().ShowMessage(report);
    GetMessenger().ShowMessage("Cannot create file: \n" + m_outputPath);
    return false;
  };
  if (!writer.Create(path, geometry, metadata)) return fail();
  // Whole blocks of rows from the north edge down, GeoTIFF's order.
  const std::int32_t columns = geometry.columns;
  const std::int32_t blockRows = writer.BlockRows();
  std::vector<float> block(static_cast<std::size_t>(blockRows) * columns);
  for (std::int32_t first = 0; first < geometry.rows; first += blockRows) {
    const std::int32_t count = std::min(blockRows, geometry.rows - first);
    for (std::int32_t k = 0; k < count; ++k) {
      if (!FillRow(lattice, geometry.rows - 1 - (first + k), block.data() + static_cast<std::size_t>(k) * columns))
        return false;
    }
    if (!writer.WriteRows(first, count, block.data())) return fail();
    if (IsCancelled()) return false;
    ReportRow(first + count, geometry.rows);
  }
  return writer.Close() || fail();
}

bool CGridExport::WriteGtx(const CShiftLattice& lattice, const std::string& path) {
  const CShiftLattice::Geometry& geometry = lattice.GetGeometry();
  CGtxWriter writer;
  if (!writer.Open(path)) {
    GetMessenger().ShowMessage("Cannot create file: \n" + m_outputPath);
    return false;
  }
  writer.WriteHeader(geometry);
  std::vector<float> row(static_cast<std::size_t>(geometry.columns));
  for (std::int32_t r = 0; r < geometry.rows; ++r) {  // south to north
    if (!FillRow(lattice, r, row.data())) return false;
    writer.WriteRow(row.data(), geometry.columns);
    if (IsCancelled()) return false;
    ReportRow(r + 1, geometry.rows);
  }
  if (writer.Close()) return true;
  GetMessenger().ShowMessage("Cannot write file: \n" + m_outputPath);
  return false;
}

CGridExport::CheckNode CGridExport::FindCheckNode(const CShiftLattice& lattice) const {
  // The middle valued node of the middle row that has any.
  std::vector<std::int32_t> valuedRows;
  for (std::size_t r = 0; r < m_rowCounts.size(); ++r)
    if (m_rowCounts[r] > 0) valuedRows.push_back(static_cast<std::int32_t>(r));
  CheckNode node;
  if (valuedRows.empty()) return node;
  node.row = valuedRows[valuedRows.size() / 2];
  std::vector<float> values(static_cast<std::size_t>(lattice.GetGeometry().columns));
  const std::int64_t count = lattice.FillRow(node.row, values.data());
  for (std::int64_t seen = 0, c = 0; c < static_cast<std::int64_t>(values.size()); ++c) {
    if (values[static_cast<std::size_t>(c)] == CShiftLattice::kNoData) continue;
    if (seen++ == count / 2) {
      node.column = static_cast<std::int32_t>(c);
      break;
    }
  }
  return node;
}

void CGridExport::MakeSummary(const CShiftLattice& lattice) {
  const CShiftLattice::Geometry& geometry = lattice.GetGeometry();
  std::int64_t valued = 0;
  for (const std::int64_t count : m_rowCounts) valued += count;
  const long long nodes = static_cast<long long>(geometry.columns) * geometry.rows;
  std::vector<std::string>& lines = m_summary;
  lines.push_back("Written: " + m_outputPath);
  lines.push_back(m_format == Format::GeoTiff ? "Format: GeoTIFF, Float32, deflate; no-data -88.8888"
                                              : "Format: GTX; no-data -88.8888");
  lines.push_back("Values: " + m_definition.GetMeaning());
  lines.push_back("Grid file: " + GetFileNamePart(m_grid.GetFilePath()) + " (date " + DateAndVersion(m_grid) + ")");
  lines.push_back("Lattice: " + Int(geometry.columns) + " x " + Int(geometry.rows) + " nodes (columns x rows) every " +
                  ClassicFixed(geometry.spacing * kSecondsPerDegree, 5) + " seconds, south-west node " +
                  ClassicFixed(geometry.south, 10) + ", " + ClassicFixed(geometry.west, 10));
  lines.push_back("Nodes with a value: " + Int(valued) + " of " + Int(nodes) +
                  " (the others are no-data: the grid cannot interpolate there)");
  lines.push_back("PROJ pipeline " + m_definition.GetDirection() + ": " + m_definition.GetPipeline(m_outputPath));

  const CheckNode node = FindCheckNode(lattice);
  if (node.column < 0) return;
  const double latitude = geometry.south + node.row * geometry.spacing;
  const double longitude = geometry.west + node.column * geometry.spacing;
  CDataPt point;
  if (!m_grid.Interpolate(latitude, longitude, point)) return;
  const auto height = [&](int surface) {
    if (surface == CDataPt::kEllipsoidGda2020) return CGda2020Helmert::EllipsoidHeight(latitude, longitude);
    return surface < 0 ? 0.0 : static_cast<double>(point.GetValue(surface));
  };
  const double expected =
      m_definition.GetMultiplier() * (height(m_definition.GetAddSurface()) - height(m_definition.GetSubtractSurface()));
  lines.push_back("Check: echo \"" + ClassicFixed(longitude, 10) + " " + ClassicFixed(latitude, 10) + " 0\" | " +
                  m_definition.GetCctCommand(m_outputPath, kCheckDecimals));
  lines.push_back("  (Marevert carries 0 in " + m_definition.GetFromName() + " to " +
                  ClassicFixed(expected, kCheckDecimals) + " in " + m_definition.GetToName() + " there)");
}
