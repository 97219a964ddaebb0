#pragma once
// The export of a grid for PROJ, GDAL and the tools built on them: the job that writes
// one separation (or one surface) of a loaded grid model as a vertical-shift grid on the
// model's own lattice (CShiftLattice), in GeoTIFF or GTX, and describes the PROJ
// pipeline that applies it.
//
// The file is written under a temporary name and moved into place only when complete,
// so a failure or a cancel leaves any earlier file of that name as it was. Failures
// are shown through the installed messenger; the summary is left for the caller.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid/GridInt.h"
#include "core/jobs/ProcessBase.h"
#include "core/trans/ShiftGridDefinition.h"

class CShiftLattice;

class CGridExport : public CProcessBase {
 public:
  enum class Format { GeoTiff, Gtx };
  // "gtiff" or "gtx" (any case).
  static std::optional<Format> FormatFromName(std::string_view name);
  // From the file name's extension: .tif or .tiff, .gtx (any case).
  static std::optional<Format> FormatFromPath(const std::string& path);
  // GDAL tools treat values beyond this (in metres, either sign) in a GTX file as no-data.
  static constexpr float kGtxLimit = 1000.0f;

  // `grid` must stay loaded and unchanged while the job runs.
  CGridExport(const CGridInt& grid, const CShiftGridDefinition& definition, std::string outputPath, Format format);

  void Run() override;

  // True when the job ended with the complete file in place.
  bool OutputWritten() const { return m_written; }
  // What was written and how to apply it with PROJ; empty unless OutputWritten.
  const std::vector<std::string>& GetSummary() const { return m_summary; }

 private:
  // A node with a value near the middle of the data, to check the file against.
  struct CheckNode {
    std::int32_t row = -1, column = -1;
  };
  // The steps of Run; each shows its own failure and answers false.
  bool WriteGeoTiff(const CShiftLattice& lattice, const std::string& path);
  bool WriteGtx(const CShiftLattice& lattice, const std::string& path);
  // Fills row `row` and checks what the format can hold; false (message shown) if not.
  bool FillRow(const CShiftLattice& lattice, std::int32_t row, float* values);
  void ReportRow(std::int32_t done, std::int32_t rows);
  CheckNode FindCheckNode(const CShiftLattice& lattice) const;
  void MakeSummary(const CShiftLattice& lattice);

  const CGridInt& m_grid;
  CShiftGridDefinition m_definition;
  std::string m_outputPath;
  Format m_format;
  bool m_written = false;
  std::vector<std::int64_t> m_rowCounts;  // nodes with a value, per row (0 = south)
  CProgressThrottle m_throttle;
  std::vector<std::string> m_summary;
};
