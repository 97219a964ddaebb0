#include <gtest/gtest.h>

#include "CoastFileWriter.h"
#include "core/common/PathUtil.h"
#include "core/map/MapData.h"
#include "support/TestSupport.h"

namespace {

// Two coastlines and three towns, the second pair of towns at the same position.
std::string GoodFile() {
  return CCoastFileWriter()
      .Header()
      .Int32(2)
      .Line({{113.5f, -22.0f}, {115.0f, -34.0f}, {118.0f, -35.0f}})
      .Line({{146.0f, -41.0f}, {148.0f, -43.5f}})
      .Int32(3)
      .Town(u"Perth", 115.86f, -31.95f)
      .Town(u"Hobart", 147.33f, -42.88f)
      .Town(u"", 147.33f, -42.88f)
      .Bytes();
}

class MapDataTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolderOverride(m_dir.Path().string()); }
  void TearDown() override {
    SetProgramFolderOverride("");
    CMapData::Release();
  }
  void WriteCoastFile(const std::string& bytes) { WriteFileBytes(m_dir.File(CMapData::kFileName), bytes); }
  static void ExpectEmpty(const CMapData& data) {
    EXPECT_EQ(data.GetLineCount(), 0u);
    EXPECT_TRUE(data.GetTowns().empty());
  }

  CScratchDir m_dir;
};

TEST_F(MapDataTest, ReadsLinesTownsAndExtentInFileOrder) {
  WriteCoastFile(GoodFile());
  CMapData data;
  ASSERT_TRUE(data.Load());
  ASSERT_EQ(data.GetLineCount(), 2u);
  const CMapLine& first = data.GetLines()[0];
  ASSERT_EQ(first.m_points.size(), 3u);
  EXPECT_FLOAT_EQ(first.m_points[1].m_x, 115.0f);
  EXPECT_FLOAT_EQ(first.m_points[1].m_y, -34.0f);
  EXPECT_FLOAT_EQ(first.m_bounds.m_min.m_x, 113.5f);
  EXPECT_FLOAT_EQ(first.m_bounds.m_min.m_y, -35.0f);
  EXPECT_FLOAT_EQ(first.m_bounds.m_max.m_x, 118.0f);
  EXPECT_FLOAT_EQ(first.m_bounds.m_max.m_y, -22.0f);

  const CMapRect& extent = data.GetExtent();
  EXPECT_FLOAT_EQ(extent.m_min.m_x, 113.5f);
  EXPECT_FLOAT_EQ(extent.m_min.m_y, -43.5f);
  EXPECT_FLOAT_EQ(extent.m_max.m_x, 148.0f);
  EXPECT_FLOAT_EQ(extent.m_max.m_y, -22.0f);

  const auto& towns = data.GetTowns();
  ASSERT_EQ(towns.size(), 3u);
  EXPECT_EQ(towns[0].m_name, u"Perth");
  EXPECT_EQ(towns[1].m_name, u"Hobart");
  EXPECT_EQ(towns[2].m_name, u"");  // a name of length 0 is still a town
  EXPECT_FLOAT_EQ(towns[2].m_pos.m_x, 147.33f);
  EXPECT_FLOAT_EQ(towns[2].m_pos.m_y, -42.88f);
}

TEST_F(MapDataTest, IgnoresBytesAfterTheLastTown) {
  WriteCoastFile(GoodFile() + "trailing bytes");
  CMapData data;
  EXPECT_TRUE(data.Load());
  EXPECT_EQ(data.GetTowns().size(), 3u);
}

TEST_F(MapDataTest, FileCutAtAnyOffsetFailsWithoutPartialData) {
  const std::string good = GoodFile();
  CMapData data;
  for (std::size_t size = 0; size < good.size(); ++size) {
    WriteCoastFile(good.substr(0, size));
    EXPECT_FALSE(data.Load()) << "file cut to " << size << " bytes";
    ExpectEmpty(data);
  }
  WriteCoastFile(good);
  EXPECT_TRUE(data.Load());
}

