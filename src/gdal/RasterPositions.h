#pragma once
// Where the cell centres of a raster lie, in the terms CFileBase::TransformPoints takes
// (a: longitude or easting, b: latitude or northing), decided once per file from the
// raster's horizontal CRS:
//
//   geographic GDA94, GDA2020 or WGS84          longitude and latitude as they are
//   MGA (GDA94, GDA2020) or WGS84 UTM south,     easting and northing in the file's zone
//     zones 49 to 56                             (the file's zone wins over the batch's)
//   any other CRS (Albers, Lambert, other zones, converted to GDA94 longitude and
//     other datums)                              latitude through GDAL and PROJ
//   no CRS                                       the coordinates as they are, read by the
//                                                batch's rule (both magnitudes above 200:
//                                                eastings and northings in the batch zone)
//
// GDAL hands rasters' CRSs over with the traditional axis order (x east, y north), so a
// geographic raster's x is the longitude. Cell (column, row) has its centre at
// geotransform (column + 0.5, row + 0.5), whatever the file's own registration: GDAL
// moves point-registered grids (BAG, AREA_OR_POINT=Point) half a cell for us.

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "core/trans/CoordConv.h"

class OGRCoordinateTransformation;
class OGRSpatialReference;

class CRasterPositions {
 public:
  enum class Kind { kGeographic, kMapGrid, kConverted, kNoCrs };

  CRasterPositions();
  ~CRasterPositions();
  CRasterPositions(const CRasterPositions&) = delete;
  CRasterPositions& operator=(const CRasterPositions&) = delete;

  // Decides for the raster's CRS (null or empty: none; a vertical part is ignored) and
  // its geotransform. False, with the reason in `error`, when positions in this CRS
  // cannot be converted to GDA94.
  bool Prepare(const OGRSpatialReference* crs, const std::array<double, 6>& geoTransform, int batchZone,
               std::string& error);

  Kind GetKind() const { return m_kind; }
  // The zone TransformPoints takes: the file's for kMapGrid, else the batch's.
  int GetZone() const { return m_zone; }
  // A short description of the CRS decided on, for messages ("GDA94 / MGA zone 56").
  const std::string& GetCrsName() const { return m_crsName; }

  // The centres of `count` cells of `row`, from `column` eastward, in the raster's own
  // coordinates (a: x, b: y). Changes nothing, so threads may share it.
  void CellCentres(long long column, long long row, std::size_t count, double* a, double* b) const;

  // The last foot point worked out, which the next cell (of the same row) most likely
  // shares; one per thread.
  struct FootPointCache {
    bool valid = false;
    CCoordConv::FootPointTerms footPoint{};
  };
  // The position of one cell as TransformPoints takes it. Map-grid coordinates (kMapGrid,
  // and kNoCrs where both magnitudes exceed 200) become latitude and longitude here,
  // with the foot point of the northing worked out once per row: the very numbers
  // TransformPoints would find for the easting and northing, but without their cost
  // for every cell. Other positions are the cell centre as it is.
  void CellPosition(long long column, long long row, double& a, double& b, FootPointCache& cache) const;
  // Turns raster coordinates into positions in place (kConverted only; the others are
  // positions already). A point that cannot be converted becomes NaN, which
  // TransformPoints treats as outside the grid. Call from one thread at a time.
  void Convert(std::size_t count, double* a, double* b);

 private:
  struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* transform) const;
  };
  Kind m_kind = Kind::kNoCrs;
  int m_zone = 0;
  std::string m_crsName;
  std::array<double, 6> m_geoTransform{};
  const CCoordConv* m_coordConv = nullptr;
  std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> m_toGda94;
};
