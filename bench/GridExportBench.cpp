// The export of a grid for PROJ against GDAL writing the same raster: a 1-arc-minute
// grid of 1800 x 900 nodes (30 x 15 degrees, every node present) exported as a GeoTIFF
// by `marevert-cli export-grid`, side by side with `gdal_translate` writing the
// same-sized Float32 deflate GeoTIFF (the same block layout) from a raw float
// file. Both are whole program runs, so each pays for starting and reading its input;
// they take turns, best of kRuns each. Prints both times and the ratio (target: at most
// 2), and the export alone inside this process (grid already loaded) for comparison.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchTempDir.h"
#include "BenchGridFile.h"
#include "core/grid/GridInt.h"
#include "core/grid/ShiftLattice.h"
#include "core/jobs/Messenger.h"
#include "core/trans/ShiftGridDefinition.h"
#include "core/trans/TransFactory.h"
#include "gdal/GeoTiffShiftWriter.h"
#include "gdal/GridExport.h"

namespace fs = std::filesystem;

namespace {

constexpr CBenchLattice kLattice = kExportBenchLattice;
constexpr int kColumns = kLattice.columns, kRows = kLattice.rows;
constexpr double kSpacing = kLattice.spacing;
constexpr double kSouth = kLattice.south, kWest = kLattice.west;
constexpr int kRuns = 5;
constexpr int kLat = 0, kAhd = 6;  // surface indices

double Seconds(const std::function<void()>& work) {
  sync();
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Run(const std::string& command) {
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

// The same raster as raw little-endian floats, north row first, with its ESRI .hdr.
void WriteRawFile(const std::string& stem) {
  std::vector<float> values(static_cast<std::size_t>(kColumns) * kRows);
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const CDataPt point = BenchNodeValues(r, c);
      values[static_cast<std::size_t>(kRows - 1 - r) * kColumns + c] =
          static_cast<float>(static_cast<double>(point.GetValue(kLat)) - point.GetValue(kAhd));
    }
  }
  std::ofstream(stem + ".flt", std::ios::binary)
      .write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * sizeof(float)));
  std::ofstream header(stem + ".hdr");
  header.precision(17);
  header << "NROWS " << kRows << "\nNCOLS " << kColumns << "\nNBANDS 1\nNBITS 32\nPIXELTYPE FLOAT\nBYTEORDER I\n"
         << "ULXMAP " << kWest << "\nULYMAP " << kSouth + (kRows - 1) * kSpacing << "\nXDIM " << kSpacing << "\nYDIM "
         << kSpacing << "\nNODATA -88.8888\n";
}

}  // namespace

int main() {
  const fs::path dir = MakeBenchDir("marevert-bench-export");
  const std::string grid = (dir / "grid.MRGGrid").string();
  WriteBenchGridFile(grid, kLattice);
  WriteRawFile((dir / "raw").string());

  const std::string ours = (dir / "ours.tif").string(), base = (dir / "base.tif").string();
  const std::string exportCommand = "'" MAREVERT_BIN_DIR "/marevert-cli' export-grid --grid '" + grid +
                                    "' --from LAT --to AHD --output '" + ours + "' >/dev/null";
  // The same layout as the export's: strips of whole rows for a grid of this size.
  CShiftLattice::Geometry geometry;
  geometry.columns = kColumns, geometry.rows = kRows;
  const CGeoTiffShiftWriter::Layout layout = CGeoTiffShiftWriter::ChooseLayout(geometry);
  const std::string translateCommand = "gdal_translate -q -of GTiff -a_srs EPSG:4283 -co TILED=" +
                                       std::string(layout.tiled ? "YES -co BLOCKXSIZE=256" : "NO") +
                                       " -co BLOCKYSIZE=" + std::to_string(layout.blockRows) +
                                       " -co COMPRESS=DEFLATE '" + (dir / "raw.flt").string() + "' '" + base + "'";
  double bestOurs = 1e30, bestBase = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    fs::remove(ours), fs::remove(base);
    bestBase = std::min(bestBase, Seconds([&] { Run(translateCommand); }));
    bestOurs = std::min(bestOurs, Seconds([&] { Run(exportCommand); }));
  }

  // The export alone, the grid already in memory.
  CRecordingMessenger quiet;
  CScopedMessenger scoped(&quiet);
  CGridInt model;
  model.LoadFile(grid);
  const CTransFactory& factory = CTransFactory::Instance();
  const CShiftGridDefinition definition =
      CShiftGridDefinition::Between(*factory.Find("LAT"), *factory.Find("AHD"), 1.0);
  double bestInProcess = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    CGridExport job(model, definition, (dir / "inprocess.tif").string(), CGridExport::Format::GeoTiff);
    bestInProcess = std::min(bestInProcess, Seconds([&] { job.Run(); }));
  }

  std::printf("grid export for PROJ, %d x %d nodes at 1 minute, Float32 deflate GeoTIFF (best of %d)\n", kColumns,
              kRows, kRuns);
  std::printf("  marevert-cli export-grid  %8.3f s  (%.1f MB)\n", bestOurs, fs::file_size(ours) / 1e6);
  std::printf("  gdal_translate from raw   %8.3f s  (%.1f MB)\n", bestBase, fs::file_size(base) / 1e6);
  std::printf("  ratio %.2f (target <= 2)\n", bestOurs / bestBase);
  std::printf("  export alone, grid loaded %8.3f s  (ratio %.2f to gdal_translate)\n", bestInProcess,
              bestInProcess / bestBase);
  fs::remove_all(dir);
  return 0;
}
