// The point computation: the checks in their order, the outside answer, and the rows
// with their order under both signs, ties included.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "TransTestSupport.h"
#include "grid/GridInt.h"
#include "trans/PointTransform.h"
#include "trans/TransFactory.h"

namespace {

using Outcome = CPointTransform::Outcome;

// A 0.5-degree grid over 40 S..30 S, 140 E..150 E with the same values at every node,
// so any interpolation inside answers exactly those values.
class PointTransformTest : public ::testing::Test {
 protected:
  void Fill(const SurfaceValues& values) {
    CGridInt::Header header;
    header.gridSize = 0.5;
    header.minLat = -40;
    header.maxLat = -30;
    header.minLon = 140;
    header.maxLon = 150;
    m_grid.SetHeader(header);
    m_grid.SetRowCount(21);
    const CDataPt point(values);
    for (int row = 0; row < 21; ++row)
      for (int column = 0; column < 21; ++column) m_grid.SetNode(row, column, point);
  }
  void SetUp() override { Fill(DistinctSurfaces()); }

  Outcome Compute(const std::string& lat, const std::string& lon, const std::string& height,
                  const std::string& from = "AHD") {
    return m_point.Compute(lat, lon, height, from, &m_grid);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const CPointRow& row : m_point.GetRows()) names.push_back(row.m_name);
    return names;
  }
  const CPointRow& RowOf(const std::string& name) const {
    for (const CPointRow& row : m_point.GetRows())
      if (row.m_name == name) return row;
    throw std::runtime_error("no row " + name);
  }

  CCodingGuard m_guard;
  CGridInt m_grid;
  CPointTransform m_point;
};

TEST_F(PointTransformTest, LatitudeCheckComesFirstAndCoversNonNumbers) {
  for (const char* lat : {"90.000001", "-90.5", "12abc", "1e1", "+5", "", "1.2.3", "--1", "5-", "4 5"}) {
    EXPECT_EQ(Compute(lat, "999", ""), Outcome::BadLatitude) << lat;
    EXPECT_TRUE(m_point.GetRows().empty());
  }
  EXPECT_STREQ(CPointTransform::GetMessage(Outcome::BadLatitude), "* Range [-90 .. 90]");
}

TEST_F(PointTransformTest, LongitudeCheckThenHeightCheck) {
  for (const char* lon : {"180.0001", "-181", "145x", "1e2", ""})
    EXPECT_EQ(Compute("-35", lon, "x"), Outcome::BadLongitude) << lon;
  for (const char* height : {"", "abc", "1e3", "+2", "2-"})
    EXPECT_EQ(Compute("-35", "145", height), Outcome::BadHeight) << height;
  EXPECT_STREQ(CPointTransform::GetMessage(Outcome::BadLongitude), "* Range [-180 .. 180]");
  EXPECT_STREQ(CPointTransform::GetMessage(Outcome::BadHeight), "* Enter a number");
}

TEST_F(PointTransformTest, RangeLimitsPassTheChecksAndLieOutsideThisGrid) {
  EXPECT_EQ(Compute("-90", "-180", "1"), Outcome::Outside);
  EXPECT_EQ(Compute("90", "180", "1"), Outcome::Outside);
  EXPECT_TRUE(m_point.GetRows().empty());
  EXPECT_STREQ(CPointTransform::GetMessage(Outcome::Outside),
               "* The requested position is not within the current grid");
  EXPECT_EQ(Compute(" -35 ", "\t145", "1 "), Outcome::Done);  // surrounding blanks are allowed
}

TEST_F(PointTransformTest, NoGridIsOutsideAndMissingReferenceGivesNoRows) {
  EXPECT_EQ(m_point.Compute("-35", "145", "1", "AHD", nullptr), Outcome::Outside);
  CGridInt empty;
  EXPECT_EQ(m_point.Compute("-35", "145", "1", "AHD", &empty), Outcome::Outside);
  // Checks still come first without a reference.
  EXPECT_EQ(m_point.Compute("-95", "145", "1", static_cast<const CTransBase*>(nullptr), &m_grid), Outcome::BadLatitude);
  EXPECT_EQ(m_point.Compute("-35", "145", "1", "no such reference", &m_grid), Outcome::NoReference);
  EXPECT_TRUE(m_point.GetRows().empty());
  EXPECT_STREQ(CPointTransform::GetMessage(Outcome::NoReference), "");
}

TEST_F(PointTransformTest, LoneMinusHeightIsZero) {
  ASSERT_EQ(Compute("-35", "145", "-"), Outcome::Done);
  EXPECT_NEAR(RowOf("AHD").m_height, 0.0, 1e-9);
  EXPECT_NEAR(m_point.GetEllipsoidHeight(), -0.5, 1e-6);  // AHD at -0.50 m
}

