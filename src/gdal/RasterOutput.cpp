#include "gdal/RasterOutput.h"

#include <cpl_string.h>
#include <ogr_spatialref.h>

#include <cstring>
#include <initializer_list>

#include "gdal/RasterCells.h"
#include "gdal/RasterVertical.h"

namespace {

// Drivers that can "create" only what is no file of values: a virtual raster refers to
// other files, a memory raster is gone at the end.
constexpr const char* kNoOutputDrivers[] = {"VRT", "MEM", "DERIVED"};
// GeoTIFF compressions that give back every value exactly (LERC's default error is 0).
// Lossy ones (JPEG, WEBP, JXL) would change the values and become DEFLATE.
constexpr const char* kLosslessCompressions[] = {"DEFLATE", "LZW",  "PACKBITS",     "ZSTD",
                                                 "LZMA",    "LERC", "LERC_DEFLATE", "LERC_ZSTD"};
constexpr int kTiffTileStep = 16;  // GeoTIFF tiles are multiples of 16 cells

bool IsOneOf(const char* text, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (text && EQUAL(text, name)) return true;
  return false;
}

bool Is(const GDALDriver& driver, const char* name) { return EQUAL(driver.GetDescription(), name); }

// The type all bands can be written in: their own when they share one.
GDALDataType CommonType(GDALDataset& input) {
  GDALDataType type = input.GetRasterBand(1)->GetRasterDataType();
  for (int i = 2; i <= input.GetRasterCount(); ++i)
    type = GDALDataTypeUnion(type, input.GetRasterBand(i)->GetRasterDataType());
  return type;
}

// Why a BAG cannot carry what the outputs of the BAG `input` must say; "" when it can.
// GDAL's BAG writer keeps the georeferencing in the file's metadata, which it writes
// only once it has the geotransform and a CRS whose extent it can give in WGS84 (without
// a CRS it writes a file without any georeferencing, and says nothing); the vertical CRS
// goes there too, an "unknown" one when none is given. (The geotransform of a BAG is
// always north-up.)
std::string WhyNoBag(GDALDataset& input, const CRasterVertical& vertical) {
  // An elevation and an uncertainty band (GDAL reads a third, a nominal elevation, from
  // BAG 1.5 files).
  if (input.GetRasterCount() > 2)
    return "BAG holds one or two bands, the input has " + std::to_string(input.GetRasterCount());
  if (!vertical.crs) return "The input has no CRS, which a BAG must carry";
  if (!vertical.vertical) return "The input's CRS has no vertical part, which a BAG must name";
  OGRSpatialReference horizontal(*vertical.crs), wgs84;
  if (horizontal.IsCompound()) horizontal.StripVertical();
  horizontal.DemoteTo2D(nullptr);
  wgs84.SetWellKnownGeogCS("WGS84");
  OGRCoordinateTransformation* toWgs84 = OGRCreateCoordinateTransformation(&horizontal, &wgs84);
  if (toWgs84 == nullptr) return "GDAL cannot give the extent of the input's CRS in WGS84, as a BAG must";
  OGRCoordinateTransformation::DestroyCT(toWgs84);
  return "";
}

// Why `driver` cannot write the outputs of `input`; "" when it can.
std::string WhyNot(GDALDriver& driver, GDALDataset& input, const CRasterVertical& vertical) {
  const std::string cannot = std::string("GDAL cannot create ") + driver.GetDescription() + " files";
  for (const char* name : kNoOutputDrivers)
    if (Is(driver, name)) return cannot;
  if (!CPLFetchBool(driver.GetMetadata(), GDAL_DCAP_CREATE, false)) return cannot;
  if (!CPLFetchBool(driver.GetMetadata(), GDAL_DCAP_RASTER, false)) return cannot;
  if (const char* types = driver.GetMetadataItem(GDAL_DMD_CREATIONDATATYPES)) {
    const CPLStringList list(CSLTokenizeString(types));
    for (int i = 1; i <= input.GetRasterCount(); ++i) {
      const char* type = GDALGetDataTypeName(input.GetRasterBand(i)->GetRasterDataType());
      if (list.FindString(type) < 0) return cannot + " with " + type + " bands";
    }
  }
  return Is(driver, "BAG") ? WhyNoBag(input, vertical) : "";
}

// GeoTIFF: the input's compression (if lossless), predictor, interleaving and tiling.
void AddGeoTiffOptions(GDALDataset& input, CPLStringList& options) {
  const char* compression = input.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE");
  if (compression) {
    bool lossless = false;
    for (const char* name : kLosslessCompressions) lossless = lossless || EQUAL(compression, name);
    options.SetNameValue("COMPRESS", lossless ? compression : "DEFLATE");
    // A file does not record its DEFLATE level. Values rounded to the centimetre repeat
    // much more than survey values do, and the default level 6 then spends well over
    // twice the time of level 4 for files 0.2 % smaller (a 4000 x 4000 Float32 survey
    // raster: 2.07 s against 0.91 s, 19.53 MB against 19.57 MB).
    if (!lossless || EQUAL(compression, "DEFLATE")) options.SetNameValue("ZLEVEL", "4");
    if (const char* predictor = input.GetMetadataItem("PREDICTOR", "IMAGE_STRUCTURE"); predictor && lossless)
      options.SetNameValue("PREDICTOR", predictor);
  }
  if (const char* interleave = input.GetMetadataItem("INTERLEAVE", "IMAGE_STRUCTURE");
      IsOneOf(interleave, {"PIXEL", "BAND"}))
    options.SetNameValue("INTERLEAVE", interleave);
  int blockWidth = 0, blockHeight = 0;
  input.GetRasterBand(1)->GetBlockSize(&blockWidth, &blockHeight);
  if (blockWidth != input.GetRasterXSize()) {
    // Tiles like the input's where GeoTIFF allows them, so that each block read is one
    // block written.
    if (blockWidth % kTiffTileStep == 0 && blockHeight % kTiffTileStep == 0) {
      options.SetNameValue("TILED", "YES");
      options.SetNameValue("BLOCKXSIZE", CPLSPrintf("%d", blockWidth));
      options.SetNameValue("BLOCKYSIZE", CPLSPrintf("%d", blockHeight));
    }
  } else {
    options.SetNameValue("BLOCKYSIZE", CPLSPrintf("%d", blockHeight));
  }
  options.SetNameValue("BIGTIFF", "IF_SAFER");
}

// A netCDF-4 file is an HDF5 file; classic netCDF files begin "CDF".
bool IsNetCdf4(const char* path) {
  VSILFILE* file = VSIFOpenL(path, "rb");
  if (!file) return false;
  char signature[4] = {};
  const bool read = VSIFReadL(signature, 1, sizeof signature, file) == sizeof signature;
  VSIFCloseL(file);
  return read && std::memcmp(signature, "\x89HDF", sizeof signature) == 0;
}

CPLStringList CreationOptions(GDALDriver& driver, GDALDataset& input, const CRasterVertical& vertical) {
  CPLStringList options;
  if (Is(driver, "GTiff")) {
    AddGeoTiffOptions(input, options);
  } else if (Is(driver, "netCDF") && IsNetCdf4(input.GetDescription())) {
    // GDAL writes classic netCDF unless told; a netCDF-4 input keeps its format and,
    // as netCDF-4 files mostly are, is compressed.
    options.SetNameValue("FORMAT", "NC4");
    options.SetNameValue("COMPRESS", "DEFLATE");
  } else if (Is(driver, "BAG")) {
    if (const char* compression = input.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"))
      options.SetNameValue("COMPRESS", compression);
    int blockWidth = 0, blockHeight = 0;
    input.GetRasterBand(1)->GetBlockSize(&blockWidth, &blockHeight);
    if (blockWidth == blockHeight) options.SetNameValue("BLOCK_SIZE", CPLSPrintf("%d", blockWidth));
    // A BAG keeps its vertical CRS in its own metadata, apart from the horizontal one.
    if (vertical.vertical) {
      char* wkt = nullptr;
      if (vertical.vertical->exportToWkt(&wkt) == OGRERR_NONE) options.SetNameValue("VAR_VERT_WKT", wkt);
      CPLFree(wkt);
    }
  }
  return options;
}

// Metadata the drivers write for themselves, which a copy would make stale or double.
bool IsDriverOwnKey(const GDALDriver& driver, const char* key, bool band) {
  if (Is(driver, "BAG")) return IsOneOf(key, {"BagVersion", "BAG_DATETIME"});
  if (Is(driver, "netCDF")) {
    if (band) return STARTS_WITH(key, "NETCDF_") || IsOneOf(key, {"_FillValue", "grid_mapping", "missing_value"});
    // Attributes of the coordinate and CRS variables and the library's own global ones.
    if (!STARTS_WITH(key, "NC_GLOBAL#")) return std::strchr(key, '#') != nullptr;
    return IsOneOf(key, {"NC_GLOBAL#Conventions", "NC_GLOBAL#GDAL", "NC_GLOBAL#history", "NC_GLOBAL#_NCProperties"});
  }
  return false;
}

// Sets what `to` does not say already: a format that keeps some items itself (a BAG's
// band names, its AREA_OR_POINT) would otherwise put copies in a side file.
void SetItem(GDALMajorObject& to, const char* key, const char* value) {
  const char* now = to.GetMetadataItem(key);
  if (!now || std::strcmp(now, value) != 0) to.SetMetadataItem(key, value);
}

// `skip`: a further key not to copy.
void CopyMetadata(GDALMajorObject& from, GDALMajorObject& to, const GDALDriver& driver, bool band,
                  const char* skip = nullptr) {
  for (char** item = from.GetMetadata(); item && *item; ++item) {
    char* key = nullptr;
    const char* value = CPLParseNameValue(*item, &key);
    if (key && value && !IsDriverOwnKey(driver, key, band) && !(skip && EQUAL(key, skip))) SetItem(to, key, value);
    CPLFree(key);
  }
}

void CopyBand(GDALRasterBand& from, GDALRasterBand& to, const GDALDriver& driver) {
  if (*from.GetDescription() && std::strcmp(from.GetDescription(), to.GetDescription()) != 0)
    to.SetDescription(from.GetDescription());
  CopyMetadata(from, to, driver, true);
  if (const char* unit = from.GetUnitType(); unit && *unit) to.SetUnitType(unit);
  int hasScale = 0, hasOffset = 0;
  const double scale = from.GetScale(&hasScale), offset = from.GetOffset(&hasOffset);
  if (hasScale && scale != 1.0) to.SetScale(scale);
  if (hasOffset && offset != 0.0) to.SetOffset(offset);
  int hasNoData = 0;
  const double noData = from.GetNoDataValue(&hasNoData);
  if (hasNoData) to.SetNoDataValue(noData);
}

}  // namespace

GDALDriver* ChooseOutputDriver(GDALDataset& input, const CRasterVertical& vertical, std::string& note) {
  note.clear();
  GDALDriver* own = input.GetDriver();
  if (own == nullptr) return GetGDALDriverManager()->GetDriverByName("GTiff");
  const std::string why = WhyNot(*own, input, vertical);
  if (why.empty()) return own;
  note = why + ": outputs written as GeoTIFF";
  return GetGDALDriverManager()->GetDriverByName("GTiff");
}

std::string OutputPathFor(const std::string& name, const GDALDriver& driver, GDALDataset& input) {
  if (name.empty() || input.GetDriver() == &driver) return name;
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ".tif";
  return name.substr(0, dot) + ".tif";
}

bool CRasterOutput::Create(GDALDriver& driver, const std::string& path, const std::string& name, GDALDataset& input,
                           const CBandCoding& coding, const CRasterVertical& vertical, std::string& error) {
  m_driver = &driver;
  m_path = path;
  const CPLStringList options = CreationOptions(driver, input, vertical);
  m_dataset.reset(driver.Create(path.c_str(), input.GetRasterXSize(), input.GetRasterYSize(), input.GetRasterCount(),
                                CommonType(input), options.List()));
  if (!m_dataset) {
    error = "Cannot create " + name;
    return false;
  }
  // As creating the output under its own name would have: an earlier output goes, with
  // the side files GDAL knows of.
  GDALDriver::QuietDelete(name.c_str());
  VSIUnlink(name.c_str());
  double geoTransform[6];
  bool ok = input.GetGeoTransform(geoTransform) == CE_None && m_dataset->SetGeoTransform(geoTransform) == CE_None;
  if (ok && vertical.crs) {
    // A BAG takes its vertical CRS as a creation option, beside a two-dimensional one.
    OGRSpatialReference crs(*vertical.crs);
    if (Is(driver, "BAG")) {
      if (crs.IsCompound()) crs.StripVertical();
      crs.DemoteTo2D(nullptr);
    }
    ok = m_dataset->SetSpatialRef(&crs) == CE_None;
  }
  if (!ok) {
    error = "Cannot write the georeferencing of " + name;
    Close(false);
    return false;
  }
  // A GeoTIFF without a CRS whose cells are points (a BAG's are) would hold a GeoKey
  // directory of that key alone, which GDAL reads back as an engineering CRS "unnamed";
  // the geotransform places the cells the same either way.
  CopyMetadata(input, *m_dataset, driver, false, Is(driver, "GTiff") && !vertical.crs ? "AREA_OR_POINT" : nullptr);
  // A BAG says it in its vertical CRS, and has no place for other metadata.
  if (!Is(driver, "BAG"))
    for (const auto& [key, value] : vertical.metadata) SetItem(*m_dataset, key.c_str(), value.c_str());
  for (int i = 1; i <= input.GetRasterCount(); ++i)
    CopyBand(*input.GetRasterBand(i), *m_dataset->GetRasterBand(i), driver);
  // Band 1's no-data value: the input's, or the one chosen for a band without.
  if (m_dataset->GetRasterBand(1)->SetNoDataValue(coding.noData) != CE_None) {
    error = "Cannot set the no-data value of " + name;
    Close(false);
    return false;
  }
  return true;
}

bool CRasterOutput::Close(bool keep) {
  if (!m_dataset) return true;
  CPLErrorReset();
  m_dataset.reset();
  const bool written = CPLGetLastErrorType() != CE_Failure && CPLGetLastErrorType() != CE_Fatal;
  if (!keep) {
    // The driver knows the side files that belong to its files (.aux.xml, ...).
    CPLErrorReset();
    if (m_driver->Delete(m_path.c_str()) != CE_None) VSIUnlink(m_path.c_str());
    CPLErrorReset();
  }
  return written;
}
