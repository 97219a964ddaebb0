// The order the raster handler works through a raster: every cell exactly once, units
// of whole blocks, windows within them and no larger than the buffers, and each unit's
// end told at its last window.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gdal/RasterBlocks.h"

namespace {

struct CLayout {
  int width, height, blockWidth, blockHeight;
};

TEST(RasterWindowsTest, EveryCellOnceInUnitsOfWholeBlocks) {
  const CLayout layouts[] = {
      {256, 256, 16, 16},      // tiles: several side by side and rows of them per unit
      {300, 200, 256, 256},    // one tile larger than the raster
      {1000, 700, 1000, 1},    // one-row strips
      {3, 5, 1, 1},            // single-cell blocks
      {5000, 400, 5000, 400},  // one block larger than a window: cut into rows
      {600000, 2, 600000, 1},  // a row longer than a window: cut along the row
      {97, 61, 32, 24},        // blocks clipped at the edges
  };
  for (const CLayout& l : layouts) {
    SCOPED_TRACE(::testing::Message() << l.width << "x" << l.height << " in " << l.blockWidth << "x" << l.blockHeight);
    CRasterWindows windows(l.width, l.height, l.blockWidth, l.blockHeight);
    std::vector<unsigned char> seen(static_cast<std::size_t>(l.width) * l.height);
    CCellRect window, unit, current{-1, -1, 0, 0};
    bool endsUnit = false;
    std::uint64_t count = 0;
    bool unitOpen = false;
    while (windows.Next(window, endsUnit, unit)) {
      ++count;
      ASSERT_GT(window.Cells(), 0u);
      EXPECT_LE(window.Cells(), CRasterWindows::kMaxCells);
      // A unit starts on a block boundary and holds its windows.
      EXPECT_EQ(unit.x % l.blockWidth, 0);
      EXPECT_EQ(unit.y % l.blockHeight, 0);
      if (!unitOpen) current = unit;
      EXPECT_EQ(unit.x, current.x);
      EXPECT_EQ(unit.y, current.y);
      EXPECT_GE(window.x, unit.x);
      EXPECT_GE(window.y, unit.y);
      EXPECT_LE(window.x + window.width, unit.x + unit.width);
      EXPECT_LE(window.y + window.height, unit.y + unit.height);
      for (int y = window.y; y < window.y + window.height; ++y) {
        for (int x = window.x; x < window.x + window.width; ++x) ++seen[static_cast<std::size_t>(y) * l.width + x];
      }
      unitOpen = !endsUnit;
      // At a unit's end, all of it is done.
      if (endsUnit) {
        for (int y = unit.y; y < unit.y + unit.height; ++y) {
          for (int x = unit.x; x < unit.x + unit.width; ++x)
            ASSERT_EQ(seen[static_cast<std::size_t>(y) * l.width + x], 1);
        }
      }
    }
    EXPECT_FALSE(unitOpen);
    EXPECT_EQ(count, windows.WindowCount());
    for (unsigned char s : seen) ASSERT_EQ(s, 1);
  }
}

TEST(RasterWindowsTest, TinyBlocksAreTakenManyAtATime) {
  CRasterWindows windows(1000, 1000, 1000, 1);
  CCellRect window, unit;
  bool endsUnit = false;
  ASSERT_TRUE(windows.Next(window, endsUnit, unit));
  EXPECT_GE(unit.Cells(), CRasterWindows::kMinUnitCells);
  EXPECT_EQ(unit.width, 1000);
}

TEST(RasterWindowsTest, BlocksEndingInARangeAreThoseWhoseLastCellLiesThere) {
  for (int extent = 1; extent <= 40; ++extent) {
    for (int size = 1; size <= 12; ++size) {
      for (int first = 0; first < extent; ++first) {
        for (int end = first + 1; end <= extent; ++end) {
          int from = 0, to = 0;
          BlocksEndingIn(first, end, size, extent, from, to);
          for (int block = 0; block * size < extent; ++block) {
            const int last = std::min((block + 1) * size, extent) - 1;
            const bool inside = last >= first && last < end;
            ASSERT_EQ(inside, block >= from && block <= to)
                << "extent " << extent << " size " << size << " [" << first << ", " << end << ") block " << block;
          }
        }
      }
    }
  }
}

}  // namespace
