#include "gui/map/CoverageLayer.h"

#include <QFontMetrics>
#include <QImage>
#include <cmath>

#include "gui/map/MapLegend.h"

const QColor CCoverageLayer::kFill(0, 200, 0, 80);
const QColor CCoverageLayer::kEdge(0, 120, 0);

void CCoverageLayer::Draw(QImage& image, const CMapLayerFrame& frame) {
  const CGridLayerRaster& raster = frame.raster;
  const QRgb fill = qPremultiply(kFill.rgba());
  const QRgb edge = kEdge.rgba();
  const int w = raster.Width(), h = raster.Height();
  for (int y = 0; y < h; ++y) {
    const float* row = raster.Row(y);
    const float* above = y > 0 ? raster.Row(y - 1) : nullptr;
    const float* below = y + 1 < h ? raster.Row(y + 1) : nullptr;
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if (!std::isnan(row[x])) {
        line[x] = fill;
      } else if ((above && !std::isnan(above[x])) || (below && !std::isnan(below[x])) ||
                 (x > 0 && !std::isnan(row[x - 1])) || (x + 1 < w && !std::isnan(row[x + 1]))) {
        line[x] = edge;
      }
    }
  }
}

int CCoverageLayer::LegendHeight(const QFontMetrics& metrics, int) const { return metrics.height(); }

void CCoverageLayer::PaintLegend(QPainter& painter, const QRect& box, const QFontMetrics& metrics) const {
  PaintLegendSwatch(painter, box, metrics, kFill, kEdge, QString::fromUtf8(kName));
}

QStringList CCoverageLayer::LegendToolTip() const {
  return {QStringLiteral("Grid coverage: where a transformation is possible")};
}
