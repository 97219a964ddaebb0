// Paints the coast map of the bundled coast data (Australia and nearby islands) at the
// fitted view into an offscreen image, many times, and compares the median with one
// frame at 60 Hz. The baseline draws the same coastlines the plain way: every line,
// every point converted, no culling and no collapsing of points that share a pixel.
//
// Usage: bench_map [--save fitted.png] [--save-zoomed zoomed.png]
// (runs on the offscreen platform by default)

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MedianTime.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridInt.h"
#include "core/map/MapData.h"
#include "core/map/MapOwner.h"
#include "gui/map/DlgMap.h"

namespace {

constexpr int kRuns = 200;
constexpr double kFrameMs = 1000.0 / 60.0;

class CNoOwner : public CMapOwner {
 public:
  void SetPosition(double, double) override {}
};

// Every line, every point, no bounds test.
void PaintPlain(QPainter& painter, const CMapView& view) {
  const CPixelRect& draw = view.GetDrawRect();
  painter.fillRect(QRect(draw.left, draw.top, draw.Width(), draw.Height()), QColor(194, 222, 242));
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(QColor(190, 180, 160));
  for (const CMapLine& line : CMapData::Instance().GetLines()) {
    std::vector<QPoint> polygon;
    polygon.reserve(line.m_points.size());
    for (const CMapPt& pt : line.m_points) {
      const CPixelPt p = view.MapToClient(pt);
      polygon.emplace_back(p.x, p.y);
    }
    painter.drawPolygon(polygon.data(), static_cast<int>(polygon.size()), Qt::OddEvenFill);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::string savePath, saveZoomedPath;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--save") == 0) savePath = argv[i + 1];
    if (std::strcmp(argv[i], "--save-zoomed") == 0) saveZoomedPath = argv[i + 1];
  }

  SetProgramFolderOverride(MAREVERT_SOURCE_DIR "/data");
  CNoOwner owner;
  CGridInt grid;
  CDlgMap map(&owner, &grid);
  map.SetMessageHook([](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
  if (!map.ShowCoastMap()) return 1;
  map.resize(800, 600);
  QApplication::processEvents();

  std::size_t points = 0;
  for (const CMapLine& line : CMapData::Instance().GetLines()) points += line.m_points.size();
  std::printf("coast data: %zu lines, %zu points, %zu towns; window 800 x 600, drawing area %d x %d\n",
              CMapData::Instance().GetLineCount(), points, CMapData::Instance().GetTowns().size(),
              map.View().GetDrawRect().Width(), map.View().GetDrawRect().Height());

  QImage image(map.size(), QImage::Format_RGB32);
  const double fitted = MedianMs(kRuns, [&] {
    QPainter painter(&image);
    map.PaintScene(painter);
  });
  if (!savePath.empty()) image.save(QString::fromStdString(savePath));
  const double plain = MedianMs(kRuns, [&] {
    QPainter painter(&image);
    PaintPlain(painter, map.View());
  });
  for (int i = 0; i < 4; ++i) map.ZoomIn();  // about 5 x zoom on the centre
  const double zoomed = MedianMs(kRuns, [&] {
    QPainter painter(&image);
    map.PaintScene(painter);
  });
  if (!saveZoomedPath.empty()) image.save(QString::fromStdString(saveZoomedPath));

  std::printf("fitted view, whole scene (coast, towns): median %.2f ms = %.3f of a 60 Hz frame (%.1f ms)\n", fitted,
              fitted / kFrameMs, kFrameMs);
  std::printf("baseline, coastlines only, every point, no culling: median %.2f ms; scene / baseline = %.2f\n", plain,
              fitted / plain);
  std::printf("zoomed in 5x, whole scene: median %.2f ms = %.3f of a frame\n", zoomed, zoomed / kFrameMs);
  return 0;
}
