#pragma once
// Writes a vertical-shift grid as a GeoTIFF that PROJ reads as its own grid files: one
// Float32 band, deflate, geographic coordinates (GDA94, EPSG:4283, or GDA2020,
// EPSG:7844), pixel-is-point
// registration with the tie point on the north-west node (so the sample positions are
// exactly the lattice nodes), no-data -88.8888, and the metadata PROJ reads: TYPE, the
// band's description and its unit, "metre". GDAL's messages are collected for
// ErrorReport, never printed.
//
// The block layout is chosen for PROJ's reader, which keeps only the last 12 blocks it
// decoded of a file (its GeoTIFF block cache, 4 blocks for each of up to 3 samples). A
// grid of 256 x 256 tiles with more tiles than that is decoded again for nearly every
// point of a batch in random order: PROJ's cct was 50 to 150 times slower on such a
// file than on the same grid as GTX. So a grid of up to kWholeGridBytes (decoded) is
// written as at most kMaxStrips strips of whole rows, all of which stay in that cache
// after their first use; a larger grid, which no layout keeps there, as 256 x 256
// tiles, each cheap to decode. No predictor: on these centimetre-stepped values the
// floating-point predictor made the files larger, and every decode slower.

#include <gdal_priv.h>

#include <cstdint>
#include <string>

#include "core/grid/ShiftLattice.h"
#include "gdal/GdalSession.h"

class CGeoTiffShiftWriter {
 public:
  static constexpr std::int64_t kWholeGridBytes = 64 << 20;
  static constexpr std::int32_t kMaxStrips = 8;  // of PROJ's 12 cached blocks
  static constexpr std::int32_t kTileSize = 256;

  struct Layout {
    bool tiled = false;
    std::int32_t blockRows = 0;  // rows of a strip, or of a tile (kTileSize)
  };
  static Layout ChooseLayout(const CShiftLattice::Geometry& geometry);

  struct Metadata {
    std::string type;               // PROJ's TYPE item
    std::string sampleDescription;  // the band's description ("vertical_offset", ...)
    std::string description;        // TIFF ImageDescription
    std::string dateTime;           // TIFF DateTime, "YYYY:MM:DD HH:MM:SS"
    std::string software;           // TIFF Software
    std::string areaOfUse;          // PROJ's area_of_use item
    int geographicEpsg = 4283;      // the CRS of the nodes' latitudes and longitudes
  };

  CGeoTiffShiftWriter();
  ~CGeoTiffShiftWriter();
  CGeoTiffShiftWriter(const CGeoTiffShiftWriter&) = delete;
  CGeoTiffShiftWriter& operator=(const CGeoTiffShiftWriter&) = delete;

  // Creates (or replaces) the file. False when GDAL cannot (see ErrorReport).
  bool Create(const std::string& path, const CShiftLattice::Geometry& geometry, const Metadata& metadata);
  // Rows per block of the file created: WriteRows is fastest given whole blocks.
  std::int32_t BlockRows() const { return m_layout.blockRows; }
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
  Layout m_layout;
};
