// The point computation beyond its cases in tests/data/point.cases: no grid or no
// reference, and every reference agreeing on the height.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TransTestSupport.h"
#include "core/grid/GridInt.h"
#include "core/trans/PointTransform.h"
#include "core/trans/TransFactory.h"
#include "support/TestLattice.h"

namespace {

using Outcome = CPointTransform::Outcome;

// A 0.5-degree grid over 40 S..30 S, 140 E..150 E with the same values at every node,
// so any interpolation inside answers exactly those values.
class PointTransformTest : public ::testing::Test {
 protected:
  void SetUp() override { FillUniform(m_grid, -40, 140, 0.5, 21, 21, CDataPt(DistinctSurfaces())); }

  Outcome Compute(const std::string& lat, const std::string& lon, const std::string& height,
                  const std::string& from = "AHD") {
    return m_point.Compute(lat, lon, height, from, &m_grid);
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

TEST_F(PointTransformTest, EveryReferenceAgreesOnTheEllipsoidalHeight) {
  // Whatever reference the height is typed in, carrying each row back gives it again.
  for (double sign : {1.0, -1.0}) {
    CTransBase::s_sign = sign;
    for (const std::string& from : CTransFactory::Instance().GetNames()) {
      ASSERT_EQ(Compute("-36.75", "141.25", "-3.5", from), Outcome::Done) << from;
      ASSERT_EQ(m_point.GetRows().size(), CTransFactory::Instance().GetCount());
      EXPECT_NEAR(RowOf(from).m_height, -3.5, 1e-9) << from;
      for (const CPointRow& row : m_point.GetRows())
        EXPECT_NEAR(row.m_height + row.m_separation, m_point.GetEllipsoidHeight(), 1e-9) << row.m_name;
    }
  }
}

}  // namespace
