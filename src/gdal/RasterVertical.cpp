#include "gdal/RasterVertical.h"

#include <ogr_spatialref.h>

#include "core/grid/DataPt.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransSurface.h"
#include "gdal/HorizontalDatum.h"

namespace {

// EPSG vertical CRSs of the references: the tidal ones are EPSG's generic tidal
// surfaces (no particular realisation), which is what a tidal grid's surface is.
struct CVerticalCode {
  const char* reference;
  int height;  // 0: none
  int depth;
};
constexpr CVerticalCode kCodes[] = {
    {"AHD", 5711, 0}, {"MSL", 5714, 5715}, {"MHW", 5868, 0},  {"MHHW", 5869, 0}, {"MHWS", 5870, 0},
    {"HAT", 5872, 0}, {"LAT", 0, 5861},    {"MLWS", 0, 5865}, {"MLLW", 0, 5866}, {"MLW", 0, 5867},
};
constexpr const char* kAhdDatum = "VERT_DATUM[\"Australian Height Datum\",2005,AUTHORITY[\"EPSG\",\"5111\"]]";

std::unique_ptr<OGRSpatialReference> VerticalCrs(const std::string& name, bool ellipsoid, bool depths) {
  auto vertical = std::make_unique<OGRSpatialReference>();
  for (const CVerticalCode& code : kCodes) {
    const int epsg = depths ? code.depth : code.height;
    if (name == code.reference && epsg != 0 && vertical->importFromEPSG(epsg) == OGRERR_NONE) return vertical;
  }
  // Datum types of WKT 1: 2005 geoid-based (the tidal surfaces), 2002 ellipsoidal.
  const std::string datum = name == "AHD" ? kAhdDatum
                            : ellipsoid   ? "VERT_DATUM[\"" + name + "\",2002]"
                                          : "VERT_DATUM[\"" + name + "\",2005]";
  const std::string wkt = "VERT_CS[\"" + name + (depths ? " depth" : " height") + "\"," + datum +
                          ",UNIT[\"metre\",1,AUTHORITY[\"EPSG\",\"9001\"]]," +
                          (depths ? "AXIS[\"Depth\",DOWN]]" : "AXIS[\"Gravity-related height\",UP]]");
  if (vertical->importFromWkt(wkt.c_str()) != OGRERR_NONE) return nullptr;
  return vertical;
}

}  // namespace

std::unique_ptr<OGRSpatialReference> VerticalPartOf(const OGRSpatialReference& crs) {
  // The third node of a compound CRS's WKT 1 form, as GDAL's BAG driver takes it.
  const OGR_SRSNode* root = crs.GetRoot();
  if (!crs.IsCompound() || root == nullptr || root->GetChildCount() != 3) return nullptr;
  char* wkt = nullptr;
  if (root->GetChild(2)->exportToWkt(&wkt) != OGRERR_NONE) return nullptr;
  auto vertical = std::make_unique<OGRSpatialReference>();
  const bool read = vertical->importFromWkt(wkt) == OGRERR_NONE;
  CPLFree(wkt);
  return read ? std::move(vertical) : nullptr;
}

CRasterVertical::CRasterVertical() = default;
CRasterVertical::~CRasterVertical() = default;
CRasterVertical::CRasterVertical(CRasterVertical&&) noexcept = default;
CRasterVertical& CRasterVertical::operator=(CRasterVertical&&) noexcept = default;

CRasterVertical DescribeVertical(const OGRSpatialReference* inputCrs, const CTransBase* ref, double sign) {
  CRasterVertical statement;
  const bool hasCrs = inputCrs != nullptr && !inputCrs->IsEmpty();
  const bool depths = sign < 0;
  const std::string direction = depths ? "depth, positive down" : "height, positive up";
  const std::string name = ref ? ref->GetName() : "NULL";
  if (name == "NULL" || name == "Block Shift") {
    if (hasCrs) statement.crs = std::make_unique<OGRSpatialReference>(*inputCrs);
    // A BAG takes the vertical part apart; without it GDAL's BAG writer would name an
    // "unknown" one.
    if (hasCrs) statement.vertical = VerticalPartOf(*inputCrs);
    if (name != "NULL")
      statement.metadata = {{"VERTICAL_REFERENCE", ref->GetShortName()}, {"VERTICAL_DIRECTION", direction}};
    return statement;
  }
  statement.metadata = {{"VERTICAL_REFERENCE", name}, {"VERTICAL_DIRECTION", direction}};
  const bool gda2020 = ref->GetSurfaceRead() == CDataPt::kEllipsoidGda2020;
  const bool ellipsoid = gda2020 || dynamic_cast<const CTrans_Ellipsoid_GDA94*>(ref) != nullptr;
  statement.vertical = VerticalCrs(name, ellipsoid, depths);
  if (!hasCrs) return statement;

  auto horizontal = std::make_unique<OGRSpatialReference>(*inputCrs);
  if (horizontal->IsCompound()) horizontal->StripVertical();
  horizontal->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (ellipsoid) {
    // Ellipsoidal heights: the horizontal CRS in three dimensions. Depths below the
    // ellipsoid have no CRS of their own; the metadata says what they are. So do heights
    // above the GDA2020 ellipsoid on a horizontal CRS of another datum: only a GDA2020
    // CRS in three dimensions (EPSG:7843, or an MGA2020 zone on it) means them.
    const bool promote = !depths && (!gda2020 || DatumOf(*horizontal) == HorizontalDatum::kGda2020);
    if (promote && horizontal->PromoteTo3D(nullptr) != OGRERR_NONE) horizontal->StripVertical();
    statement.crs = std::move(horizontal);
    return statement;
  }
  if (!statement.vertical) {
    statement.crs = std::move(horizontal);
    return statement;
  }
  auto compound = std::make_unique<OGRSpatialReference>();
  const std::string compoundName =
      std::string(horizontal->GetName() ? horizontal->GetName() : "") + " + " + statement.vertical->GetName();
  if (compound->SetCompoundCS(compoundName.c_str(), horizontal.get(), statement.vertical.get()) != OGRERR_NONE) {
    statement.crs = std::move(horizontal);
    return statement;
  }
  compound->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  statement.crs = std::move(compound);
  return statement;
}
