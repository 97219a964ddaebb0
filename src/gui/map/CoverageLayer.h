#pragma once
// The grid coverage layer: every pixel where the loaded grid allows a transformation,
// tinted translucent green over land and sea alike, outlined solid by the uncovered
// pixels next to them, so that the outline hides none of the covered ones (a layer
// drawn over the tint, such as the separation's colours, leaves the outline whole).

#include <QColor>

#include "gui/map/MapLayer.h"

class CCoverageLayer : public CMapLayer {
 public:
  static constexpr const char* kName = "Grid coverage";
  static const QColor kFill;
  static const QColor kEdge;

  const char* Name() const override { return kName; }
  bool AskRaster(CGridLayerRaster::Request&) const override { return true; }
  void Draw(QImage& image, const CMapLayerFrame& frame) override;
  int LegendHeight(const QFontMetrics& metrics, int width) const override;
  void PaintLegend(QPainter& painter, const QRect& box, const QFontMetrics& metrics) const override;
  QStringList LegendToolTip() const override;
};
