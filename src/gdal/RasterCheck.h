#pragma once
// The check of an output raster once it is written: opened again with GDAL, it must have
// the input's size, bands and geotransform and the CRS it was given. A driver may write
// less than it was handed without a word (GDAL's BAG writer without a CRS writes no
// georeferencing at all, and with no vertical CRS names an "unknown" one); the handler
// then says what differs rather than report the file done.

#include <gdal_priv.h>

#include <string>
#include <vector>

struct CRasterVertical;

// What the raster at `path` holds, as GDAL reads it back, that differs from what was
// written: the input's size, band count and geotransform (to a millionth of a cell
// anywhere on the raster), and the CRS of `vertical` (its horizontal part; a vertical
// part only where the file has one, which must then be the one stated: a format that
// keeps only coded vertical CRSs drops a named one, as the metadata says). "" when
// nothing differs, else the differences, joined by "; ". `files` gets every file GDAL
// counts to the dataset (side files too).
std::string CompareWritten(const std::string& path, GDALDataset& input, const CRasterVertical& vertical,
                           std::vector<std::string>& files);
