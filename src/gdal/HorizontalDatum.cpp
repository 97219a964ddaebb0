#include "gdal/HorizontalDatum.h"

#include <ogr_spatialref.h>

#include <cstring>

namespace {

bool Contains(const char* text, const char* part) { return text && std::strstr(text, part); }

}  // namespace

HorizontalDatum DatumOf(const OGRSpatialReference& crs) {
  const char* authority = crs.GetAuthorityName("DATUM");
  const char* code = crs.GetAuthorityCode("DATUM");
  if (authority && code && EQUAL(authority, "EPSG")) {
    if (std::strcmp(code, "6283") == 0) return HorizontalDatum::kGda94;
    if (std::strcmp(code, "1168") == 0) return HorizontalDatum::kGda2020;
    if (std::strcmp(code, "6326") == 0) return HorizontalDatum::kWgs84;
    return HorizontalDatum::kOther;
  }
  const char* name = crs.GetAttrValue("DATUM");
  if (Contains(name, "2020")) return HorizontalDatum::kGda2020;
  if (Contains(name, "GDA94") || Contains(name, "Australia_1994") || Contains(name, "Australia 1994"))
    return HorizontalDatum::kGda94;
  if (Contains(name, "WGS_1984") || Contains(name, "WGS84") || Contains(name, "World Geodetic System 1984"))
    return HorizontalDatum::kWgs84;
  return HorizontalDatum::kOther;
}
