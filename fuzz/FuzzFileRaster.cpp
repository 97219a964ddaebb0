// The raster handler on arbitrary file contents (seeded with GeoTIFFs): its detection
// through GDAL, then its transformation on a small fixed grid (MSL to LAT), with the
// outputs written beside the input in the scratch folder. GDAL's own readers are not
// the target: a raster GDAL opens with more cells than a fuzzed file could hold data
// for is skipped, so that time goes into our code and not into writing large outputs.
#include <gdal_priv.h>

#include <cstdint>

#include "FuzzSupport.h"
#include "core/files/FilesTestSupport.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"

namespace {

// Cells in all bands: a few windows' worth. A fuzzed header may claim millions of cells
// that GDAL then fills with no-data; each would cost seconds and tens of megabytes.
constexpr long long kMaxCells = 1 << 16;

bool SmallEnough(const std::string& path) {
  CGdalErrorCapture quiet;
  GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  return !dataset ||
         static_cast<long long>(dataset->GetRasterXSize()) * dataset->GetRasterYSize() * dataset->GetRasterCount() <=
             kMaxCells;
}

// GDAL's drivers may leave side files beside an output (.aux.xml, .hdr, .prj, ...) that
// no name rule predicts, so here, unlike the other targets, the folder is emptied of all
// but the input after each one: its few entries cost microseconds beside GDAL's
// milliseconds per input.
void RemoveAllBut(const std::string& input) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(fuzz::ScratchFolder(), ec))
    if (entry.path() != input) std::filesystem::remove_all(entry.path(), ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CFilesTestGrid grid;
  static const bool configured = [] {
    GDALSetCacheMax64(16 << 20);  // bytes: the rasters are tiny, and RSS is watched
    EnsureGdalRegistered();
    return true;
  }();
  (void)configured;
  const std::string path = fuzz::WriteInput("raster.tif", data, size);
  CFileRaster handler;
  if (handler.CanRead(path) && SmallEnough(path)) {
    CTestJob job;
    std::uint64_t outside = 0, transformed = 0;
    handler.Process(path, grid.Grid(), CFilesTestGrid::Msl(), CFilesTestGrid::Lat(), &job, 56, outside, transformed);
  }
  fuzz::CheckUnchanged(path, data, size);
  RemoveAllBut(path);
  return 0;
}
