#pragma once
// Writes a vertical-shift grid as a GeoTIFF made the way PROJ's own grid files are: one
// Float32 band, deflate with the floating-point predictor, 256 x 256 tiles, GDA94
// geographic coordinates (EPSG:4283), pixel-is-point registration with the tie point
// on the north-west node (so the sample positions are exactly the lattice nodes),
// no-data -88.8888, and the metadata PROJ reads: TYPE, the band's description and its
// unit, "metre". GDAL's messages are collected for ErrorReport, never printed.

#include <gdal_priv.h>

#include <cstdint>
#include <string>

#include "gdal/GdalSession.h"
#include "grid/ShiftLattice.h"

class CGeoTiffShiftWriter {
 public:
  // Rows per block: write whole blocks of rows at a time.
  static constexpr std::int32_t kBlockSize = 256;

  struct Metadata {
    std::string type;               // PROJ's TYPE item
    std::string sampleDescription;  // the band's description ("vertical_offset", ...)
    std::string description;        // TIFF ImageDescription
    std::string dateTime;           // TIFF DateTime, "YYYY:MM:DD HH:MM:SS"
    std::string software;           // TIFF Software
    std::string areaOfUse;          // PROJ's area_of_use item
  };

  CGeoTiffShiftWriter();
  ~CGeoTiffShiftWriter();
  CGeoTiffShiftWriter(const CGeoTiffShiftWriter&) = delete;
  CGeoTiffShiftWriter& operator=(const CGeoTiffShiftWriter&) = delete;

  // Creates (or replaces) the file. False when GDAL cannot (see ErrorReport).
  bool Create(const std::string& path, const CShiftLattice::Geometry& geometry, const Metadata& metadata);
  // `count` rows from `firstRow`, counted from the north edge (GeoTIFF order), each of
  // geometry.columns values.
  bool WriteRows(std::int32_t firstRow, std::int32_t count, const float* values);
  // Writes out everything and closes the file; false when anything failed.
  bool Close();
  // GDAL's failures so far, joined; "" when there were none.
  std::string ErrorReport() const { return m_capture.GetErrorText(); }

 private:
  // Declared first: collects GDAL's messages until the dataset is closed.
  CGdalErrorCapture m_capture;
  std::string m_savedPointGeoIgnore;
  bool m_hadPointGeoIgnore = false;
  GDALDatasetUniquePtr m_dataset;
  std::int32_t m_columns = 0;
};
