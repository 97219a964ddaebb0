#include "gdal/RasterBlocks.h"

#include <gdal_priv.h>

#include <algorithm>

CRasterWindows::CRasterWindows(int rasterWidth, int rasterHeight, int blockWidth, int blockHeight)
    : m_width(rasterWidth), m_height(rasterHeight) {
  blockWidth = std::clamp(blockWidth, 1, std::max(rasterWidth, 1));
  blockHeight = std::clamp(blockHeight, 1, std::max(rasterHeight, 1));
  // Tiny blocks (single cells, short rows) are taken several at a time: first side by
  // side, then rows of them.
  m_unitWidth = blockWidth;
  while (static_cast<std::size_t>(m_unitWidth) * blockHeight < kMinUnitCells && m_unitWidth < rasterWidth)
    m_unitWidth = std::min(rasterWidth, m_unitWidth + blockWidth);
  m_unitHeight = blockHeight;
  while (static_cast<std::size_t>(m_unitWidth) * m_unitHeight < kMinUnitCells && m_unitHeight < rasterHeight)
    m_unitHeight = std::min(rasterHeight, m_unitHeight + blockHeight);
  // Large units (a whole raster in one strip) are cut into windows of whole rows, or of
  // parts of a row where a row alone is too long.
  m_windowWidth = static_cast<int>(std::min<std::size_t>(m_unitWidth, kMaxCells));
  m_windowHeight = static_cast<int>(std::clamp<std::size_t>(kMaxCells / m_windowWidth, 1, m_unitHeight));

  if (rasterWidth <= 0 || rasterHeight <= 0) {
    m_done = true;
    return;
  }
  // Windows per unit along each axis, summed over the units (the last ones clipped).
  std::uint64_t across = 0, down = 0;
  for (int x = 0; x < rasterWidth; x += m_unitWidth)
    across += Pieces(std::min(m_unitWidth, rasterWidth - x), m_windowWidth);
  for (int y = 0; y < rasterHeight; y += m_unitHeight)
    down += Pieces(std::min(m_unitHeight, rasterHeight - y), m_windowHeight);
  m_windowCount = across * down;
}

bool CRasterWindows::Next(CCellRect& window, bool& endsUnit, CCellRect& unit) {
  if (m_done) return false;
  unit = {m_unitX, m_unitY, std::min(m_unitWidth, m_width - m_unitX), std::min(m_unitHeight, m_height - m_unitY)};
  window = {m_x, m_y, std::min(m_windowWidth, unit.x + unit.width - m_x),
            std::min(m_windowHeight, unit.y + unit.height - m_y)};
  // Step on: along the window row, down the unit, then to the next unit.
  endsUnit = false;
  m_x += window.width;
  if (m_x >= unit.x + unit.width) {
    m_x = unit.x;
    m_y += window.height;
    if (m_y >= unit.y + unit.height) {
      endsUnit = true;
      m_unitX += unit.width;
      if (m_unitX >= m_width) {
        m_unitX = 0;
        m_unitY += unit.height;
        m_done = m_unitY >= m_height;
      }
      m_x = m_unitX;
      m_y = m_unitY;
    }
  }
  return true;
}

void BlocksEndingIn(int first, int end, int size, int extent, int& from, int& to) {
  // Block i ends at min((i + 1) * size, extent).
  from = first / size;  // the block holding `first` ends at or after it
  to = (end - 1) / size;
  if (std::min((to + 1) * size, extent) > end) --to;  // goes on beyond `end`
}

bool FlushFinishedBlocks(GDALRasterBand& band, const CCellRect& done) {
  int blockWidth = 0, blockHeight = 0;
  band.GetBlockSize(&blockWidth, &blockHeight);
  if (blockWidth <= 0 || blockHeight <= 0) return true;
  int fromX, toX, fromY, toY;
  BlocksEndingIn(done.x, done.x + done.width, blockWidth, band.GetXSize(), fromX, toX);
  BlocksEndingIn(done.y, done.y + done.height, blockHeight, band.GetYSize(), fromY, toY);
  bool ok = true;
  for (int y = fromY; y <= toY; ++y) {
    for (int x = fromX; x <= toX; ++x) ok = band.FlushBlock(x, y) == CE_None && ok;
  }
  return ok;
}
