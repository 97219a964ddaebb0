#pragma once
// The order a raster is worked through, and what GDAL may forget after each step, so
// that memory does not grow with the raster. The raster is taken in units of the
// input's own blocks (a block read whole is decoded once): a unit is one block, or
// several side by side (then several rows of them) where blocks are tiny. Units go row
// by row; each is cut into windows small enough for the work buffers. When a unit is
// done, GDAL's cached copies of its input blocks are dropped, and each output block
// written in full is written out and dropped.

#include <cstddef>
#include <cstdint>

class GDALRasterBand;

// A rectangle of cells: columns [x, x + width), rows [y, y + height).
struct CCellRect {
  int x = 0, y = 0, width = 0, height = 0;
  std::size_t Cells() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

class CRasterWindows {
 public:
  // A window holds at most this many cells (a 512 x 512 block is one window) ...
  static constexpr std::size_t kMaxCells = std::size_t{1} << 18;
  // ... and a unit at least this many, where the raster has them.
  static constexpr std::size_t kMinUnitCells = std::size_t{1} << 14;

  CRasterWindows(int rasterWidth, int rasterHeight, int blockWidth, int blockHeight);

  std::uint64_t WindowCount() const { return m_windowCount; }
  // The next window, in order; false after the last. `endsUnit` tells that the window
  // is the last of its unit, which `unit` then is.
  bool Next(CCellRect& window, bool& endsUnit, CCellRect& unit);
  // True once Next has given the last window (at once for a raster without cells).
  bool Done() const { return m_done; }

 private:
  // Window sizes along one axis of a unit of `unit` cells: windows of `window` cells.
  static std::uint64_t Pieces(int unit, int window) { return (static_cast<std::uint64_t>(unit) + window - 1) / window; }

  int m_width, m_height;
  int m_unitWidth, m_unitHeight;      // full-size units; the last ones are clipped
  int m_windowWidth, m_windowHeight;  // full-size windows within a unit
  std::uint64_t m_windowCount = 0;
  // The cursor: the unit's first cell, the window's first cell.
  int m_unitX = 0, m_unitY = 0, m_x = 0, m_y = 0;
  bool m_done = false;
};

// The blocks of `size` cells along an axis of `extent` cells whose last cell lies in
// [first, end): indices from..to, none when to < from.
void BlocksEndingIn(int first, int end, int size, int extent, int& from, int& to);

// Drops from GDAL's cache what `band` holds of the cells of `done`, a unit just
// finished (units being finished row by row): each of the band's own blocks whose last
// row and last column lie in `done` is complete now (every cell before it in the
// order is done too), and is written out (for an output) and dropped. False when
// writing one out failed.
bool FlushFinishedBlocks(GDALRasterBand& band, const CCellRect& done);