TEST_F(MapDataTest, RejectsOtherMagicAndVersions) {
  CMapData data;
  for (const auto& [magic, version] :
       std::vector<std::pair<std::string, int>>{{"MRL", 0}, {"MRL", 2}, {"MRG", 1}, {"mrl", 1}}) {
    WriteCoastFile(CCoastFileWriter().Header(magic, version).Int32(1).Line({{1, 2}}).Int32(0).Bytes());
    EXPECT_FALSE(data.Load()) << magic << " version " << version;
    ExpectEmpty(data);
  }
  std::filesystem::remove(m_dir.File(CMapData::kFileName));
  EXPECT_FALSE(data.Load());  // missing file
}

TEST_F(MapDataTest, NegativeOrImpossibleCountsFailWithoutPartialData) {
  const std::vector<std::string> files = {
      CCoastFileWriter().Header().Int32(-1).Int32(0).Bytes(),                          // line count
      CCoastFileWriter().Header().Int32(2).Line({{1, 2}}).Int32(-3).Int32(0).Bytes(),  // point count
      CCoastFileWriter().Header().Int32(1).Line({{1, 2}}).Int32(-1).Bytes(),           // town count
      CCoastFileWriter().Header().Int32(1).Line({{1, 2}}).Int32(1).Byte(0).Int32(-2).Float32(1).Float32(2).Bytes(),
      // Counts far beyond what the file holds must fail before anything is reserved.
      CCoastFileWriter().Header().Int32(0x7fffffff).Bytes(),
      CCoastFileWriter().Header().Int32(1).Int32(0x7fffffff).Float32(1).Float32(2).Int32(0).Bytes(),
      CCoastFileWriter().Header().Int32(1).Line({{1, 2}}).Int32(0x7fffffff).Town(u"A", 1, 2).Bytes(),
      CCoastFileWriter()
          .Header()
          .Int32(1)
          .Line({{1, 2}})
          .Int32(1)
          .Byte(0)
          .Int32(0x7fffffff)
          .Float32(1)
          .Float32(2)
          .Bytes(),
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    WriteCoastFile(GoodFile());
    CMapData data;
    ASSERT_TRUE(data.Load());
    WriteCoastFile(files[i]);
    EXPECT_FALSE(data.Load()) << "file " << i;
    ExpectEmpty(data);
  }
}

TEST_F(MapDataTest, LineWithoutPointsStaysAndFirstEmptyLineKeepsTheOldExtent) {
  // The first line has no points, so the extent starts from its previous value, (0, 0)
  // in a fresh model, and grows from the later points: (0, 0) then lies inside it.
  WriteCoastFile(CCoastFileWriter().Header().Int32(2).Line({}).Line({{10, -20}, {12, -22}}).Int32(0).Bytes());
  CMapData data;
  ASSERT_TRUE(data.Load());
  ASSERT_EQ(data.GetLineCount(), 2u);
  EXPECT_TRUE(data.GetLines()[0].m_points.empty());
  const CMapRect& extent = data.GetExtent();
  EXPECT_FLOAT_EQ(extent.m_min.m_x, 0.0f);
  EXPECT_FLOAT_EQ(extent.m_min.m_y, -22.0f);
  EXPECT_FLOAT_EQ(extent.m_max.m_x, 12.0f);
  EXPECT_FLOAT_EQ(extent.m_max.m_y, 0.0f);
}

TEST_F(MapDataTest, TownsDoNotEnlargeTheExtent) {
  WriteCoastFile(
      CCoastFileWriter().Header().Int32(1).Line({{140, -30}, {141, -31}}).Int32(1).Town(u"Far", -50, 60).Bytes());
  CMapData data;
  ASSERT_TRUE(data.Load());
  EXPECT_FLOAT_EQ(data.GetExtent().m_min.m_x, 140.0f);
  EXPECT_FLOAT_EQ(data.GetExtent().m_max.m_y, -30.0f);
}

TEST_F(MapDataTest, NameEndsAtItsFirstZeroUnit) {
  WriteCoastFile(CCoastFileWriter()
                     .Header()
                     .Int32(1)
                     .Line({{1, 2}})
                     .Int32(2)
                     .Town(std::u16string(u"Ab\0cd", 5), 1, 2)
                     .Town(u"\u00c9den", 3, 4)  // a non-ASCII unit survives as it is
                     .Bytes());
  CMapData data;
  ASSERT_TRUE(data.Load());
  ASSERT_EQ(data.GetTowns().size(), 2u);
  EXPECT_EQ(data.GetTowns()[0].m_name, u"Ab");
  EXPECT_FLOAT_EQ(data.GetTowns()[0].m_pos.m_y, 2.0f);  // the rest of the record is still read
  EXPECT_EQ(data.GetTowns()[1].m_name, u"\u00c9den");
}

