#pragma once
// Elevation and depth rasters of every format GDAL reads (GeoTIFF, BAG, netCDF, Erdas
// Imagine, virtual rasters, ...), except the ESRI ASCII grids and xyz files that the
// survey handlers take. Band 1 holds the heights or depths: every cell with a value is
// carried over at its centre, positions read in the raster's own CRS
// (RasterPositions.h). Further bands (a BAG's uncertainty) are copied unchanged.
//
// Both outputs are rasters of the input's shape, named as every handler names them and
// written in the input's format where GDAL can create it and it can carry the input's
// georeferencing, GeoTIFF (".tif") otherwise (a BAG without a CRS, of three bands):
//
//   cell                 transformed raster                excluded raster
//   no-data (or NaN)     no-data                           no-data
//   transformed          new value, rounded to the cm     no-data
//   outside the grid,    no-data                           the value as stored
//     or new value does
//     not fit the type
//
// A band 1 without a no-data value gets one in the outputs (RasterCells.h). An output
// that receives no cell is deleted, after a complete run as after a cancel or an error;
// one that is kept is opened again and must hold the input's size, geotransform and the
// CRS it was given (RasterCheck.h). Results: 2 the file cannot be opened or read as a
// raster (no band, a complex band 1, no georeferencing, a CRS that cannot be converted
// where positions are read); 3 an output cannot be created; 4 cancelled; 5 GDAL failed
// to read or write part way, or an output does not hold what was written. Notes say
// what GDAL reported, when the raster's positions are read without a CRS, when it is
// written as GeoTIFF and why, which bands a chosen no-data value marks, and when no
// cell holds a value.

#include <string>

#include "core/files/FileBase.h"

class CFileRaster : public CFileBase {
 public:
  // A file that a GDAL raster driver other than AAIGrid and XYZ identifies as its own.
  bool CanRead(const std::string& path) override;
  // "GDAL raster (<driver short name>)" of the file CanRead accepted last.
  std::string GetFormatName() const override;
  std::string GetOutputPath(const CTransBase* ref, const std::string& path) override;

 protected:
  FileResult TransformFile(const std::string& path, const Task& task) override;

 private:
  FileResult Transform(const std::string& path, const Task& task);

  std::string m_driverName;
};
