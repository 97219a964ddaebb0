// The reference table, the sign factor, the block shift and the factory.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TransTestSupport.h"
#include "core/trans/TransFactory.h"
#include "core/trans/TransSurface.h"
#include "support/TestSupport.h"

namespace {

struct CRow {
  const char* name;
  const char* shortName;
  int surface;  // -1: the GDA94 ellipsoid, CDataPt::kEllipsoidGda2020 the GDA2020 one
};
// The listed references in list order with the surface each one reads.
const CRow kTable[] = {{"HAT", "HAT", 13},
                       {"MHHW", "MHHW", 11},
                       {"MHWS", "MHWS", 12},
                       {"MHW", "MHW", 10},
                       {"MHWN", "MHWN", 9},
                       {"MLHW", "MLHW", 8},
                       {"MSL", "MSL", 7},
                       {"AHD", "AHD", 6},
                       {"MHLW", "MHLW", 4},
                       {"MLWN", "MLWN", 5},
                       {"MLW", "MLW", 3},
                       {"MLLW", "MLLW", 1},
                       {"MLWS", "MLWS", 2},
                       {"LAT", "LAT", 0},
                       {"Ellipsoid (GDA94/WGS84)", "Ellipsoid (GDA94)", -1},
                       {"Ellipsoid (GDA2020)", "Ellipsoid (GDA2020)", CDataPt::kEllipsoidGda2020}};

// Sydney, where PROJ (EPSG:4939 to EPSG:7843, "GDA94 to GDA2020 (1)") lowers an
// ellipsoidal height by 0.094984 m.
constexpr double kLatitude = -33.87, kLongitude = 151.2, kGda2020Above = 0.094984;

// Carries `value` from `from` to `to` at `point`, interpolated at Sydney.
double Carry(double value, const CTransBase& from, const CTransBase& to, const CDataPt& point) {
  return value + from.GetSeparation(point, kLatitude, kLongitude) - to.GetSeparation(point, kLatitude, kLongitude);
}

TEST(TransFactory, ListsTheSixteenReferencesInTableOrder) {
  const CTransFactory& factory = CTransFactory::Instance();
  const std::vector<std::string> names = factory.GetNames();
  ASSERT_EQ(names.size(), std::size(kTable));
  ASSERT_EQ(factory.GetCount(), std::size(kTable));
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], kTable[i].name) << i;
    EXPECT_EQ(factory.GetAt(i)->GetName(), kTable[i].name) << i;
    EXPECT_EQ(factory.GetAt(i)->GetShortName(), kTable[i].shortName) << i;
    EXPECT_EQ(factory.Find(kTable[i].name), factory.GetAt(i)) << i;
  }
}

TEST(TransFactory, FindIgnoresCaseOnlyAndNeverFindsTheBlockShiftPair) {
  const CTransFactory& factory = CTransFactory::Instance();
  ASSERT_NE(factory.Find("ahd"), nullptr);
  EXPECT_EQ(factory.Find("ahd")->GetName(), "AHD");
  EXPECT_EQ(factory.Find("mHwS")->GetName(), "MHWS");
  EXPECT_EQ(factory.Find("ELLIPSOID (gda94/wgs84)")->GetName(), "Ellipsoid (GDA94/WGS84)");
  EXPECT_EQ(factory.Find("Block Shift"), nullptr);
  EXPECT_EQ(factory.Find("NULL"), nullptr);
  EXPECT_EQ(factory.Find(""), nullptr);
  EXPECT_EQ(factory.Find(" AHD"), nullptr);
  EXPECT_EQ(factory.Find("AH"), nullptr);
  EXPECT_EQ(factory.Find("Ellipsoid (GDA94)"), nullptr);  // the short name is not a display name
  EXPECT_EQ(factory.Find("gda2020"), nullptr);            // only LookUp knows the short word
}

TEST(TransFactory, LookUpAlsoKnowsTheEllipsoidsByTheirShortWords) {
  const CTransFactory& factory = CTransFactory::Instance();
  EXPECT_EQ(factory.LookUp("mSl"), factory.Find("MSL"));
  EXPECT_EQ(factory.LookUp("ELLIPSOID"), factory.GetAt(14));
  EXPECT_EQ(factory.LookUp("GDA2020"), factory.GetAt(15));
  EXPECT_EQ(factory.LookUp("ellipsoid (gda2020)"), factory.GetAt(15));
  EXPECT_EQ(factory.LookUp("ellipsoids"), nullptr);
  EXPECT_EQ(factory.LookUp("gda94"), nullptr);
  EXPECT_EQ(factory.UnknownReferenceMessage("Chart"),
            "Unknown vertical reference: Chart\nKnown references: \"HAT\" \"MHHW\" \"MHWS\" \"MHW\" \"MHWN\" "
            "\"MLHW\" \"MSL\" \"AHD\" \"MHLW\" \"MLWN\" \"MLW\" \"MLLW\" \"MLWS\" \"LAT\" "
            "\"Ellipsoid (GDA94/WGS84)\" \"Ellipsoid (GDA2020)\" (or \"ellipsoid\", \"gda2020\")");
}

