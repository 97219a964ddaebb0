#pragma once
// The horizontal datum of a CRS, as far as Marevert tells datums apart: the two
// Australian datums and WGS 84, whose positions the grid takes as they are.

class OGRSpatialReference;

enum class HorizontalDatum { kOther, kGda94, kGda2020, kWgs84 };

// By the datum's EPSG code, or by its name where a file (a hand-made GeoTIFF, an
// ESRI-written projection) gives none.
HorizontalDatum DatumOf(const OGRSpatialReference& crs);
