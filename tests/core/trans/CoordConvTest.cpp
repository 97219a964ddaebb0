// CCoordConv: the fixed points of the projection and the side of the meridian.

#include <gtest/gtest.h>

#include "core/trans/CoordConv.h"

namespace {

constexpr double kTiny = 1e-9;  // degrees

TEST(CoordConv, FalseOriginOfZone56IsEquatorAt153) {
  double latitude = 1, longitude = 0;
  CCoordConv::Instance().GridToGeo(56, 500000, 10000000, latitude, longitude);
  EXPECT_NEAR(latitude, 0.0, kTiny);
  EXPECT_NEAR(longitude, 153.0, kTiny);
}

TEST(CoordConv, CentralMeridianOfEveryZone) {
  // Easting 500000 lies on the zone's central meridian: (zone - 1) * 6 - 177 degrees.
  for (int zone : {1, 30, 49, 50, 53, 56, 60}) {
    for (double northing : {9999999.0, 8000000.0, 6250000.0, 5000000.0}) {
      double latitude = 0, longitude = 0;
      CCoordConv::Instance().GridToGeo(zone, 500000, northing, latitude, longitude);
      EXPECT_NEAR(longitude, (zone - 1) * 6.0 - 177.0, kTiny) << "zone " << zone << " northing " << northing;
      EXPECT_LT(latitude, 0.0) << "zone " << zone << " northing " << northing;
    }
  }
}

TEST(CoordConv, NorthingOnTheMeridianGivesKnownLatitudes) {
  // Meridian arc lengths of GRS80 scaled by 0.9996: 10000000 - N(lat) at 10, 30 and 45 S.
  struct Case {
    double northing, latitude;
  } cases[] = {{10000000.0 - 0.9996 * 1105854.833, -10.0},
               {10000000.0 - 0.9996 * 3320113.398, -30.0},
               {10000000.0 - 0.9996 * 4984944.378, -45.0}};
  for (const Case& c : cases) {
    double latitude = 0, longitude = 0;
    CCoordConv::Instance().GridToGeo(55, 500000, c.northing, latitude, longitude);
    EXPECT_NEAR(latitude, c.latitude, 1e-7) << c.northing;  // 1e-7 degrees: about a centimetre
  }
}

TEST(CoordConv, EastingSideDecidesTheSideOfTheMeridian) {
  double latitude = 0, west = 0, east = 0;
  CCoordConv::Instance().GridToGeo(50, 400000, 6500000, latitude, west);
  CCoordConv::Instance().GridToGeo(50, 600000, 6500000, latitude, east);
  EXPECT_LT(west, 117.0);
  EXPECT_GT(east, 117.0);
  // Mirror images about the central meridian.
  EXPECT_NEAR(117.0 - west, east - 117.0, kTiny);
  // 100 km at about 31 S is a little over a degree of longitude.
  EXPECT_NEAR(east - 117.0, 1.05, 0.05);
}

TEST(CoordConv, ReleaseGivesAFreshInstanceWithTheSameConstants) {
  EXPECT_DOUBLE_EQ(CCoordConv::Instance().GetSemiMajorAxis(), 6378137.0);
  CCoordConv::Release();
  double latitude = 0, longitude = 0;
  CCoordConv::Instance().GridToGeo(56, 500000, 10000000, latitude, longitude);
  EXPECT_NEAR(longitude, 153.0, kTiny);
}

}  // namespace
