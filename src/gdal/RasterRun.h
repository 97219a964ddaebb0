#pragma once
// The block-by-block transformation of one raster into its two outputs: the windows of
// the input (RasterBlocks.h) are the blocks of a CBlockPipeline, so the files are read
// and written while the cells of the window between are carried over. All GDAL calls
// stay on the calling thread.

#include <gdal_priv.h>

#include <cstdint>
#include <functional>

#include "core/files/FileBase.h"
#include "gdal/RasterCells.h"

class CRasterPositions;

struct CRasterRunSetup {
  GDALDataset* input = nullptr;
  GDALDataset* transformed = nullptr;
  GDALDataset* excluded = nullptr;
  CBandCoding coding;
  CRasterPositions* positions = nullptr;
  CCellTransform how{};
  // The outputs fill a block never written with the no-data value (a single-band
  // GeoTIFF does): a window without a cell for an output is not written to it, which
  // spares compressing blocks of nothing but no-data.
  bool fillsUnwritten = false;
  // Called after each window is written with the share of the raster done (percent);
  // true asks to stop.
  std::function<bool(long long percent)> progress;
};

// Runs the whole raster; the counts grow as windows are written, and `separation` takes
// in what the cells carried over were given. kFileDone, kFileCancelled (the windows
// written so far stay), or kFileException when GDAL failed to read or write a window
// (its reason is in the thread's GDAL messages).
FileResult RunRaster(const CRasterRunSetup& setup, std::uint64_t& transformed, std::uint64_t& excluded,
                     CSeparationStats& separation);
