// The vertical-shift lattice (which nodes carry a value, what value, the lattice's
// size) and the GTX file that holds it.

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

#include "core/grid/GtxWriter.h"
#include "core/grid/ShiftLattice.h"
#include "support/ClassWideValues.h"
#include "support/TestSupport.h"

namespace {

constexpr float kNoData = CShiftLattice::kNoData;

// Codes whose surface k decodes to (code + k) centimetres (offset 0, scale 100).
CDataPt Node(std::uint16_t code) {
  CDataPt p;
  for (int k = 0; k < CDataPt::kSurfaceCount; ++k) p.m_codes[k] = static_cast<std::uint16_t>(code + k);
  return p;
}

class ShiftLatticeTest : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide{0.0f, 100.0f};  // put back after the test
  // rows x columns in the header, spacing 0.5 degrees from (-30, 150); `rowCount` rows
  // in the table (default `rows`).
  void Header(int rows, int columns, int rowCount = 0, double maxLatExtra = 0) {
    CGridInt::Header h;
    h.gridSize = 0.5;
    h.minLat = -30;
    h.maxLat = -30 + (rows - 1) * 0.5 + maxLatExtra;
    h.minLon = 150;
    h.maxLon = 150 + (columns - 1) * 0.5;
    m_grid.SetHeader(h);
    m_grid.SetRowCount(rowCount > 0 ? rowCount : rows);
  }
  // S_add - S_subtract of two codes as the lattice computes it.
  float Difference(std::uint16_t add, std::uint16_t subtract) const {
    return static_cast<float>(static_cast<double>(m_grid.DecodeValue(add)) - m_grid.DecodeValue(subtract));
  }
  std::vector<float> Row(const CShiftLattice& lattice, int r, std::int64_t* count = nullptr) {
    std::vector<float> values(static_cast<std::size_t>(lattice.GetGeometry().columns));
    const std::int64_t n = lattice.FillRow(r, values.data());
    if (count) *count = n;
    return values;
  }
  CGridInt m_grid;
};

TEST_F(ShiftLatticeTest, SizeFollowsTheExtentsAndTheRowsThere) {
  Header(3, 4);
  CShiftLattice lattice(m_grid, 0, 6);
  ASSERT_TRUE(lattice.IsValid());
  EXPECT_EQ(lattice.GetGeometry().rows, 3);
  EXPECT_EQ(lattice.GetGeometry().columns, 4);
  EXPECT_EQ(lattice.GetGeometry().south, -30);
  EXPECT_EQ(lattice.GetGeometry().west, 150);
  EXPECT_EQ(lattice.GetGeometry().spacing, 0.5);

  // The last lines are the model's (CGridInt::LastRow): half a cell beyond the last
  // row, the model reaches the next (when the table has one).
  Header(3, 4, 5, 0.25);
  EXPECT_EQ(CShiftLattice(m_grid, 0, 6).GetGeometry().rows, 4);
  // No cell: no lattice.
  Header(3, 1);
  EXPECT_FALSE(CShiftLattice(m_grid, 0, 6).IsValid());
  m_grid.Reset();
  EXPECT_FALSE(CShiftLattice(m_grid, 0, 6).IsValid());
}

TEST_F(ShiftLatticeTest, OnlyCornersOfCompleteCellsCarryValues) {
  // Row 0: columns 0, 1, 2; row 1: columns 0, 1; row 2: column 3 alone. Only cell (0, 0)
  // is complete; node (0, 2) belongs to an incomplete cell and (2, 3) to none.
  Header(3, 4);
  for (const auto& [r, c] : std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 3}})
    m_grid.SetNode(r, c, Node(static_cast<std::uint16_t>(1000 + 100 * r + 10 * c)));
  // LAT (surface 0) minus HAT (surface 13).
  CShiftLattice lattice(m_grid, 0, 13);
  std::int64_t count = 0;
  EXPECT_EQ(Row(lattice, 0, &count),
            (std::vector<float>{Difference(1000, 1013), Difference(1010, 1023), kNoData, kNoData}));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Row(lattice, 1, &count),
            (std::vector<float>{Difference(1100, 1113), Difference(1110, 1123), kNoData, kNoData}));
  EXPECT_EQ(Row(lattice, 2, &count), (std::vector<float>(4, kNoData)));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Row(lattice, 3), (std::vector<float>(4, kNoData)));  // beyond the lattice

  // One surface against the ellipsoid: its decoded height, exactly as the model decodes it.
  CShiftLattice surface(m_grid, 6, CDataPt::kEllipsoid);
  EXPECT_EQ(Row(surface, 1)[1], m_grid.DecodeValue(1110 + 6));
  CShiftLattice negated(m_grid, CDataPt::kEllipsoid, 6);
  EXPECT_EQ(Row(negated, 1)[1], -m_grid.DecodeValue(1110 + 6));
}

TEST_F(ShiftLatticeTest, CellReachingPastTheExtentsCounts) {
  // The extents end at column 1, but the model answers on that line from the cell to its
  // east (columns 1 and 2) when it is complete; so node column 1 carries a value.
  Header(2, 2);
  for (int r = 0; r < 2; ++r)
    for (int c = 1; c <= 2; ++c) m_grid.SetNode(r, c, Node(500));
  CShiftLattice lattice(m_grid, 13, 0);
  ASSERT_EQ(lattice.GetGeometry().columns, 2);
  EXPECT_EQ(Row(lattice, 0), (std::vector<float>{kNoData, Difference(513, 500)}));
  CDataPt point;
  EXPECT_TRUE(m_grid.Interpolate(-29.75, 150.5, point));
}

TEST_F(ShiftLatticeTest, GtxIsBigEndianSouthRowFirst) {
  CScratchDir dir;
  const std::string path = dir.File("g.gtx");
  CShiftLattice::Geometry geometry;
  geometry.rows = 2, geometry.columns = 3, geometry.south = -30.25, geometry.west = 150.5, geometry.spacing = 0.125;
  CGtxWriter writer;
  ASSERT_TRUE(writer.Open(path));
  writer.WriteHeader(geometry);
  const float south[3] = {1.5f, kNoData, -2.25f}, north[3] = {3, 4, 5};
  writer.WriteRow(south, 3);
  writer.WriteRow(north, 3);
  ASSERT_TRUE(writer.Close());

  const std::string bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), CGtxWriter::kHeaderSize + 6 * sizeof(float));
  const auto big = [&bytes](std::size_t at, std::size_t size) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < size; ++i) bits = bits << 8 | static_cast<unsigned char>(bytes[at + i]);
    return bits;
  };
  EXPECT_EQ(std::bit_cast<double>(big(0, 8)), -30.25);  // south-west latitude
  EXPECT_EQ(std::bit_cast<double>(big(8, 8)), 150.5);   // south-west longitude
  EXPECT_EQ(std::bit_cast<double>(big(16, 8)), 0.125);
  EXPECT_EQ(std::bit_cast<double>(big(24, 8)), 0.125);
  EXPECT_EQ(big(32, 4), 2u);
  EXPECT_EQ(big(36, 4), 3u);
  const float expected[6] = {1.5f, kNoData, -2.25f, 3, 4, 5};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(std::bit_cast<float>(static_cast<std::uint32_t>(big(40 + 4 * i, 4))), expected[i]) << i;
}

}  // namespace
