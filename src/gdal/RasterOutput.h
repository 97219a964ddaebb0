#pragma once
// One output raster of the raster handler. It is created in the chosen driver with the
// input's size, bands and data types, geotransform, band descriptions, metadata, units,
// scale and offset, compression and tiling (where the driver has them); band 1 gets
// the no-data value the handler uses, and the CRS and metadata say where the values
// stand vertically (RasterVertical.h).

#include <gdal_priv.h>

#include <string>

struct CBandCoding;
struct CRasterVertical;

// The driver the outputs of `input` are written with, saying what they must (`vertical`,
// the transformed output's statement): the input's own where GDAL can create files of
// it with these bands and types and they can hold that (GeoTIFF, BAG, netCDF, Erdas
// Imagine ...), GeoTIFF otherwise (a virtual raster, a format GDAL only reads or
// copies, a BAG that cannot carry the input's georeferencing). `note` says why not the
// input's own, "" when it is.
GDALDriver* ChooseOutputDriver(GDALDataset& input, const CRasterVertical& vertical, std::string& note);

// An output name (CFileBase::MakeOutputName) for a file written with `driver`: a
// GeoTIFF written for an input of another format ends in ".tif".
std::string OutputPathFor(const std::string& name, const GDALDriver& driver, GDALDataset& input);

class CRasterOutput {
 public:
  CRasterOutput() = default;
  CRasterOutput(const CRasterOutput&) = delete;
  CRasterOutput& operator=(const CRasterOutput&) = delete;

  // Creates the output at `path`, the temporary of the output `name` (which messages
  // give), a file of `name` from an earlier run then removed with its side files. False,
  // with GDAL's reason in `error`, when it cannot be created; a file half made is
  // removed again.
  bool Create(GDALDriver& driver, const std::string& path, const std::string& name, GDALDataset& input,
              const CBandCoding& coding, const CRasterVertical& vertical, std::string& error);
  GDALDataset* Get() const { return m_dataset.get(); }
  // Writes out and closes the file, then deletes it (with GDAL's side files) unless
  // `keep`. False when GDAL reported an error while writing out.
  bool Close(bool keep);

 private:
  GDALDatasetUniquePtr m_dataset;
  GDALDriver* m_driver = nullptr;
  std::string m_path;
};
