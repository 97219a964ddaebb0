#pragma once
// ESRI ASCII raster grids: a six-line header (ncols, nrows, xll..., yll..., cellsize,
// NODATA_value) and nrows x ncols cell values from the northern row down, west to east.
// Both outputs are grids of the input's shape: a cell a file does not receive holds the
// no-data text there.

#include "core/files/FileBase.h"

class CFileESRIGrid : public CFileBase {
 public:
  bool CanRead(const std::string& path) override;
  std::string GetFormatName() const override { return "ESRI ASCII Grid"; }

 protected:
  FileResult Run(Streams& files, const Task& task) override;
};
