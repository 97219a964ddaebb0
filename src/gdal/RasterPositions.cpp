#include "gdal/RasterPositions.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/files/FileBase.h"
#include "gdal/GdalSession.h"
#include "gdal/HorizontalDatum.h"

namespace {

constexpr int kGda94Geographic = 4283;
// Radians per degree as the EPSG database gives it; a CRS in other angle units is
// converted like any other.
constexpr double kDegree = 0.0174532925199433;

bool IsDegrees(const OGRSpatialReference& crs) {
  return std::fabs(crs.GetAngularUnits() - kDegree) < 1e-12 && crs.GetPrimeMeridian() == 0.0;
}

std::string NameOf(const OGRSpatialReference& crs) {
  const char* name = crs.GetName();
  return name && *name ? name : "unnamed CRS";
}

}  // namespace

void CRasterPositions::TransformDeleter::operator()(OGRCoordinateTransformation* transform) const {
  OGRCoordinateTransformation::DestroyCT(transform);
}

CRasterPositions::CRasterPositions() = default;
CRasterPositions::~CRasterPositions() = default;

bool CRasterPositions::Prepare(const OGRSpatialReference* crs, const std::array<double, 6>& geoTransform, int batchZone,
                               std::string& error) {
  m_geoTransform = geoTransform;
  m_kind = Kind::kNoCrs;
  m_zone = batchZone;
  m_crsName.clear();
  m_toGda94.reset();
  m_coordConv = &CCoordConv::Instance();  // created here, before any worker thread asks
  if (crs == nullptr || crs->IsEmpty()) return true;

  OGRSpatialReference horizontal(*crs);
  if (horizontal.IsCompound()) horizontal.StripVertical();
  horizontal.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  m_crsName = NameOf(horizontal);
  const HorizontalDatum datum = DatumOf(horizontal);
  if (horizontal.IsGeographic() && datum != HorizontalDatum::kOther && IsDegrees(horizontal)) {
    m_kind = Kind::kGeographic;
    return true;
  }
  int north = 0;
  const int zone = horizontal.IsProjected() ? horizontal.GetUTMZone(&north) : 0;
  if (CCoordConv::IsZone(zone) && !north && datum != HorizontalDatum::kOther && horizontal.GetLinearUnits() == 1.0) {
    m_kind = Kind::kMapGrid;
    m_zone = zone;
    return true;
  }

  OGRSpatialReference gda94;
  gda94.importFromEPSG(kGda94Geographic);
  gda94.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  CGdalErrorCapture messages;
  m_toGda94.reset(OGRCreateCoordinateTransformation(&horizontal, &gda94));
  if (!m_toGda94) {
    error = "Cannot convert positions from " + m_crsName + " to GDA94 latitude/longitude";
    if (!messages.GetErrorText().empty()) error += ": " + messages.GetErrorText();
    return false;
  }
  m_kind = Kind::kConverted;
  return true;
}

void CRasterPositions::CellCentres(long long column, long long row, std::size_t count, double* a, double* b) const {
  const std::array<double, 6>& t = m_geoTransform;
  const double y = static_cast<double>(row) + 0.5;
  const double rowX = t[0] + y * t[2], rowY = t[3] + y * t[5];
  for (std::size_t i = 0; i < count; ++i) {
    const double x = static_cast<double>(column + static_cast<long long>(i)) + 0.5;
    a[i] = rowX + x * t[1];
    b[i] = rowY + x * t[4];
  }
}

void CRasterPositions::CellPosition(long long column, long long row, double& a, double& b,
                                    FootPointCache& cache) const {
  CellCentres(column, row, 1, &a, &b);
  if ((m_kind != Kind::kMapGrid && m_kind != Kind::kNoCrs) || !(std::fabs(a) > CFileBase::kMapGridThreshold) ||
      !(std::fabs(b) > CFileBase::kMapGridThreshold))
    return;
  if (!cache.valid || cache.footPoint.northing != b) {
    cache.footPoint = m_coordConv->FootPoint(b);
    cache.valid = true;
  }
  double latitude = 0, longitude = 0;
  m_coordConv->GridToGeo(m_zone, a, cache.footPoint, latitude, longitude);
  a = longitude;
  b = latitude;
}

void CRasterPositions::Convert(std::size_t count, double* a, double* b) {
  if (m_kind != Kind::kConverted || count == 0) return;
  // PROJ's complaints about single points would read as the file's errors.
  CGdalErrorCapture ignored;
  std::vector<int> success(count);
  if (!m_toGda94->Transform(static_cast<int>(count), a, b, nullptr, nullptr, success.data()))
    std::fill(success.begin(), success.end(), 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t i = 0; i < count; ++i) {
    if (!success[i]) a[i] = b[i] = nan;
  }
}
