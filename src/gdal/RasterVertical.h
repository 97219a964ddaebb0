#pragma once
// What an output raster says about the vertical reference its values stand in (the
// output reference for the transformed raster, the input reference for the excluded
// one), in its CRS and in two metadata items:
//
//   VERTICAL_REFERENCE   the reference's display name ("LAT", "AHD", ...)
//   VERTICAL_DIRECTION   "height, positive up" or "depth, positive down" (the sign convention)
//
// The CRS keeps the input's horizontal part and gets a vertical part: the EPSG vertical
// CRS where one exists for the reference and direction (AHD height 5711, MSL height
// 5714, LAT depth 5861, ...), otherwise a vertical CRS named after the reference; the
// GDA94 ellipsoid with heights makes the horizontal CRS three-dimensional, and so does
// the GDA2020 ellipsoid on a GDA2020 horizontal CRS (7844 becomes 7843). Formats that store
// only coded vertical CRSs keep a named one by its name alone (a GeoTIFF's citation, its
// datum read back as unknown), or not at all; the metadata items say it either way.
// In block-shift mode nothing is known about the datum: the input's CRS stays as it is
// (its vertical part too), and the transformed raster's VERTICAL_REFERENCE names the
// shift.

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CTransBase;
class OGRSpatialReference;

struct CRasterVertical {
  // The output's CRS; null when the input has none.
  std::unique_ptr<OGRSpatialReference> crs;
  // The vertical part alone, for formats that keep it apart (a BAG); for the ellipsoid
  // a vertical CRS on an ellipsoidal datum, which only such a format takes. Null when
  // the CRS has none (a block shift of a raster without one).
  std::unique_ptr<OGRSpatialReference> vertical;
  std::vector<std::pair<std::string, std::string>> metadata;

  CRasterVertical();
  ~CRasterVertical();
  CRasterVertical(CRasterVertical&&) noexcept;
  CRasterVertical& operator=(CRasterVertical&&) noexcept;
};

// The statement for values in `ref` with the sign factor `sign` (+1 heights, -1 depths),
// given the input raster's CRS (null: none).
CRasterVertical DescribeVertical(const OGRSpatialReference* inputCrs, const CTransBase* ref, double sign);

// The vertical part of a compound CRS; null for any other CRS.
std::unique_ptr<OGRSpatialReference> VerticalPartOf(const OGRSpatialReference& crs);
