#include "gdal/GeoTiffShiftWriter.h"

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>

namespace {

// CShiftLattice::kNoData as GDAL writes and prints it.
constexpr double kNoData = -88.8888;
static_assert(static_cast<float>(kNoData) == CShiftLattice::kNoData);

// GDAL writes a pixel-is-point tie point half a cell away from its geotransform's origin
// unless told to take the origin as it is; adding the half cell back could move the
// node by a rounding step, so the writer sets this option on its thread while it works.
constexpr const char* kPointGeoIgnore = "GTIFF_POINT_GEO_IGNORE";

}  // namespace

CGeoTiffShiftWriter::CGeoTiffShiftWriter() {
  EnsureGdalRegistered();
  if (const char* saved = CPLGetThreadLocalConfigOption(kPointGeoIgnore, nullptr)) {
    m_hadPointGeoIgnore = true;
    m_savedPointGeoIgnore = saved;
  }
  CPLSetThreadLocalConfigOption(kPointGeoIgnore, "TRUE");
}

CGeoTiffShiftWriter::~CGeoTiffShiftWriter() {
  m_dataset.reset();
  CPLSetThreadLocalConfigOption(kPointGeoIgnore, m_hadPointGeoIgnore ? m_savedPointGeoIgnore.c_str() : nullptr);
}

CGeoTiffShiftWriter::Layout CGeoTiffShiftWriter::ChooseLayout(const CShiftLattice::Geometry& geometry) {
  const std::int64_t rowBytes = static_cast<std::int64_t>(geometry.columns) * sizeof(float);
  if (rowBytes * geometry.rows > kWholeGridBytes) return Layout{true, kTileSize};
  return Layout{false, (geometry.rows + kMaxStrips - 1) / kMaxStrips};
}

bool CGeoTiffShiftWriter::Create(const std::string& path, const CShiftLattice::Geometry& geometry,
                                 const Metadata& metadata) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (driver == nullptr) {
    CPLError(CE_Failure, CPLE_AppDefined, "GDAL has no GeoTIFF driver");
    return false;
  }
  m_layout = ChooseLayout(geometry);
  const std::string block = std::to_string(m_layout.blockRows);
  CPLStringList options;
  options.SetNameValue("TILED", m_layout.tiled ? "YES" : "NO");
  if (m_layout.tiled) options.SetNameValue("BLOCKXSIZE", block.c_str());
  options.SetNameValue("BLOCKYSIZE", block.c_str());  // the rows of a strip without tiles
  options.SetNameValue("COMPRESS", "DEFLATE");
  options.SetNameValue("BIGTIFF", "IF_SAFER");
  m_dataset.reset(driver->Create(path.c_str(), geometry.columns, geometry.rows, 1, GDT_Float32, options.List()));
  if (!m_dataset) return false;
  m_columns = geometry.columns;

  // The north-west node and the spacing, taken as pixel-is-point (see kPointGeoIgnore).
  const double north = geometry.south + (geometry.rows - 1) * geometry.spacing;
  std::array<double, 6> transform = {geometry.west, geometry.spacing, 0, north, 0, -geometry.spacing};
  m_dataset->SetMetadataItem(GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT);
  m_dataset->SetGeoTransform(transform.data());
  OGRSpatialReference geographic;
  geographic.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (geographic.importFromEPSG(metadata.geographicEpsg) != OGRERR_NONE) return false;
  m_dataset->SetSpatialRef(&geographic);

  m_dataset->SetMetadataItem("TYPE", metadata.type.c_str());
  m_dataset->SetMetadataItem("area_of_use", metadata.areaOfUse.c_str());
  m_dataset->SetMetadataItem("TIFFTAG_IMAGEDESCRIPTION", metadata.description.c_str());
  m_dataset->SetMetadataItem("TIFFTAG_DATETIME", metadata.dateTime.c_str());
  m_dataset->SetMetadataItem("TIFFTAG_SOFTWARE", metadata.software.c_str());
  GDALRasterBand* band = m_dataset->GetRasterBand(1);
  band->SetDescription(metadata.sampleDescription.c_str());
  band->SetUnitType("metre");
  band->SetNoDataValue(kNoData);
  return m_capture.GetErrors().empty();
}

bool CGeoTiffShiftWriter::WriteRows(std::int32_t firstRow, std::int32_t count, const float* values) {
  if (!m_dataset) return false;
  GDALRasterBand* band = m_dataset->GetRasterBand(1);
  return band->RasterIO(GF_Write, 0, firstRow, m_columns, count, const_cast<float*>(values), m_columns, count,
                        GDT_Float32, 0, 0, nullptr) == CE_None;
}

bool CGeoTiffShiftWriter::Close() {
  if (!m_dataset) return false;
  m_dataset.reset();  // GDAL writes the remaining tiles and the tags here
  return m_capture.GetErrors().empty();
}
