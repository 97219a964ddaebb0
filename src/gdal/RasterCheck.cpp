#include "gdal/RasterCheck.h"

#include <ogr_spatialref.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>

#include "gdal/RasterVertical.h"

namespace {

// How far a written geotransform may lie from the input's: a millionth of a cell at any
// cell of the raster (formats that keep the extent as text or as coordinate arrays
// give back the last digits of a double rounded).
constexpr double kCellTolerance = 1e-6;
// GDAL may hand a CRS back with another axis order for a geographic one, or with its
// axes mapped another way; the CRS is the same.
const char* const kSameCrs[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};

std::string Number(double value) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : std::string("?");
}

std::string GeoTransformText(const double* t) {
  std::string text = "(";
  for (int i = 0; i < 6; ++i) text += (i ? ", " : "") + Number(t[i]);
  return text + ")";
}

bool SameGeoTransform(const double* a, const double* b, int width, int height) {
  const double cell = std::min(std::hypot(a[1], a[4]), std::hypot(a[2], a[5]));
  const double offset = kCellTolerance * cell;
  const double step = offset / std::max(1, std::max(width, height));
  return std::fabs(a[0] - b[0]) <= offset && std::fabs(a[3] - b[3]) <= offset && std::fabs(a[1] - b[1]) <= step &&
         std::fabs(a[2] - b[2]) <= step && std::fabs(a[4] - b[4]) <= step && std::fabs(a[5] - b[5]) <= step;
}

bool IsEmpty(const OGRSpatialReference* crs) { return crs == nullptr || crs->IsEmpty(); }

std::string Name(const OGRSpatialReference& crs) {
  const char* name = crs.GetName();
  std::string quoted(1, '"');
  quoted += name && *name ? name : "unnamed";
  return quoted += '"';
}

// The horizontal part in two dimensions (a three-dimensional geographic CRS, the
// ellipsoid's heights, is its horizontal CRS with heights).
OGRSpatialReference Horizontal(const OGRSpatialReference& crs) {
  OGRSpatialReference horizontal(crs);
  if (horizontal.IsCompound()) horizontal.StripVertical();
  horizontal.DemoteTo2D(nullptr);
  return horizontal;
}

bool HasEpsgCode(const OGRSpatialReference& crs, const char* node, std::string& code) {
  const char* authority = crs.GetAuthorityName(node);
  const char* value = crs.GetAuthorityCode(node);
  if (!authority || !value || !EQUAL(authority, "EPSG")) return false;
  code = value;
  return true;
}

bool SameHorizontal(const OGRSpatialReference& got, const OGRSpatialReference& want) {
  if (got.IsSame(&want, kSameCrs)) return true;
  // A datum is the one its EPSG code names. GDAL's GeoTIFF writer stores a CRS by the
  // codes of its parts and gives it back with that datum's own ellipsoid, whatever the
  // file spelled out (the BAG samples' "UTM-19N-Nad83" gives NAD83's inverse flattening
  // as 298.257220143428, GRS 1980's is 298.257222101).
  std::string gotDatum, wantDatum;
  if (!HasEpsgCode(got, "DATUM", gotDatum) || !HasEpsgCode(want, "DATUM", wantDatum) || gotDatum != wantDatum)
    return false;
  OGRSpatialReference respelled(want);
  respelled.StripTOWGS84IfKnownDatum();
  return respelled.CopyGeogCSFrom(&got) == OGRERR_NONE && got.IsSame(&respelled, kSameCrs);
}

// A name as ESRI's formats spell it too (Erdas Imagine: "LAT_height").
std::string Spelling(const char* name) {
  std::string text = name ? name : "";
  for (char& c : text) c = c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A vertical CRS of our own naming (a tidal surface without an EPSG code) comes back
// by its name alone where a format keeps only coded vertical CRSs (a GeoTIFF's
// citation: its datum comes back "unknown").
bool SameVertical(const OGRSpatialReference& got, const OGRSpatialReference& want) {
  if (got.IsSame(&want, kSameCrs)) return true;
  std::string code;
  return !HasEpsgCode(want, nullptr, code) && Spelling(got.GetName()) == Spelling(want.GetName());
}

std::string CompareCrs(const OGRSpatialReference* got, const CRasterVertical& want) {
  if (IsEmpty(want.crs.get())) return IsEmpty(got) ? "" : "the CRS " + Name(*got) + ", where the input has none";
  if (IsEmpty(got)) return "no CRS, where it should have " + Name(*want.crs);
  const OGRSpatialReference horizontal = Horizontal(*want.crs);
  if (!SameHorizontal(Horizontal(*got), horizontal))
    return "the CRS " + Name(*got) + ", where it should have " + Name(*want.crs);
  const std::unique_ptr<OGRSpatialReference> vertical = VerticalPartOf(*got);
  if (!vertical) return "";
  // A format that keeps the vertical CRS apart (a BAG) was given it so.
  const std::unique_ptr<OGRSpatialReference> stated = VerticalPartOf(*want.crs);
  const OGRSpatialReference* wanted = stated ? stated.get() : want.vertical.get();
  if (wanted && SameVertical(*vertical, *wanted)) return "";
  return "the vertical CRS " + Name(*vertical) + ", where it should have " + (wanted ? Name(*wanted) : "none");
}

}  // namespace

std::string CompareWritten(const std::string& path, GDALDataset& input, const CRasterVertical& vertical,
                           std::vector<std::string>& files) {
  files.clear();
  const GDALDatasetUniquePtr output(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!output) return "GDAL cannot open it again";
  if (char** list = output->GetFileList()) {
    for (char** file = list; *file; ++file) files.emplace_back(*file);
    CSLDestroy(list);
  }
  std::vector<std::string> differences;
  const int width = input.GetRasterXSize(), height = input.GetRasterYSize(), bands = input.GetRasterCount();
  if (output->GetRasterXSize() != width || output->GetRasterYSize() != height || output->GetRasterCount() != bands)
    differences.push_back(std::to_string(output->GetRasterXSize()) + " x " + std::to_string(output->GetRasterYSize()) +
                          " cells in " + std::to_string(output->GetRasterCount()) + " bands, where it should have " +
                          std::to_string(width) + " x " + std::to_string(height) + " in " + std::to_string(bands));
  double want[6], got[6];
  if (input.GetGeoTransform(want) == CE_None) {
    if (output->GetGeoTransform(got) != CE_None)
      differences.push_back("no geotransform, where it should have " + GeoTransformText(want));
    else if (!SameGeoTransform(want, got, width, height))
      differences.push_back("the geotransform " + GeoTransformText(got) + ", where it should have " +
                            GeoTransformText(want));
  }
  if (std::string crs = CompareCrs(output->GetSpatialRef(), vertical); !crs.empty())
    differences.push_back(std::move(crs));
  std::string text;
  for (const std::string& difference : differences) text += (text.empty() ? "" : "; ") + difference;
  return text;
}
