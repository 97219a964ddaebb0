// The demo grid beside the program: it loads, and its synthetic surfaces keep the
// properties the demo promises at every node (tidal levels in order, MSL close to AHD,
// tidal ranges between about a metre and a dozen metres).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"

namespace {

TEST(DemoGrid, LoadsAndHasPlausibleSurfacesAtEveryNode) {
  const CClassWideValues restore;  // loading a grid sets the coding values
  const std::string path = MAREVERT_BIN_DIR "/Marevert_Demo_Synthetic_NotForNavigation.MRGGrid";
  ASSERT_TRUE(std::filesystem::exists(path));
  CRecordingMessenger messenger;
  CScopedMessenger scoped(&messenger);
  CThreadJobRunner runner(false);
  CScopedJobRunner scopedRunner(&runner);
  CGridInt grid;
  grid.LoadFile(path);
  ASSERT_TRUE(grid.IsLoaded());
  EXPECT_DOUBLE_EQ(grid.GetGridSize() * 3600, 120.0);
  EXPECT_LT(grid.GetMaxLat(), -9.0);
  EXPECT_GT(grid.GetMinLat(), -45.0);

  // Surface indices from lowest to highest level.
  const int byLevel[] = {0 /*LAT*/,  2 /*MLWS*/, 1 /*MLLW*/, 3 /*MLW*/,   5 /*MLWN*/,  4 /*MHLW*/, 7 /*MSL*/,
                         8 /*MLHW*/, 9 /*MHWN*/, 10 /*MHW*/, 11 /*MHHW*/, 12 /*MHWS*/, 13 /*HAT*/};
  std::size_t nodes = 0;
  for (std::size_t r = 0; r < grid.GetRowCount(); ++r) {
    for (const CGridInt::Node& node : grid.GetRow(r)) {
      ++nodes;
      const CDataPt& p = node.point;
      for (int i = 1; i < 13; ++i)
        ASSERT_LT(p.GetValue(byLevel[i - 1]), p.GetValue(byLevel[i])) << "row " << r << " column " << node.column;
      ASSERT_LT(std::abs(p.GetValue(7) - p.GetValue(6)), 0.5f);
      const float range = p.GetValue(13) - p.GetValue(0);
      ASSERT_GT(range, 0.5f);
      ASSERT_LT(range, 12.0f);
    }
  }
  EXPECT_GT(nodes, 10000u);
}

}  // namespace
