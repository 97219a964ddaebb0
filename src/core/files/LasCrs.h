#pragma once
// The horizontal CRS a LAS file declares, read without GDAL: its EPSG code (and name)
// from the file's GeoTIFF keys or its WKT, which is all the LAS handler needs to know
// how the file's X and Y are to be read. What it relies on:
//
// - LAS 1.4 R15, "Coordinate Reference System (CRS) Information" among the defined
//   variable-length records (user "LASF_Projection"): 34735 GeoKeyDirectoryTag (unsigned
//   shorts), 34736 GeoDoubleParamsTag, 34737 GeoAsciiParamsTag, 2112 OGC coordinate
//   system WKT (NUL-terminated, WKT 1 or 2, also as an extended record), and the public
//   header's global encoding bit 4 (WKT), which says which of the two a 1.4 file means.
// - GeoTIFF 1.0 keys: 1024 GTModelTypeGeoKey (1 projected, 2 geographic, 3
//   geocentric), 1026 GTCitationGeoKey, 2048 GeographicTypeGeoKey, 2049
//   GeogCitationGeoKey, 3072 ProjectedCSTypeGeoKey, 3073 PCSCitationGeoKey, 4096
//   VerticalCSTypeGeoKey; 32767 means user-defined. A key's entry is (id, location,
//   count, value): location 0 holds a short in the value; 34736 and 34737 point at
//   `count` doubles or characters from index `value` of those records (a citation ends
//   with "|"). The CRS codes are shorts; only the citations are read from 34737, and
//   nothing the handler needs lies in the doubles.
// - WKT: the outermost horizontal CRS (PROJCS, GEOGCS, GEOCCS; PROJCRS, GEOGCRS, GEODCRS
//   and their long names), within COMPD_CS or COMPOUNDCRS, or BOUNDCRS's SOURCECRS; its
//   own AUTHORITY["EPSG","code"] (WKT 1) or ID["EPSG",code] (WKT 2).

#include <string>
#include <string_view>

struct CLasCrs {
  enum class Kind {
    kNone,        // the file declares no CRS
    kMapGrid,     // MGA on GDA94 or GDA2020, or WGS 84 / UTM south, in `zone` (49 to 56)
    kGeographic,  // latitude and longitude on GDA94, GDA2020 or WGS 84 (2D or 3D)
    kOther,       // any other CRS, or CRS records that name no horizontal CRS
  };
  Kind kind = Kind::kNone;
  int zone = 0;
  int epsg = 0;          // the horizontal CRS's EPSG code; 0 when the file gives none
  std::string name;      // its name from the WKT or a GeoKey citation; may be empty
  int verticalEpsg = 0;  // a vertical CRS's EPSG code, when it names only that

  // The CRS as a note names it: "EPSG:26915 (NAD83 / UTM zone 15N)", the name alone,
  // or "no horizontal CRS".
  std::string Describe() const;
};

// The CRS of a GeoKey directory (the bytes of record 34735) with the ASCII parameters
// (the bytes of record 34737, "" when the file has none).
CLasCrs LasCrsFromGeoKeys(std::string_view directory, std::string_view ascii);

// The CRS of a WKT record's text (WKT 1 or 2).
CLasCrs LasCrsFromWkt(std::string_view wkt);
