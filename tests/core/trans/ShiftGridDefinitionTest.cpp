// What a vertical-shift grid holds and the multiplier that makes PROJ carry values as
// Marevert does, for every pair of references and both sign conventions; the pipeline
// and cct texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "core/grid/DataPt.h"
#include "core/trans/ShiftGridDefinition.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"

namespace {

TEST(ShiftGridDefinition, PipelineCarriesEveryPairAsMarevertDoes) {
  // Arbitrary heights of the fourteen surfaces above the ellipsoid.
  std::array<double, 14> heights;
  for (int k = 0; k < 14; ++k) heights[k] = -20.0 + 1.37 * k - 0.11 * k * k;
  // The GDA2020 ellipsoid at some position, above the GDA94 one.
  const auto height = [&heights](int surface) {
    return surface == CDataPt::kEllipsoidGda2020 ? 0.0913 : surface < 0 ? 0.0 : heights[surface];
  };
  const CTransFactory& factory = CTransFactory::Instance();
  for (std::size_t a = 0; a < factory.GetCount(); ++a) {
    for (std::size_t b = 0; b < factory.GetCount(); ++b) {
      for (const double sign : {1.0, -1.0}) {
        const CTransBase& from = *factory.GetAt(a);
        const CTransBase& to = *factory.GetAt(b);
        const CShiftGridDefinition definition = CShiftGridDefinition::Between(from, to, sign);
        // vgridshift adds multiplier x node value; Marevert adds sep_from - sep_to.
        const double proj =
            definition.GetMultiplier() * (height(definition.GetAddSurface()) - height(definition.GetSubtractSurface()));
        const double marevert = sign * (height(from.GetSurfaceRead()) - height(to.GetSurfaceRead()));
        EXPECT_DOUBLE_EQ(proj, marevert) << from.GetName() << " to " << to.GetName() << " sign " << sign;
        // A grid against an ellipsoid always stores the surface's own height above it.
        const bool oneEllipsoid = (from.GetSurfaceRead() < 0) != (to.GetSurfaceRead() < 0);
        EXPECT_EQ(definition.GetKind() == CShiftGridDefinition::Kind::GeographicToVertical, oneEllipsoid);
        if (oneEllipsoid) {
          EXPECT_EQ(definition.GetSubtractSurface(), std::min(from.GetSurfaceRead(), to.GetSurfaceRead()));
        }
      }
    }
  }
}

TEST(ShiftGridDefinition, SurfaceIsTheGeoidLikeModel) {
  const CTransFactory& factory = CTransFactory::Instance();
  const CShiftGridDefinition heights = CShiftGridDefinition::Surface(*factory.Find("LAT"), 1.0);
  EXPECT_EQ(heights.GetTypeName(), "VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL");
  EXPECT_EQ(heights.GetSampleDescription(), "geoid_undulation");
  EXPECT_EQ(heights.GetAddSurface(), 0);
  EXPECT_EQ(heights.GetMultiplier(), -1.0);  // subtract it from an ellipsoidal height
  EXPECT_EQ(heights.GetMeaning(), "Height of LAT above the GDA94 ellipsoid in metres");
  EXPECT_EQ(heights.GetDirection(), "from Ellipsoid (GDA94/WGS84) heights to LAT heights");
  EXPECT_EQ(CShiftGridDefinition::Surface(*factory.Find("LAT"), -1.0).GetMultiplier(), 1.0);

  const CShiftGridDefinition between = CShiftGridDefinition::Between(*factory.Find("LAT"), *factory.Find("AHD"), -1.0);
  EXPECT_EQ(between.GetTypeName(), "VERTICAL_OFFSET_VERTICAL_TO_VERTICAL");
  EXPECT_EQ(between.GetSampleDescription(), "vertical_offset");
  EXPECT_EQ(between.GetDirection(), "from LAT depths to AHD depths");
}

TEST(ShiftGridDefinition, PathsAreQuotedForProjAndForTheShell) {
  const CTransFactory& factory = CTransFactory::Instance();
  const CShiftGridDefinition definition =
      CShiftGridDefinition::Between(*factory.Find("MSL"), *factory.Find("HAT"), 1.0);
  EXPECT_EQ(definition.GetPipeline("/data/msl.tif"), "+proj=vgridshift +grids=/data/msl.tif +multiplier=1");
  EXPECT_EQ(definition.GetCctCommand("/data/msl.tif", 3),
            "cct -d 3 +proj=vgridshift +grids=/data/msl.tif +multiplier=1");
  // A PROJ string ends a value at a blank unless it is quoted; cct takes each argument
  // whole, so there only the shell needs quoting.
  EXPECT_EQ(definition.GetPipeline("/my data/it's.tif"), "+proj=vgridshift +grids=\"/my data/it's.tif\" +multiplier=1");
  EXPECT_EQ(definition.GetCctCommand("/my data/it's.tif", 4),
            "cct -d 4 +proj=vgridshift '+grids=/my data/it'\\''s.tif' +multiplier=1");
  EXPECT_EQ(ShellQuote(""), "''");
}

}  // namespace