TEST_F(MapDataTest, FileWithoutLinesCountsAsFailedOpeningAndIsCleared) {
  WriteCoastFile(CCoastFileWriter().Header().Int32(0).Int32(1).Town(u"Alone", 1, 2).Bytes());
  CMapData& data = CMapData::Instance();
  EXPECT_TRUE(data.Load());           // a well-formed file ...
  EXPECT_FALSE(data.EnsureLoaded());  // ... that gives no map
  ExpectEmpty(data);
}

TEST_F(MapDataTest, SecondOpeningDoesNotReadTheFileAgain) {
  WriteCoastFile(GoodFile());
  ASSERT_TRUE(CMapData::Instance().EnsureLoaded());
  WriteCoastFile(CCoastFileWriter().Header().Int32(1).Line({{1, 2}}).Int32(0).Bytes());
  ASSERT_TRUE(CMapData::Instance().EnsureLoaded());
  EXPECT_EQ(CMapData::Instance().GetLineCount(), 2u);
  EXPECT_EQ(CMapData::Instance().GetTowns().size(), 3u);

  // Released with the main window: the next model starts empty and reads the file.
  CMapData::Release();
  EXPECT_EQ(CMapData::Instance().GetLineCount(), 0u);
  ASSERT_TRUE(CMapData::Instance().EnsureLoaded());
  EXPECT_EQ(CMapData::Instance().GetLineCount(), 1u);
}

TEST_F(MapDataTest, FailedOpeningIsRetriedNextTime) {
  EXPECT_FALSE(CMapData::Instance().EnsureLoaded());  // no file yet
  WriteCoastFile(GoodFile());
  EXPECT_TRUE(CMapData::Instance().EnsureLoaded());
}

TEST(BundledCoastDataTest, LoadsWithAustraliaFirstAndTownsLargestFirst) {
  CMapData data;
  ASSERT_TRUE(data.LoadFile(MAREVERT_SOURCE_DIR "/data/Marevert_CoastData.bin"));
  ASSERT_GT(data.GetLineCount(), 100u);
  // The mainland is the largest polygon and comes first.
  const CMapRect& mainland = data.GetLines()[0].m_bounds;
  EXPECT_TRUE(mainland.Contains(CMapPt(134.0f, -25.0f)));
  EXPECT_GT(mainland.m_max.m_x - mainland.m_min.m_x, 35.0f);
  const CMapRect& extent = data.GetExtent();
  EXPECT_GE(extent.m_min.m_x, 90.0f);
  EXPECT_LE(extent.m_max.m_x, 175.0f);
  EXPECT_GE(extent.m_min.m_y, -60.0f);
  EXPECT_LE(extent.m_max.m_y, 0.0f);
  ASSERT_FALSE(data.GetTowns().empty());
  EXPECT_EQ(data.GetTowns()[0].m_name, u"Sydney");
}

TEST(MapGeometryTest, RectangleFromCornersInAnyOrderAndTouchingEdgesIntersect) {
  const CMapRect r(CMapPt(5, -1), CMapPt(2, 3));
  EXPECT_FLOAT_EQ(r.m_min.m_x, 2);
  EXPECT_FLOAT_EQ(r.m_min.m_y, -1);
  EXPECT_FLOAT_EQ(r.m_max.m_x, 5);
  EXPECT_FLOAT_EQ(r.m_max.m_y, 3);
  EXPECT_TRUE(r.Intersects(CMapRect(CMapPt(5, 3), CMapPt(9, 9))));  // corner to corner
  EXPECT_FALSE(r.Intersects(CMapRect(CMapPt(5.0001f, 0), CMapPt(9, 1))));
  EXPECT_FALSE(r.Intersects(CMapRect(CMapPt(3, 3.0001f), CMapPt(4, 9))));
  EXPECT_TRUE(r.Contains(CMapPt(2, 3)));
  EXPECT_FALSE(r.Contains(CMapPt(1.99f, 0)));
  const CMapPt c = r.Centre();
  EXPECT_FLOAT_EQ(c.m_x, 3.5f);
  EXPECT_FLOAT_EQ(c.m_y, 1.0f);
}

}  // namespace