// DistinctSurfaces: LAT -2.00 ... AHD -0.50, MSL -0.25, MLHW 0.00, MHWN 0.25 ... HAT 1.25.
// MLHW ties with the ellipsoid at 0; the ellipsoid, inserted last, is listed first.
TEST_F(PointTransformTest, HeightsPositiveRowsRunFromHighestSurface) {
  ASSERT_EQ(Compute("-35", "145", "2.00", "ahd"), Outcome::Done);
  const std::vector<std::string> expected = {"HAT",  "MHWS", "MHHW", "MHW",  "MHWN", "Ellipsoid (GDA94/WGS84)",
                                             "MLHW", "MSL",  "AHD",  "MLWN", "MHLW", "MLW",
                                             "MLWS", "MLLW", "LAT"};
  EXPECT_EQ(Names(), expected);
  EXPECT_NEAR(RowOf("AHD").m_height, 2.00, 1e-9);         // the from row shows the typed height
  EXPECT_NEAR(m_point.GetEllipsoidHeight(), 1.50, 1e-6);  // 2.00 + AHD -0.50
  EXPECT_EQ(RowOf("Ellipsoid (GDA94/WGS84)").m_separation, 0.0);
  EXPECT_NEAR(RowOf("Ellipsoid (GDA94/WGS84)").m_height, 1.50, 1e-6);
  EXPECT_NEAR(RowOf("HAT").m_separation, 1.25, 1e-6);
  EXPECT_NEAR(RowOf("HAT").m_height, 0.25, 1e-6);
  EXPECT_NEAR(RowOf("LAT").m_height, 3.50, 1e-6);
}

TEST_F(PointTransformTest, DepthsPositiveTurnsTheOrderOverExceptAmongTies) {
  CTransBase::s_sign = -1.0;
  ASSERT_EQ(Compute("-35", "145", "10", "LAT"), Outcome::Done);
  const std::vector<std::string> expected = {
      "LAT",  "MLLW", "MLWS", "MLW",  "MHLW", "MLWN", "AHD", "MSL", "Ellipsoid (GDA94/WGS84)",
      "MLHW", "MHWN", "MHW",  "MHHW", "MHWS", "HAT"};
  EXPECT_EQ(Names(), expected);
  EXPECT_NEAR(RowOf("LAT").m_separation, 2.00, 1e-6);
  EXPECT_NEAR(RowOf("LAT").m_height, 10.00, 1e-9);
  EXPECT_NEAR(RowOf("HAT").m_height, 13.25, 1e-6);  // the same depth below HAT is greater
  EXPECT_NEAR(m_point.GetEllipsoidHeight(), 12.00, 1e-6);
}

TEST_F(PointTransformTest, DepthBelowLatCarriedToMsl) {
  SurfaceValues values = DistinctSurfaces();
  values[0] = -1.20;  // LAT
  values[7] = 0.30;   // MSL
  Fill(values);
  CTransBase::s_sign = -1.0;
  ASSERT_EQ(Compute("-31.2", "148.9", "10.00", "LAT"), Outcome::Done);
  EXPECT_NEAR(RowOf("MSL").m_height, 11.50, 1e-5);
  EXPECT_NEAR(RowOf("MSL").m_separation, -0.30, 1e-6);
}

TEST_F(PointTransformTest, EqualSeparationsListLastInsertedFirstUnderBothSigns) {
  SurfaceValues values = DistinctSurfaces();
  values[6] = values[7] = 0.30;               // AHD = MSL; MSL comes first in the list
  values[0] = values[1] = values[2] = -2.50;  // LAT = MLLW = MLWS; list order MLLW, MLWS, LAT
  Fill(values);
  for (double sign : {1.0, -1.0}) {
    CTransBase::s_sign = sign;
    ASSERT_EQ(Compute("-35", "145", "0", "MSL"), Outcome::Done);
    const std::vector<std::string> names = Names();
    auto position = [&names](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    EXPECT_EQ(position("AHD") + 1, position("MSL")) << "sign " << sign;
    EXPECT_EQ(position("LAT") + 1, position("MLWS")) << "sign " << sign;
    EXPECT_EQ(position("MLWS") + 1, position("MLLW")) << "sign " << sign;
    EXPECT_EQ(names.front(), sign > 0 ? "HAT" : "LAT");  // the tie of the lowest surfaces leads
  }
}

TEST_F(PointTransformTest, EveryReferenceAgreesOnTheEllipsoidalHeight) {
  // Whatever reference the height is typed in, carrying each row back gives it again.
  for (double sign : {1.0, -1.0}) {
    CTransBase::s_sign = sign;
    for (const std::string& from : CTransFactory::Instance().GetNames()) {
      ASSERT_EQ(Compute("-36.75", "141.25", "-3.5", from), Outcome::Done) << from;
      ASSERT_EQ(m_point.GetRows().size(), 15u);
      EXPECT_NEAR(RowOf(from).m_height, -3.5, 1e-9) << from;
      for (const CPointRow& row : m_point.GetRows())
        EXPECT_NEAR(row.m_height + row.m_separation, m_point.GetEllipsoidHeight(), 1e-9) << row.m_name;
    }
  }
}

}  // namespace