TEST(TransFactory, ReleaseMakesANewFactoryOnNextUse) {
  CTransFactory::Instance();
  CTransFactory::Release();
  EXPECT_EQ(CTransFactory::Instance().GetNames().front(), "HAT");
  CTransFactory::Release();
  CTransFactory::Release();  // releasing twice is harmless
  EXPECT_EQ(CTransFactory::Instance().GetNames().back(), "Ellipsoid (GDA2020)");
}

TEST(TransReferences, EachReadsItsOwnSurfaceTimesTheSign) {
  CCodingGuard guard;
  const SurfaceValues values = DistinctSurfaces();
  const CDataPt point(values);
  const CTransFactory& factory = CTransFactory::Instance();
  for (double sign : {1.0, -1.0}) {
    CTransBase::s_sign = sign;
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
      const int surface = kTable[i].surface;
      const double expected = surface == CDataPt::kEllipsoidGda2020 ? kGda2020Above * sign
                              : surface < 0                         ? 0.0
                                                                    : values[surface] * sign;
      EXPECT_NEAR(factory.GetAt(i)->GetSeparation(point, kLatitude, kLongitude), expected, 1e-5)
          << kTable[i].name << " sign " << sign;
      EXPECT_EQ(factory.GetAt(i)->GetSurfaceRead(), surface) << kTable[i].name;
    }
  }
}

TEST(TransReferences, EllipsoidSeparationIsPlusZeroWhateverTheSign) {
  // A -0 separation would be listed as "-0.00".
  CCodingGuard guard;
  const CDataPt point(DistinctSurfaces());
  CTransBase::s_sign = -1.0;
  const double separation = CTrans_Ellipsoid_GDA94().GetSeparation(point, kLatitude, kLongitude);
  EXPECT_EQ(separation, 0.0);
  EXPECT_FALSE(std::signbit(separation));
}

TEST(TransSignRule, AnyReferenceToItselfLeavesTheValue) {
  CCodingGuard guard;
  const CDataPt point(DistinctSurfaces());
  const CTransFactory& factory = CTransFactory::Instance();
  for (double sign : {1.0, -1.0}) {
    CTransBase::s_sign = sign;
    for (std::size_t i = 0; i < factory.GetCount(); ++i)
      EXPECT_DOUBLE_EQ(Carry(-7.25, *factory.GetAt(i), *factory.GetAt(i), point), -7.25) << i;
  }
}

TEST(TransBlockShift, NamesAndSeparation) {
  CCodingGuard guard;
  const CDataPt point;  // the block shift needs no grid values
  const CTrans_BlockShift shift(0.5);
  EXPECT_EQ(shift.GetName(), "Block Shift");
  EXPECT_EQ(shift.GetShortName(), "Block Shift_0.50m");
  EXPECT_EQ(CTrans_BlockShift(-1.255).GetShortName(), "Block Shift_-1.25m");  // -1.255 is stored below -1.255
  EXPECT_EQ(CTrans_BlockShift(0).GetShortName(), "Block Shift_0.00m");
  EXPECT_DOUBLE_EQ(shift.GetShift(), 0.5);

  const CTrans_NULL none;
  EXPECT_EQ(none.GetName(), "NULL");
  EXPECT_EQ(none.GetShortName(), "NULL");

  // Heights positive: the shift raises every value; depths positive: it lowers every depth.
  EXPECT_DOUBLE_EQ(shift.GetSeparation(point, kLatitude, kLongitude), -0.5);
  EXPECT_DOUBLE_EQ(Carry(3.0, none, shift, point), 3.5);
  CTransBase::s_sign = -1.0;
  EXPECT_DOUBLE_EQ(shift.GetSeparation(point, kLatitude, kLongitude), 0.5);
  EXPECT_DOUBLE_EQ(Carry(3.0, none, shift, point), 2.5);
  EXPECT_DOUBLE_EQ(none.GetSeparation(point, kLatitude, kLongitude), 0.0);
}

TEST(TransBlockShift, ShortNameHasADecimalPointInEveryLocale) {
  const CScopedLocale comma(kCommaLocale);
  EXPECT_EQ(CTrans_BlockShift(0.5).GetShortName(), "Block Shift_0.50m");
  EXPECT_EQ(CTrans_BlockShift(-1.255).GetShortName(), "Block Shift_-1.25m");
}

TEST(TransBlockShift, HugeShiftKeepsItsWholeShortName) {
  const std::string name = CTrans_BlockShift(1e300).GetShortName();
  EXPECT_EQ(name.rfind("Block Shift_1", 0), 0u);
  EXPECT_EQ(name.substr(name.size() - 4), ".00m");
  EXPECT_GT(name.size(), 300u);
}

}  // namespace
