#pragma once
// ESRI ASCII raster grids: a six-line header (ncols, nrows, xll..., yll..., cellsize,
// NODATA_value) and nrows x ncols cell values from the northern row down, west to east.
// Both outputs are grids of the input's shape: a cell a file does not receive holds the
// no-data text there.

#include "files/FileBase.h"

class CFileESRIGrid : public CFileBase {
 public:
  bool CanRead(const std::string& path) override;
  FileResult Process(const std::string& path, const CGridInt* grid, const CTransBase* inRef, const CTransBase* outRef,
                     CProcessBase* process, int zone, std::uint64_t& outside, std::uint64_t& transformed) override;
  std::string GetFormatName() const override { return "ESRI ASCII Grid"; }

 private:
  // Everything between opening and closing the files.
  FileResult Run(CInputStream& input, COutputStream& transformedFile, COutputStream& excludedFile, const CGridInt* grid,
                 const CTransBase* inRef, const CTransBase* outRef, CProcessBase* process, int zone,
                 std::uint64_t& outside, std::uint64_t& transformed);
};
