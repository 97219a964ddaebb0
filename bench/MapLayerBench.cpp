// Redraws the coast map with both grid layers (coverage and separation) over a grid at
// one arc-minute of every sea node of the bundled coast data's extent, and compares the
// median with drawing the coastlines alone (the map without layers) in the same run.
// Each layered redraw computes the layers afresh, as after any change of the view; the
// redraw of an unchanged view, from the kept layer image, is timed too. Views: the
// fitted one, one where a grid cell is about a pixel and a half wide, and the closest
// zoom (over open sea, every pixel covered). Target: a layered redraw under 100 ms.
//
// Usage: bench_map_layers [--save-prefix PATH]   (writes PATH-fitted.png and so on)

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "MedianTime.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/map/MapData.h"
#include "core/map/MapOwner.h"
#include "gui/map/DlgMap.h"

namespace {

constexpr int kRuns = 40;
constexpr double kTargetMs = 100.0;
constexpr double kGridSize = 1.0 / 60;  // one arc-minute
constexpr int kNodesPerDegree = 60;

class CNoOwner : public CMapOwner {
 public:
  void SetPosition(double, double) override {}
};

// Every sea node of the whole degrees around the coast data's extent: the land
// polygons are filled into a mask with one pixel per node.
std::size_t BuildSeaGrid(CGridInt& grid) {
  const CMapRect& extent = CMapData::Instance().GetExtent();
  const double minLon = std::floor(extent.m_min.m_x), maxLon = std::ceil(extent.m_max.m_x);
  const double minLat = std::floor(extent.m_min.m_y), maxLat = std::ceil(extent.m_max.m_y);
  const int columns = static_cast<int>(std::lround((maxLon - minLon) * kNodesPerDegree)) + 1;
  const int rows = static_cast<int>(std::lround((maxLat - minLat) * kNodesPerDegree)) + 1;

  QImage land(columns, rows, QImage::Format_Grayscale8);
  land.fill(0);
  {
    QPainter painter(&land);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    std::vector<QPointF> polygon;
    for (const CMapLine& line : CMapData::Instance().GetLines()) {
      polygon.clear();
      for (const CMapPt& pt : line.m_points)
        polygon.emplace_back((pt.m_x - minLon) * kNodesPerDegree + 0.5, (maxLat - pt.m_y) * kNodesPerDegree + 0.5);
      painter.drawPolygon(polygon.data(), static_cast<int>(polygon.size()), Qt::OddEvenFill);
    }
  }

  CDataPt::s_offset = -100.0f;
  CDataPt::s_scale = 100.0f;
  CGridInt::Header header;
  header.gridSize = kGridSize;
  header.minLat = minLat;
  header.maxLat = maxLat;
  header.minLon = minLon;
  header.maxLon = maxLon;
  grid.SetHeader(header);
  grid.SetRowCount(static_cast<std::size_t>(rows));
  std::size_t nodes = 0;
  for (int r = 0; r < rows; ++r) {
    const uchar* mask = land.constScanLine(rows - 1 - r);  // row 0 is the south edge
    CGridInt::Row& row = grid.MutableRow(static_cast<std::size_t>(r));
    const double lat = minLat + r * kGridSize;
    for (int c = 0; c < columns; ++c) {
      if (mask[c] != 0) continue;
      const double lon = minLon + c * kGridSize;
      // Smooth made-up surfaces: a tidal range that changes along the coast.
      const double range = 2.5 + 2.0 * std::sin(lon * 0.21) * std::cos(lat * 0.17);
      std::array<double, CDataPt::kSurfaceCount> values;
      for (int k = 0; k < CDataPt::kSurfaceCount; ++k) values[k] = -20.0 + range * k / 13.0;
      row.push_back({c, CDataPt(values)});
    }
    grid.SortRow(static_cast<std::size_t>(r));
    nodes += row.size();
  }
  std::printf("grid: 1 arc-minute, %d x %d nodes over %.0f..%.0f E, %.0f..%.0f S, %zu sea nodes (%.0f MB)\n", columns,
              rows, minLon, maxLon, -maxLat, -minLat, nodes, nodes * sizeof(CGridInt::Node) / 1e6);
  return nodes;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::string savePrefix;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--save-prefix") == 0) savePrefix = argv[i + 1];

  SetProgramFolderOverride(MAREVERT_SOURCE_DIR "/data");
  if (!CMapData::Instance().EnsureLoaded()) return 1;
  CGridInt grid;
  BuildSeaGrid(grid);

  CNoOwner owner;
  CDlgMap map(&owner, &grid);
  bool limit = false;
  map.SetMessageHook([&limit](const QString&) { limit = true; });
  if (!map.ShowCoastMap()) return 1;
  map.resize(800, 600);
  QApplication::processEvents();
  std::printf("window 800 x 600, drawing area %d x %d\n", map.View().GetDrawRect().Width(),
              map.View().GetDrawRect().Height());

  QImage image(map.size(), QImage::Format_RGB32);
  const auto paint = [&] {
    QPainter painter(&image);
    map.PaintScene(painter);
  };
  bool met = true;
  const auto measure = [&](const char* name) {
    CMapLayers& layers = map.Layers();
    layers.SetCoverage(false);
    layers.SetSeparation(false);
    const double coast = MedianMs(kRuns, paint);
    layers.SetCoverage(true);
    layers.SetSeparation(true);
    // The processor time too: on a busy machine the wall-clock figures wait for it.
    const std::clock_t cpuStart = std::clock();
    const double layered = MedianMs(kRuns, [&] {
      layers.ClearCache();
      paint();
    });
    const double layeredCpu =
        1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC / (kRuns + kWarmUpRuns);
    const double cached = MedianMs(kRuns, paint);
    if (!savePrefix.empty()) image.save(QString::fromStdString(savePrefix + "-" + name + ".png"));
    const double cellPixels = kGridSize * map.View().GetScale();
    std::printf(
        "%-14s (a cell is %6.2f px): coastlines alone %6.2f ms; with both layers %6.2f ms (x %.1f, processor "
        "%.2f ms), %s %.0f ms; unchanged view %6.2f ms\n",
        name, cellPixels, coast, layered, layered / coast, layeredCpu, layered < kTargetMs ? "under" : "OVER",
        kTargetMs, cached);
    met = met && layered < kTargetMs;
  };

  measure("fitted view");
  // Zoom in on the fitted view's centre until the cells are about 1.5 pixels wide, then
  // to the limit; each time the view is then centred on open sea in Bass Strait.
  const float seaLat = -39.6f, seaLon = 145.8f;
  while (kGridSize * map.View().GetScale() < 1.5) map.ZoomIn();
  map.ShowMarker(true, seaLat, seaLon);
  map.HideMarker();
  measure("cells ~1.5 px");
  while (!limit) map.ZoomIn();
  map.ShowMarker(true, seaLat, seaLon);
  map.HideMarker();
  std::printf("closest zoom: the view spans %.1f km east-west\n",
              map.View().SpanKm(map.View().GetOrigin(), map.View().GetScale()));
  measure("closest zoom");
  return met ? 0 : 1;
}
